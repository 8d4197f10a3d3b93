#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vantrel.h"

struct TQuorvel_Is_Here;

// The tables the analysis of a replay shows, computed from the held result: the general
// information grid and the players grid. The window only draws them.

// One row of the general information grid.
struct InfoRow {
  std::string key;
  std::string value;
  bool operator==(const InfoRow&) const = default;
};

// The grid's rows for the context's held result; `gameSpeedText` names its GameSpeed.
std::vector<InfoRow> GeneralInformationRows(const TQuorvel_Is_Here& context,
                                            const std::string& gameSpeedText);

// The columns of the players grid.
enum PlayerColumn {
  kColumnSlot,
  kColumnColour,
  kColumnName,
  kColumnClass,
  kColumnRace,
  kColumnTeam,
  kColumnHandicap,
  kColumnTime,
  kColumnApm,
  kColumnActions,
  kColumnResult,
  kColumnHeroes,
  kPlayerColumnCount
};

// Titles and widths in pixels of the columns.
extern const std::array<const char*, kPlayerColumnCount> kPlayerColumnTitles;
extern const std::array<int, kPlayerColumnCount> kPlayerColumnWidths;

// One row of the players grid: its cells, the colour of its slot (0xBBGGRR) and the id of its
// player (0 for rows without one).
struct PlayerRow {
  std::array<std::string, kPlayerColumnCount> cells;
  uint32_t colour = 0xFFFFFF;
  uint8_t playerId = 0;
};

// The name and the colour value (0xBBGGRR) of a slot colour number; "none" and white for
// numbers outside the table.
std::string_view ColourName(uint8_t number);
uint32_t ColourValue(std::string_view name);

// "Human", "Orc", "NightElf", "Undead", "Random" or "Undefined" for race flags.
std::string_view RaceText(uint8_t race);

// Actions per minute over the time in game; 0 for a time under one second.
int32_t ActionsPerMinute(uint32_t actions, const GameTime& timeInGame);

// The number of different heroes a player summoned.
int32_t HeroCount(const PlayerRecord& player);

// One row per slot in slot order. In quick view the rows carry no statistics and no result.
std::vector<PlayerRow> PlayerRows(const GeneralInfo& info, bool quickView);

// When the library found no winner: the team of the human player who stayed longest wins.
void ApplyResultFallback(const GeneralInfo& info, std::vector<PlayerRow>& rows);

// The items of the "Сортировка" menu, in menu order.
enum class PlayerSort { Slots, Class, Race, Team, Handicap, Time, Apm, Actions, Result, Heroes };
struct PlayerSortItem {
  PlayerSort sort;
  const char* title;
};
extern const std::array<PlayerSortItem, 10> kPlayerSortItems;

// Sorts the rows by the item's column and comparison (a merge sort).
void SortPlayerRows(std::vector<PlayerRow>& rows, PlayerSort sort);

// The start-up picture of a race cell (with the row's team cell), or -1 for none.
int RacePicture(std::string_view race, std::string_view team);
// The start-up picture of a result cell, or -1 for none.
int ResultPicture(std::string_view result);

// The ladder gateways of the "Поиск игрока" menu, in menu order.
extern const std::array<const char*, 4> kLadderGatewayTitles;
// The address of a player's ladder profile on `host` for the gateway at `index`.
std::string LadderProfileUrl(std::string_view host, int index, std::string_view playerName);
