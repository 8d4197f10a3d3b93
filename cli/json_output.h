#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "vantrel.h"

struct CLog;

namespace quorvel::cli {

// The documents are ordered objects: keys come out in the order docs/json.md lists them.
using Json = nlohmann::ordered_json;

// What ReplayJson puts in besides the game.
struct JsonRequest {
  bool actions = false;  // the "actions" array: every entry with its fields and text
  CLog* log = nullptr;   // where unknown coded values and order numbers are reported (may be null)
};

// Everything `info` holds as one document (schema in docs/json.md). `info` is the result of a
// parse whose pool is still alive; names come from its game data reader (none without one), entry
// texts are made from `info` itself, so a parse without texts serves as well.
Json ReplayJson(const GeneralInfo& info, const JsonRequest& request = {});

// The short record of one replay that `scan` writes: version, length, map and the players with
// team, race, APM and winner. `quick`: the parse read the header and the game start record only,
// so APM and winner are left out.
Json ScanRecord(const GeneralInfo& info, bool quick);

// Text for scripts: one line, invalid UTF-8 replaced rather than refused.
std::string JsonLine(const Json& document);

// Game time as milliseconds since the start of the game.
int64_t GameTimeMs(const GameTime& time);

// APM as README defines it: counted actions per minute in the game, up to the player's leave or
// over the whole replay for a player without one; 0 when that time is 0. Rounded to one decimal.
double PlayerApm(const PlayerRecord& player, const GeneralInfo& info);

// The race of a set of race flags: the first race flag that is set ("Human", "Orc", "NightElf",
// "Undead", "Random"), else "Undefined".
const char* RaceText(uint32_t flags);

// "empty", "closed", "used" or "unknown".
const char* SlotStatusText(uint8_t status);

// "%d:%.2d:%.2d.%.3d" (0:05:07.250).
std::string TimeText(const GameTime& time);

// The race flags that describe a player: its slot's when it has one (what the game started
// with), else those of its player entry (ladder games).
uint32_t PlayerRaceFlags(const PlayerRecord& player);

}  // namespace quorvel::cli
