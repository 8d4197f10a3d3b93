// The objects of a replay's map read into the custom group: map files written by StormLib in a
// game folder and a data folder, a reader built from a DataReaderInfo with the standard data
// read first (as the program does), the texture decoder loaded from the program's ParserData.
// Also the case-insensitive lookup of map paths that the read relies on.
#include <fcntl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "gamedata/mpq_binding.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/object_catalogue.h"
#include "gamedata/object_editor.h"
#include "platform/path_resolve.h"
#include "support/blp_writer.h"
#include "support/byte_writer.h"
#include "support/corpus.h"
#include "support/map_writer.h"
#include "support/mpq_writer.h"
#include "support/scoped_env.h"
#include "support/standard_archives.h"
#include "support/temp_dir.h"

namespace {

using testsupport::LogMessages;

using testsupport::EditorFile;
using testsupport::Minimap;
using testsupport::Rename;
using testsupport::UnitRow;

using testsupport::ScopedEnv;

namespace fs = std::filesystem;
using testsupport::BlpImage;
using testsupport::Bytes;
using testsupport::ByteWriter;
using testsupport::MpqMember;

const BlpBitmap* Bitmap(void** cell) {
  return cell != nullptr ? static_cast<const BlpBitmap*>(*cell) : nullptr;
}

std::string ProgramDataDir() {
  return std::string(QUORVEL_PROGRAM_DIR) + "/ParserData";
}

// --- Map paths as the game records them ----------------------------------------------------------

TEST(PathResolveTest, ComponentsMatchIgnoringLetterCaseAndNeverLeaveTheFolder) {
  testsupport::TempDir dir;
  const std::string game = dir.File("Game") + "/";
  fs::create_directories(game + "Maps/FrozenThrone");
  fs::create_directories(game + "Maps/Pair");
  dir.Write("Game/Maps/FrozenThrone/(2)EchoIsles.w3x", testsupport::TextBytes("map"));
  dir.Write("Game/Maps/Pair/Dup.w3x", testsupport::TextBytes("upper"));
  dir.Write("Game/Maps/Pair/dup.w3x", testsupport::TextBytes("lower"));
  dir.Write("outside.w3x", testsupport::TextBytes("map"));
  const std::string echo = game + "Maps/FrozenThrone/(2)EchoIsles.w3x";

  const struct {
    std::string relative;
    std::string expected;  // "" for not found
  } cases[] = {
      {"Maps\\FrozenThrone\\(2)EchoIsles.w3x", echo},
      {"MAPS\\frozenthrone\\(2)ECHOISLES.W3X", echo},
      {"maps/FrozenThrone/(2)echoisles.w3x", echo},
      {"Maps\\.\\FrozenThrone\\\\(2)EchoIsles.w3x", echo},
      {"Maps\\Pair\\dup.w3x", game + "Maps/Pair/dup.w3x"},  // the exact name wins
      {"Maps\\Pair\\DUP.W3X", game + "Maps/Pair/Dup.w3x"},  // else the first by byte order
      {"Maps\\FrozenThrone", ""},                           // a folder is no map
      {"Maps\\FrozenThrone\\(2)EchoIsles.w3x\\x", ""},
      {"Maps\\FrozenThrone\\Missing.w3x", ""},
      {"..\\outside.w3x", ""},
      {"Maps\\..\\..\\outside.w3x", ""},
      {dir.File("outside.w3x"), ""},
      {"\\outside.w3x", ""},
      {"C:\\outside.w3x", ""},
      {"c:outside.w3x", ""},
      {std::string("Maps\\FrozenThrone\\(2)EchoIsles.w3x\0junk", 40), ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.relative);
    EXPECT_EQ(platform::ResolvePathIgnoringCase(game, c.relative), c.expected);
  }
  // The folder may be given without its '/'; with no folder nothing is found.
  EXPECT_EQ(
      platform::ResolvePathIgnoringCase(dir.File("Game"), "maps\\frozenthrone\\(2)echoisles.w3x"),
      echo);
  EXPECT_EQ(platform::ResolvePathIgnoringCase("", "outside.w3x"), "");
  EXPECT_EQ(platform::ToSlashPath("Maps\\FrozenThrone\\(2)EchoIsles.w3x"),
            "Maps/FrozenThrone/(2)EchoIsles.w3x");
}

// --- Reading maps --------------------------------------------------------------------------------

// Makes the module unbound whatever an earlier test left behind.
void ResetBinding() {
  SFMPQAPIMODULE reset;
}

class CustomMapDataTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::is_regular_file(ProgramDataDir() + "/libostrak.so"))
        << "the texture decoder is built with the tests";
    ResetBinding();
    binding_ = std::make_unique<SFMPQAPIMODULE>();
    ASSERT_TRUE(MpqLibraryBound()) << "StormLib (" << kMpqLibraryName << ") is not installed";
    fs::create_directories(game_ + "/Maps");
    fs::create_directories(data_ + "/Maps");
    fs::create_symlink(ProgramDataDir() + "/libostrak.so", data_ + "/libostrak.so");
    // The standard data: hfoo and Hpal in the unit table, a minimap in war3.mpq for maps
    // without one.
    testsupport::WriteMpq(
        game_ + "/war3Patch.mpq",
        {{"Units\\UnitData.slk",
          testsupport::SlkText({{"unitID", "sort"}, {"hfoo", "a2"}, {"Hpal", "a1"}})}});
    testsupport::WriteMpq(game_ + "/war3xlocal.mpq", {});
    testsupport::WriteMpq(game_ + "/war3x.mpq", {});
    testsupport::WriteMpq(game_ + "/war3.mpq", {{"war3mapMap.blp", Minimap(16, 8)}});
    log_ = std::make_unique<CLog>(logPath_.c_str());
    reader_ =
        std::make_unique<TMPQDataReader>(DataReaderInfo{game_.c_str(), data_.c_str(), log_.get()});
    // Its profile texts are missing: the tables are read all the same.
    reader_->ReadStandardData();
    ASSERT_NE(reader_->FindObject("hfoo"), nullptr);
  }

  void TearDown() override {
    if (!MpqLibraryBound()) binding_ = std::make_unique<SFMPQAPIMODULE>();
    std::set<void*> archives{reader_->PatchArchive, reader_->LocalArchive,
                             reader_->ExpansionArchive, reader_->BaseArchive, reader_->MapArchive};
    for (void* archive : archives)
      if (archive != nullptr) SFMPQAPIMODULE::SFileCloseArchive(archive);
    reader_.reset();
    binding_.reset();
  }

  // Writes a map below the game folder's "Maps" and returns the path a replay records.
  std::string WriteMap(const std::string& name, const std::vector<MpqMember>& members) {
    testsupport::WriteMpq(game_ + "/Maps/" + name, members);
    return "Maps\\" + name;
  }

  // The messages logged from now on.
  void StartLog() { logged_ = LogMessages(logPath_).size(); }
  std::vector<std::string> NewMessages() const {
    const std::vector<std::string> all = LogMessages(logPath_);
    return std::vector<std::string>(all.begin() + static_cast<ptrdiff_t>(logged_), all.end());
  }

  int32_t Load(const std::string& mapPath) {
    StartLog();
    return reader_->LoadCustomMapData(mapPath.c_str());
  }

  testsupport::TempDir dir_;
  const std::string game_ = dir_.File("Game");
  const std::string data_ = dir_.File("ParserData");
  const std::string logPath_ = dir_.File("quorvel.log");
  ScopedEnv library_{kMpqLibraryVariable, nullptr};
  std::unique_ptr<SFMPQAPIMODULE> binding_;
  std::unique_ptr<CLog> log_;
  std::unique_ptr<TMPQDataReader> reader_;
  size_t logged_ = 0;
};

// The lines that tell the steps of a read, in order (the parsers' own lines left out).
std::vector<std::string> StepLines(const std::vector<std::string>& messages) {
  std::vector<std::string> steps;
  for (const std::string& line : messages) {
    for (const char* start : {"MPQ Reader:", "Parse slk", "Start sorting", "End sorting", "Cant"}) {
      if (line.rfind(start, 0) == 0) {
        steps.push_back(line);
        break;
      }
    }
  }
  return steps;
}

TEST_F(CustomMapDataTest, NewMapIsReadIntoTheCustomGroupStepByStep) {
  const std::string map = WriteMap(
      "Full.w3x",
      {{"Units\\UpgradeData.slk", testsupport::SlkText({{"upgradeid"}, {"R001"}, {"R000"}})},
       {"Units\\ItemData.slk", testsupport::SlkText({{"itemID"}, {"I000"}})},
       {"Units\\AbilityData.slk", testsupport::SlkText({{"alias"}, {"A000"}, {"A001"}, {"A002"}})},
       {"Units\\UnitData.slk",
        testsupport::SlkText({UnitRow("unitID", "type"), UnitRow("h000"), UnitRow("H001"),
                              UnitRow("h002", "structure")})},
       {"Units\\UnitAbilities.slk", testsupport::SlkText({{"unitAbilID", "sortAbil", "comment(s)",
                                                           "auto", "abilList", "heroAbilList"},
                                                          {"Hpal", "", "", "", "AHhb", "AHds"},
                                                          {"H001", "", "", "", "", "A000"}})},
       {"war3mapMap.blp", Minimap(32, 16)}});
  ASSERT_EQ(Load(map), MpqOk);

  const std::string path = game_ + "/Maps/Full.w3x";
  EXPECT_EQ(reader_->MapFileName, path);
  EXPECT_EQ(reader_->LastMapFile, path);
  EXPECT_EQ(StepLines(NewMessages()), (std::vector<std::string>{
                                          "MPQ Reader: read custom map data start.\n",
                                          "MPQ Reader: war3 custom map filename: " + path + ".\n",
                                          "MPQ Reader: read custom map files start.\n",
                                          "Parse slk file: Units\\UpgradeData.slk.\n",
                                          "Start sorting (3 total).\n",
                                          "End sorting.\n",
                                          "Parse slk file: Units\\ItemData.slk.\n",
                                          "Start sorting (2 total).\n",
                                          "End sorting.\n",
                                          "Parse slk file: Units\\AbilityData.slk.\n",
                                          "Start sorting (4 total).\n",
                                          "End sorting.\n",
                                          "Parse slk file: Units\\UnitData.slk.\n",
                                          "Start sorting custom buildings (1 total).\n",
                                          "Start sorting custom units (1 total).\n",
                                          "Start sorting custom heroes (1 total).\n",
                                          "End sorting custom heroes.\n",
                                          "MPQ Reader: read standard map files start.\n",
                                          "MPQ Reader: read standard map files end.\n",
                                          "MPQ Reader: read custom map files end.\n",
                                          "MPQ Reader: read custom map data end.\n",
                                      }));

  // Each list holds one entry per table row, the last (empty) one included.
  const RaceGroup& custom = reader_->RaceGroups[kCustomGroup];
  EXPECT_EQ(custom.RaceCode, 240);
  EXPECT_EQ(custom.UpgradeCount, 3u);
  EXPECT_EQ(custom.ItemCount, 2u);
  EXPECT_EQ(custom.SkillCount, 4u);
  const struct {
    const char* id;
    uint8_t type;
  } objects[] = {{"R000", kObjectUpgrade}, {"R001", kObjectUpgrade}, {"I000", kObjectItem},
                 {"A002", kObjectSkill},   {"h000", kObjectUnit},    {"H001", kObjectHero},
                 {"h002", kObjectBuilding}};
  for (const auto& object : objects) {
    SCOPED_TRACE(object.id);
    const ObjectEntry* entry = reader_->FindCustomObject(object.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Type, object.type);
    EXPECT_EQ(entry->Race, 240);
    EXPECT_EQ(reader_->FindObject(object.id), entry);
  }
  // Standard objects are not custom ones; the map's unit abilities reach both.
  EXPECT_EQ(reader_->FindCustomObject("hfoo"), nullptr);
  EXPECT_STREQ(GetProperty(reader_->FindObject("Hpal"), "heroAbilList"), "AHds");
  EXPECT_STREQ(GetProperty(reader_->FindObject("Hpal"), "abilList"), "AHhb");
  EXPECT_STREQ(GetProperty(reader_->FindCustomObject("H001"), "heroAbilList"), "A000");

  const BlpBitmap* minimap = Bitmap(reader_->MinimapImage);
  ASSERT_NE(minimap, nullptr);
  EXPECT_EQ(minimap->Width, 32u);
  EXPECT_EQ(minimap->Height, 16u);
  EXPECT_FALSE(reader_->BlpDecoderMissing);
}

TEST_F(CustomMapDataTest, UnitTableRowsGoToTheListOfTheirType) {
  const std::string map = WriteMap(
      "Units.w3x",
      {{"Units\\UnitData.slk",
        testsupport::SlkText({UnitRow("unitID", "type"), UnitRow("hbld", "structure"),
                              UnitRow("Nbld", "structure"), UnitRow("Hero"), UnitRow("\xC3\xA9xy"),
                              UnitRow("unit"), UnitRow("ustr", "Structure"),
                              UnitRow("", "structure"), UnitRow("uzzz", "unit")})}});
  ASSERT_EQ(Load(map), MpqOk);

  const RaceGroup& custom = reader_->RaceGroups[kCustomGroup];
  const auto ids = [](const ObjectEntry* entries, uint32_t count) {
    std::vector<std::string> result;
    for (uint32_t i = 0; i < count; ++i)
      result.emplace_back(entries[i].Id);
    return result;
  };
  // Column 18 decides buildings (exactly "structure"); otherwise a first character below 'a'
  // (a non-ASCII one included) makes a hero. Each list is sorted; the row without an
  // identifier is in none.
  EXPECT_EQ(ids(custom.Buildings, custom.BuildingCount),
            (std::vector<std::string>{"Nbld", "hbld"}));
  EXPECT_EQ(ids(custom.Heroes, custom.HeroCount), (std::vector<std::string>{"Hero", "\xC3\xA9xy"}));
  EXPECT_EQ(ids(custom.Units, custom.UnitCount),
            (std::vector<std::string>{"unit", "ustr", "uzzz"}));
  for (const ObjectEntry* list : {custom.Buildings, custom.Heroes, custom.Units})
    EXPECT_EQ(list->Race, 240);
  EXPECT_EQ(custom.Heroes[0].Type, kObjectHero);
  EXPECT_EQ(custom.Units[0].Type, kObjectUnit);
  EXPECT_EQ(custom.Buildings[0].Type, kObjectBuilding);
}

// Only the map's own objects take names from its object-editor files; the object-editor name
// comes before one of the map's profile texts.
TEST_F(CustomMapDataTest, ObjectEditorNamesGoToTheMapsOwnObjects) {
  const std::string map = WriteMap(
      "Named.w3x",
      {{"Units\\UnitData.slk",
        testsupport::SlkText({UnitRow("unitID"), UnitRow("h000"), UnitRow("h001")})},
       {"Units\\ItemData.slk", testsupport::SlkText({{"itemID"}, {"I000"}})},
       {"war3map.w3u", EditorFile({{"h000", "unam", "Captain"},
                                   {"h000", "utip", "Not a name"},
                                   {"hfoo", "unam", "Renamed footman"}})},
       {"war3map.w3t", EditorFile({{"I000", "unam", "Sword"}})},
       {"Units\\HumanUnitStrings.txt",
        testsupport::TextBytes("[h000]\nName=From profile\nArt=h000.blp\n[h001]\nName=Second\n"
                               "[hfoo]\nName=Not custom\n")}});
  ASSERT_EQ(Load(map), MpqOk);

  const ObjectEntry* captain = reader_->FindCustomObject("h000");
  ASSERT_NE(captain, nullptr);
  EXPECT_STREQ(GetProperty(captain, "Name"), "Captain");
  EXPECT_STREQ(GetProperty(captain, "Art"), "h000.blp");
  EXPECT_STREQ(GetProperty(reader_->FindCustomObject("h001"), "Name"), "Second");
  EXPECT_STREQ(GetProperty(reader_->FindCustomObject("I000"), "Name"), "Sword");
  // hfoo is an object of the game that the map renames: the map's group gets an entry of that
  // name (the map's name comes before its profile texts), which is found before the game's.
  const ObjectEntry* footman = reader_->FindCustomObject("hfoo");
  ASSERT_NE(footman, nullptr);
  EXPECT_STREQ(GetProperty(footman, "Name"), "Renamed footman");
  EXPECT_EQ(footman->Type, kObjectUnit);
  EXPECT_EQ(footman->Race, 240);
  EXPECT_EQ(reader_->FindObject("hfoo"), footman);
  // The object editor holds nothing between files.
  EXPECT_EQ(reader_->ObjectEditor.ModifiedObjects.ObjectCount, 0u);
  EXPECT_EQ(reader_->ObjectEditor.Memory.Blocks, nullptr);
}

TEST_F(CustomMapDataTest, ObjectsAddedByTheObjectEditorAreCatalogued) {
  // A map without tables of its own: its objects stand only in its object-editor files.
  const std::string map =
      WriteMap("Added.w3x", {{"war3map.w3u", EditorFile({}, {{"h002", "hfoo", "Knight of the map"},
                                                             {"H003", "Hpal", ""},
                                                             {"n004", "zzzz", "Oddity"}})},
                             {"war3map.w3t", EditorFile({}, {{"I005", "ratc", "Claws"}})}});
  ASSERT_EQ(Load(map), MpqOk);
  const struct {
    const char* id;
    uint8_t type;
    const char* name;  // null: none
  } expected[] = {{"h002", kObjectUnit, "Knight of the map"},
                  {"H003", kObjectHero, nullptr},
                  {"n004", kObjectUnit, "Oddity"},
                  {"I005", kObjectItem, "Claws"}};
  for (const auto& object : expected) {
    const ObjectEntry* entry = reader_->FindCustomObject(object.id);
    ASSERT_NE(entry, nullptr) << object.id;
    EXPECT_EQ(entry->Type, object.type) << object.id;
    EXPECT_EQ(entry->Race, 240) << object.id;
    if (object.name != nullptr) {
      EXPECT_STREQ(GetProperty(entry, "Name"), object.name) << object.id;
    } else {
      EXPECT_EQ(GetProperty(entry, "Name"), nullptr) << object.id;
    }
  }
}

TEST_F(CustomMapDataTest, SameMapTwiceReusesTheData) {
  const std::string map =
      WriteMap("Same.w3x",
               {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("h000")})},
                {"war3map.w3u", EditorFile({{"h000", "unam", "Captain"}})},
                {"war3mapMap.blp", Minimap(32, 16)}});
  ASSERT_EQ(Load(map), MpqOk);
  ObjectEntry* first = reader_->FindCustomObject("h000");
  void** minimap = reader_->MinimapImage;
  void* archive = reader_->MapArchive;
  ASSERT_NE(first, nullptr);
  ASSERT_NE(minimap, nullptr);

  ASSERT_EQ(Load(map), MpqOk);
  const std::string path = game_ + "/Maps/Same.w3x";
  EXPECT_EQ(NewMessages(),
            (std::vector<std::string>{"MPQ Reader: read custom map data start.\n",
                                      "MPQ Reader: war3 custom map filename: " + path + ".\n",
                                      "MPQ Reader: use data from previons map.\n"}));
  EXPECT_EQ(reader_->FindCustomObject("h000"), first);
  EXPECT_STREQ(GetProperty(first, "Name"), "Captain");
  EXPECT_EQ(reader_->MinimapImage, minimap);
  EXPECT_EQ(Bitmap(minimap)->Width, 32u);
  EXPECT_EQ(reader_->MapArchive, archive);
}

TEST_F(CustomMapDataTest, MapAThenBThenAReadsAAgain) {
  const std::string a = WriteMap(
      "A.w3x",
      {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("a000")})}});
  const std::string b = WriteMap(
      "B.w3x",
      {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("b000")})}});
  const struct {
    const std::string& map;
    const char* present;
    const char* absent;
  } reads[] = {{a, "a000", "b000"}, {b, "b000", "a000"}, {a, "a000", "b000"}};
  for (const auto& read : reads) {
    SCOPED_TRACE(read.map);
    ASSERT_EQ(Load(read.map), MpqOk);
    const std::vector<std::string> messages = NewMessages();
    EXPECT_NE(
        std::find(messages.begin(), messages.end(), "MPQ Reader: read custom map files start.\n"),
        messages.end());
    EXPECT_NE(reader_->FindCustomObject(read.present), nullptr);
    EXPECT_EQ(reader_->FindCustomObject(read.absent), nullptr);
  }
}

TEST_F(CustomMapDataTest, MapOnlyUnderTheDataFolderIsOpenedThere) {
  testsupport::WriteMpq(
      data_ + "/Maps/Data.w3x",
      {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("d000")})}});
  // The case of the recorded path differs from the file's.
  ASSERT_EQ(Load("MAPS\\data.W3X"), MpqOk);
  const std::string tried = game_ + "/MAPS/data.W3X";
  const std::string found = data_ + "/Maps/Data.w3x";
  const std::vector<std::string> messages = StepLines(NewMessages());
  ASSERT_GE(messages.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.begin() + 5),
            (std::vector<std::string>{"MPQ Reader: read custom map data start.\n",
                                      "MPQ Reader: war3 custom map filename: " + tried + ".\n",
                                      "Cant open map file: " + tried + "\n",
                                      "MPQ Reader: tarnwick custom map filename: " + found + ".\n",
                                      "MPQ Reader: read custom map files start.\n"}));
  EXPECT_EQ(reader_->LastMapFile, found);
  EXPECT_NE(reader_->FindCustomObject("d000"), nullptr);
}

TEST_F(CustomMapDataTest, MapWithoutAMinimapGetsTheOneOfAStandardArchive) {
  const std::string own = WriteMap("Own.w3x", {{"war3mapMap.blp", Minimap(32, 16)}});
  const std::string none = WriteMap("None.w3x", {{"war3map.w3u", EditorFile({})}});
  const struct {
    const std::string& map;
    uint32_t width;
  } cases[] = {{own, 32}, {none, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.map);
    ASSERT_EQ(Load(c.map), MpqOk);
    ASSERT_NE(Bitmap(reader_->MinimapImage), nullptr);
    EXPECT_EQ(Bitmap(reader_->MinimapImage)->Width, c.width);
  }
}

TEST_F(CustomMapDataTest, MissingMapClearsTheCustomData) {
  const std::string map =
      WriteMap("Good.w3x",
               {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("h000")})},
                {"war3mapMap.blp", Minimap(32, 16)}});
  ASSERT_EQ(Load(map), MpqOk);
  ASSERT_NE(reader_->FindCustomObject("h000"), nullptr);

  ASSERT_EQ(Load("Maps\\Gone.w3x"), MpqFileMissing);
  const std::string first = game_ + "/Maps/Gone.w3x";
  const std::string second = data_ + "/Maps/Gone.w3x";
  EXPECT_EQ(StepLines(NewMessages()),
            (std::vector<std::string>{"MPQ Reader: read custom map data start.\n",
                                      "MPQ Reader: war3 custom map filename: " + first + ".\n",
                                      "Cant open map file: " + first + "\n",
                                      "MPQ Reader: tarnwick custom map filename: " + second + ".\n",
                                      "Cant open map.\n"}));
  EXPECT_STREQ(reader_->ErrorFile, second.substr(0, TMPQDataReader::kErrorFileSize - 1).c_str());
  EXPECT_EQ(reader_->FindCustomObject("h000"), nullptr);
  const RaceGroup& custom = reader_->RaceGroups[kCustomGroup];
  EXPECT_EQ(custom.UnitCount + custom.HeroCount + custom.BuildingCount, 0u);
  EXPECT_EQ(custom.RaceCode, 240);
  EXPECT_EQ(reader_->MinimapImage, nullptr);
  EXPECT_EQ(reader_->MapArchive, nullptr);
  EXPECT_EQ(reader_->LastMapFile, "");
  EXPECT_EQ(reader_->CustomMemory.Blocks, nullptr);

  // The same map as before the failure is read anew.
  ASSERT_EQ(Load(map), MpqOk);
  EXPECT_NE(reader_->FindCustomObject("h000"), nullptr);
}

// Paths that lead out of the folders are not opened, even where a map lies at their end.
TEST_F(CustomMapDataTest, PathsOutOfTheFoldersAreNotOpened) {
  testsupport::WriteMpq(
      dir_.File("Outside.w3x"),
      {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("o000")})}});
  for (const std::string& path :
       {std::string("..\\Outside.w3x"), std::string("Maps\\..\\..\\Outside.w3x"),
        dir_.File("Outside.w3x")}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Load(path), MpqFileMissing);
    EXPECT_EQ(reader_->FindCustomObject("o000"), nullptr);
    EXPECT_EQ(reader_->MapArchive, nullptr);
  }
}

TEST_F(CustomMapDataTest, MissingArchiveLibraryLeavesTheCustomDataAlone) {
  const std::string map = WriteMap(
      "Kept.w3x",
      {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("h000")})}});
  ASSERT_EQ(Load(map), MpqOk);
  ObjectEntry* entry = reader_->FindCustomObject("h000");
  ASSERT_NE(entry, nullptr);

  binding_.reset();
  {
    ScopedEnv missing(kMpqLibraryVariable, dir_.File("no-such-library.so.9").c_str());
    EXPECT_EQ(Load(map), MpqNoLibrary);
    EXPECT_FALSE(MpqLibraryBound());
  }
  const std::string path = game_ + "/Maps/Kept.w3x";
  EXPECT_EQ(NewMessages(),
            (std::vector<std::string>{"MPQ Reader: read custom map data start.\n",
                                      "MPQ Reader: war3 custom map filename: " + path + ".\n",
                                      "Cant init mpq engine.\n"}));
  EXPECT_EQ(reader_->FindCustomObject("h000"), entry);
  EXPECT_EQ(reader_->LastMapFile, path);
}

// A binding that exists is used and left alone; a read in an unbound module binds for itself
// and unbinds again.
TEST_F(CustomMapDataTest, ReadKeepsAnExistingBindingAndReleasesOnlyItsOwn) {
  const std::string map = WriteMap(
      "Bound.w3x",
      {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("h000")})}});
  ASSERT_EQ(Load(map), MpqOk);
  EXPECT_TRUE(MpqLibraryBound());
  // The standard archives opened before the read are still readable.
  TCustomMemoryManager memory;
  const MpqTableFile table =
      reader_->ReadTableFile(reader_->PatchArchive, "Units\\UnitData.slk", memory);
  ASSERT_EQ(table.Code, MpqOk);
  SFMPQAPIMODULE::SFileCloseFile(table.File);

  const std::string other = WriteMap(
      "Unbound.w3x",
      {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("u000")})}});
  binding_.reset();
  ASSERT_FALSE(MpqLibraryBound());
  EXPECT_EQ(Load(other), MpqOk);
  EXPECT_NE(reader_->FindCustomObject("u000"), nullptr);
  EXPECT_FALSE(MpqLibraryBound());
}

// Without the texture decoder the objects are read and the minimap is not; the caller learns it
// from BlpDecoderMissing.
TEST_F(CustomMapDataTest, MissingTextureDecoderIsRecordedAndTheObjectsAreRead) {
  const std::string emptyData = dir_.File("EmptyData");
  fs::create_directories(emptyData);
  const std::string logPath = dir_.File("no-decoder.log");
  CLog log(logPath.c_str());
  TMPQDataReader reader(DataReaderInfo{game_.c_str(), emptyData.c_str(), &log});
  reader.OpenStandardArchives();
  const std::string map =
      WriteMap("Decoder.w3x",
               {{"Units\\UnitData.slk", testsupport::SlkText({UnitRow("unitID"), UnitRow("h000")})},
                {"war3mapMap.blp", Minimap(32, 16)}});

  EXPECT_EQ(reader.LoadCustomMapData(map.c_str()), MpqOk);
  EXPECT_NE(reader.FindCustomObject("h000"), nullptr);
  EXPECT_EQ(reader.MinimapImage, nullptr);
  EXPECT_TRUE(reader.BlpDecoderMissing);
  const std::vector<std::string> steps = LogMessages(logPath);
  const auto at = std::find(steps.begin(), steps.end(), "Cant init blp parser dll\n");
  ASSERT_NE(at, steps.end());
  ASSERT_NE(at + 1, steps.end());
  EXPECT_EQ(*(at + 1), "Cant read custom map files.\n");
  for (void* archive : {reader.PatchArchive, reader.LocalArchive, reader.ExpansionArchive,
                        reader.BaseArchive, reader.MapArchive})
    if (archive != nullptr) SFMPQAPIMODULE::SFileCloseArchive(archive);
}

// --- Real maps -----------------------------------------------------------------------------------

TEST_F(CustomMapDataTest, CorpusMapsAreRead) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus folder (../shared/corpus): real maps not read";
  const struct {
    const char* file;
    bool hasItems;  // holds war3map.w3t
  } maps[] = {
      {"wc3libs/Forest_Defense_0.18w.w3x", true},
      {"gowarcraft3/test_tft.w3x", false},
      {"war3net/DotF_v1.4.w3x", true},
  };
  for (const auto& map : maps) {
    SCOPED_TRACE(map.file);
    const std::string name = fs::path(map.file).filename().string();
    fs::copy_file(corpus + "/" + map.file, game_ + "/Maps/" + name);
    ASSERT_EQ(Load("Maps\\" + name), MpqOk);
    EXPECT_EQ(reader_->MapFileName, game_ + "/Maps/" + name);

    // The map's minimap is decoded (real minimaps are small squares).
    const BlpBitmap* minimap = Bitmap(reader_->MinimapImage);
    ASSERT_NE(minimap, nullptr);
    EXPECT_NE(minimap->Width, 16u);  // not the standard archive's
    EXPECT_EQ(minimap->Width, minimap->Height);
    EXPECT_GE(minimap->Width, 32u);

    // Its object-editor files parse whole.
    for (const char* member : {"war3map.w3u", "war3map.w3t"}) {
      SCOPED_TRACE(member);
      TCustomMemoryManager memory;
      const MpqTableFile file = reader_->ReadTableFile(reader_->MapArchive, member, memory);
      if (std::strcmp(member, "war3map.w3t") == 0 && !map.hasItems) {
        EXPECT_EQ(file.Code, MpqFileMissing);
        continue;
      }
      ASSERT_EQ(file.Code, MpqOk);
      TObjectEditorData editor;
      EXPECT_TRUE(editor.Parse(file.Bytes, file.Size, true));
      EXPECT_GT(editor.ModifiedObjects.ObjectCount + editor.AddedObjects.ObjectCount, 0u);
      SFMPQAPIMODULE::SFileCloseFile(file.File);
    }
  }
}

}  // namespace
