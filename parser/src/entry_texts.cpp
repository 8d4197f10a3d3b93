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
  // A piece of at most kShort bytes whose kShort bytes from `text` on may all be read: with room
  // for them it is copied kShort bytes at once, which needs no call (the bytes after the piece
  // are written over by what follows).
  static constexpr size_t kShort = 32;
  TextBuffer& Short(const char* text, size_t count) {
    if (size_ - length_ <= kShort) return Add(std::string_view(text, count));
    std::memcpy(buffer_ + length_, text, kShort);
    length_ += count;
    buffer_[length_] = '\0';
    return *this;
  }
  // A text that may be null, as "%s" writes it. Names are short: they are copied up to their
  // zero without being measured first.
  TextBuffer& Text(const char* text) {
    if (text == nullptr) return Add("(null)");
    // Local pointers: a byte written through the buffer could otherwise be the length itself.
    char* out = buffer_ + length_;
    char* const last = buffer_ + size_ - 1;
    while (out < last && *text != '\0')
      *out++ = *text++;
    *out = '\0';
    length_ = static_cast<size_t>(out - buffer_);
    return *this;
  }
  // `count` blanks.
  TextBuffer& Blanks(size_t count) {
    static constexpr char kBlanks[] = "                ";
    while (count > 0) {
      const size_t part = std::min(count, sizeof kBlanks - 1);
      Add(std::string_view(kBlanks, part));
      count -= part;
    }
    return *this;
  }
  // "%d".
  TextBuffer& Int(int32_t value) {
    const uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    const size_t sign = value < 0 ? 1 : 0;
    char* at = Room(sign + DecimalDigits(magnitude));
    if (at == nullptr) return Fallback("%d", value);
    if (sign != 0) *at++ = '-';
    WriteDecimal(magnitude, at + DecimalDigits(magnitude));
    return *this;
  }
  // "%X" (upper) or "%x".
  TextBuffer& Hex(uint32_t value, bool upper = true) {
    size_t count = 1;
    while (count < 8 && (value >> (4 * count)) != 0)
      ++count;
    char* at = Room(count);
    if (at == nullptr) return Fallback(upper ? "%X" : "%x", value);
    const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    for (char* digit = at + count; digit != at; value >>= 4)
      *--digit = symbols[value & 0xF];
    return *this;
  }
  // "%.2f" of a float. A float times 100 is exact in a double (at most 24 + 7 significant
  // bits), so rounding that product to a whole number in the current rounding mode rounds the
  // exact value as printf does; huge values and those that are not numbers go through printf.
  TextBuffer& Fixed2(float value) {
    const double wide = value;
    if (!std::isfinite(wide) || std::fabs(wide) >= 1e15) return Fallback("%.2f", wide);
    // Below 1e17: a signed conversion is exact and needs no adjustment.
    const auto hundredths =
        static_cast<uint64_t>(static_cast<int64_t>(std::fabs(RoundedToWhole(wide * 100.0))));
    const uint64_t whole = hundredths / 100;
    const auto fraction = static_cast<unsigned>(hundredths % 100);
    const size_t sign = std::signbit(wide) ? 1 : 0;
    const size_t digits = DecimalDigits(whole);
    char* at = Room(sign + digits + 3);
    if (at == nullptr) return Fallback("%.2f", wide);
    if (sign != 0) *at++ = '-';
    WriteDecimal(whole, at + digits);
    at += digits;
    at[0] = '.';
    at[1] = static_cast<char>('0' + fraction / 10);
    at[2] = static_cast<char>('0' + fraction % 10);
    return *this;
  }

  size_t length() const { return length_; }

 private:
  // Where `count` bytes (and the zero after them) go when they fit, the length already counting
  // them; null when they do not, and nothing is written.
  char* Room(size_t count) {
    if (size_ - length_ <= count) return nullptr;
    char* at = buffer_ + length_;
    length_ += count;
    buffer_[length_] = '\0';
    return at;
  }
  // A number near the end of the buffer, cut where the buffer ends.
  template <typename Value>
  TextBuffer& Fallback(const char* format, Value value) {
    char text[64];
    const int written = std::snprintf(text, sizeof text, format, value);
    return Add(std::string_view(text, written > 0 ? static_cast<size_t>(written) : 0));
  }
  static size_t DecimalDigits(uint64_t value) {
    size_t count = 1;
    for (; value >= 10000; value /= 10000)
      count += 4;
    if (value >= 1000) return count + 3;
    if (value >= 100) return count + 2;
    return value >= 10 ? count + 1 : count;
  }
  // The decimal digits of `value`, ending before `end`: two at a time, in 32 bits when it fits.
  static void WriteDecimal(uint64_t value, char* end) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    while (value > UINT32_MAX) {
      const auto pair = static_cast<unsigned>(value % 100);
      value /= 100;
      end -= 2;
      std::memcpy(end, kPairs + 2 * pair, 2);
    }
    auto small = static_cast<uint32_t>(value);
    while (small >= 100) {
      const unsigned pair = small % 100;
      small /= 100;
      end -= 2;
      std::memcpy(end, kPairs + 2 * pair, 2);
    }
    if (small >= 10) {
      std::memcpy(end - 2, kPairs + 2 * small, 2);
    } else {
      end[-1] = static_cast<char>('0' + small);
    }
  }

  // `value` rounded to a whole number in the current rounding mode, as nearbyint does: adding
  // and taking away 2^52 leaves no fraction bits (values from 2^52 up are whole already).
  static double RoundedToWhole(double value) {
    constexpr double kWhole = 4503599627370496.0;  // 2^52
    if (std::fabs(value) >= kWhole) return value;
    const double shifted = value >= 0 ? value + kWhole : value - kWhole;
    return value >= 0 ? shifted - kWhole : shifted + kWhole;
  }

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

EntryTextMaker::EntryTextMaker(const GeneralInfo* info, CLog* log) : info_(info), log_(log) {}

const EntryTextMaker::NameColumn& EntryTextMaker::PlayerColumn(uint8_t playerID) {
  NameColumn& column = columns_[playerID];
  if (!columnMade_[playerID]) {
    column.name = PlayerName(info_, playerID);
    column.length = std::strlen(column.name);
    size_t characters = 0;
    for (size_t i = 0; i < column.length; ++i)
      characters += (static_cast<unsigned char>(column.name[i]) & 0xC0) != 0x80 ? 1 : 0;
    column.blanks = characters < kNameColumns ? kNameColumns - characters : 0;
    // The common name of at most 15 one-byte characters is kept padded.
    column.padded = column.length + column.blanks == kNameColumns;
    if (column.padded) {
      std::memset(column.text, ' ', sizeof column.text);
      std::memcpy(column.text, column.name, column.length);
    }
    columnMade_[playerID] = true;
  }
  return column;
}

EntryText EntryTextMaker::Make(const ActionRecord& entry, char* buffer, size_t size) {
  EntryText result;
  if (entry.Data == nullptr || size == 0) return result;
  if (!timeMade_ || std::memcmp(&entry.Time, &time_, sizeof time_) != 0) {
    timeLength_ = FormatGameTime(entry.Time, timeText_, sizeof timeText_);
    time_ = entry.Time;
    timeMade_ = true;
  }
  const NameColumn& column = PlayerColumn(entry.PlayerID);
  TextBuffer out(buffer, size);
  if (timeLength_ <= TextBuffer::kShort) {
    out.Short(timeText_, timeLength_);
  } else {
    out.Add(std::string_view(timeText_, timeLength_));
  }
  out.Add(" ");
  if (column.padded) {
    out.Short(column.text, kNameColumns);
  } else {
    out.Add(std::string_view(column.name, column.length)).Blanks(column.blanks);
  }
  out.Add(" ").Int(entry.Counted).Add(" ");
  const GeneralInfo* info = info_;
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
          !CommandText(*command, info, log_, out)) {
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

EntryText FormatEntryText(const ActionRecord& entry, const GeneralInfo* info, CLog* log,
                          char* buffer, size_t size) {
  return EntryTextMaker(info, log).Make(entry, buffer, size);
}

}  // namespace vantrel
