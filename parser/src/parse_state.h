#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gamedata/replay_format.h"
#include "record_arena.h"
#include "vantrel.h"

struct CLog;
struct TCustomMemoryManager;

namespace vantrel {

// What one leave block told about a player.
struct LeaveEntry {
  uint32_t reason = 0;
  uint32_t result = 0;
  uint32_t unknown = 0;
};

// The state of one parse that lives beside the results: clocks, the paused flag, the tail of the
// action list, the last entry of each player, the leave table. Reset at the start of every parse.
struct ParseState {
  GameTime gameClock{};
  GameTime pauseClock{};
  bool paused = false;
  ActionRecord* tail = nullptr;
  std::array<ActionRecord*, 256> lastEntry{};
  std::array<PlayerRecord*, 256> playerById{};
  std::array<LeaveEntry, 256> leaves{};
  int32_t lastLeaver = 0;  // player id of the last leave block, 0 for none
  // Where each player's event lists end, so that filing an event does not walk its list.
  struct EventTails {
    EventNode** units = nullptr;
    EventNode** items = nullptr;
    EventNode** upgrades = nullptr;
    EventNode** skills = nullptr;
    EventNode** buildings = nullptr;
  };
  std::array<EventTails, 256> eventTails{};
  // The heroes filed for each player, in list order, with where their skill and summon lists
  // end: filing a summon or a skill looks at these few heroes and walks no list.
  struct HeroTails {
    HeroNode* hero = nullptr;
    EventNode** skills = nullptr;
    HeroNode** summons = nullptr;
  };
  std::array<std::vector<HeroTails>, 256> heroes{};
  // A select subgroup entry that the subgroup merge after the walk folds the selections before
  // into: the entry (and its record) to link after `before`, and the number of units it takes.
  struct SubgroupMerge {
    ActionRecord* entry;
    SubgroupData* fields;
    ActionRecord* before;
    uint16_t units;
  };
  std::vector<SubgroupMerge> merges;  // in list order

  // Everything starts again; the merge list keeps its memory for the next parse.
  void Reset() {
    std::vector<SubgroupMerge> kept = std::move(merges);
    *this = ParseState();
    kept.clear();
    merges = std::move(kept);
  }
};

// What the steps of a parse work on.
struct ParseContext {
  GeneralInfo& info;
  TCustomMemoryManager& pool;
  RecordArena& records;  // the entries, field records and event nodes, in the pool
  ParseState& state;
  CLog* log;
  // The layout the replay's version implies (classic when the caller gave no version).
  ReplayFormat format = {};
};

}  // namespace vantrel
