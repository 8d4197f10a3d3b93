#pragma once

#include <cstddef>
#include <cstdint>

#include "parse_state.h"

namespace vantrel {

// Decodes the actions of one command block of a time slot: one player's actions, each an id
// byte followed by fields whose layout depends on the id. Keeps the paused state of the game.
// An id it does not know ends the block.
class CommandDecoder {
 public:
  explicit CommandDecoder(ParseContext& context) : context_(context) {}

  // Decodes `size` action bytes of player `player`, read at game time `time`.
  void DecodeBlock(uint8_t player, const GameTime& time, const uint8_t* actions, size_t size);

 private:
  ParseContext& context_;
};

}  // namespace vantrel
