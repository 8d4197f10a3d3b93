// The program's built-in game data: data/gamedata/objects.tsv, packed by the build into the
// program folder's ParserData/war3*.mpq. The ordinary standard data read takes it without a game
// folder, every object of the table is catalogued with its name, the archives hold nothing but
// the facts of the table, and what the table and the game's real 1.27.1 tables both hold agrees.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "archives/builtin_table.h"
#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "gamedata/mpq_binding.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/object_catalogue.h"
#include "gamedata/profile_text.h"
#include "gamedata/slk_parser.h"
#include "support/corpus.h"
#include "support/scoped_env.h"
#include "support/standard_archives.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using quorvel::archives::BuiltinObject;
using quorvel::archives::ParseBuiltinTable;
using quorvel::archives::ReadBuiltinTable;

const std::string kTable = std::string(QUORVEL_SOURCE_DIR) + "/data/gamedata/objects.tsv";
const std::string kDataDir = std::string(QUORVEL_PROGRAM_DIR) + "/ParserData";

// Where the catalogue put an entry: its group, its list (the entry's type) and its race code.
struct Placement {
  int group = -1;
  uint8_t type = 0;
  uint8_t race = 0;
  bool operator==(const Placement&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Placement& p) {
  return out << "group " << p.group << ", type " << int(p.type) << ", race " << int(p.race);
}

Placement PlacementOf(TMPQDataReader& reader, const ObjectEntry* entry) {
  for (int group = 0; group < kRaceGroupCount; ++group) {
    const RaceGroup& g = reader.RaceGroups[group];
    const std::pair<const ObjectEntry*, uint32_t> lists[] = {
        {g.Heroes, g.HeroCount},      {g.Units, g.UnitCount},   {g.Buildings, g.BuildingCount},
        {g.Upgrades, g.UpgradeCount}, {g.Skills, g.SkillCount}, {g.Items, g.ItemCount}};
    for (const auto& [entries, count] : lists) {
      if (entries != nullptr && entry >= entries && entry < entries + count)
        return Placement{group, entry->Type, entry->Race};
    }
  }
  return Placement{};
}

// Where the table says an object goes, by the rules of the standard data read.
Placement ExpectedPlacement(const BuiltinObject& object) {
  if (object.kind == "ability") return {kNeutralGroup, kObjectSkill, 0};
  if (object.kind == "upgrade") return {kNeutralGroup, kObjectUpgrade, 0};
  if (object.kind == "item") return {kNeutralGroup, kObjectItem, 0};
  const std::map<char, int> groups{{'a', 2}, {'b', 3}, {'c', 1}, {'d', 4},
                                   {'n', 5}, {'o', 5}, {'p', 5}, {'z', 5}};
  int group = groups.at(object.kind[0]);
  uint8_t type = object.kind[1] == '3' ? kObjectBuilding : kObjectUnit;
  if (object.kind[1] == '1') {
    if (object.kind.size() == 2) {
      type = kObjectHero;
    } else {
      group = kNeutralGroup;
    }
  }
  return {group, type, kRaceCodes[group]};
}

std::string Text(const char* text) {
  return text != nullptr ? text : "(none)";
}

// Binds this module to StormLib and closes the archives of the readers it made.
class BuiltinData : public testing::Test {
 protected:
  void SetUp() override {
    { SFMPQAPIMODULE reset; }  // destroying a binding unbinds whatever an earlier test bound
    binding_ = std::make_unique<SFMPQAPIMODULE>();
    ASSERT_TRUE(MpqLibraryBound()) << "StormLib (" << kMpqLibraryName << ") is not installed";
    for (const char* archive : {"war3.mpq", "war3x.mpq", "war3xlocal.mpq", "war3Patch.mpq"}) {
      ASSERT_TRUE(fs::is_regular_file(kDataDir + "/" + archive))
          << archive << " is not built in " << kDataDir;
    }
    log_ = std::make_unique<CLog>(dir_.File("quorvel.log").c_str());
  }

  void TearDown() override {
    for (const auto& reader : readers_)
      reader->CloseStandardArchives();
    readers_.clear();
    binding_.reset();
  }

  TMPQDataReader& MakeReader(const char* gameDir, const std::string& dataDir) {
    readers_.push_back(
        std::make_unique<TMPQDataReader>(DataReaderInfo{gameDir, dataDir.c_str(), log_.get()}));
    return *readers_.back();
  }

  // The reader the program makes when no game is installed.
  TMPQDataReader& BuiltinReader() { return MakeReader(nullptr, kDataDir); }

  testsupport::TempDir dir_;
  testsupport::ScopedEnv library_{kMpqLibraryVariable, nullptr};
  std::unique_ptr<SFMPQAPIMODULE> binding_;
  std::unique_ptr<CLog> log_;
  std::vector<std::unique_ptr<TMPQDataReader>> readers_;
};

TEST_F(BuiltinData, ReadWithoutAGameFolderFindsEveryFile) {
  TMPQDataReader& reader = BuiltinReader();

  ASSERT_EQ(reader.ReadStandardData(), MpqOk) << reader.ErrorFile;
  EXPECT_STREQ(reader.ErrorFile, "");  // every table was there too
  EXPECT_EQ(reader.PatchArchivePath, kDataDir + "/war3Patch.mpq");
  for (void* archive :
       {reader.PatchArchive, reader.LocalArchive, reader.ExpansionArchive, reader.BaseArchive})
    EXPECT_NE(archive, nullptr);

  struct Fact {
    const char* id;
    Placement placement;
    const char* name;
  };
  const Fact facts[] = {
      {"Hpal", {2, kObjectHero, 1}, "Paladin"},
      {"hfoo", {2, kObjectUnit, 1}, "Footman"},
      {"htow", {2, kObjectBuilding, 1}, "Town Hall"},
      {"ogre", {3, kObjectBuilding, 2}, "Great Hall"},
      {"ewsp", {1, kObjectUnit, 4}, "Wisp"},
      {"Udea", {4, kObjectHero, 8}, "Death Knight"},
      {"Npbm", {5, kObjectHero, 128}, "Pandaren Brewmaster"},
      {"npn1", {5, kObjectUnit, 128}, "Fire"},
      {"ngme", {5, kObjectBuilding, 128}, "Goblin Merchant"},
      {"AHhb", {5, kObjectSkill, 0}, "Holy Light"},
      {"Rhme",
       {5, kObjectUpgrade, 0},
       "Iron Forged Swords,Steel Forged Swords,Mithril Forged Swords"},
      {"Rome",
       {5, kObjectUpgrade, 0},
       "Steel Melee Weapons,Thorium Melee Weapons,Arcanite Melee Weapons"},
      {"ratc", {5, kObjectItem, 0}, "Claws of Attack +12"},
  };
  for (const Fact& f : facts) {
    SCOPED_TRACE(f.id);
    const ObjectEntry* entry = reader.FindObject(f.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(PlacementOf(reader, entry), f.placement);
    EXPECT_STREQ(GetProperty(entry, "Name"), f.name);
    EXPECT_EQ(GetProperty(entry, "Art"), nullptr);  // no icon paths are delivered
  }
  EXPECT_STREQ(GetProperty(reader.FindObject("Hpal"), "heroAbilList"), "AHhb,AHds,AHre,AHad");
  EXPECT_EQ(GetProperty(reader.FindObject("Hpal"), "abilList"), nullptr);
}

TEST_F(BuiltinData, EveryObjectOfTheTableIsCataloguedWithItsName) {
  const std::vector<BuiltinObject> objects = ReadBuiltinTable(kTable);
  TMPQDataReader& reader = BuiltinReader();
  ASSERT_EQ(reader.ReadStandardData(), MpqOk) << reader.ErrorFile;

  size_t catalogued = 0;
  for (int group = 0; group < kRaceGroupCount; ++group) {
    const RaceGroup& g = reader.RaceGroups[group];
    catalogued +=
        g.HeroCount + g.UnitCount + g.BuildingCount + g.UpgradeCount + g.SkillCount + g.ItemCount;
  }
  EXPECT_EQ(catalogued, objects.size());  // one entry per object, none without an id
  for (const BuiltinObject& object : objects) {
    SCOPED_TRACE(object.id);
    const ObjectEntry* entry = reader.FindObject(object.id.c_str());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Id, object.id);
    EXPECT_EQ(PlacementOf(reader, entry), ExpectedPlacement(object));
    if (object.name.empty()) {
      EXPECT_EQ(GetProperty(entry, "Name"), nullptr);
    } else {
      EXPECT_EQ(Text(GetProperty(entry, "Name")), object.name);
    }
    if (object.skills.empty()) {
      EXPECT_EQ(GetProperty(entry, "heroAbilList"), nullptr);
    } else {
      EXPECT_EQ(Text(GetProperty(entry, "heroAbilList")), object.skills);
    }
  }
}

// Collects the keys of a profile text.
class Keys : public ProfileConsumer {
 public:
  void Section(const char*) override { ++sections; }
  void Pair(const char* key, const char*) override { keys.insert(key); }
  int sections = 0;
  std::set<std::string> keys;
};

TEST_F(BuiltinData, ArchivesHoldOnlyTheFactsOfTheTable) {
  TMPQDataReader& reader = BuiltinReader();
  reader.OpenStandardArchives();
  const std::map<std::string, void*> archives{
      {testsupport::kPatchArchive, reader.PatchArchive},
      {testsupport::kLocalArchive, reader.LocalArchive},
      {testsupport::kExpansionArchive, reader.ExpansionArchive},
      {testsupport::kBaseArchive, reader.BaseArchive}};

  // The tables: the id and, for units, the sort code; for the unit abilities the id and the
  // hero skills in the sixth column.
  const std::map<std::string, int32_t> columns{{"Units\\UnitData.slk", 2},
                                               {"Units\\AbilityData.slk", 1},
                                               {"Units\\UpgradeData.slk", 1},
                                               {"Units\\ItemData.slk", 1},
                                               {"Units\\UnitAbilities.slk", 6}};
  ASSERT_EQ(testsupport::StandardTables().size(), columns.size());
  for (const std::string& name : testsupport::StandardTables()) {
    SCOPED_TRACE(name);
    TCustomMemoryManager memory(nullptr);
    const MpqTableFile file = reader.ReadTableFile(reader.PatchArchive, name.c_str(), memory);
    ASSERT_EQ(file.Code, MpqOk);
    TSLKParser table(nullptr);
    table.Parse(file.Bytes, file.Size);
    SFMPQAPIMODULE::SFileCloseFile(file.File);
    EXPECT_EQ(table.ColumnCount, columns.at(name));
    EXPECT_GT(table.RowCount, 1);
    if (name == "Units\\UnitAbilities.slk") {
      for (int32_t row = 1; row < table.RowCount; ++row) {
        for (int32_t column = 1; column <= 4; ++column)
          EXPECT_EQ(table.Cell(column, row), nullptr) << "row " << row << ", column " << column;
      }
    }
  }

  // The texts: every one the read asks for, in the archive it is read from, with names only.
  int sections = 0;
  for (const auto& [archive, names] : testsupport::StandardTexts()) {
    for (const std::string& name : names) {
      SCOPED_TRACE(archive + ": " + name);
      Keys keys;
      EXPECT_EQ(reader.ReadTextFile(archives.at(archive), name.c_str(), keys), MpqOk);
      for (const std::string& key : keys.keys)
        EXPECT_EQ(key, "Name");
      sections += keys.sections;
    }
  }
  size_t named = 0;
  for (const BuiltinObject& object : ReadBuiltinTable(kTable))
    named += object.name.empty() ? 0 : 1;
  EXPECT_EQ(static_cast<size_t>(sections), named);
}

// --- Against the game's own tables ----------------------------------------------------------

// The real English 1.27.1 tables and the built-in data agree on the name and the placement of
// every object that both hold; reports how much of the real data the built-in table covers.
TEST_F(BuiltinData, AgreesWithTheGameTablesOf1271) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty())
    GTEST_SKIP() << "no corpus folder (../shared/corpus): the game's own tables are not read";
  const std::string units = corpus + "/w3x2lni/enUS-1.27.1/Units";
  const std::string realDir = dir_.File("game");
  testsupport::WriteStandardArchivesFrom(units, realDir);
  TMPQDataReader& real = MakeReader(realDir.c_str(), kDataDir);
  ASSERT_EQ(real.ReadStandardData(), MpqOk) << real.ErrorFile;
  TMPQDataReader& builtin = BuiltinReader();
  ASSERT_EQ(builtin.ReadStandardData(), MpqOk) << builtin.ErrorFile;

  const std::vector<BuiltinObject> objects = ReadBuiltinTable(kTable);
  std::set<std::string> tableIds;
  size_t shared = 0;
  for (const BuiltinObject& object : objects) {
    SCOPED_TRACE(object.id);
    tableIds.insert(object.id);
    const ObjectEntry* mine = builtin.FindObject(object.id.c_str());
    const ObjectEntry* theirs = real.FindObject(object.id.c_str());
    ASSERT_NE(mine, nullptr);
    EXPECT_NE(theirs, nullptr) << "an object that the game's 1.27.1 tables do not have";
    if (theirs == nullptr) continue;
    ++shared;
    EXPECT_EQ(PlacementOf(builtin, mine), PlacementOf(real, theirs));
    EXPECT_EQ(Text(GetProperty(mine, "Name")), Text(GetProperty(theirs, "Name")));
    EXPECT_EQ(Text(GetProperty(mine, "heroAbilList")), Text(GetProperty(theirs, "heroAbilList")));
  }

  // Coverage by kind: objects of the real catalogue (with an id) and how many the table holds.
  const char* const kinds[] = {"", "buildings", "heroes", "items", "units", "skills", "upgrades"};
  std::map<uint8_t, std::pair<size_t, size_t>> coverage;  // type -> (real, in the table)
  for (int group = 1; group <= kNeutralGroup; ++group) {
    const RaceGroup& g = real.RaceGroups[group];
    const std::pair<const ObjectEntry*, uint32_t> lists[] = {
        {g.Heroes, g.HeroCount},      {g.Units, g.UnitCount},   {g.Buildings, g.BuildingCount},
        {g.Upgrades, g.UpgradeCount}, {g.Skills, g.SkillCount}, {g.Items, g.ItemCount}};
    for (const auto& [entries, count] : lists) {
      for (uint32_t i = 0; i < count; ++i) {
        if (entries[i].Id[0] == '\0') continue;
        auto& [all, held] = coverage[entries[i].Type];
        ++all;
        held += tableIds.count(entries[i].Id);
      }
    }
  }

  // The melee units, heroes and buildings as the game marks them: the rows of its unit table
  // that UnitUI.slk does not mark as campaign objects. The table holds every one the catalogue
  // places.
  TSLKParser unitUi(nullptr);
  const testsupport::Bytes uiBytes = testsupport::ReadFile(units + "/unitui.slk");
  unitUi.Parse(uiBytes.data(), uiBytes.size());
  int32_t campaignColumn = -1;
  for (int32_t column = 0; column < unitUi.ColumnCount; ++column) {
    const char* title = unitUi.Cell(column, 0);
    if (title != nullptr && std::strcmp(title, "campaign") == 0) campaignColumn = column;
  }
  ASSERT_GE(campaignColumn, 0);
  size_t melee = 0, meleeHeld = 0;
  for (int32_t row = 1; row < unitUi.RowCount; ++row) {
    const char* id = unitUi.Cell(0, row);
    const char* campaign = unitUi.Cell(campaignColumn, row);
    if (id == nullptr || campaign == nullptr || std::strcmp(campaign, "0") != 0) continue;
    if (real.FindObject(id) == nullptr) continue;  // a sort code the catalogue does not place
    ++melee;
    meleeHeld += tableIds.count(std::string(id).substr(0, 4));
    EXPECT_TRUE(tableIds.count(std::string(id).substr(0, 4))) << "melee object " << id;
  }

  std::ostringstream report;
  report << "built-in table: " << objects.size() << " objects, " << shared
         << " of them in the 1.27.1 tables; melee units, heroes and buildings of 1.27.1: "
         << meleeHeld << " of " << melee << ";";
  for (const auto& [type, counts] : coverage)
    report << " " << kinds[type] << " " << counts.second << "/" << counts.first;
  std::cout << report.str() << "\n";
  RecordProperty("coverage", report.str());
  EXPECT_EQ(shared, objects.size());
}

// --- The table file -------------------------------------------------------------------------

TEST(BuiltinTable, LinesBecomeObjects) {
  const std::vector<BuiltinObject> objects = ParseBuiltinTable(
      "# comment\n"
      "id\tclass\tname\tskills\r\n"
      "Hpal\ta1\tPaladin\tAHhb,AHds\n"
      "\n"
      "AHhb\tability\tHoly Light\t\n"
      "ANef\tability\t\"Storm, Earth, And Fire\"\t\n"
      "AIin\tability\t\t",
      "t.tsv");
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(objects[0].id, "Hpal");
  EXPECT_EQ(objects[0].kind, "a1");
  EXPECT_EQ(objects[0].name, "Paladin");
  EXPECT_EQ(objects[0].skills, "AHhb,AHds");
  EXPECT_EQ(objects[1].kind, "ability");
  EXPECT_EQ(objects[2].name, "\"Storm, Earth, And Fire\"");
  EXPECT_EQ(objects[3].name, "");
}

TEST(BuiltinTable, FaultsNameTheirLine) {
  const std::string title = "id\tclass\tname\tskills\n";
  const std::pair<std::string, std::string> cases[] = {
      {"", "t.tsv: no title line"},
      {"id\tclass\tname\n", "t.tsv:1: the title line"},
      {title + "Hpal\ta1\tPaladin\n", "t.tsv:2: 4 fields"},
      {title + "Hpa\ta1\tPaladin\t\n", "t.tsv:2: the id 'Hpa'"},
      {title + "Hp;l\ta1\tPaladin\t\n", "t.tsv:2: the id 'Hp;l'"},
      {title + "Hpal\tunit\tPaladin\t\n", "t.tsv:2: the class 'unit'"},
      {title + "Hpal\t1a\tPaladin\t\n", "t.tsv:2: the class '1a'"},
      {title + "Hpal\ta1\tPal\x1F"
               "adin\t\n",
       "t.tsv:2: the name holds a control character"},
      {title + "AHhb\tability\tHoly Light\tAHhb\n", "t.tsv:2: hero skills on an object"},
      {title + "Hpal\ta1\tPaladin\tAHhb,\n", "t.tsv:2: the skills are not ids"},
      {title + "Hpal\ta1\tPaladin\t\nHpal\ta2\tFootman\t\n",
       "t.tsv:3: the id 'Hpal' is given twice"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    try {
      ParseBuiltinTable(text, "t.tsv");
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message) << error.what();
    }
  }
}

TEST(BuiltinTable, TheDeliveredTableReads) {
  const std::vector<BuiltinObject> objects = ReadBuiltinTable(kTable);
  EXPECT_GT(objects.size(), 1000u);
}

}  // namespace
