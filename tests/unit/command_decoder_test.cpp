// Player commands: entries and their field records, counting, events through the catalogue,
// the subgroup merge, the texts, and the winner decided from the leaves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gamedata/log.h"
#include "gamedata/mpq_data_reader.h"
#include "item_names.h"
#include "replay_parser.h"
#include "statistics.h"
#include "support/game_builder.h"
#include "support/temp_dir.h"

using namespace testsupport;

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;

Bytes Select(uint8_t mode, uint16_t units = 1) {
  ByteWriter out;
  out.U8(0x16).U8(mode).U16(units);
  for (uint16_t i = 0; i < units; ++i)
    out.U32(100 + i).U32(200 + i);
  return out.bytes();
}
Bytes Ability(const char* id, uint16_t flags = 0x40) {
  return ByteWriter().U8(0x10).U16(flags).Id(id).U32(kNone).U32(kNone).bytes();
}
Bytes AbilityAt(const char* id, float x, float y) {
  return ByteWriter().U8(0x11).U16(0x40).Id(id).U32(kNone).U32(kNone).F32(x).F32(y).bytes();
}
Bytes Order(uint32_t order, uint32_t object1, uint32_t object2) {
  return ByteWriter()
      .U8(0x12)
      .U16(0x40)
      .U32(order)
      .U32(kNone)
      .U32(kNone)
      .F32(1.5f)
      .F32(-2.25f)
      .U32(object1)
      .U32(object2)
      .bytes();
}
Bytes Subgroup(const char* id) {
  return ByteWriter().U8(0x19).Id(id).U32(7).U32(8).bytes();
}
Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

class Commands : public testing::Test {
 protected:
  void SetUp() override {
    log_ = std::make_unique<CLog>(dir_.File("quorvel.log").c_str());
    ParserData request{};
    request.GeneralInfo = &info_;
    request.LogObject = log_.get();
    parser_.ParseReplay(&request, dir_.File("none.w3g").c_str());  // makes log_ the library's log
    game_.host = PlayerEntry{1, "Alder", {0}};
    game_.players = {PlayerEntry{2, "Brisk", {0}}};
    game_.slots = {SlotEntry{1, 100, 2, 0, 0}, SlotEntry{2, 100, 2, 0, 1}};
    AddObjects();
    info_.DataReader = &reader_;
  }

  // A small catalogue: a unit, a building, a hero with two skills, a skill, an upgrade, an item.
  void AddObjects() {
    const auto make = [&](std::vector<std::pair<const char*, const char*>> named, uint8_t type,
                          uint32_t& count) {
      auto* entries = reader_.StandardMemory.New<ObjectEntry>(named.size());
      for (size_t i = 0; i < named.size(); ++i) {
        std::strcpy(entries[i].Id, named[i].first);
        entries[i].Type = type;
        AddProperty(&entries[i], "Name", named[i].second, reader_.StandardMemory);
      }
      count = static_cast<uint32_t>(named.size());
      return entries;
    };
    RaceGroup& human = reader_.RaceGroups[2];
    human.Units = make({{"hpea", "Peasant"}}, kObjectUnit, human.UnitCount);
    human.Buildings = make({{"hbar", "Barracks"}}, kObjectBuilding, human.BuildingCount);
    human.Heroes = make({{"Hamg", "Archmage"}, {"Hpal", "Paladin"}}, kObjectHero, human.HeroCount);
    AddProperty(&human.Heroes[1], "heroAbilList", "AHhb,AHds,AHre,AHad", reader_.StandardMemory);
    AddProperty(&human.Heroes[0], "heroAbilList", "AHbz,AHab,AHwe,AHmt", reader_.StandardMemory);
    RaceGroup& neutral = reader_.RaceGroups[kNeutralGroup];
    neutral.Skills =
        make({{"AHbz", "Blizzard"}, {"AHhb", "Holy Light"}}, kObjectSkill, neutral.SkillCount);
    neutral.Upgrades = make({{"Rhde", "Defend"}}, kObjectUpgrade, neutral.UpgradeCount);
    neutral.Items = make({{"bspd", "Boots of Speed"}}, kObjectItem, neutral.ItemCount);
  }

  void Parse() {
    data_ = game_.Build();
    CompressedDataParams params{};
    params.Data = data_.data();
    params.DataSize = static_cast<uint32_t>(data_.size());
    params.GeneralInfo = &info_;
    params.TranslateTexts = 1;
    ASSERT_EQ(parser_.ParseCompressedData(&params), 0) << (info_.ErrorText ? info_.ErrorText : "");
  }

  std::vector<const ActionRecord*> CommandEntries() const {
    std::vector<const ActionRecord*> entries;
    for (const ActionRecord* entry = info_.Actions; entry != nullptr; entry = entry->Next) {
      if (entry->Kind == VANTREL_KIND_COMMAND) entries.push_back(entry);
    }
    return entries;
  }
  static uint8_t ActionId(const ActionRecord* entry) {
    return static_cast<const CommandData*>(entry->Data)->ActionID;
  }
  template <typename T>
  static const T* FieldsOf(const ActionRecord* entry) {
    return static_cast<const T*>(static_cast<const CommandData*>(entry->Data)->Fields);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const TextNode* node = info_.Texts; node != nullptr; node = node->Next)
      texts.emplace_back(node->Text);
    return texts;
  }
  static size_t Count(const EventNode* node) {
    size_t count = 0;
    for (; node != nullptr; node = node->Next)
      ++count;
    return count;
  }

  TempDir dir_;
  CurrentFolder inFolder_{dir_.path()};
  std::unique_ptr<CLog> log_;
  vantrel::ReplayParser parser_;
  TMPQDataReader reader_;
  GameBuilder game_;
  GeneralInfo info_{};
  Bytes data_;
};

TEST_F(Commands, RemovingSelectionMakesTheNextChangeUncounted) {
  const struct {
    const char* name;
    std::vector<Bytes> blocks;  // command blocks of player 1 in one time slot
    uint32_t total;
  } cases[] = {
      {"add add", {Join({Select(1), Select(1)})}, 2},
      {"remove add", {Join({Select(2), Select(1)})}, 1},
      {"remove esc add", {Join({Select(2), {0x61}, Select(1)})}, 3},
      {"remove remove add", {Join({Select(2), Select(2), Select(1)})}, 1},
      {"across blocks", {Select(2), Select(1)}, 2},
      {"group hotkeys count",
       {Join({Select(2), ByteWriter().U8(0x17).U8(0).U16(0).bytes(),
              ByteWriter().U8(0x18).U8(0).U8(0).bytes()})},
       3},
  };
  for (const auto& c : cases) {
    game_.stream.clear();
    std::vector<CommandBlock> blocks;
    for (const Bytes& block : c.blocks)
      blocks.push_back({1, block});
    game_.TimeSlot(100, blocks);
    Parse();
    EXPECT_EQ(info_.Players[0].ActionsTotal, c.total) << c.name;
    uint32_t counted = 0;
    for (const ActionRecord* entry : CommandEntries())
      counted += entry->Counted;
    EXPECT_EQ(counted, c.total) << c.name;
  }
}

TEST_F(Commands, SubgroupTakesTheSelectionBeforeIt) {
  game_.TimeSlot(100, {{1, Join({Select(2), Select(1, 3), {0x1A}, Subgroup("hfoo")})}});
  Parse();
  const auto commands = CommandEntries();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(ActionId(commands[0]), 0x19);
  EXPECT_EQ(commands[0]->Counted, 1);
  EXPECT_EQ(commands[0]->Previous, nullptr);
  EXPECT_EQ(info_.Actions, commands[0]);
  EXPECT_EQ(FieldsOf<SubgroupData>(commands[0])->UnitsCount, 3);
  EXPECT_STREQ(FieldsOf<SubgroupData>(commands[0])->ItemID, "hfoo");
  EXPECT_EQ(info_.Players[0].ActionsTotal, 1u);
}

TEST_F(Commands, SubgroupOfAnotherPlayersSelectionIsNotMerged) {
  game_.TimeSlot(100, {{1, Select(1)}, {2, Subgroup("hfoo")}});
  Parse();
  const auto commands = CommandEntries();
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[1]->Counted, 0);
  EXPECT_EQ(FieldsOf<SubgroupData>(commands[1])->UnitsCount, 0);
}

TEST_F(Commands, UnknownActionEndsItsBlockOnly) {
  game_.TimeSlot(100, {{1, Join({{0x61}, {0x21, 1, 2, 3, 4}, {0x61}})}, {2, {0x61}}});
  Parse();
  const auto commands = CommandEntries();
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(ActionId(commands[1]), VANTREL_UNKNOWN_COMMAND);
  EXPECT_EQ(FieldsOf<UnknownCommandData>(commands[1])->ActionID, 0x21);
  EXPECT_EQ(FieldsOf<UnknownCommandData>(commands[1])->SkipBytes, 6u);
  EXPECT_EQ(commands[2]->PlayerID, 2);
  EXPECT_EQ(info_.Players[0].ActionsTotal, 1u);
  EXPECT_NE(Texts()[1].find("Unknown command ID: 21. Skip bytes: 6."), std::string::npos)
      << Texts()[1];
}

TEST_F(Commands, AbilitiesFileTheirEvents) {
  game_.TimeSlot(
      100, {{1, Join({Ability("hpea"), Ability("hpea"), AbilityAt("hbar", 10, 20), Ability("Rhde"),
                      Ability("bspd"), Ability("hbar"), AbilityAt("hpea", 1, 1)})}});
  Parse();
  const PlayerRecord& alder = info_.Players[0];
  EXPECT_EQ(Count(alder.Units), 2u);
  EXPECT_EQ(Count(alder.Buildings), 1u);
  EXPECT_EQ(Count(alder.Upgrades), 2u);  // a research and what a building makes without target
  EXPECT_EQ(Count(alder.Items), 1u);
  const auto texts = Texts();
  ASSERT_EQ(texts.size(), 7u);
  EXPECT_EQ(texts[0], "0:00:00.100 Alder           1 Ab1 Train unit: 'Peasant'");
  EXPECT_EQ(texts[1],
            "0:00:00.100 Alder           1 Ab1 Unknown: 'Peasant'");  // the repeat shows no event
  EXPECT_EQ(texts[2], "0:00:00.100 Alder           1 Ab2 Build: 'Barracks', X: 10.00, Y: 20.00");
  EXPECT_EQ(texts[3], "0:00:00.100 Alder           1 Ab1 Make upgrade: 'Defend'");
  EXPECT_EQ(texts[4], "0:00:00.100 Alder           1 Ab1 Buy item: 'Boots of Speed'");
  EXPECT_EQ(texts[6], "0:00:00.100 Alder           1 Ab2 Unknown: 'Peasant', X: 1.00, Y: 1.00");
}

TEST_F(Commands, ThreeIdenticalAbilitiesShowTheEventOnTheFirstAndThird) {
  game_.TimeSlot(100, {{1, Join({Ability("hpea"), Ability("hpea"), Ability("hpea")})}});
  Parse();
  const auto commands = CommandEntries();
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(FieldsOf<AbilityData>(commands[0])->EventType, VANTREL_EVENT_TRAIN_UNIT);
  EXPECT_EQ(FieldsOf<AbilityData>(commands[1])->EventType, VANTREL_EVENT_NONE);
  EXPECT_EQ(FieldsOf<AbilityData>(commands[2])->EventType, VANTREL_EVENT_TRAIN_UNIT);
  EXPECT_EQ(Count(info_.Players[0].Units), 3u);
}

TEST_F(Commands, HeroesCountTheirSummonsAndSkills) {
  game_.TimeSlot(100, {{1, Join({Ability("Hpal"),
                                 {0x61},
                                 Ability("Hamg"),
                                 {0x61},
                                 Ability("Hpal"),
                                 Ability("AHhb"),
                                 Ability("AHbz")})}});
  Parse();
  const PlayerRecord& alder = info_.Players[0];
  ASSERT_NE(alder.Heroes, nullptr);
  const HeroNode& paladin = *alder.Heroes;
  EXPECT_STREQ(static_cast<const AbilityData*>(paladin.Fields)->ItemID, "Hpal");
  EXPECT_EQ(paladin.SummonCount, 1u);
  ASSERT_NE(paladin.Summons, nullptr);
  EXPECT_EQ(paladin.Summons->Next, nullptr);
  EXPECT_EQ(paladin.SkillCount, 1u);
  ASSERT_NE(paladin.Skills, nullptr);
  EXPECT_STREQ(static_cast<const AbilityData*>(paladin.Skills->Fields)->ItemID, "AHhb");
  ASSERT_NE(paladin.Next, nullptr);
  const HeroNode& archmage = *paladin.Next;
  EXPECT_EQ(archmage.SummonCount, 0u);
  EXPECT_EQ(archmage.SkillCount, 1u);
  EXPECT_EQ(archmage.Next, nullptr);
  EXPECT_EQ(Count(alder.Skills), 2u);
  const std::string log = ReadText(dir_.File("quorvel.log"));
  EXPECT_NE(log.find(": Result: NOT same\n"), std::string::npos);
  EXPECT_NE(log.find(": Result: same\n"), std::string::npos);
}

TEST_F(Commands, WithoutACatalogueNoEventIsFiled) {
  info_.DataReader = nullptr;
  game_.TimeSlot(100, {{1, Join({Ability("hpea"), AbilityAt("hbar", 0, 0)})}});
  Parse();
  EXPECT_EQ(info_.Players[0].Units, nullptr);
  EXPECT_EQ(info_.Players[0].Buildings, nullptr);
  EXPECT_EQ(Texts()[0], "0:00:00.100 Alder           1 Ab1 Unknown: 'hpea'");
}

TEST_F(Commands, PlayersWithoutARecordAreDecodedButNotCounted) {
  game_.TimeSlot(100, {{7, Join({{0x61}, Ability("hpea")})}});
  Parse();
  EXPECT_EQ(CommandEntries().size(), 2u);
  EXPECT_EQ(info_.Players[0].ActionsTotal + info_.Players[1].ActionsTotal, 0u);
  EXPECT_EQ(Texts()[0], "0:00:00.100 Unknown player  1 Esc pressed.");
}

TEST_F(Commands, TextsOfEveryAction) {
  const struct {
    Bytes action;
    const char* text;  // after the common start, or the "no text" output
  } cases[] = {
      {{0x01}, "Pause game"},
      {{0x02}, "Resume game (pause length: 0:00:00.000)."},
      {{0x03, 2}, "Set game speed: 2."},
      {{0x04}, "Increase speed."},
      {{0x05}, "Decrease speed."},
      {Order(0x000D0003, 0, 0),
       "Ab3-2 Order issue: 'rightclick', X: 1.50, Y: -2.25, ObjectID1: 0, ObjectID2: 0"},
      {Order(0x000D000F, 5, kNone), "Ab3-1 Order issue: 'attack', X: 1.50, Y: -2.25"},
      {Order(0x000D0003, kNone, kNone), "Ab3-1 Order issue: 'rightclick', X: 1.50, Y: -2.25"},
      {ByteWriter()
           .U8(0x12)
           .U16(0)
           .Id("AHhb")
           .U32(kNone)
           .U32(kNone)
           .F32(0)
           .F32(0)
           .U32(1)
           .U32(2)
           .bytes(),
       "Ab3-2 Using ability: 'Holy Light', X: 0.00, Y: 0.00, ObjectID1: 1, ObjectID2: 2"},
      {ByteWriter()
           .U8(0x13)
           .U16(0x40)
           .U32(0x000D0021)
           .U32(1)
           .U32(2)
           .F32(3)
           .F32(4)
           .U32(5)
           .U32(6)
           .U32(7)
           .U32(8)
           .bytes(),
       "Give item: give away item (from inventory to unit or ground), Flags: 0x40,     UnknownA: "
       "0x1, UnknownB: 0x2, "
       "X: 3.00, Y: 4.00,     TargetObject1: 0x5, TargetObject2: 0x6     Item1: 0x7, Item2: 0x8"},
      {ByteWriter()
           .U8(0x14)
           .U16(0)
           .U32(0x000D0012)
           .U32(0)
           .U32(0)
           .F32(1)
           .F32(2)
           .Id("hpea")
           .Zeros(9)
           .F32(3)
           .F32(4)
           .bytes(),
       "Ab4 Order issue: 'move unit', X: 1.00, Y: 2.00, Item2: 'Peasant', X: 3.00, Y: 4.00"},
      {Select(1, 2), "Add to selection, Units count: 2"},
      {ByteWriter().U8(0x17).U8(2).U16(1).U32(1).U32(2).bytes(),
       "Assign group hotkey. Group number: 3, Units count: 1"},
      {{0x18, 0, 3}, "Select group hotkey. Group number: 1, Unknown byte: 3"},
      {Subgroup("hpea"), "Select SubGroup. Item: Peasant, ObjectID1: 7, ObjectID2: 8"},
      {ByteWriter().U8(0x1B).U8(0xA).U32(1).U32(2).bytes(),
       "Unknown 3. Unknown byte: a, ObjectID1: 1, ObjectID2: 2."},
      {ByteWriter().U8(0x1C).U8(0xB).U32(3).U32(4).bytes(),
       "Select ground item. Unknown byte: b, ObjectID1: 3, ObjectID2: 4."},
      {ByteWriter().U8(0x1D).Id("Hpal").Id("Hamg").bytes(),
       "Cancel hero revival. Unit1: Paladin, Object2: Archmage."},
      {ByteWriter().U8(0x1E).U8(2).Id("hpea").bytes(),
       "Remove unit from building queue. Slot number: 2, Unit: Peasant."},
      {ByteWriter().U8(0x50).U8(1).U32(0x1F).bytes(),
       "Change ally options. Player: Brisk. Ally flags: 1f."},
      {ByteWriter().U8(0x51).U8(0).U32(100).U32(50).bytes(),
       "Transfer resources. Player: Alder. Gold to transfer: 100, lumber to transfer: 50."},
      {ByteWriter().U8(0x51).U8(9).U32(1).U32(2).bytes(),
       "Transfer resources. Player: Unknown player. Gold to transfer: 1, lumber to transfer: 2."},
      {ByteWriter().U8(0x60).U32(0xA).U32(0xB).Text("-ap").bytes(),
       "Map chat trigger. Command name: '-ap', value1: A, value2: B"},
      {{0x61}, "Esc pressed."},
      {ByteWriter().U8(0x62).U32(1).U32(2).U32(0xFF).bytes(),
       "Scenario trigger. value1: 1, value2: 2, value3: FF"},
      {{0x66}, "Enter hero skill submenu."},
      {{0x67}, "Enter building submenu."},
      {ByteWriter().U8(0x68).F32(1.25f).F32(2.5f).U32(0xC).bytes(),
       "Minimap signal: X=1.25, Y=2.50. Unknown data: c."},
  };
  for (const auto& c : cases) {
    game_.stream.clear();
    game_.TimeSlot(100, {{1, c.action}});
    Parse();
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 1u) << c.text;
    const std::string start = "0:00:00.100 Alder           ";
    ASSERT_EQ(texts[0].substr(0, start.size()), start) << texts[0];
    EXPECT_EQ(texts[0].substr(start.size() + 2), c.text);
  }
}

TEST_F(Commands, ActionsWithoutTextSaySo) {
  const struct {
    Bytes action;
    const char* output;
  } cases[] = {
      {ByteWriter().U8(0x06).Text("cheat").bytes(), "No translation for command with ID: 0x6"},
      {{0x07, 1, 2, 3, 4}, "No translation for command with ID: 0x7"},
      {ByteWriter().U8(0x69).U32(1).U32(2).U32(3).U32(4).bytes(),
       "No translation for command with ID: 0x69"},
      {ByteWriter().U8(0x6A).U32(1).U32(2).U32(3).U32(4).bytes(),
       "No translation for command with ID: 0x6A"},
      {{0x75, 9}, "No translation for command with ID: 0x75"},
  };
  for (const auto& c : cases) {
    game_.stream.clear();
    game_.TimeSlot(100, {{1, c.action}});
    Parse();
    EXPECT_EQ(info_.Texts, nullptr) << c.output;
    const auto commands = CommandEntries();
    ASSERT_EQ(commands.size(), 1u);
    char* text = nullptr;
    EXPECT_EQ(parser_.TranslateDataMessage(commands[0], &text), 0);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, c.output);
  }
}

TEST_F(Commands, ResumeVariantsKeepTheirValuesAndEndThePause) {
  game_.TimeSlot(100, {{1, {0x01}}}).TimeSlot(300);
  game_.TimeSlot(100, {{1, ByteWriter().U8(0x69).U32(1).U32(2).U32(3).U32(4).bytes()}})
      .TimeSlot(50, {{1, {0x01}}});
  game_.TimeSlot(100, {{1, ByteWriter().U8(0x6A).U32(1).U32(2).U32(3).U32(4).bytes()}})
      .TimeSlot(50, {{1, {0x01}}});
  game_.TimeSlot(200, {{1, {0x02}}});
  Parse();
  const auto commands = CommandEntries();
  ASSERT_EQ(commands.size(), 6u);
  const auto* b = FieldsOf<ResumeVariantData>(commands[1]);
  EXPECT_EQ((std::vector<uint32_t>{b->Value1, b->Value2, b->Value3, b->Value4}),
            (std::vector<uint32_t>{3, 4, 1, 2}));
  const auto* a = FieldsOf<ResumeVariantData>(commands[3]);
  EXPECT_EQ((std::vector<uint32_t>{a->Value1, a->Value2, a->Value3, a->Value4}),
            (std::vector<uint32_t>{1, 2, 3, 4}));
  // A slot read while paused adds to the pause clock, the one that resumes included:
  // 300 + 100, then 100, then 200; the game clock stood at 100 + 50 + 50.
  const auto* resume = FieldsOf<ResumeGameData>(commands[5]);
  EXPECT_EQ(resume->PauseLength.Milliseconds, 700);
  EXPECT_EQ(commands[5]->Time.Milliseconds, 200);
}

TEST_F(Commands, ItemNames) {
  const struct {
    std::array<uint8_t, 4> bytes;
    const char* name;
  } cases[] = {
      {{0x03, 0x00, 0x0D, 0x00}, "rightclick"},
      {{0x0F, 0x00, 0x0D, 0x00}, "attack"},
      {{0x03, 0x00, 0x0D, 0x7F}, "rightclick"},
      {{0x7F, 0x00, 0x0D, 0x00}, "use ability: storm bolt (Hu Mountain King)"},
      {{0x23, 0x00, 0x0D, 0x00}, "swap item place 8 "},
      {{0x20, 0x02, 0x0D, 0x00}, "Mana Flare (NE faerie dragon)"},
      {{0x21, 0x02, 0x0D, 0x00}, "Mana Flare (NE faerie dragon)"},
      {{0x80, 0x00, 0x0D, 0x00}, "Unknown value"},
  };
  for (const auto& c : cases) {
    char id[5] = {};
    std::memcpy(id, c.bytes.data(), 4);
    EXPECT_STREQ(vantrel::ItemName(&info_, id, log_.get()), c.name) << std::hex << int(c.bytes[0]);
  }
  EXPECT_NE(ReadText(dir_.File("quorvel.log")).find("Library: ERROR: unknown Item ID: 0xd0080h\n"),
            std::string::npos);
  char hpea[] = "hpea", hfoo[] = "hfoo";
  EXPECT_STREQ(vantrel::ItemName(&info_, hpea, nullptr), "Peasant");
  EXPECT_EQ(vantrel::ItemName(&info_, hfoo, nullptr), hfoo);  // unknown: the id itself
  EXPECT_EQ(vantrel::ItemName(nullptr, hpea, nullptr), hpea);
}

TEST(Winner, DecidedByTheLeaveTable) {
  const struct {
    const char* name;
    std::vector<std::array<uint32_t, 3>> leaves;  // player, reason, result, in order
    std::vector<uint8_t> teams;                   // team of players 1, 2, 3, 4
    std::vector<uint8_t> winners;
    bool undecided;
  } cases[] = {
      {"remote win, local last", {{2, 1, 9}, {1, 12, 8}}, {0, 1}, {0, 1}, false},
      {"local loss of the last leaver", {{2, 1, 8}, {1, 12, 9}}, {0, 1}, {1, 0}, false},
      {"a draw blocks every winner", {{2, 1, 9}, {1, 1, 10}}, {0, 1}, {0, 0}, false},
      {"no leaves", {}, {0, 1}, {0, 0}, true},
      {"two against two", {{3, 1, 9}, {1, 12, 8}}, {0, 0, 1, 1}, {0, 0, 1, 1}, false},
  };
  for (const auto& c : cases) {
    GameBuilder game;
    game.host = PlayerEntry{1, "P1", {0}};
    for (uint8_t id = 2; id <= c.teams.size(); ++id)
      game.players.push_back(PlayerEntry{id, "P" + std::to_string(id), {0}});
    for (uint8_t id = 1; id <= c.teams.size(); ++id)
      game.slots.push_back(SlotEntry{id, 100, 2, 0, c.teams[id - 1]});
    game.TimeSlot(1000);
    for (const auto& leave : c.leaves)
      game.Leave(leave[1], static_cast<uint8_t>(leave[0]), leave[2]);
    TempDir dir;
    CLog log(dir.File("log.txt").c_str());
    vantrel::ReplayParser parser;
    GeneralInfo info{};
    ParserData request{};
    request.GeneralInfo = &info;
    request.LogObject = &log;
    parser.ParseReplay(&request, dir.File("none").c_str());
    const Bytes data = game.Build();
    CompressedDataParams params{};
    params.Data = data.data();
    params.DataSize = static_cast<uint32_t>(data.size());
    params.GeneralInfo = &info;
    ASSERT_EQ(parser.ParseCompressedData(&params), 0) << c.name;
    for (size_t i = 0; i < c.teams.size(); ++i)
      EXPECT_EQ(info.Players[i].Winner, c.winners[i]) << c.name << " " << i;
    const bool logged =
        ReadText(dir.File("log.txt")).find("Library: cannot detect winner.\n") != std::string::npos;
    EXPECT_EQ(logged, c.undecided) << c.name;
  }
}

TEST(Winner, LeaveStates) {
  const struct {
    uint32_t reason, result;
    bool last;
    int state;
  } cases[] = {{1, 7, false, 1},   {1, 8, false, 2},  {1, 9, true, 3},   {1, 10, false, 4},
               {14, 1, false, 1},  {14, 7, true, 1},  {12, 8, false, 5}, {12, 9, false, 6},
               {12, 10, false, 4}, {12, 1, true, 7},  {12, 7, true, 5},  {12, 8, true, 5},
               {12, 9, true, 6},   {12, 1, false, 0}, {12, 10, true, 0}, {1, 1, false, 0},
               {13, 9, false, 0},  {0, 0, false, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(vantrel::LeaveState(c.reason, c.result, c.last), c.state)
        << c.reason << " " << c.result << " " << c.last;
  }
}

}  // namespace
