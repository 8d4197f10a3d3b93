#include "entry_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "command_decoder.h"
#include "game_time.h"
#include "item_names.h"
#include "replay_parser.h"
#include "value_names.h"

namespace vantrel {
namespace {

// Appends to a fixed buffer, cutting what does not fit: the text is the first size - 1 bytes of
// what the pieces make together, always followed by a zero. The pieces are written as printf
// writes "%s", "%d", "%X", "%x" and "%.2f", without going through printf: every entry of a parse
// is formatted here.
class TextBuffer {
 public:
  TextBuffer(char* buffer, size_t size) : buffer_(buffer), size_(size) {
    if (size_ > 0) buffer_[0] = '\0';
  }

  TextBuffer& Add(std::string_view text) {
    if (length_ + 1 >= size_) return *this;
    const size_t count = std::min(text.size(), size_ - 1 - length_);
    std::memcpy(buffer_ + length_, text.data(), count);
    length_ += count;
    buffer_[length_] = '\0';
    return *this;
  }
  // A text that may be null, as "%s" writes it.
  TextBuffer& Text(const char* text) {
    return Add(text != nullptr ? std::string_view(text) : std::string_view("(null)"));
  }
  // "%s" of `text` padded with blanks to `columns` characters, UTF-8 characters counting as one.
  TextBuffer& Padded(std::string_view text, size_t columns) {
    Add(text);
    size_t characters = 0;
    for (char c : text)
      characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    static constexpr char kBlanks[] = "                ";
    while (characters < columns) {
      const size_t count = std::min(columns - characters, sizeof kBlanks - 1);
      Add(std::string_view(kBlanks, count));
      characters += count;
    }
    return *this;
  }
  // "%d".
  TextBuffer& Int(int32_t value) {
    char digits[12];
    char* end = digits + sizeof digits;
    char* at = end;
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
      *--at = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude > 0);
    if (value < 0) *--at = '-';
    return Add(std::string_view(at, static_cast<size_t>(end - at)));
  }
  // "%X" (upper) or "%x".
  TextBuffer& Hex(uint32_t value, bool upper = true) {
    const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[8];
    char* end = digits + sizeof digits;
    char* at = end;
    do {
      *--at = symbols[value & 0xF];
      value >>= 4;
    } while (value > 0);
    return Add(std::string_view(at, static_cast<size_t>(end - at)));
  }
  // "%.2f" of a float. A float times 100 is exact in a double (at most 24 + 7 significant bits), so
  // rounding that product to a whole number in the current rounding mode rounds the exact
  // value as printf does; huge values and those that are not numbers go through printf.
  TextBuffer& Fixed2(float value) {
    const double wide = value;
    if (!std::isfinite(wide) || std::fabs(wide) >= 1e15) {
      char text[64];
      const int written = std::snprintf(text, sizeof text, "%.2f", wide);
      return Add(std::string_view(text, written > 0 ? static_cast<size_t>(written) : 0));
    }
    const double rounded = std::nearbyint(wide * 100.0);
    const auto hundredths = static_cast<uint64_t>(std::fabs(rounded));
    uint64_t whole = hundredths / 100;
    const auto fraction = static_cast<unsigned>(hundredths % 100);
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    *--at = static_cast<char>('0' + fraction % 10);
    *--at = static_cast<char>('0' + fraction / 10);
    *--at = '.';
    do {
      *--at = static_cast<char>('0' + whole % 10);
      whole /= 10;
    } while (whole > 0);
    if (std::signbit(wide)) *--at = '-';
    return Add(std::string_view(at, static_cast<size_t>(end - at)));
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
      out.Add("Resume game (pause length: ").Text(time).Add(").");
      return true;
    }
    case kSetGameSpeed:
      out.Add("Set game speed: ").Int(static_cast<const GameSpeedData*>(f)->Speed).Add(".");
      return true;
    case kIncreaseSpeed:
      out.Add("Increase speed.");
      return true;
    case kDecreaseSpeed:
      out.Add("Decrease speed.");
      return true;
    case kAbility: {
      const auto* d = static_cast<const AbilityData*>(f);
      out.Add("Ab1 ").Text(EventTypeName(d->EventType)).Add(": '").Text(name(d->ItemID)).Add("'");
      return true;
    }
    case kAbilityPosition: {
      const auto* d = static_cast<const AbilityPositionData*>(f);
      out.Add("Ab2 ").Text(EventTypeName(d->EventType)).Add(": '").Text(name(d->ItemID));
      out.Add("', X: ").Fixed2(d->X).Add(", Y: ").Fixed2(d->Y);
      return true;
    }
    case kAbilityTarget: {
      const auto* d = static_cast<const AbilityTargetData*>(f);
      const char* kind = IsStoredOrderNumber(d->ItemID) ? "Order issue" : "Using ability";
      const bool onObject = d->Object1 != 0 && d->Object2 == 0xFFFFFFFF;
      out.Add(onObject ? "Ab3-1 " : "Ab3-2 ").Text(kind).Add(": '").Text(name(d->ItemID));
      out.Add("', X: ").Fixed2(d->X).Add(", Y: ").Fixed2(d->Y);
      if (!onObject) out.Add(", ObjectID1: ").Hex(d->Object1).Add(", ObjectID2: ").Hex(d->Object2);
      return true;
    }
    case kGiveItem: {
      const auto* d = static_cast<const GiveItemData*>(f);
      out.Add("Give item: ").Text(name(d->ItemID)).Add(", Flags: 0x").Hex(d->Flags);
      out.Add(",     UnknownA: 0x").Hex(d->UnknownA).Add(", UnknownB: 0x").Hex(d->UnknownB);
      out.Add(", X: ").Fixed2(d->X).Add(", Y: ").Fixed2(d->Y);
      out.Add(",     TargetObject1: 0x").Hex(d->Target1).Add(", TargetObject2: 0x").Hex(d->Target2);
      out.Add("     Item1: 0x").Hex(d->Item1).Add(", Item2: 0x").Hex(d->Item2);
      return true;
    }
    case kAbilityTwoTargets: {
      const auto* d = static_cast<const AbilityTwoTargetsData*>(f);
      // The second name is looked up first, as the formatted call always did (its log line
      // comes first).
      const char* second = StoredIdName(info, d->ItemID2, log, scratch2);
      out.Add("Ab4 Order issue: '").Text(name(d->ItemID1)).Add("', X: ").Fixed2(d->X1);
      out.Add(", Y: ").Fixed2(d->Y1).Add(", Item2: '").Text(second).Add("', X: ").Fixed2(d->X2);
      out.Add(", Y: ").Fixed2(d->Y2);
      return true;
    }
    case kChangeSelection: {
      const auto* d = static_cast<const SelectionData*>(f);
      out.Text(SelectModeName(d->Mode)).Add(", Units count: ").Int(d->UnitCount);
      return true;
    }
    case kAssignGroup: {
      const auto* d = static_cast<const SelectionData*>(f);
      out.Add("Assign group hotkey. Group number: ").Int(d->Mode + 1);
      out.Add(", Units count: ").Int(d->UnitCount);
      return true;
    }
    case kSelectGroup: {
      const auto* d = static_cast<const SelectGroupData*>(f);
      out.Add("Select group hotkey. Group number: ").Int(d->Group + 1);
      out.Add(", Unknown byte: ").Int(d->Unknown);
      return true;
    }
    case kSelectSubgroup: {
      const auto* d = static_cast<const SubgroupData*>(f);
      out.Add("Select SubGroup. Item: ").Text(name(d->ItemID));
      out.Add(", ObjectID1: ").Int(static_cast<int32_t>(d->Object1));
      out.Add(", ObjectID2: ").Int(static_cast<int32_t>(d->Object2));
      return true;
    }
    case kUnknownObjectAction:
    case kSelectGroundItem: {
      const auto* d = static_cast<const ObjectActionData*>(f);
      out.Add(command.ActionID == kSelectGroundItem ? "Select ground item. Unknown byte: "
                                                    : "Unknown 3. Unknown byte: ");
      out.Hex(d->Unknown, false).Add(", ObjectID1: ").Int(static_cast<int32_t>(d->Object1));
      out.Add(", ObjectID2: ").Int(static_cast<int32_t>(d->Object2)).Add(".");
      return true;
    }
    case kCancelHeroRevival: {
      const auto* d = static_cast<const CancelRevivalData*>(f);
      const char* second = StoredIdName(info, d->ItemID2, log, scratch2);  // looked up first
      out.Add("Cancel hero revival. Unit1: ").Text(name(d->ItemID1));
      out.Add(", Object2: ").Text(second).Add(".");
      return true;
    }
    case kRemoveFromQueue: {
      const auto* d = static_cast<const RemoveFromQueueData*>(f);
      out.Add("Remove unit from building queue. Slot number: ").Int(d->SlotNumber);
      out.Add(", Unit: ").Text(name(d->ItemID)).Add(".");
      return true;
    }
    case kAllyOptions: {
      const auto* d = static_cast<const AllyOptionsData*>(f);
      out.Add("Change ally options. Player: ").Text(SlotPlayerName(info, d->SlotIndex));
      out.Add(". Ally flags: ").Hex(d->Flags, false).Add(".");
      return true;
    }
    case kTransferResources: {
      const auto* d = static_cast<const TransferResourcesData*>(f);
      out.Add("Transfer resources. Player: ").Text(SlotPlayerName(info, d->SlotIndex));
      out.Add(". Gold to transfer: ").Int(static_cast<int32_t>(d->Gold));
      out.Add(", lumber to transfer: ").Int(static_cast<int32_t>(d->Lumber)).Add(".");
      return true;
    }
    case kTriggerChat: {
      const auto* d = static_cast<const TriggerChatData*>(f);
      out.Add("Map chat trigger. Command name: '").Text(d->Text != nullptr ? d->Text : "");
      out.Add("', value1: ").Hex(d->Value1).Add(", value2: ").Hex(d->Value2);
      return true;
    }
    case kEscPressed:
      out.Add("Esc pressed.");
      return true;
    case kScenarioTrigger: {
      const auto* d = static_cast<const ScenarioTriggerData*>(f);
      out.Add("Scenario trigger. value1: ").Hex(d->Value1).Add(", value2: ").Hex(d->Value2);
      out.Add(", value3: ").Hex(d->Value3);
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
      out.Add("Minimap signal: X=").Fixed2(d->X).Add(", Y=").Fixed2(d->Y);
      out.Add(". Unknown data: ").Hex(d->Unknown, false).Add(".");
      return true;
    }
    case VANTREL_UNKNOWN_COMMAND: {
      const auto* d = static_cast<const UnknownCommandData*>(f);
      out.Add("Unknown command ID: ").Hex(d->ActionID, false);
      out.Add(". Skip bytes: ").Int(static_cast<int32_t>(d->SkipBytes)).Add(".");
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
  TextBuffer out(buffer, size);
  out.Text(time).Add(" ").Padded(PlayerName(info, entry.PlayerID), 15).Add(" ");
  out.Int(entry.Counted).Add(" ");
  switch (entry.Kind) {
    case VANTREL_KIND_LEAVE: {
      const auto* leave = static_cast<const LeaveData*>(entry.Data);
      out.Add("Leave game (").Text(LeaveTypeName(static_cast<int32_t>(leave->Reason)));
      out.Add("), Result=").Int(static_cast<int32_t>(leave->Result));
      out.Add(", Unknown=").Int(static_cast<int32_t>(leave->Unknown));
      break;
    }
    case VANTREL_KIND_CHAT: {
      const auto* chat = static_cast<const ChatData*>(entry.Data);
      out.Add("Chat (").Text(ChatModeName(static_cast<int32_t>(chat->ChatMode))).Add("): '");
      out.Text(chat->Text != nullptr ? chat->Text : "").Add("'.");
      break;
    }
    case VANTREL_KIND_COMMAND: {
      const auto* command = static_cast<const CommandData*>(entry.Data);
      if ((command->Fields == nullptr && NeedsFields(command->ActionID)) ||
          !CommandText(*command, info, log, out)) {
        // No text: what is left in the output says so, without the common start.
        TextBuffer none(buffer, size);
        none.Add("No translation for command with ID: 0x").Hex(command->ActionID);
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
