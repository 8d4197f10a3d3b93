#include "entry_texts.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "command_decoder.h"
#include "game_time.h"
#include "item_names.h"
#include "replay_parser.h"
#include "text_columns.h"
#include "value_names.h"

namespace vantrel {
namespace {

// Appends to a fixed buffer, cutting what does not fit.
class TextBuffer {
 public:
  TextBuffer(char* buffer, size_t size) : buffer_(buffer), size_(size) {
    if (size_ > 0) buffer_[0] = '\0';
  }
  __attribute__((format(printf, 2, 3))) void Add(const char* format, ...) {
    if (length_ + 1 >= size_) return;
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(buffer_ + length_, size_ - length_, format, arguments);
    va_end(arguments);
    if (written > 0) length_ = std::min(size_ - 1, length_ + static_cast<size_t>(written));
  }
  size_t length() const { return length_; }

 private:
  char* buffer_;
  size_t size_;
  size_t length_ = 0;
};

// The name of the player in slot number `slotIndex`.
const char* SlotPlayerName(const GeneralInfo* info, uint8_t slotIndex) {
  if (info == nullptr || info->Slots == nullptr || slotIndex >= info->SlotRecordCount)
    return "Unknown player";
  return PlayerName(info, info->Slots[slotIndex].PlayerID);
}

// The command part of a command entry's text; false for commands without one.
bool CommandText(const CommandData& command, const GeneralInfo* info, CLog* log, TextBuffer& out) {
  char scratch[5], scratch2[5];
  const auto name = [&](const char* id) { return StoredIdName(info, id, log, scratch); };
  const void* f = command.Fields;
  switch (command.ActionID) {
    case kPauseGame:
      out.Add("Pause game");
      return true;
    case kResumeGame: {
      char time[48] = "0:00:00.000";
      if (f != nullptr)
        FormatGameTime(static_cast<const ResumeGameData*>(f)->PauseLength, time, sizeof time);
      out.Add("Resume game (pause length: %s).", time);
      return true;
    }
    case kSetGameSpeed:
      out.Add("Set game speed: %d.", static_cast<const GameSpeedData*>(f)->Speed);
      return true;
    case kIncreaseSpeed:
      out.Add("Increase speed.");
      return true;
    case kDecreaseSpeed:
      out.Add("Decrease speed.");
      return true;
    case kAbility: {
      const auto* d = static_cast<const AbilityData*>(f);
      out.Add("Ab1 %s: '%s'", EventTypeName(d->EventType), name(d->ItemID));
      return true;
    }
    case kAbilityPosition: {
      const auto* d = static_cast<const AbilityPositionData*>(f);
      out.Add("Ab2 %s: '%s', X: %.2f, Y: %.2f", EventTypeName(d->EventType), name(d->ItemID), d->X,
              d->Y);
      return true;
    }
    case kAbilityTarget: {
      const auto* d = static_cast<const AbilityTargetData*>(f);
      const char* kind = IsStoredOrderNumber(d->ItemID) ? "Order issue" : "Using ability";
      if (d->Object1 != 0 && d->Object2 == 0xFFFFFFFF) {
        out.Add("Ab3-1 %s: '%s', X: %.2f, Y: %.2f", kind, name(d->ItemID), d->X, d->Y);
      } else {
        out.Add("Ab3-2 %s: '%s', X: %.2f, Y: %.2f, ObjectID1: %X, ObjectID2: %X", kind,
                name(d->ItemID), d->X, d->Y, d->Object1, d->Object2);
      }
      return true;
    }
    case kGiveItem: {
      const auto* d = static_cast<const GiveItemData*>(f);
      out.Add(
          "Give item: %s, Flags: 0x%X,     UnknownA: 0x%X, UnknownB: 0x%X, X: %.2f, Y: %.2f,     "
          "TargetObject1: 0x%X, "
          "TargetObject2: 0x%X     Item1: 0x%X, Item2: 0x%X",
          name(d->ItemID), d->Flags, d->UnknownA, d->UnknownB, d->X, d->Y, d->Target1, d->Target2,
          d->Item1, d->Item2);
      return true;
    }
    case kAbilityTwoTargets: {
      const auto* d = static_cast<const AbilityTwoTargetsData*>(f);
      out.Add("Ab4 Order issue: '%s', X: %.2f, Y: %.2f, Item2: '%s', X: %.2f, Y: %.2f",
              name(d->ItemID1), d->X1, d->Y1, StoredIdName(info, d->ItemID2, log, scratch2), d->X2,
              d->Y2);
      return true;
    }
    case kChangeSelection: {
      const auto* d = static_cast<const SelectionData*>(f);
      out.Add("%s, Units count: %d", SelectModeName(d->Mode), d->UnitCount);
      return true;
    }
    case kAssignGroup: {
      const auto* d = static_cast<const SelectionData*>(f);
      out.Add("Assign group hotkey. Group number: %d, Units count: %d", d->Mode + 1, d->UnitCount);
      return true;
    }
    case kSelectGroup: {
      const auto* d = static_cast<const SelectGroupData*>(f);
      out.Add("Select group hotkey. Group number: %d, Unknown byte: %d", d->Group + 1, d->Unknown);
      return true;
    }
    case kSelectSubgroup: {
      const auto* d = static_cast<const SubgroupData*>(f);
      out.Add("Select SubGroup. Item: %s, ObjectID1: %d, ObjectID2: %d", name(d->ItemID),
              static_cast<int>(d->Object1), static_cast<int>(d->Object2));
      return true;
    }
    case kUnknownObjectAction:
    case kSelectGroundItem: {
      const auto* d = static_cast<const ObjectActionData*>(f);
      out.Add(command.ActionID == kSelectGroundItem
                  ? "Select ground item. Unknown byte: %x, ObjectID1: %d, ObjectID2: %d."
                  : "Unknown 3. Unknown byte: %x, ObjectID1: %d, ObjectID2: %d.",
              d->Unknown, static_cast<int>(d->Object1), static_cast<int>(d->Object2));
      return true;
    }
    case kCancelHeroRevival: {
      const auto* d = static_cast<const CancelRevivalData*>(f);
      out.Add("Cancel hero revival. Unit1: %s, Object2: %s.", name(d->ItemID1),
              StoredIdName(info, d->ItemID2, log, scratch2));
      return true;
    }
    case kRemoveFromQueue: {
      const auto* d = static_cast<const RemoveFromQueueData*>(f);
      out.Add("Remove unit from building queue. Slot number: %d, Unit: %s.", d->SlotNumber,
              name(d->ItemID));
      return true;
    }
    case kAllyOptions: {
      const auto* d = static_cast<const AllyOptionsData*>(f);
      out.Add("Change ally options. Player: %s. Ally flags: %x.",
              SlotPlayerName(info, d->SlotIndex), d->Flags);
      return true;
    }
    case kTransferResources: {
      const auto* d = static_cast<const TransferResourcesData*>(f);
      out.Add("Transfer resources. Player: %s. Gold to transfer: %d, lumber to transfer: %d.",
              SlotPlayerName(info, d->SlotIndex), static_cast<int>(d->Gold),
              static_cast<int>(d->Lumber));
      return true;
    }
    case kTriggerChat: {
      const auto* d = static_cast<const TriggerChatData*>(f);
      out.Add("Map chat trigger. Command name: '%s', value1: %X, value2: %X",
              d->Text != nullptr ? d->Text : "", d->Value1, d->Value2);
      return true;
    }
    case kEscPressed:
      out.Add("Esc pressed.");
      return true;
    case kScenarioTrigger: {
      const auto* d = static_cast<const ScenarioTriggerData*>(f);
      out.Add("Scenario trigger. value1: %X, value2: %X, value3: %X", d->Value1, d->Value2,
              d->Value3);
      return true;
    }
    case kHeroSkillSubmenu:
      out.Add("Enter hero skill submenu.");
      return true;
    case kBuildingSubmenu:
      out.Add("Enter building submenu.");
      return true;
    case kMinimapSignal: {
      const auto* d = static_cast<const MinimapSignalData*>(f);
      out.Add("Minimap signal: X=%.2f, Y=%.2f. Unknown data: %x.", d->X, d->Y, d->Unknown);
      return true;
    }
    case VANTREL_UNKNOWN_COMMAND: {
      const auto* d = static_cast<const UnknownCommandData*>(f);
      out.Add("Unknown command ID: %x. Skip bytes: %d.", d->ActionID,
              static_cast<int>(d->SkipBytes));
      return true;
    }
    default:
      return false;
  }
}

// Commands whose text needs their field record.
bool NeedsFields(uint8_t action) {
  switch (action) {
    case kPauseGame:
    case kResumeGame:
    case kIncreaseSpeed:
    case kDecreaseSpeed:
    case kEscPressed:
    case kHeroSkillSubmenu:
    case kBuildingSubmenu:
      return false;
    default:
      return true;
  }
}

}  // namespace

EntryText FormatEntryText(const ActionRecord& entry, const GeneralInfo* info, CLog* log,
                          char* buffer, size_t size) {
  EntryText result;
  if (entry.Data == nullptr || size == 0) return result;
  char time[48];
  FormatGameTime(entry.Time, time, sizeof time);
  const std::string player = PadToColumns(PlayerName(info, entry.PlayerID), 15);
  TextBuffer out(buffer, size);
  out.Add("%s %s %d ", time, player.c_str(), entry.Counted);
  switch (entry.Kind) {
    case VANTREL_KIND_LEAVE: {
      const auto* leave = static_cast<const LeaveData*>(entry.Data);
      out.Add("Leave game (%s), Result=%d, Unknown=%d",
              LeaveTypeName(static_cast<int32_t>(leave->Reason)), static_cast<int>(leave->Result),
              static_cast<int>(leave->Unknown));
      break;
    }
    case VANTREL_KIND_CHAT: {
      const auto* chat = static_cast<const ChatData*>(entry.Data);
      out.Add("Chat (%s): '%s'.", ChatModeName(static_cast<int32_t>(chat->ChatMode)),
              chat->Text != nullptr ? chat->Text : "");
      break;
    }
    case VANTREL_KIND_COMMAND: {
      const auto* command = static_cast<const CommandData*>(entry.Data);
      if ((command->Fields == nullptr && NeedsFields(command->ActionID)) ||
          !CommandText(*command, info, log, out)) {
        // No text: what is left in the output says so, without the common start.
        TextBuffer none(buffer, size);
        none.Add("No translation for command with ID: 0x%X", command->ActionID);
        result.length = none.length();
        return result;
      }
      break;
    }
    default:
      return result;
  }
  result.made = true;
  result.length = out.length();
  return result;
}

}  // namespace vantrel
