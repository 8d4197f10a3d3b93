// The limits of vantrel.h: what a hostile replay can make a parse allocate and how many heroes,
// players and nodes it can make it keep.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gamedata/mpq_data_reader.h"
#include "gamedata/object_catalogue.h"
#include "replay_container.h"
#include "replay_parser.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"

using namespace testsupport;

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;

Bytes Ability(const char* id) {
  return ByteWriter().U8(0x10).U16(0x40).Id(id).U32(kNone).U32(kNone).bytes();
}

Bytes Repeat(const Bytes& part, size_t times) {
  Bytes all;
  for (size_t i = 0; i < times; ++i)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::string HeroId(int index) {
  char id[16];
  std::snprintf(id, sizeof id, "H%03d", index % 1000);
  return id;
}

size_t Length(const EventNode* node) {
  size_t count = 0;
  for (; node != nullptr; node = node->Next)
    ++count;
  return count;
}
size_t Length(const HeroNode* node) {
  size_t count = 0;
  for (; node != nullptr; node = node->Next)
    ++count;
  return count;
}

size_t PoolBytes(const TCustomMemoryManager& pool) {
  size_t used = 0;
  for (const MemoryBlock* block = pool.Blocks; block != nullptr; block = block->Next)
    used += block->Used;
  return used;
}

class ParseLimits : public testing::Test {
 protected:
  // 40 hero types that all list the skill "AHbz", and that skill.
  void SetUp() override {
    TCustomMemoryManager& memory = reader_.StandardMemory;
    RaceGroup& human = reader_.RaceGroups[2];
    human.HeroCount = kHeroTypes;
    human.Heroes = memory.New<ObjectEntry>(kHeroTypes);
    for (int i = 0; i < kHeroTypes; ++i) {
      std::strcpy(human.Heroes[i].Id, HeroId(i).c_str());
      human.Heroes[i].Type = kObjectHero;
      AddProperty(&human.Heroes[i], "heroAbilList", "AHbz,AHab", memory);
    }
    RaceGroup& neutral = reader_.RaceGroups[kNeutralGroup];
    neutral.SkillCount = 1;
    neutral.Skills = memory.New<ObjectEntry>(1);
    std::strcpy(neutral.Skills[0].Id, "AHbz");
    neutral.Skills[0].Type = kObjectSkill;
    info_.DataReader = &reader_;
    game_.host = PlayerEntry{1, "Alder", {0}};
    game_.slots = {SlotEntry{1, 100, 2, 0, 0}};
  }

  // Player 1's actions, in time slots of at most 60000 action bytes cut at `unit` bytes.
  void Actions(const Bytes& actions, size_t unit) {
    const size_t perSlot = 60000 / unit * unit;
    for (size_t at = 0; at < actions.size(); at += perSlot) {
      const size_t end = std::min(actions.size(), at + perSlot);
      game_.TimeSlot(100, {CommandBlock{1, Bytes(actions.begin() + at, actions.begin() + end)}});
    }
  }

  int32_t Parse() {
    data_ = game_.Build();
    CompressedDataParams params{};
    params.Data = data_.data();
    params.DataSize = static_cast<uint32_t>(data_.size());
    params.GeneralInfo = &info_;
    params.TranslateTexts = 1;
    return parser_.ParseCompressedData(&params);
  }

  static constexpr int kHeroTypes = 40;
  TMPQDataReader reader_;
  vantrel::ReplayParser parser_;
  GeneralInfo info_{};
  GameBuilder game_;
  Bytes data_;
};

TEST_F(ParseLimits, HeroListKeepsAtMostTheBoundOfHeroTypes) {
  Bytes actions;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < kHeroTypes; ++i) {
      const Bytes summon = Ability(HeroId(i).c_str());
      actions.insert(actions.end(), summon.begin(), summon.end());
    }
  }
  const Bytes skills = Repeat(Ability("AHbz"), 100);
  actions.insert(actions.end(), skills.begin(), skills.end());
  Actions(actions, 15);
  ASSERT_EQ(Parse(), 0) << info_.ErrorText;

  const PlayerRecord& player = info_.Players[0];
  ASSERT_EQ(Length(player.Heroes), size_t{VANTREL_MAX_HEROES});
  int index = 0;
  for (const HeroNode* hero = player.Heroes; hero != nullptr; hero = hero->Next, ++index) {
    EXPECT_STREQ(static_cast<const AbilityData*>(hero->Fields)->ItemID, HeroId(index).c_str());
    EXPECT_EQ(hero->SummonCount, 1u);
    EXPECT_EQ(Length(hero->Summons), 1u);
    EXPECT_EQ(hero->SkillCount, 100u);
    EXPECT_EQ(Length(hero->Skills), 100u);
  }
  EXPECT_EQ(Length(player.Skills), 100u);
  // The summons of the hero types past the bound still are summon commands.
  size_t summons = 0;
  for (const ActionRecord* entry = info_.Actions; entry != nullptr; entry = entry->Next) {
    const auto* fields =
        static_cast<const AbilityData*>(static_cast<const CommandData*>(entry->Data)->Fields);
    if (fields->EventType == VANTREL_EVENT_SUMMON_HERO) ++summons;
  }
  EXPECT_EQ(summons, 2u * kHeroTypes);
}

TEST_F(ParseLimits, RepeatedSummonsAndSkillsAreAllFiled) {
  constexpr size_t kTimes = 20000;
  Bytes actions = Repeat(Ability(HeroId(0).c_str()), kTimes);
  const Bytes skills = Repeat(Ability("AHbz"), kTimes);
  actions.insert(actions.end(), skills.begin(), skills.end());
  Actions(actions, 15);
  ASSERT_EQ(Parse(), 0) << info_.ErrorText;
  const HeroNode* hero = info_.Players[0].Heroes;
  ASSERT_NE(hero, nullptr);
  EXPECT_EQ(hero->Next, nullptr);
  EXPECT_EQ(hero->SummonCount, kTimes - 1);
  EXPECT_EQ(Length(hero->Summons), kTimes - 1);
  EXPECT_EQ(hero->SkillCount, kTimes);
  EXPECT_EQ(Length(hero->Skills), kTimes);
}

// The result pool grows with the data, whatever the data holds: the bound is generous (texts
// included) but far below what a walk that copied lists, or a count taken on trust, would need.
struct GrowthCase {
  const char* name;
  Bytes unit;  // one action, repeated to fill the game
};

class PoolGrowth : public ParseLimits, public testing::WithParamInterface<GrowthCase> {};

TEST_P(PoolGrowth, StaysLinearInTheData) {
  const Bytes& unit = GetParam().unit;
  Actions(Repeat(unit, 240000 / unit.size()), unit.size());
  Parse();
  ASSERT_NE(info_.Actions, nullptr);
  EXPECT_LE(PoolBytes(parser_.pool()), 256 * data_.size());
}

INSTANTIATE_TEST_SUITE_P(
    HostileStreams, PoolGrowth,
    testing::Values(GrowthCase{"OneByteActions", {0x01}},
                    GrowthCase{"EmptySelections", {0x16, 0x01, 0x00, 0x00}},
                    // Claims 65535 objects but holds one: only what is there is made.
                    GrowthCase{"SelectionClaimingTooMany",
                               ByteWriter().U8(0x16).U8(1).U16(0xFFFF).U32(1).U32(2).bytes()},
                    GrowthCase{"Summons", Ability("H000")}, GrowthCase{"Skills", Ability("AHbz")},
                    GrowthCase{"SubgroupMerges", ByteWriter()
                                                     .U8(0x16)
                                                     .U8(2)
                                                     .U16(0)
                                                     .U8(0x16)
                                                     .U8(1)
                                                     .U16(0)
                                                     .U8(0x19)
                                                     .Id("H000")
                                                     .U32(1)
                                                     .U32(2)
                                                     .bytes()}),
    [](const testing::TestParamInfo<GrowthCase>& info) { return info.param.name; });

struct PlayerCase {
  const char* name;
  size_t entries;  // player entries of the record, the host included
  const char* error;
};

class PlayerEntries : public ParseLimits, public testing::WithParamInterface<PlayerCase> {};

TEST_P(PlayerEntries, AreBounded) {
  for (size_t i = 1; i < GetParam().entries; ++i)
    game_.players.push_back(PlayerEntry{static_cast<uint8_t>(i + 1), "P", {0}});
  game_.Chat(1, 0, "gg");
  Parse();
  if (GetParam().error == nullptr) {
    EXPECT_EQ(info_.ErrorText, nullptr) << info_.ErrorText;
    EXPECT_EQ(info_.PlayerCount, static_cast<int32_t>(GetParam().entries));
  } else {
    ASSERT_NE(info_.ErrorText, nullptr);
    EXPECT_STREQ(info_.ErrorText, GetParam().error);
    EXPECT_EQ(info_.Actions, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Records, PlayerEntries,
    testing::Values(PlayerCase{"AtTheBound", VANTREL_MAX_PLAYER_ENTRIES, nullptr},
                    PlayerCase{"PastTheBound", VANTREL_MAX_PLAYER_ENTRIES + 1,
                               "Error parsing GameStartRecord - too many players"}),
    [](const testing::TestParamInfo<PlayerCase>& info) { return info.param.name; });

// A tiny file whose header claims far more than its blocks can yield is refused before the
// decompressed buffer is allocated.
TEST(ContainerLimits, ClaimedSizeBeyondTheFileIsNotAllocated) {
  ReplayHeader header;
  header.decompressedSize = 0xFFFFFFFF;
  header.blockCount = 0xFFFFFFFF;
  Bytes file = WriteReplay(header, {}, 0);
  file.resize(100, 0);
  GeneralInfo info{};
  size_t blocksOffset = 0;
  ASSERT_TRUE(vantrel::ReadReplayHeaders(file.data(), file.size(), info, blocksOffset).ok);
  vantrel::InflatedReplay out;
  const vantrel::ContainerResult result =
      vantrel::InflateBlocks(file.data(), file.size(), blocksOffset, info, out);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "Fail to allocate memory");
  EXPECT_EQ(out.data, nullptr);
  EXPECT_EQ(out.size, 0u);
}

}  // namespace
