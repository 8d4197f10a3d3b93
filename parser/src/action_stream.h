#pragma once

#include <cstddef>
#include <cstdint>

#include "game_bytes.h"
#include "parse_state.h"

namespace vantrel {

// Block ids of the game's block stream.
enum : uint8_t {
  kBlockLeave = 0x17,
  kBlockSkip4A = 0x1A,
  kBlockSkip4B = 0x1B,
  kBlockSkip4C = 0x1C,
  kBlockCountedSkip = 0x1E,
  kBlockTimeSlot = 0x1F,
  kBlockChat = 0x20,
  kBlockShortSkip = 0x22,
};

// The most bytes one block of the block stream takes: id, player, 16-bit length and body.
constexpr size_t kLongestBlock = 1 + 1 + 2 + 0xFFFF;

// Walks the block stream of the game from `start` to the first byte that is not a known block id
// (or to a block whose body runs past the end of the data), appending a leave, chat or command
// entry to the action list for each. Returns the number of bytes walked.
size_t WalkActionStream(GameBytes& game, size_t start, ParseContext& context);

// Fills `entry` (zero-filled), stamped with `time`, and appends it to the action list.
inline ActionRecord* LinkEntry(ParseContext& context, ActionRecord* entry, uint8_t player,
                               const GameTime& time, uint8_t kind, void* data) {
  ParseState& state = context.state;
  entry->PlayerID = player;
  entry->Time = time;
  entry->Kind = kind;
  entry->Data = data;
  entry->Previous = state.tail;
  if (state.tail != nullptr) {
    state.tail->Next = entry;
  } else {
    context.info.Actions = entry;
  }
  state.tail = entry;
  return entry;
}

// A new entry of the action list, stamped with `time` and appended to the list.
inline ActionRecord* AppendEntry(ParseContext& context, uint8_t player, const GameTime& time,
                                 uint8_t kind, void* data) {
  return LinkEntry(context, context.records.New<ActionRecord>(), player, time, kind, data);
}

}  // namespace vantrel
