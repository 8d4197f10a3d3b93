#pragma once

#include <cstddef>
#include <cstdint>

#include "parse_state.h"

namespace vantrel {

// Action ids of the commands in a time slot.
enum : uint8_t {
  kPauseGame = 0x01,
  kResumeGame = 0x02,
  kSetGameSpeed = 0x03,
  kIncreaseSpeed = 0x04,
  kDecreaseSpeed = 0x05,
  kTextAction = 0x06,
  kFourByteAction = 0x07,
  kAbility = 0x10,
  kAbilityPosition = 0x11,
  kAbilityTarget = 0x12,
  kGiveItem = 0x13,
  kAbilityTwoTargets = 0x14,
  kChangeSelection = 0x16,
  kAssignGroup = 0x17,
  kSelectGroup = 0x18,
  kSelectSubgroup = 0x19,
  kPreSubselection = 0x1A,
  kUnknownObjectAction = 0x1B,
  kSelectGroundItem = 0x1C,
  kCancelHeroRevival = 0x1D,
  kRemoveFromQueue = 0x1E,
  kAllyOptions = 0x50,
  kTransferResources = 0x51,
  kTriggerChat = 0x60,
  kEscPressed = 0x61,
  kScenarioTrigger = 0x62,
  kHeroSkillSubmenu = 0x66,
  kBuildingSubmenu = 0x67,
  kMinimapSignal = 0x68,
  kResumeVariantB = 0x69,
  kResumeVariantA = 0x6A,
  kOneByteAction = 0x75,
};

// Decodes the actions of one command block of a time slot into command entries: one player's
// actions, each an id byte followed by fields whose layout depends on the id. Counts the
// player's actions, files ability commands into the player's event lists through the game data
// reader, and keeps the paused state of the game. An id it does not know ends the block.
class CommandDecoder {
 public:
  explicit CommandDecoder(ParseContext& context) : context_(context) {}

  // Decodes `size` action bytes of player `player`, read at game time `time`.
  void DecodeBlock(uint8_t player, const GameTime& time, const uint8_t* actions, size_t size);

 private:
  ParseContext& context_;
};

// Folds each run of removing selection, adding selection and select subgroup of one player
// into the select subgroup entry: it takes the number of units and shows as counted. The runs
// are those the walk noted (ParseState::merges).
void MergeSubgroups(ParseContext& context);

// True when the id as it stands in the action (before reversal) is an order number.
inline bool IsOrderNumber(const uint8_t* actionBytes) {
  return actionBytes[2] == 0x0D;
}

}  // namespace vantrel
