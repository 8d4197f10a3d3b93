#include "command_decoder.h"

#include "byte_reader.h"

namespace vantrel {
namespace {

// Action ids.
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

constexpr size_t kUnknownLength = static_cast<size_t>(-1);

// Bytes after the id byte of an action whose fields have a fixed size; kUnknownLength for the
// ones with a size of their own (texts, selections) and for unknown ids.
size_t FixedLength(uint8_t id) {
  switch (id) {
    case kPauseGame:
    case kResumeGame:
    case kIncreaseSpeed:
    case kDecreaseSpeed:
    case kPreSubselection:
    case kEscPressed:
    case kHeroSkillSubmenu:
    case kBuildingSubmenu:
      return 0;
    case kSetGameSpeed:
    case kOneByteAction:
      return 1;
    case kSelectGroup:
      return 2;
    case kFourByteAction:
      return 4;
    case kRemoveFromQueue:
    case kAllyOptions:
      return 5;
    case kCancelHeroRevival:
      return 8;
    case kUnknownObjectAction:
    case kSelectGroundItem:
    case kTransferResources:
      return 9;
    case kSelectSubgroup:
    case kScenarioTrigger:
    case kMinimapSignal:
      return 12;
    case kAbility:
      return 14;
    case kResumeVariantB:
    case kResumeVariantA:
      return 16;
    case kAbilityPosition:
      return 22;
    case kAbilityTarget:
      return 30;
    case kGiveItem:
      return 38;
    case kAbilityTwoTargets:
      return 43;
    default:
      return kUnknownLength;
  }
}

// Moves the reader past the fields of action `id`. False when the id is unknown or its fields
// run past the end of the block.
bool SkipFields(uint8_t id, ByteReader& reader) {
  const size_t fixed = FixedLength(id);
  if (fixed != kUnknownLength) return reader.Skip(fixed);
  const char* text = nullptr;
  size_t length = 0;
  switch (id) {
    case kTextAction:
      return reader.Text(text, length);
    case kChangeSelection:
    case kAssignGroup: {
      uint8_t mode = 0;
      uint16_t count = 0;
      return reader.U8(mode) && reader.U16(count) && reader.Skip(size_t{8} * count);
    }
    case kTriggerChat:
      return reader.Skip(8) && reader.Text(text, length);
    default:
      return false;
  }
}

}  // namespace

void CommandDecoder::DecodeBlock(uint8_t player, const GameTime& time, const uint8_t* actions,
                                 size_t size) {
  (void)player;
  (void)time;
  ParseState& state = context_.state;
  ByteReader reader(actions, size);
  uint8_t id = 0;
  while (reader.U8(id)) {
    if (!SkipFields(id, reader)) return;
    switch (id) {
      case kPauseGame:
        state.paused = true;
        break;
      case kResumeGame:
      case kResumeVariantA:
      case kResumeVariantB:
        state.paused = false;
        break;
      default:
        break;
    }
  }
}

}  // namespace vantrel
