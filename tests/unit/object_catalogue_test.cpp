// The object catalogue: tables into race groups, sorting, searching and properties.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "gamedata/object_catalogue.h"
#include "gamedata/slk_parser.h"
#include "support/corpus.h"
#include "support/standard_archives.h"
#include "support/temp_dir.h"

namespace {

std::string Slk(const std::vector<std::vector<std::string>>& rows) {
  const testsupport::Bytes bytes = testsupport::SlkText(rows);
  return std::string(bytes.begin(), bytes.end());
}

class Catalogue : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < kRaceGroupCount; ++i)
      groups_[i].RaceCode = kRaceCodes[i];
  }
  void Parse(TSLKParser& table, const std::string& text) {
    table.Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
  static std::vector<std::string> Ids(const ObjectEntry* entries, uint32_t count) {
    std::vector<std::string> ids;
    for (uint32_t i = 0; i < count; ++i)
      ids.emplace_back(entries[i].Id);
    return ids;
  }

  RaceGroup groups_[kRaceGroupCount] = {};
  TCustomMemoryManager memory_;
  TSLKParser table_;
};

TEST_F(Catalogue, UnitTableRowsGoByTheirSortCode) {
  Parse(table_, Slk({{"unitID", "sort"},
                     {"hfoo", "a2"},
                     {"Hpal", "a1"},
                     {"htow", "a3"},
                     {"Hamg", "a1"},
                     {"ncxx", "c1x"},
                     {"Obla", "b1"},
                     {"ewsp", "c2"},
                     {"uaco", "d2"},
                     {"nfro", "n2"},
                     {"zzzz", "z3"},
                     {"eeee", "e2"},
                     {"aaaa", "a"},
                     {"", "a2"},
                     {"hhhh", "a4"}}));
  CatalogueUnits(table_, groups_, memory_, nullptr);
  const RaceGroup& human = groups_[2];
  EXPECT_EQ(Ids(human.Heroes, human.HeroCount), (std::vector<std::string>{"Hamg", "Hpal"}));
  EXPECT_EQ(Ids(human.Units, human.UnitCount), (std::vector<std::string>{"hfoo"}));
  EXPECT_EQ(Ids(human.Buildings, human.BuildingCount), (std::vector<std::string>{"htow"}));
  EXPECT_EQ(human.Heroes[1].Type, kObjectHero);
  EXPECT_EQ(human.Heroes[1].Race, 1);
  EXPECT_EQ(human.Units[0].Type, kObjectUnit);
  EXPECT_EQ(human.Buildings[0].Type, kObjectBuilding);
  EXPECT_EQ(Ids(groups_[3].Heroes, groups_[3].HeroCount), (std::vector<std::string>{"Obla"}));
  EXPECT_EQ(Ids(groups_[1].Units, groups_[1].UnitCount), (std::vector<std::string>{"ewsp"}));
  EXPECT_EQ(Ids(groups_[4].Units, groups_[4].UnitCount), (std::vector<std::string>{"uaco"}));
  // A longer code of the hero kind makes a neutral unit, whatever its first character.
  const RaceGroup& neutral = groups_[kNeutralGroup];
  EXPECT_EQ(Ids(neutral.Units, neutral.UnitCount), (std::vector<std::string>{"ncxx", "nfro"}));
  EXPECT_EQ(neutral.Units[0].Race, 128);
  EXPECT_EQ(Ids(neutral.Buildings, neutral.BuildingCount), (std::vector<std::string>{"zzzz"}));
  EXPECT_EQ(FindObjectInGroups(groups_, "eeee"), nullptr);
  EXPECT_EQ(FindObjectInGroups(groups_, "aaaa"), nullptr);
  EXPECT_EQ(FindObjectInGroups(groups_, "hhhh"), nullptr);
  EXPECT_EQ(groups_[0].HeroCount + groups_[0].UnitCount + groups_[0].BuildingCount, 0u);
}

TEST_F(Catalogue, TablesOfSkillsUpgradesAndItemsAreSortedIntoTheNeutralGroup) {
  testsupport::TempDir dir;
  const std::string logPath = dir.File("log.txt");
  CLog log(logPath.c_str());
  Parse(table_, Slk({{"alias"}, {"AHhb"}, {"Aatk"}, {"AHbz"}}));
  CatalogueTable(table_, kObjectSkill, groups_, memory_, &log);
  const RaceGroup& neutral = groups_[kNeutralGroup];
  EXPECT_EQ(Ids(neutral.Skills, neutral.SkillCount),
            (std::vector<std::string>{"AHbz", "AHhb", "Aatk"}));
  EXPECT_EQ(neutral.Skills[0].Type, kObjectSkill);
  EXPECT_EQ(neutral.Skills[0].Race, 0);
  const std::string text = testsupport::ReadText(logPath);
  EXPECT_NE(text.find(": Start sorting skills (3 total).\n"), std::string::npos) << text;
  EXPECT_NE(text.find(": End sorting.\n"), std::string::npos);
}

TEST_F(Catalogue, SortKeepsTheOrderOfEqualIds) {
  ObjectEntry entries[6] = {};
  const char* ids[] = {"hfoo", "Hpal", "hfoo", "Aatk", "hfoo", "Hpal"};
  void* marks[6];
  for (int i = 0; i < 6; ++i) {
    std::strcpy(entries[i].Id, ids[i]);
    entries[i].Icon = &marks[i];
  }
  SortEntries(entries, 0, 5);
  EXPECT_EQ(Ids(entries, 6),
            (std::vector<std::string>{"Aatk", "Hpal", "Hpal", "hfoo", "hfoo", "hfoo"}));
  EXPECT_EQ(entries[1].Icon, &marks[1]);
  EXPECT_EQ(entries[2].Icon, &marks[5]);
  EXPECT_EQ(entries[3].Icon, &marks[0]);
  EXPECT_EQ(entries[4].Icon, &marks[2]);
  EXPECT_EQ(entries[5].Icon, &marks[4]);
}

TEST_F(Catalogue, SearchFindsEveryEntryOfArraysOfAnySize) {
  // Ids "a000", "a002", ...: every one is found, the odd ones in between are not.
  const auto id = [](int number) {
    std::string text = std::to_string(number);
    return "a" + std::string(3 - text.size(), '0') + text;
  };
  for (int count = 1; count <= 40; ++count) {
    std::vector<ObjectEntry> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
      std::memcpy(entries[i].Id, id(2 * i).c_str(), 4);
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(SearchEntries(entries.data(), count, id(2 * i).c_str()), &entries[i])
          << count << " " << i;
      EXPECT_EQ(SearchEntries(entries.data(), count, id(2 * i + 1).c_str()), nullptr)
          << count << " " << i;
    }
    EXPECT_EQ(SearchEntries(entries.data(), count, "0000"), nullptr);
    EXPECT_EQ(SearchEntries(entries.data(), count, "zzzz"), nullptr);
  }
}

TEST_F(Catalogue, SearchComparesFourCharacters) {
  ObjectEntry entries[2] = {};
  std::strcpy(entries[0].Id, "Hamg");
  std::strcpy(entries[1].Id, "Hpal");
  EXPECT_EQ(SearchEntries(entries, 2, "Hpa"), nullptr);
  EXPECT_EQ(SearchEntries(entries, 2, "Hpal2"), &entries[1]);
  EXPECT_EQ(SearchEntries(entries, 2, nullptr), nullptr);
  EXPECT_EQ(SearchEntries(entries, 0, "Hpal"), nullptr);
  EXPECT_EQ(SearchEntries(nullptr, 2, "Hpal"), nullptr);
}

TEST_F(Catalogue, CustomGroupIsSearchedFirst) {
  ObjectEntry standard = {}, custom = {};
  std::strcpy(standard.Id, "hfoo");
  std::strcpy(custom.Id, "hfoo");
  groups_[2].Units = &standard;
  groups_[2].UnitCount = 1;
  EXPECT_EQ(FindObjectInGroups(groups_, "hfoo"), &standard);
  groups_[kCustomGroup].Units = &custom;
  groups_[kCustomGroup].UnitCount = 1;
  EXPECT_EQ(FindObjectInGroups(groups_, "hfoo"), &custom);
  // Group 0 is never searched.
  groups_[kCustomGroup].UnitCount = 0;
  groups_[2].UnitCount = 0;
  groups_[0].Units = &standard;
  groups_[0].UnitCount = 1;
  EXPECT_EQ(FindObjectInGroups(groups_, "hfoo"), nullptr);
}

TEST_F(Catalogue, FirstValueOfAKeyWinsAndKeysAreExact) {
  ObjectEntry entry = {};
  AddProperty(&entry, "Name", "Paladin", memory_);
  AddProperty(&entry, "Name", "Someone else", memory_);
  AddProperty(&entry, "name", "lower", memory_);
  AddProperty(&entry, "Art", "ReplaceableTextures\\CommandButtons\\BTNHeroPaladin.blp", memory_);
  EXPECT_STREQ(GetProperty(&entry, "Name"), "Paladin");
  EXPECT_STREQ(GetProperty(&entry, "name"), "lower");
  EXPECT_STREQ(GetProperty(&entry, "Art"),
               "ReplaceableTextures\\CommandButtons\\BTNHeroPaladin.blp");
  EXPECT_EQ(GetProperty(&entry, "NAME"), nullptr);
  EXPECT_EQ(GetProperty(nullptr, "Name"), nullptr);
  // Newest first.
  EXPECT_STREQ(entry.Properties->Key, "Art");
}

TEST_F(Catalogue, UnitAbilitiesNeedAHeroAbilityList) {
  Parse(table_, Slk({{"unitID", "sort"}, {"Hpal", "a1"}, {"hfoo", "a2"}}));
  CatalogueUnits(table_, groups_, memory_, nullptr);
  TSLKParser abilities;
  Parse(abilities, Slk({{"unitAbilID", "comment", "race", "auto", "abilList", "heroAbilList"},
                        {"Hpal", "Paladin", "human", "", "AHbz", "AHhb,AHds,AHre,AHad"},
                        {"hfoo", "Footman", "human", "", "Adef,Aihn", ""},
                        {"nnnn", "absent", "", "", "", "AHhb"}}));
  AttachUnitAbilities(abilities, groups_, memory_);
  EXPECT_STREQ(GetProperty(FindObjectInGroups(groups_, "Hpal"), "heroAbilList"),
               "AHhb,AHds,AHre,AHad");
  EXPECT_STREQ(GetProperty(FindObjectInGroups(groups_, "Hpal"), "abilList"), "AHbz");
  EXPECT_EQ(FindObjectInGroups(groups_, "hfoo")->Properties, nullptr);
}

TEST_F(Catalogue, RealTablesOfTheGame) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  const std::string units = corpus + "/w3x2lni/enUS-1.27.1/Units/";
  const auto parseFile = [](TSLKParser& table, const std::string& path) {
    const testsupport::Bytes bytes = testsupport::ReadFile(path);
    ASSERT_FALSE(bytes.empty()) << path;
    table.Parse(bytes.data(), bytes.size());
  };
  TSLKParser unitData, abilityData, unitAbilities;
  parseFile(unitData, units + "unitdata.slk");
  parseFile(abilityData, units + "abilitydata.slk");
  parseFile(unitAbilities, units + "unitabilities.slk");
  CatalogueUnits(unitData, groups_, memory_, nullptr);
  CatalogueTable(abilityData, kObjectSkill, groups_, memory_, nullptr);
  AttachUnitAbilities(unitAbilities, groups_, memory_);

  const struct {
    const char* id;
    uint8_t type;
    uint8_t race;
  } facts[] = {{"Hpal", kObjectHero, 1}, {"hfoo", kObjectUnit, 1}, {"htow", kObjectBuilding, 1},
               {"Obla", kObjectHero, 2}, {"ogru", kObjectUnit, 2}, {"Edem", kObjectHero, 4},
               {"Ulic", kObjectHero, 8}, {"uaco", kObjectUnit, 8}, {"Npbm", kObjectHero, 128},
               {"AHhb", kObjectSkill, 0}};
  for (const auto& fact : facts) {
    const ObjectEntry* entry = FindObjectInGroups(groups_, fact.id);
    ASSERT_NE(entry, nullptr) << fact.id;
    EXPECT_EQ(entry->Type, fact.type) << fact.id;
    EXPECT_EQ(entry->Race, fact.race) << fact.id;
  }
  const char* paladinSkills = GetProperty(FindObjectInGroups(groups_, "Hpal"), "heroAbilList");
  ASSERT_NE(paladinSkills, nullptr);
  EXPECT_NE(std::strstr(paladinSkills, "AHhb"), nullptr) << paladinSkills;
}

}  // namespace
