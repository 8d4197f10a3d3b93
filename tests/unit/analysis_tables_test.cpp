#include "services/analysis_tables.h"

#include <gtest/gtest.h>

#include <cstring>

#include "services/replay_context.h"

namespace {

GameTime Time(int32_t h, int32_t m, int32_t s, int32_t ms = 0) {
  return GameTime{h, m, s, ms};
}

// A parse result made by hand: players and slots as the library links them.
struct Game {
  std::vector<PlayerRecord> players;
  std::vector<SlotRecord> slots;
  std::vector<std::string> names;
  GeneralInfo info{};

  void Player(uint8_t id, const char* name, uint32_t actions, GameTime time, bool winner = false) {
    PlayerRecord player{};
    player.PlayerID = id;
    player.ActionsTotal = actions;
    player.TimeInGame = time;
    player.Winner = winner;
    players.push_back(player);
    names.push_back(name);
  }
  void Slot(uint8_t id, uint8_t status, bool human, uint8_t team, uint8_t colour, uint8_t race,
            uint8_t handicap = 100, uint8_t ai = 1) {
    SlotRecord slot{};
    slot.PlayerID = id;
    slot.SlotStatus = status;
    slot.IsHuman = human;
    slot.TeamNumber = team;
    slot.ColorNumber = colour;
    slot.Race = race;
    slot.PlayerHandicap = handicap;
    slot.AIStrength = ai;
    slots.push_back(slot);
  }
  const GeneralInfo& Link() {
    for (size_t i = 0; i < players.size(); ++i)
      players[i].PlayerName = names[i].data();
    for (SlotRecord& slot : slots) {
      for (PlayerRecord& player : players) {
        if (slot.IsHuman && slot.SlotStatus == 2 && player.PlayerID == slot.PlayerID) {
          player.Slot = &slot;
          slot.Player = &player;
        }
      }
    }
    info.Players = players.data();
    info.PlayerCount = static_cast<int32_t>(players.size());
    info.Slots = slots.data();
    info.SlotRecordCount = static_cast<int32_t>(slots.size());
    return info;
  }
};

std::vector<std::string> Column(const std::vector<PlayerRow>& rows, int column) {
  std::vector<std::string> cells;
  for (const PlayerRow& row : rows)
    cells.push_back(row.cells[static_cast<size_t>(column)]);
  return cells;
}

using Cells = std::array<std::string, kPlayerColumnCount>;

TEST(PlayerRows, OneRowPerSlotOfEveryKind) {
  Game game;
  game.Player(1, "Alder", 300, Time(0, 10, 0, 500), true);
  game.Player(2, "Brisk", 120, Time(0, 8, 0));
  game.Player(3, "Watcher", 0, Time(0, 10, 0));
  game.Slot(1, 2, true, 0, 0, 0x01, 100);
  game.Slot(2, 2, true, 1, 1, 0x42, 90);
  game.Slot(0, 2, false, 1, 5, 0x04, 100, 2);
  game.Slot(3, 2, true, 12, 12, 0x20);
  game.Slot(0, 0, false, 0, 4, 0x01);
  game.Slot(0, 1, false, 0, 6, 0x01);
  game.Slot(9, 2, true, 0, 7, 0x08);  // a human slot without a player
  const std::vector<PlayerRow> rows = PlayerRows(game.Link(), false);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0].cells, (Cells{"1", "red", "Alder", "Human", "Human", "1", "100", "[00:10:00]",
                                  "30", "300", "Win", "0"}));
  EXPECT_EQ(rows[0].colour, 0x0000FFu);
  EXPECT_EQ(rows[0].playerId, 1);
  EXPECT_EQ(rows[1].cells, (Cells{"2", "blue", "Brisk", "Human", "Orc", "2", "90", "[00:08:00]",
                                  "15", "120", "Defeat", "0"}));
  EXPECT_EQ(rows[2].cells, (Cells{"3", "orange", "A.I. (2)", "Computer", "NightElf", "2", "100",
                                  "[00.00.00]", "0", "0", "", "0"}));
  // An observer: team 13, no result.
  EXPECT_EQ(rows[3].cells, (Cells{"4", "none", "Watcher", "Human", "Random", "13", "100",
                                  "[00:10:00]", "0", "0", "", "0"}));
  EXPECT_EQ(rows[4].cells, (Cells{"5", "none", "пусто", "", "Undefined", "13", "0", "[00.00.00]",
                                  "0", "0", "", "0"}));
  EXPECT_EQ(rows[5].cells[kColumnName], "Закрыто");
  EXPECT_EQ(rows[6].cells, (Cells{"7", "none", "NULL", "NULL", "Undefined", "0", "0", "[00.00.00]",
                                  "0", "0", "", "0"}));
  EXPECT_EQ(rows[6].colour, 0xFFFFFFu);
}

TEST(PlayerRows, QuickViewHasNoStatistics) {
  Game game;
  game.Player(1, "Alder", 300, Time(0, 10, 0), true);
  game.Slot(1, 2, true, 0, 0, 0x01);
  const std::vector<PlayerRow> rows = PlayerRows(game.Link(), true);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].cells[kColumnApm], "0");
  EXPECT_EQ(rows[0].cells[kColumnActions], "0");
  EXPECT_EQ(rows[0].cells[kColumnResult], "");
}

TEST(PlayerRows, ActionsPerMinute) {
  EXPECT_EQ(ActionsPerMinute(300, Time(0, 10, 0, 500)), 30);
  EXPECT_EQ(ActionsPerMinute(300, Time(0, 0, 0)), 0);
  EXPECT_EQ(ActionsPerMinute(300, Time(0, 0, 0, 999)), 0);
  EXPECT_EQ(ActionsPerMinute(7, Time(1, 0, 0)), 0);
}

TEST(ResultFallback, TheTeamOfWhoStayedLongestWins) {
  Game game;
  game.Player(1, "Early", 50, Time(0, 5, 0));
  game.Player(2, "Late", 50, Time(0, 20, 0));
  game.Player(3, "Mate", 50, Time(0, 6, 0));
  game.Player(4, "Watcher", 0, Time(0, 30, 0));
  game.Slot(1, 2, true, 0, 0, 0x01);
  game.Slot(2, 2, true, 1, 1, 0x02);
  game.Slot(3, 2, true, 0, 2, 0x01);
  game.Slot(0, 2, false, 1, 3, 0x02);
  game.Slot(4, 2, true, 12, 12, 0x20);
  const GeneralInfo& info = game.Link();
  std::vector<PlayerRow> rows = PlayerRows(info, false);
  ApplyResultFallback(info, rows);
  EXPECT_EQ(Column(rows, kColumnResult),
            (std::vector<std::string>{"Defeat", "Win", "Defeat", "Win", ""}));
}

TEST(ResultFallback, EqualTimesGoToTheLaterAndNoTimesToTheFirst) {
  {
    Game game;
    game.Player(1, "A", 5, Time(0, 5, 0));
    game.Player(2, "B", 5, Time(0, 5, 0));
    game.Slot(1, 2, true, 0, 0, 1);
    game.Slot(2, 2, true, 1, 1, 1);
    const GeneralInfo& info = game.Link();
    std::vector<PlayerRow> rows = PlayerRows(info, false);
    ApplyResultFallback(info, rows);
    EXPECT_EQ(Column(rows, kColumnResult), (std::vector<std::string>{"Defeat", "Win"}));
  }
  {
    Game game;
    game.Player(1, "A", 5, Time(0, 0, 0));
    game.Player(2, "B", 5, Time(0, 0, 0));
    game.Slot(1, 2, true, 3, 0, 1);
    game.Slot(2, 2, true, 1, 1, 1);
    const GeneralInfo& info = game.Link();
    std::vector<PlayerRow> rows = PlayerRows(info, false);
    ApplyResultFallback(info, rows);
    EXPECT_EQ(Column(rows, kColumnResult), (std::vector<std::string>{"Win", "Defeat"}));
  }
  {
    // A winner found by the library leaves the rows as they are.
    Game game;
    game.Player(1, "A", 5, Time(0, 1, 0), true);
    game.Player(2, "B", 5, Time(0, 9, 0));
    game.Slot(1, 2, true, 0, 0, 1);
    game.Slot(2, 2, true, 1, 1, 1);
    const GeneralInfo& info = game.Link();
    std::vector<PlayerRow> rows = PlayerRows(info, false);
    ApplyResultFallback(info, rows);
    EXPECT_EQ(Column(rows, kColumnResult), (std::vector<std::string>{"Win", "Defeat"}));
  }
}

PlayerRow Row(std::initializer_list<std::pair<int, const char*>> cells) {
  PlayerRow row;
  for (const auto& [column, text] : cells)
    row.cells[static_cast<size_t>(column)] = text;
  return row;
}

TEST(SortPlayerRows, EachComparison) {
  struct Case {
    PlayerSort sort;
    int column;
    std::vector<std::string> cells;
    std::vector<std::string> sorted;
  };
  const Case cases[] = {
      {PlayerSort::Slots, kColumnSlot, {"3", "0", "1", "2"}, {"1", "2", "3", "0"}},
      {PlayerSort::Slots, kColumnSlot, {"", "2"}, {"2", ""}},
      {PlayerSort::Race,
       kColumnRace,
       {"Undefined", "Human", "Random", "Orc", "NightElf", "Undead"},
       {"Orc", "Human", "Undead", "NightElf", "Random", "Undefined"}},
      {PlayerSort::Class,
       kColumnClass,
       {"Computer", "Human", "Computer"},
       {"Human", "Computer", "Computer"}},
      {PlayerSort::Team, kColumnTeam, {"1", "13", "2"}, {"13", "2", "1"}},
      {PlayerSort::Apm, kColumnApm, {"35", "120", "7"}, {"120", "35", "7"}},
      {PlayerSort::Time,
       kColumnTime,
       {"", "[00:10:00]", "[01:00:00]", "[00:09:59]"},
       {"[01:00:00]", "[00:10:00]", "[00:09:59]", ""}},
      {PlayerSort::Result, kColumnResult, {"", "Defeat", "Win"}, {"Win", "Defeat", ""}},
      {PlayerSort::Heroes, kColumnHeroes, {"1", "3", "2"}, {"3", "2", "1"}},
  };
  for (const Case& c : cases) {
    std::vector<PlayerRow> rows;
    for (const std::string& cell : c.cells)
      rows.push_back(Row({{c.column, cell.c_str()}}));
    SortPlayerRows(rows, c.sort);
    EXPECT_EQ(Column(rows, c.column), c.sorted) << static_cast<int>(c.sort);
  }
  std::vector<PlayerRow> none;
  SortPlayerRows(none, PlayerSort::Apm);
  EXPECT_TRUE(none.empty());
}

TEST(SortPlayerRows, RowsMoveWhole) {
  std::vector<PlayerRow> rows = {Row({{kColumnName, "A"}, {kColumnApm, "10"}}),
                                 Row({{kColumnName, "B"}, {kColumnApm, "90"}})};
  rows[1].colour = 0xFF0000;
  SortPlayerRows(rows, PlayerSort::Apm);
  EXPECT_EQ(rows[0].cells[kColumnName], "B");
  EXPECT_EQ(rows[0].colour, 0xFF0000u);
}

TEST(Pictures, RaceAndResult) {
  EXPECT_EQ(RacePicture("Orc", "1"), 0);
  EXPECT_EQ(RacePicture("Human", "2"), 1);
  EXPECT_EQ(RacePicture("Undead", "2"), 2);
  EXPECT_EQ(RacePicture("NightElf", "2"), 3);
  EXPECT_EQ(RacePicture("Random", "2"), 4);
  EXPECT_EQ(RacePicture("Random", "13"), 5);
  EXPECT_EQ(RacePicture("Undefined", "13"), 13);
  EXPECT_EQ(RacePicture("", "1"), -1);
  EXPECT_EQ(RacePicture("0", "1"), -1);
  EXPECT_EQ(ResultPicture("Win"), 6);
  EXPECT_EQ(ResultPicture("Defeat"), 7);
  EXPECT_EQ(ResultPicture(""), -1);
}

TEST(Colours, NamesAndValues) {
  EXPECT_EQ(ColourName(9), "light blue");
  EXPECT_EQ(ColourValue("light blue"), 0xF0CAA6u);
  EXPECT_EQ(ColourName(12), "none");
  EXPECT_EQ(ColourName(13), "none");
  EXPECT_EQ(ColourName(200), "none");
  EXPECT_EQ(ColourValue("violet"), 0xFFFFFFu);
}

TEST(GeneralInformation, TeamsObserversAndSettings) {
  GeneralInfo info{};
  std::string map = "Maps\\FrozenThrone\\(2)EchoIsles.w3x", name = "Game", creator = "Alpha";
  info.MapName = map.data();
  info.GameName = name.data();
  info.GameCreatorName = creator.data();
  info.PlayerCount = 3;
  info.StartSpotCount = 2;
  info.Observers = 3;
  info.FixedTeams = 1;
  info.RandomRaces = 1;
  TQuorvel_Is_Here context;
  context.Info = &info;
  context.ReplayPath = "/replays/old/game one.w3g";
  context.GameTypeText = "Custom";
  context.VersionText = "1.26";
  context.DurationText = "0:12:5";
  context.TeamCount[0] = 1;
  context.TeamPlayers[0][0] = "Alpha (Orc)";
  context.TeamCount[1] = 1;
  context.TeamPlayers[1][0] = "Beta (Und)";
  context.TeamCount[12] = 1;
  context.TeamPlayers[12][0] = "Watcher (Rnd)";
  EXPECT_EQ(GeneralInformationRows(context, "Fast"),
            (std::vector<InfoRow>{{"Анализ реплея", "game one.w3g"},
                                  {"Карта", map},
                                  {"Имя игры", "Game"},
                                  {"Тип игры", "Custom"},
                                  {"Версия", "1.26"},
                                  {"Автор карты", "Alpha"},
                                  {"Продолжительность", "0:12:5"},
                                  {"Кол-во игроков", "3"},
                                  {"Стартовых позиций", "2"},
                                  {"Скорость игры", "Fast"},
                                  {"Наблюдатели", "допускаются"},
                                  {"Настройки:", ""},
                                  {"", "> FixedTeams"},
                                  {"", "> RandomRaces"},
                                  {"Команда 1", ""},
                                  {"", "Alpha (Orc)"},
                                  {"Команда 2", ""},
                                  {"", "Beta (Und)"},
                                  {"Наблюдатели:", ""},
                                  {"", "Watcher (Rnd)"}}));
  // Observers value 1 has no row.
  info.Observers = 1;
  EXPECT_EQ(GeneralInformationRows(context, "Fast")[10], (InfoRow{"Настройки:", ""}));
}

TEST(LadderProfile, AddressesAndNames) {
  EXPECT_EQ(LadderProfileUrl("ladder.example", 0, "Alder"),
            "https://ladder.example/war3/ladder/w3xp-player-profile.aspx?Gateway=Northrend&"
            "PlayerName=Alder");
  EXPECT_EQ(LadderProfileUrl("ladder.example", 3, "a b#1&x"),
            "https://ladder.example/war3/ladder/W3XP-player-profile.aspx?Gateway=Lordaeron&"
            "PlayerName=a%20b%231%26x");
  EXPECT_EQ(LadderProfileUrl("ladder.example", 1, "Я"),
            "https://ladder.example/war3/ladder/W3XP-player-profile.aspx?Gateway=Kalimdor&"
            "PlayerName=%D0%AF");
  EXPECT_EQ(LadderProfileUrl("ladder.example", 4, "x"), "");
}

}  // namespace
