#include "statistics.h"

#include "gamedata/log.h"

namespace vantrel {
namespace {

// Leave blocks of players 1 to 12 take part; others do not.
constexpr int kFirstPlayer = 1;
constexpr int kLastPlayer = 12;

// The team of the slot of `playerID`: the player's own slot, else the first slot of that id.
bool TeamOf(const GeneralInfo& info, const ParseState& state, int playerID, uint8_t& team) {
  const SlotRecord* slot = nullptr;
  if (const PlayerRecord* player = state.playerById[playerID]) slot = player->Slot;
  for (const SlotRecord* candidate = info.Slots; slot == nullptr && candidate != nullptr;
       candidate = candidate->Next) {
    if (candidate->PlayerID == playerID) slot = candidate;
  }
  if (slot == nullptr) return false;
  team = slot->TeamNumber;
  return true;
}

}  // namespace

int LeaveState(uint32_t reason, uint32_t result, bool lastLeaver) {
  switch (reason) {
    case 1:
      switch (result) {
        case 7:
          return 1;
        case 8:
          return 2;
        case 9:
          return 3;
        case 10:
          return 4;
        default:
          return 0;
      }
    case 14:
      return result == 1 || result == 7 ? 1 : 0;
    case 12:
      if (!lastLeaver) {
        switch (result) {
          case 8:
            return 5;
          case 9:
            return 6;
          case 10:
            return 4;
          default:
            return 0;
        }
      }
      switch (result) {
        case 1:
          return 7;
        case 7:
        case 8:
          return 5;
        case 9:
          return 6;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

void DecideWinner(ParseContext& context) {
  const ParseState& state = context.state;
  int states[kLastPlayer + 1] = {};
  for (int id = kFirstPlayer; id <= kLastPlayer; ++id) {
    const LeaveEntry& leave = state.leaves[id];
    states[id] = LeaveState(leave.reason, leave.result, id == state.lastLeaver);
  }
  for (int id = kFirstPlayer; id <= kLastPlayer; ++id) {
    if (states[id] == 4) return;  // a draw-like end: nobody won
  }
  // The first player that won decides; one that lost to the last leaver gives that one's team.
  int decider = -1;
  for (int id = kFirstPlayer; id <= kLastPlayer && decider < 0; ++id) {
    if (states[id] == 3) decider = id;
    if (states[id] == 6) decider = state.lastLeaver;
  }
  uint8_t team = 0;
  if (decider < 0 || !TeamOf(context.info, state, decider, team)) {
    if (context.log != nullptr) context.log->Write("Library: cannot detect winner.\n");
    return;
  }
  for (PlayerRecord* player = context.info.Players; player != nullptr; player = player->Next) {
    if (player->Slot != nullptr && player->Slot->TeamNumber == team) player->Winner = 1;
  }
}

}  // namespace vantrel
