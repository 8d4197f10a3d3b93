#include "command_decoder.h"

#include <cstring>
#include <vector>

#include "action_stream.h"
#include "byte_reader.h"
#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "gamedata/profile_text.h"
#include "gamedata/replay_format.h"
#include "object_lookup.h"

namespace vantrel {
namespace {

constexpr uint8_t kSelectAdd = VANTREL_SELECT_ADD;
constexpr uint8_t kSelectRemove = VANTREL_SELECT_REMOVE;
constexpr size_t kMaxHeroesPerPlayer = VANTREL_MAX_HEROES;

// The catalogue type of an object and the event an ability command makes of it.
uint8_t EventOfType(uint8_t type, uint8_t action) {
  // With a target position only a building makes an event: it is built there.
  if (action == kAbilityPosition)
    return type == kObjectBuilding ? VANTREL_EVENT_BUILD : VANTREL_EVENT_NONE;
  switch (type) {
    case kObjectBuilding:  // what a building makes without a target is an upgrade
      return VANTREL_EVENT_MAKE_UPGRADE;
    case kObjectHero:
      return VANTREL_EVENT_SUMMON_HERO;
    case kObjectItem:
      return VANTREL_EVENT_BUY_ITEM;
    case kObjectUnit:
      return VANTREL_EVENT_TRAIN_UNIT;
    case kObjectSkill:
      return VANTREL_EVENT_LEARN_SKILL;
    case kObjectUpgrade:
      return VANTREL_EVENT_MAKE_UPGRADE;
    default:
      return VANTREL_EVENT_NONE;
  }
}

// The event of an ability command on `id`: none for order numbers and objects the game data
// reader does not know.
uint8_t ClassifyAbility(const GeneralInfo& info, const uint8_t* raw, const char* id,
                        uint8_t action) {
  if (IsOrderNumber(raw)) return VANTREL_EVENT_NONE;
  const ObjectEntry* object = LookUpObject(info, id);
  return object != nullptr ? EventOfType(object->Type, action)
                           : static_cast<uint8_t>(VANTREL_EVENT_NONE);
}

// The selection record of `entry` when it is a change of selection of `player` in `mode`.
const SelectionData* SelectionOf(const ActionRecord* entry, uint8_t player, uint8_t mode) {
  if (entry == nullptr || entry->PlayerID != player || entry->Kind != VANTREL_KIND_COMMAND)
    return nullptr;
  const auto* command = static_cast<const CommandData*>(entry->Data);
  if (command->ActionID != kChangeSelection || command->Fields == nullptr) return nullptr;
  const auto* fields = static_cast<const SelectionData*>(command->Fields);
  return fields->Mode == mode ? fields : nullptr;
}

// Reads the fields of one action. Every read is bounded by the command block; a field that does
// not fit makes the action unreadable.
class ActionReader {
 public:
  explicit ActionReader(ByteReader& reader) : reader_(reader) {}

  bool ok() const { return ok_; }
  uint8_t U8() {
    uint8_t value = 0;
    ok_ = ok_ && reader_.U8(value);
    return value;
  }
  uint16_t U16() {
    uint16_t value = 0;
    ok_ = ok_ && reader_.U16(value);
    return value;
  }
  uint32_t U32() {
    uint32_t value = 0;
    ok_ = ok_ && reader_.U32(value);
    return value;
  }
  float F32() {
    const uint32_t bits = U32();
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // An object id: stored in reading order (the four bytes reversed) with a terminating zero.
  // `raw` receives the bytes as they stand in the action.
  void Id(char (&id)[5], const uint8_t** raw = nullptr) {
    if (!ok_ || !reader_.Has(4)) {
      ok_ = false;
      return;
    }
    const uint8_t* bytes = reader_.current();
    for (int i = 0; i < 4; ++i)
      id[i] = static_cast<char>(bytes[3 - i]);
    id[4] = '\0';
    if (raw != nullptr) *raw = bytes;
    reader_.Skip(4);
  }
  void Skip(size_t count) { ok_ = ok_ && reader_.Skip(count); }
  // The next `count` bytes, stepped over; null, moving nothing, when they are not all there.
  const uint8_t* Bytes(size_t count) {
    if (!ok_ || !reader_.Has(count)) return nullptr;
    const uint8_t* bytes = reader_.current();
    reader_.Skip(count);
    return bytes;
  }
  void SkipText() {
    const char* text = nullptr;
    size_t length = 0;
    ok_ = ok_ && reader_.Text(text, length);
  }
  // A zero-terminated text, copied into the pool.
  char* Text(TCustomMemoryManager& pool) {
    const char* text = nullptr;
    size_t length = 0;
    ok_ = ok_ && reader_.Text(text, length);
    return ok_ ? DecodeProfileText(text, length, &pool).release() : nullptr;
  }

 private:
  ByteReader& reader_;
  bool ok_ = true;
};

// Actions that versions after 1.26 added, stepped over by their lengths so that the actions after
// them in the block are still read. They make no entry and are not counted. What is relied on,
// from the bytes of the replays named:
//  - 0x6B, a map's synchronised value: three zero-terminated texts and a u32 ("MMD.Dat",
//    "val:1", "init pid 0 ...", then four bytes, in w3gjs/132_reforged_metadata_ghostplayer.w3g);
//  - 1.31 to 1.36: 0x7A and 0x78 with 20 bytes (five u32: "7a 3c080000 3c080000 38030800
//    20000000 00000000" in w3gjs/131_action0x7a.w3g), 0x7B with 16 bytes (in every 1.32 and 1.34
//    replay: 17 bytes to the end of the block when last, 32 when a 15-byte ability follows);
//  - 2.0 renumbers the ids above 0x77 one down: 0x77 with 20 bytes, 0x79 with 20 and 0x7A with 16
//    (w3gjs/200_148249993_Edo_Leon_Tidehunters_12.w3g).
bool SkipLaterAction(uint8_t id, ActionReader& in, const ReplayFormat& format) {
  const bool renumbered = format.major >= 2;
  switch (id) {
    case 0x6B: {
      in.SkipText();
      in.SkipText();
      in.SkipText();
      in.Skip(4);
      return true;
    }
    case 0x77:
      if (!renumbered) return false;
      in.Skip(20);
      return true;
    case 0x78:
      if (renumbered) return false;
      in.Skip(20);
      return true;
    case 0x79:
      if (!renumbered) return false;
      in.Skip(20);
      return true;
    case 0x7A:
      in.Skip(renumbered ? 16 : 20);
      return true;
    case 0x7B:
      if (renumbered) return false;
      in.Skip(16);
      return true;
    default:
      return false;
  }
}

class BlockDecoder {
 public:
  BlockDecoder(ParseContext& context, uint8_t player, const GameTime& time)
      : context_(context),
        state_(context.state),
        pool_(context.pool),
        records_(context.records),
        player_(player),
        time_(time),
        record_(context.state.playerById[player]),
        format_(context.format) {}

  void Decode(const uint8_t* actions, size_t size);

 private:
  ActionRecord* Entry(uint8_t id, bool counted, void* fields);
  template <typename T>
  T* Fields() {
    return records_.New<T>();
  }
  void Ability(uint8_t id, ActionReader& in);
  void Selection(uint8_t id, ActionReader& in, bool counted);
  bool IsRepeatedAbility(const AbilityData& fields) const;
  void NoteSubgroup(ActionRecord* entry, SubgroupData* fields);
  void FileEvent(uint8_t event, ActionRecord* entry, void* fields, const char* id);
  void FileHero(ActionRecord* entry, void* fields, const char* id);
  void FileSkill(EventNode* node, const char* id);
  EventNode* NewNode(ActionRecord* entry, void* fields);
  void Append(EventNode**& tail, EventNode*& head, EventNode* node);

  ParseContext& context_;
  ParseState& state_;
  TCustomMemoryManager& pool_;
  RecordArena& records_;
  uint8_t player_;
  GameTime time_;
  PlayerRecord* record_;
  ReplayFormat format_;
};

ActionRecord* BlockDecoder::Entry(uint8_t id, bool counted, void* fields) {
  // The entry and its command record side by side: one allocation.
  struct CommandEntry {
    CommandData command;
    ActionRecord entry;
  };
  auto* made = records_.New<CommandEntry>();
  CommandData* command = &made->command;
  command->ActionID = id;
  command->Fields = fields;
  ActionRecord* entry =
      LinkEntry(context_, &made->entry, player_, time_, VANTREL_KIND_COMMAND, command);
  entry->Counted = counted ? 1 : 0;
  if (counted && record_ != nullptr) ++record_->ActionsTotal;
  state_.lastEntry[player_] = entry;
  return entry;
}

bool BlockDecoder::IsRepeatedAbility(const AbilityData& fields) const {
  const ActionRecord* previous = state_.lastEntry[player_];
  if (previous == nullptr || previous->Kind != VANTREL_KIND_COMMAND) return false;
  const auto* command = static_cast<const CommandData*>(previous->Data);
  if (command->ActionID != kAbility || command->Fields == nullptr) return false;
  const auto* before = static_cast<const AbilityData*>(command->Fields);
  return before->Flags == fields.Flags &&
         std::memcmp(before->ItemID, fields.ItemID, sizeof fields.ItemID) == 0 &&
         before->UnknownA == fields.UnknownA && before->UnknownB == fields.UnknownB &&
         before->EventType == fields.EventType;
}

void BlockDecoder::Ability(uint8_t id, ActionReader& in) {
  const uint8_t* raw = nullptr;
  const uint8_t flags = static_cast<uint8_t>(in.U16() & 0xFF);
  char itemId[5] = {};
  in.Id(itemId, &raw);
  const uint32_t a = in.U32();
  const uint32_t b = in.U32();
  if (id == kAbility) {
    if (!in.ok()) return;
    auto* fields = Fields<AbilityData>();
    fields->Flags = flags;
    std::memcpy(fields->ItemID, itemId, sizeof itemId);
    fields->UnknownA = a;
    fields->UnknownB = b;
    fields->EventType = ClassifyAbility(context_.info, raw, itemId, id);
    const bool repeated = IsRepeatedAbility(*fields);
    ActionRecord* entry = Entry(id, true, fields);
    FileEvent(fields->EventType, entry, fields, fields->ItemID);
    // The event stays filed; the entry of a repeated command shows none.
    if (repeated) fields->EventType = VANTREL_EVENT_NONE;
    return;
  }
  const float x = in.F32();
  const float y = in.F32();
  if (id == kAbilityPosition) {
    if (!in.ok()) return;
    auto* fields = Fields<AbilityPositionData>();
    fields->Flags = flags;
    std::memcpy(fields->ItemID, itemId, sizeof itemId);
    fields->UnknownA = a;
    fields->UnknownB = b;
    fields->X = x;
    fields->Y = y;
    fields->EventType = ClassifyAbility(context_.info, raw, itemId, id);
    ActionRecord* entry = Entry(id, true, fields);
    FileEvent(fields->EventType, entry, fields, fields->ItemID);
    return;
  }
  const uint32_t object1 = in.U32();
  const uint32_t object2 = in.U32();
  if (id == kAbilityTarget) {
    if (!in.ok()) return;
    auto* fields = Fields<AbilityTargetData>();
    *fields = AbilityTargetData{flags, {}, a, b, x, y, object1, object2};
    std::memcpy(fields->ItemID, itemId, sizeof itemId);
    Entry(id, true, fields);
    return;
  }
  const uint32_t item1 = in.U32();
  const uint32_t item2 = in.U32();
  if (!in.ok()) return;
  auto* fields = Fields<GiveItemData>();
  *fields = GiveItemData{flags, {}, a, b, x, y, object1, object2, item1, item2};
  std::memcpy(fields->ItemID, itemId, sizeof itemId);
  Entry(id, true, fields);
}

void BlockDecoder::Selection(uint8_t id, ActionReader& in, bool counted) {
  const uint8_t mode = in.U8();
  const uint16_t count = in.U16();
  if (!in.ok()) return;
  SelectedObject* first = nullptr;
  SelectedObject** tail = &first;
  uint16_t left = count;  // objects read one by one below
  if (const uint8_t* objects = count > 0 ? in.Bytes(size_t{count} * 8) : nullptr) {
    // All objects are there: their nodes are made together.
    first = records_.New<SelectedObject>(count);
    for (uint16_t i = 0; i < count; ++i, objects += 8) {
      ByteReader object(objects, 8);
      object.U32(first[i].Object1);
      object.U32(first[i].Object2);
      first[i].Next = i + 1 < count ? &first[i + 1] : nullptr;
    }
    left = 0;
  }
  for (uint16_t i = 0; i < left; ++i) {
    const uint32_t object1 = in.U32();
    const uint32_t object2 = in.U32();
    if (!in.ok()) return;
    auto* node = records_.New<SelectedObject>();
    node->Object1 = object1;
    node->Object2 = object2;
    *tail = node;
    tail = &node->Next;
  }
  auto* fields = Fields<SelectionData>();
  fields->Mode = mode;
  fields->UnitCount = count;
  fields->Objects = first;
  Entry(id, counted, fields);
}

void BlockDecoder::NoteSubgroup(ActionRecord* entry, SubgroupData* fields) {
  // What the merge does with this entry depends on the entries before it and their records,
  // which no later entry changes (a merge sets the Previous link of its own subgroup entry
  // only): it is decided now, while they are at hand, and done after the walk.
  const ActionRecord* added = entry->Previous;
  const SelectionData* addition = SelectionOf(added, player_, kSelectAdd);
  if (addition == nullptr) return;
  ActionRecord* before = added->Previous;
  if (SelectionOf(before, player_, kSelectRemove) != nullptr) before = before->Previous;
  state_.merges.push_back(ParseState::SubgroupMerge{entry, fields, before, addition->UnitCount});
}

EventNode* BlockDecoder::NewNode(ActionRecord* entry, void* fields) {
  auto* node = records_.New<EventNode>();
  node->Action = entry;
  node->Fields = fields;
  return node;
}

void BlockDecoder::Append(EventNode**& tail, EventNode*& head, EventNode* node) {
  if (tail == nullptr) {
    tail = &head;
    while (*tail != nullptr)
      tail = &(*tail)->Next;
  }
  *tail = node;
  tail = &node->Next;
}

void BlockDecoder::FileEvent(uint8_t event, ActionRecord* entry, void* fields, const char* id) {
  if (record_ == nullptr || event == VANTREL_EVENT_NONE) return;
  ParseState::EventTails& tails = state_.eventTails[player_];
  switch (event) {
    case VANTREL_EVENT_TRAIN_UNIT:
      Append(tails.units, record_->Units, NewNode(entry, fields));
      break;
    case VANTREL_EVENT_BUY_ITEM:
      Append(tails.items, record_->Items, NewNode(entry, fields));
      break;
    case VANTREL_EVENT_MAKE_UPGRADE:
      Append(tails.upgrades, record_->Upgrades, NewNode(entry, fields));
      break;
    case VANTREL_EVENT_BUILD:
      Append(tails.buildings, record_->Buildings, NewNode(entry, fields));
      break;
    case VANTREL_EVENT_LEARN_SKILL: {
      EventNode* node = NewNode(entry, fields);
      Append(tails.skills, record_->Skills, node);
      FileSkill(node, id);
      break;
    }
    case VANTREL_EVENT_SUMMON_HERO:
      FileHero(entry, fields, id);
      break;
    default:
      break;
  }
}

void BlockDecoder::FileSkill(EventNode* skill, const char* id) {
  // Every hero whose hero ability list names the skill learns it.
  for (ParseState::HeroTails& filed : state_.heroes[player_]) {
    const auto* heroFields = static_cast<const AbilityData*>(filed.hero->Fields);
    const char* abilities = HeroAbilities(context_.info, heroFields->ItemID);
    if (abilities == nullptr || std::strstr(abilities, id) == nullptr) continue;
    ++filed.hero->SkillCount;
    EventNode* node = NewNode(skill->Action, skill->Fields);
    *filed.skills = node;
    filed.skills = &node->Next;
  }
}

void BlockDecoder::FileHero(ActionRecord* entry, void* fields, const char* id) {
  std::vector<ParseState::HeroTails>& heroes = state_.heroes[player_];
  for (ParseState::HeroTails& filed : heroes) {
    const auto* heroFields = static_cast<const AbilityData*>(filed.hero->Fields);
    if (std::memcmp(heroFields->ItemID, id, 4) == 0) {
      if (context_.log != nullptr) context_.log->Write("Result: same\n");
      auto* node = records_.New<HeroNode>();
      node->Action = entry;
      node->Fields = fields;
      ++filed.hero->SummonCount;
      *filed.summons = node;
      filed.summons = &node->Next;
      return;
    }
    if (context_.log != nullptr) context_.log->Write("Result: NOT same\n");
  }
  // Every skill learned is matched against each hero of the player, so their number bounds the
  // work per skill command: further hero types are not filed (see VANTREL_MAX_HEROES).
  if (heroes.size() >= kMaxHeroesPerPlayer) return;
  auto* node = records_.New<HeroNode>();
  node->Action = entry;
  node->Fields = fields;
  if (heroes.empty()) {
    record_->Heroes = node;
  } else {
    heroes.back().hero->Next = node;
  }
  heroes.push_back(ParseState::HeroTails{node, &node->Skills, &node->Summons});
}

void BlockDecoder::Decode(const uint8_t* actions, size_t size) {
  ByteReader reader(actions, size);
  // A removing selection makes the change of selection right after it uncounted.
  bool removing = false;
  while (reader.remaining() > 0) {
    const size_t start = reader.position();
    uint8_t id = 0;
    reader.U8(id);
    const bool afterRemoving = removing;
    removing = false;
    bool known = true;
    ActionReader in(reader);
    switch (id) {
      case kPauseGame:
        state_.paused = true;
        Entry(id, false, nullptr);
        break;
      case kResumeGame: {
        auto* fields = Fields<ResumeGameData>();
        fields->PauseLength = state_.pauseClock;
        state_.paused = false;
        Entry(id, false, fields);
        break;
      }
      case kSetGameSpeed: {
        const uint8_t speed = in.U8();
        if (!in.ok()) break;
        auto* fields = Fields<GameSpeedData>();
        fields->Speed = speed;
        Entry(id, false, fields);
        break;
      }
      case kIncreaseSpeed:
      case kDecreaseSpeed:
        Entry(id, false, nullptr);
        break;
      case kTextAction: {
        char* text = in.Text(pool_);
        if (!in.ok()) break;
        auto* fields = Fields<TextActionData>();
        fields->Text = text;
        Entry(id, false, fields);
        break;
      }
      case kFourByteAction:
        in.Skip(4);
        if (in.ok()) Entry(id, false, nullptr);
        break;
      case kAbility:
      case kAbilityPosition:
      case kAbilityTarget:
      case kGiveItem:
        Ability(id, in);
        break;
      case kAbilityTwoTargets: {
        auto* fields = Fields<AbilityTwoTargetsData>();
        fields->Flags = in.U16();
        in.Id(fields->ItemID1);
        fields->UnknownA = in.U32();
        fields->UnknownB = in.U32();
        fields->X1 = in.F32();
        fields->Y1 = in.F32();
        in.Id(fields->ItemID2);
        in.Skip(9);
        fields->X2 = in.F32();
        fields->Y2 = in.F32();
        if (in.ok()) Entry(id, true, fields);
        break;
      }
      case kChangeSelection: {
        const uint8_t mode = reader.Has(1) ? *reader.current() : 0;
        Selection(id, in, !afterRemoving);
        removing = in.ok() && mode == kSelectRemove;
        break;
      }
      case kAssignGroup:
        Selection(id, in, true);
        break;
      case kSelectGroup: {
        auto* fields = Fields<SelectGroupData>();
        fields->Group = in.U8();
        fields->Unknown = in.U8();
        if (in.ok()) Entry(id, true, fields);
        break;
      }
      case kSelectSubgroup: {
        auto* fields = Fields<SubgroupData>();
        in.Id(fields->ItemID);
        fields->Object1 = in.U32();
        fields->Object2 = in.U32();
        if (in.ok()) NoteSubgroup(Entry(id, false, fields), fields);
        break;
      }
      case kPreSubselection:
        break;
      case kUnknownObjectAction:
      case kSelectGroundItem: {
        auto* fields = Fields<ObjectActionData>();
        fields->Unknown = in.U8();
        fields->Object1 = in.U32();
        fields->Object2 = in.U32();
        if (in.ok()) Entry(id, id == kSelectGroundItem, fields);
        break;
      }
      case kCancelHeroRevival: {
        auto* fields = Fields<CancelRevivalData>();
        in.Id(fields->ItemID1);
        in.Id(fields->ItemID2);
        if (in.ok()) Entry(id, true, fields);
        break;
      }
      case kRemoveFromQueue: {
        auto* fields = Fields<RemoveFromQueueData>();
        fields->SlotNumber = in.U8();
        in.Id(fields->ItemID);
        if (in.ok()) Entry(id, true, fields);
        break;
      }
      case kAllyOptions: {
        auto* fields = Fields<AllyOptionsData>();
        fields->SlotIndex = in.U8();
        fields->Flags = in.U32();
        if (in.ok()) Entry(id, false, fields);
        break;
      }
      case kTransferResources: {
        auto* fields = Fields<TransferResourcesData>();
        fields->SlotIndex = in.U8();
        fields->Gold = in.U32();
        fields->Lumber = in.U32();
        if (in.ok()) Entry(id, false, fields);
        break;
      }
      case kTriggerChat: {
        auto* fields = Fields<TriggerChatData>();
        fields->Value1 = in.U32();
        fields->Value2 = in.U32();
        fields->Text = in.Text(pool_);
        if (in.ok()) Entry(id, false, fields);
        break;
      }
      case kEscPressed:
      case kHeroSkillSubmenu:
      case kBuildingSubmenu:
        Entry(id, true, nullptr);
        break;
      case kScenarioTrigger: {
        auto* fields = Fields<ScenarioTriggerData>();
        fields->Value1 = in.U32();
        fields->Value2 = in.U32();
        fields->Value3 = in.U32();
        if (in.ok()) Entry(id, false, fields);
        break;
      }
      case kMinimapSignal: {
        auto* fields = Fields<MinimapSignalData>();
        fields->X = in.F32();
        fields->Y = in.F32();
        fields->Unknown = in.U32();
        if (in.ok()) Entry(id, false, fields);
        break;
      }
      case kResumeVariantA:
      case kResumeVariantB: {
        const uint32_t first = in.U32(), second = in.U32(), third = in.U32(), fourth = in.U32();
        if (!in.ok()) break;
        auto* fields = Fields<ResumeVariantData>();
        *fields = id == kResumeVariantA ? ResumeVariantData{first, second, third, fourth}
                                        : ResumeVariantData{third, fourth, first, second};
        state_.paused = false;
        Entry(id, false, fields);
        break;
      }
      case kOneByteAction: {
        auto* fields = Fields<OneByteData>();
        fields->Value = in.U8();
        if (in.ok()) Entry(id, false, fields);
        break;
      }
      default:
        known = !format_.classic && SkipLaterAction(id, in, format_);
        break;
    }
    if (!known || !in.ok()) {
      // An unknown id, or a known one whose fields run past the block, ends the block. A zero
      // byte is padding, not an action.
      if (id != 0) {
        auto* fields = Fields<UnknownCommandData>();
        fields->ActionID = id;
        fields->SkipBytes = static_cast<uint32_t>(size - start);
        Entry(VANTREL_UNKNOWN_COMMAND, false, fields);
      }
      return;
    }
  }
}

}  // namespace

void CommandDecoder::DecodeBlock(uint8_t player, const GameTime& time, const uint8_t* actions,
                                 size_t size) {
  BlockDecoder(context_, player, time).Decode(actions, size);
}

void MergeSubgroups(ParseContext& context) {
  for (const ParseState::SubgroupMerge& merge : context.state.merges) {
    ActionRecord* entry = merge.entry;
    merge.fields->UnitsCount = merge.units;
    entry->Counted = 1;
    entry->Previous = merge.before;
    if (merge.before != nullptr) {
      merge.before->Next = entry;
    } else {
      context.info.Actions = entry;
    }
  }
}

}  // namespace vantrel
