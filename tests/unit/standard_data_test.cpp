// Reading the standard data end to end, as the program does at start-up: the four standard
// archives written by StormLib in a game folder, a reader built from a DataReaderInfo, the
// texture decoder loaded from the program's ParserData, then ReadStandardData and the lookups.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/log.h"
#include "gamedata/mpq_binding.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/object_catalogue.h"
#include "support/blp_writer.h"
#include "support/corpus.h"
#include "support/map_writer.h"
#include "support/mpq_writer.h"
#include "support/scoped_env.h"
#include "support/standard_archives.h"
#include "support/temp_dir.h"

namespace {

using testsupport::LogMessages;

using testsupport::ScopedEnv;

namespace fs = std::filesystem;
using testsupport::ArchiveMembers;
using testsupport::BlpImage;
using testsupport::Bytes;
using testsupport::kBaseArchive;
using testsupport::kExpansionArchive;
using testsupport::kLocalArchive;
using testsupport::kPatchArchive;
using testsupport::MpqMember;
using testsupport::StandardMembers;
using testsupport::WriteArchives;
using testsupport::WriteStandardArchivesFrom;

// --- Test helpers -------------------------------------------------------------------------------

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Makes this module's archive library binding unbound, whatever an earlier test left behind:
// destroying any binding unbinds the module.
void ResetBinding() {
  SFMPQAPIMODULE reset;
}

std::string ProgramDataDir() {
  return std::string(QUORVEL_PROGRAM_DIR) + "/ParserData";
}

// Small tables and texts in which every rule of the read leaves a trace.
std::map<std::string, Bytes> SyntheticFiles() {
  return {
      {"Units\\UnitData.slk", testsupport::SlkText({{"unitID", "sort"},
                                                    {"hfoo", "a2"},
                                                    {"Hpal", "a1"},
                                                    {"htow", "a3"},
                                                    {"Hamg", "a1"},
                                                    {"Obla", "b1"},
                                                    {"ewsp", "c2"},
                                                    {"etol", "c3"},
                                                    {"Udea", "d1"},
                                                    {"nfro", "n2"},
                                                    {"ncxx", "c1x"},
                                                    {"eeee", "e2"},
                                                    {"aaaa", "a"},
                                                    {"", "a2"}})},
      {"Units\\AbilityData.slk", testsupport::SlkText({{"alias"}, {"AInv"}, {"AHhb"}, {"AHds"}})},
      {"Units\\UpgradeData.slk",
       testsupport::SlkText({{"upgradeid"}, {"Rhme"}, {"Rome"}, {"Resc"}, {"Rnsw"}, {"Rnam"}})},
      {"Units\\ItemData.slk", testsupport::SlkText({{"itemID"}, {"ratc"}, {"bspd"}})},
      {"Units\\UnitAbilities.slk",
       testsupport::SlkText(
           {{"unitAbilID", "sortAbil", "comment(s)", "auto", "abilList", "heroAbilList"},
            {"Hpal", "a1", "HeroPaladin", "_", "AInv", "AHhb,AHds,AHre,AHad"},
            {"hfoo", "a2", "footman", "_", "Adef", ""},
            {"Obla", "b1", "HeroBlademaster", "_", "", "AOwk,AOcr"},
            {"zzzz", "a1", "unknown", "_", "AInv", "AHhb"}})},
      // Read before HumanUnitStrings.txt: its name of hfoo wins.
      {"Units\\CampaignUnitStrings.txt", testsupport::TextBytes("[hfoo]\nName=Footman\n")},
      {"Units\\HumanUnitFunc.txt",
       testsupport::TextBytes(
           "[Hpal]\nArt=ReplaceableTextures\\CommandButtons\\BTNHeroPaladin.blp\n"
           "[hfoo]\nArt=ReplaceableTextures\\CommandButtons\\BTNFootman.blp\n")},
      {"Units\\HumanUnitStrings.txt",
       testsupport::TextBytes(
           "[hfoo]\r\nName=Human Footman\r\n[Hpal]\r\nName=Paladin\r\nHotkey=L\r\n"
           "[htow]\r\nname=Town Hall\r\n")},
      // A pair before the first section and a section of no known object are dropped.
      {"Units\\HumanAbilityStrings.txt",
       testsupport::TextBytes("Name=Nobody\n[AHhb]\nName=Holy Light\n[zzzz]\nName=Nobody\n")},
      {"Units\\HumanUpgradeStrings.txt",
       testsupport::TextBytes("[Rhme]\nName=Iron Forged Swords\n")},
      {"Units\\ItemStrings.txt",
       testsupport::TextBytes("\xEF\xBB\xBF[ratc]\nName=Claws of Attack +12\n")},
      {"Units\\NeutralUpgradestrings.txt", testsupport::TextBytes("[Rnsw]\nName=Sword Training\n")},
      {"Units\\OrcUpgradeStrings.txt",
       testsupport::TextBytes("[Rome]\nName=Steel Melee Weapons\n")},
      {"Units\\NightElfUpgradeStrings.txt", testsupport::TextBytes("[Resc]\nName=Sentinel\n")},
      {"Units\\NightElfUpgradeFunc.txt",
       testsupport::TextBytes(
           "[Resc]\nArt=ReplaceableTextures\\PassiveButtons\\PASBTNSentinel.blp\n")},
      {"Units\\NeutralUpgradeFunc.txt", testsupport::TextBytes("[Rnam]\nName=Coral Scales\n")},
  };
}

// A game folder of its own, a log, and this module bound to StormLib. The reader is made by each
// test from a DataReaderInfo, as the program makes it.
class StandardData : public testing::Test {
 protected:
  void SetUp() override {
    ResetBinding();
    binding_ = std::make_unique<SFMPQAPIMODULE>();
    ASSERT_TRUE(MpqLibraryBound()) << "StormLib (" << kMpqLibraryName << ") is not installed";
    ASSERT_TRUE(fs::is_regular_file(ProgramDataDir() + "/libostrak.so"))
        << "the texture decoder is not built in " << ProgramDataDir();
    gameDir_ = dir_.File("game");
    dataDir_ = ProgramDataDir();
    logPath_ = dir_.File("quorvel.log");
    log_ = std::make_unique<CLog>(logPath_.c_str());
  }

  // The reader never closes its archives; the test does, so that nothing leaks.
  void TearDown() override {
    if (reader_) {
      reader_->CloseStandardArchives();
      reader_.reset();
    }
    binding_.reset();
  }

  // A reader of the game folder (or none) and the data folder.
  TMPQDataReader& MakeReader(bool withGameFolder = true) {
    const DataReaderInfo info{withGameFolder ? gameDir_.c_str() : nullptr, dataDir_.c_str(),
                              log_.get()};
    reader_ = std::make_unique<TMPQDataReader>(info);
    return *reader_;
  }

  std::vector<std::string> Messages() const { return LogMessages(logPath_); }

  const char* Property(const char* id, const char* key) {
    return GetProperty(reader_->FindObject(id), key);
  }

  testsupport::TempDir dir_;
  ScopedEnv library_{kMpqLibraryVariable, nullptr};
  std::unique_ptr<SFMPQAPIMODULE> binding_;
  std::string gameDir_;
  std::string dataDir_;
  std::string logPath_;
  std::unique_ptr<CLog> log_;
  std::unique_ptr<TMPQDataReader> reader_;
};

// --- A whole read -------------------------------------------------------------------------------

TEST_F(StandardData, ReadLogsEveryStepInOrder) {
  WriteArchives(gameDir_, StandardMembers(SyntheticFiles()));
  TMPQDataReader& reader = MakeReader();
  EXPECT_EQ(reader.ReadStandardData(), MpqOk);

  const std::string base = gameDir_ + "/";
  const std::vector<std::string> expected = {
      "MPQ reader constructor start.\n",
      "DataReaderInfo war3 path: " + gameDir_ + "\n",
      "DataReaderInfo parser data path: " + dataDir_ + "\n",
      "MPQ reader created successfully.\n",
      "MPQ Reader: read MPQ files start.\n",
      "MPQ Reader: read " + base + "war3Patch.mpq start.\n",
      "Start slk files reading...\n",
      "Processing file Units\\AbilityData.slk...\n",
      "SLK parser: start parsing data.\n",
      "SLK parser: data parsing end.\n",
      "Processing file Units\\UnitData.slk...\n",
      "SLK parser: start parsing data.\n",
      "SLK parser: data parsing end.\n",
      "Processing file Units\\UpgradeData.slk...\n",
      "SLK parser: start parsing data.\n",
      "SLK parser: data parsing end.\n",
      "Processing file Units\\ItemData.slk...\n",
      "SLK parser: start parsing data.\n",
      "SLK parser: data parsing end.\n",
      "Start sorting skills (3 total).\n",
      "End sorting.\n",
      "Start sorting units, buildings and heroes...\n",
      "End sorting units, buildings and heroes.\n",
      "Start sorting upgrades (5 total).\n",
      "End sorting.\n",
      "Start sorting items (2 total).\n",
      "End sorting.\n",
      "SLK parser: start parsing data.\n",  // Units\UnitAbilities.slk
      "SLK parser: data parsing end.\n",
      "SLK parser: free memory.\n",
      "End slk files reading...\n",
      "MPQ Reader: read " + base + "war3Patch.mpq start.\n",
      "MPQ Reader: read end (result = 4096).\n",
      "MPQ Reader: read " + base + "war3xlocal.mpq start.\n",
      "MPQ Reader: read end (result = 4096).\n",
      "MPQ Reader: read " + base + "war3.mpq start.\n",
      "MPQ Reader: read end (result = 4096).\n",
      "MPQ Reader: read " + base + "war3x.mpq start.\n",
      "MPQ Reader: read end (result = 4096).\n",
      "MPQ Reader: read MPQ files end (Result = 4096).\n",
  };
  EXPECT_EQ(Messages(), expected);
  EXPECT_EQ(reader.ErrorCode, 0);
  EXPECT_STREQ(reader.ErrorFile, "");
}

TEST_F(StandardData, UnitTableRowsBecomeHeroesUnitsAndBuildingsOfTheirRace) {
  WriteArchives(gameDir_, StandardMembers(SyntheticFiles()));
  TMPQDataReader& reader = MakeReader();
  ASSERT_EQ(reader.ReadStandardData(), MpqOk);

  struct Placement {
    const char* id;
    int group;
    ObjectEntry* RaceGroup::*list;
    uint32_t RaceGroup::*count;
    uint8_t type;
    uint8_t race;
  };
  const Placement placements[] = {
      {"Hpal", 2, &RaceGroup::Heroes, &RaceGroup::HeroCount, kObjectHero, 1},
      {"Hamg", 2, &RaceGroup::Heroes, &RaceGroup::HeroCount, kObjectHero, 1},
      {"hfoo", 2, &RaceGroup::Units, &RaceGroup::UnitCount, kObjectUnit, 1},
      {"htow", 2, &RaceGroup::Buildings, &RaceGroup::BuildingCount, kObjectBuilding, 1},
      {"Obla", 3, &RaceGroup::Heroes, &RaceGroup::HeroCount, kObjectHero, 2},
      {"ewsp", 1, &RaceGroup::Units, &RaceGroup::UnitCount, kObjectUnit, 4},
      {"etol", 1, &RaceGroup::Buildings, &RaceGroup::BuildingCount, kObjectBuilding, 4},
      {"Udea", 4, &RaceGroup::Heroes, &RaceGroup::HeroCount, kObjectHero, 8},
      {"nfro", 5, &RaceGroup::Units, &RaceGroup::UnitCount, kObjectUnit, 128},
      // A longer hero code is a neutral unit whatever its race letter.
      {"ncxx", 5, &RaceGroup::Units, &RaceGroup::UnitCount, kObjectUnit, 128},
      {"AHhb", 5, &RaceGroup::Skills, &RaceGroup::SkillCount, kObjectSkill, 0},
      {"Rhme", 5, &RaceGroup::Upgrades, &RaceGroup::UpgradeCount, kObjectUpgrade, 0},
      {"ratc", 5, &RaceGroup::Items, &RaceGroup::ItemCount, kObjectItem, 0},
  };
  for (const Placement& p : placements) {
    SCOPED_TRACE(p.id);
    const ObjectEntry* entry = reader.FindObject(p.id);
    ASSERT_NE(entry, nullptr);
    const RaceGroup& group = reader.RaceGroups[p.group];
    EXPECT_GE(entry, group.*p.list);
    EXPECT_LT(entry, group.*p.list + group.*p.count);
    EXPECT_EQ(entry->Type, p.type);
    EXPECT_EQ(entry->Race, p.race);
    EXPECT_EQ(entry->Icon, nullptr);
  }
  for (const char* absent : {"eeee", "aaaa", "zzzz", "Hpa"}) {
    SCOPED_TRACE(absent);
    EXPECT_EQ(reader.FindObject(absent), nullptr);
  }

  // Every list sorted, with the counts of the tables.
  const auto ids = [](const ObjectEntry* entries, uint32_t count) {
    std::vector<std::string> result;
    for (uint32_t i = 0; i < count; ++i)
      result.emplace_back(entries[i].Id);
    return result;
  };
  const RaceGroup& human = reader.RaceGroups[2];
  EXPECT_EQ(ids(human.Heroes, human.HeroCount), (std::vector<std::string>{"Hamg", "Hpal"}));
  const RaceGroup& neutral = reader.RaceGroups[kNeutralGroup];
  EXPECT_EQ(ids(neutral.Units, neutral.UnitCount), (std::vector<std::string>{"ncxx", "nfro"}));
  EXPECT_EQ(ids(neutral.Skills, neutral.SkillCount),
            (std::vector<std::string>{"AHds", "AHhb", "AInv"}));
  EXPECT_EQ(ids(neutral.Upgrades, neutral.UpgradeCount),
            (std::vector<std::string>{"Resc", "Rhme", "Rnam", "Rnsw", "Rome"}));
  EXPECT_EQ(ids(neutral.Items, neutral.ItemCount), (std::vector<std::string>{"bspd", "ratc"}));
  EXPECT_EQ(reader.RaceGroups[0].HeroCount + reader.RaceGroups[0].UnitCount +
                reader.RaceGroups[0].BuildingCount,
            0u);
  EXPECT_EQ(reader.RaceGroups[kCustomGroup].UnitCount, 0u);
}

TEST_F(StandardData, TextsGiveNamesAndArtAndTheUnitAbilitiesAreAttached) {
  WriteArchives(gameDir_, StandardMembers(SyntheticFiles()));
  MakeReader();
  ASSERT_EQ(reader_->ReadStandardData(), MpqOk);

  struct Expected {
    const char* id;
    const char* key;
    const char* value;  // null: the entry has no such property
  };
  const Expected cases[] = {
      {"Hpal", "Name", "Paladin"},
      {"Hpal", "Art", "ReplaceableTextures\\CommandButtons\\BTNHeroPaladin.blp"},
      {"Hpal", "Hotkey", nullptr},  // only "Name" and "Art" are kept
      {"hfoo", "Name", "Footman"},  // the first text that names it wins
      {"htow", "Name", nullptr},    // "name" in lower case is not "Name"
      {"htow", "name", nullptr},
      {"AHhb", "Name", "Holy Light"},
      {"Rhme", "Name", "Iron Forged Swords"},
      {"ratc", "Name", "Claws of Attack +12"},
      {"Rnsw", "Name", "Sword Training"},                                          // war3xlocal.mpq
      {"Rome", "Name", "Steel Melee Weapons"},                                     // war3xlocal.mpq
      {"Resc", "Name", "Sentinel"},                                                // war3xlocal.mpq
      {"Resc", "Art", "ReplaceableTextures\\PassiveButtons\\PASBTNSentinel.blp"},  // war3.mpq
      {"Rnam", "Name", "Coral Scales"},                                            // war3x.mpq
      {"AInv", "Name", nullptr},
      {"Hpal", "abilList", "AInv"},
      {"Hpal", "heroAbilList", "AHhb,AHds,AHre,AHad"},
      {"hfoo", "abilList", nullptr},  // a row without a hero ability list adds nothing
      {"Obla", "abilList", nullptr},  // an empty ability list is not added
      {"Obla", "heroAbilList", "AOwk,AOcr"},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(std::string(c.id) + " " + c.key);
    ASSERT_NE(reader_->FindObject(c.id), nullptr);
    const char* value = Property(c.id, c.key);
    if (c.value == nullptr) {
      EXPECT_EQ(value, nullptr) << value;
    } else {
      ASSERT_NE(value, nullptr);
      EXPECT_STREQ(value, c.value);
    }
  }
}

// --- A text that cannot be read -----------------------------------------------------------------

TEST_F(StandardData, MissingLocalTextStopsTheReadAndKeepsWhatWasRead) {
  ArchiveMembers members = StandardMembers(SyntheticFiles());
  std::vector<MpqMember>& local = members[kLocalArchive];
  const std::string missing = "Units\\OrcUpgradeStrings.txt";
  local.erase(std::remove_if(local.begin(), local.end(),
                             [&](const MpqMember& m) { return m.name == missing; }),
              local.end());
  // Copies in the other archives must not stand in for it.
  for (const char* archive : {kPatchArchive, kBaseArchive, kExpansionArchive})
    members[archive].push_back({missing, testsupport::TextBytes("[Rome]\nName=Wrong Archive\n")});
  WriteArchives(gameDir_, members);
  TMPQDataReader& reader = MakeReader();

  EXPECT_EQ(reader.ReadStandardData(), MpqFileMissing);
  EXPECT_EQ(reader.ErrorCode, 4098);
  EXPECT_STREQ(reader.ErrorFile, "Units\\OrcUpgradeStrings.txt");

  const std::vector<std::string> messages = Messages();
  const std::string base = gameDir_ + "/";
  const std::string localStart = "MPQ Reader: read " + base + "war3xlocal.mpq start.\n";
  const auto from = std::find(messages.begin(), messages.end(), localStart);
  ASSERT_NE(from, messages.end());
  EXPECT_EQ(std::vector<std::string>(from, messages.end()),
            (std::vector<std::string>{localStart, "MPQ Reader: read end (result = 4098).\n",
                                      "MPQ Reader: read MPQ files end (Result = 4098).\n"}));
  EXPECT_FALSE(Contains(messages, "MPQ Reader: read " + base + "war3.mpq start.\n"));
  EXPECT_FALSE(Contains(messages, "MPQ Reader: read " + base + "war3x.mpq start.\n"));

  // Tables, the patch texts and the local text before the missing one stay; nothing after it.
  EXPECT_NE(reader.FindObject("Rome"), nullptr);
  EXPECT_STREQ(Property("Hpal", "Name"), "Paladin");
  EXPECT_STREQ(Property("Hpal", "heroAbilList"), "AHhb,AHds,AHre,AHad");
  EXPECT_STREQ(Property("Rnsw", "Name"), "Sword Training");
  EXPECT_EQ(Property("Rome", "Name"), nullptr);
  EXPECT_EQ(Property("Resc", "Name"), nullptr);  // the local text after the missing one
  EXPECT_EQ(Property("Resc", "Art"), nullptr);   // war3.mpq is not read
  EXPECT_EQ(Property("Rnam", "Name"), nullptr);  // nor war3x.mpq
}

// --- No archive library -------------------------------------------------------------------------

TEST_F(StandardData, WithoutTheArchiveLibraryNothingIsRead) {
  WriteArchives(gameDir_, StandardMembers(SyntheticFiles()));
  binding_.reset();
  ScopedEnv missing(kMpqLibraryVariable, dir_.File("no-such-library.so.9").c_str());
  SFMPQAPIMODULE binding;  // binds nothing: the library named does not exist
  ASSERT_FALSE(MpqLibraryBound());

  TMPQDataReader& reader = MakeReader();
  EXPECT_EQ(reader.ReadStandardData(), MpqNoLibrary);
  const std::vector<std::string> expected = {
      "MPQ reader constructor start.\n",
      "DataReaderInfo war3 path: " + gameDir_ + "\n",
      "DataReaderInfo parser data path: " + dataDir_ + "\n",
      "MPQ reader created successfully.\n",
      "MPQ Reader: read MPQ files start.\n",
      "Cant init MPQ library.\n",
  };
  EXPECT_EQ(Messages(), expected);
  EXPECT_EQ(reader.PatchArchivePath, "");  // no archive was even looked for
  EXPECT_EQ(reader.PatchArchive, nullptr);
  EXPECT_EQ(reader.FindObject("Hpal"), nullptr);
  EXPECT_EQ(reader.RaceGroups[kNeutralGroup].SkillCount, 0u);
}

// --- No game folder -----------------------------------------------------------------------------

// The program's second attempt: a reader without a game folder reads the archives that lie in its
// data folder.
TEST_F(StandardData, ReaderWithoutAGameFolderReadsTheDataFolder) {
  dataDir_ = dir_.File("ParserData");
  WriteArchives(dataDir_, StandardMembers(SyntheticFiles()));
  fs::create_symlink(ProgramDataDir() + "/libostrak.so", dataDir_ + "/libostrak.so");
  TMPQDataReader& reader = MakeReader(/*withGameFolder=*/false);

  EXPECT_EQ(reader.ReadStandardData(), MpqOk);
  EXPECT_EQ(reader.PatchArchivePath, dataDir_ + "/war3Patch.mpq");
  EXPECT_EQ(reader.BaseArchivePath, dataDir_ + "/war3.mpq");
  EXPECT_STREQ(Property("Hpal", "Name"), "Paladin");
  EXPECT_STREQ(Property("Rnam", "Name"), "Coral Scales");
  const std::vector<std::string> messages = Messages();
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[1], "NO DataReaderInfo war3 path\n");
  EXPECT_EQ(messages[2], "DataReaderInfo parser data path: " + dataDir_ + "\n");
  EXPECT_FALSE(Contains(messages, "Cant load blp parser dll\n"));
}

// --- Icons --------------------------------------------------------------------------------------

BlpImage Icon(uint32_t width, uint32_t height) {
  BlpImage image{width, height, 4, Bytes(size_t{width} * height * 4)};
  for (size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = static_cast<uint8_t>(i * 13);
  return image;
}

TEST_F(StandardData, IconsAreDecodedOnceFromTheArtImage) {
  const std::string art = "ReplaceableTextures\\CommandButtons\\BTNHeroPaladin.blp";
  ArchiveMembers members = StandardMembers(SyntheticFiles());
  // Images are looked up in war3.mpq before war3Patch.mpq: the sizes tell which was used.
  members[kBaseArchive].push_back({art, testsupport::WriteBlp1({Icon(32, 16)})});
  members[kPatchArchive].push_back({art, testsupport::WriteBlp1({Icon(64, 64)})});
  WriteArchives(gameDir_, members);
  TMPQDataReader& reader = MakeReader();
  ASSERT_EQ(reader.ReadStandardData(), MpqOk);

  void** cell = reader.GetObjectIcon("Hpal");
  ASSERT_NE(cell, nullptr);
  ASSERT_NE(*cell, nullptr);
  const auto* bitmap = static_cast<const BlpBitmap*>(*cell);
  EXPECT_EQ(bitmap->Width, 32u);
  EXPECT_EQ(bitmap->Height, 16u);
  EXPECT_EQ(bitmap->BitsPerPixel, 32u);
  EXPECT_EQ(reader.FindObject("Hpal")->Icon, cell);

  // The second request reads nothing: the image buffer keeps what was put there.
  std::memset(reader.ImageBuffer.get(), 0xA5, TMPQDataReader::kImageBufferSize);
  EXPECT_EQ(reader.GetObjectIcon("Hpal"), cell);
  EXPECT_EQ(reader.ImageBuffer[0], 0xA5);
  EXPECT_EQ(reader.ImageBuffer[TMPQDataReader::kImageBufferSize - 1], 0xA5);
}

// A data folder without the texture decoder: the read goes on, and icons have no bitmap.
TEST_F(StandardData, MissingDecoderIsLoggedAndLeavesIconsEmpty) {
  const std::string art = "ReplaceableTextures\\CommandButtons\\BTNHeroPaladin.blp";
  ArchiveMembers members = StandardMembers(SyntheticFiles());
  members[kBaseArchive].push_back({art, testsupport::WriteBlp1({Icon(32, 16)})});
  WriteArchives(gameDir_, members);
  dataDir_ = dir_.File("ParserData");
  fs::create_directories(dataDir_);
  TMPQDataReader& reader = MakeReader();

  EXPECT_EQ(reader.ReadStandardData(), MpqOk);
  const std::vector<std::string> messages = Messages();
  ASSERT_GE(messages.size(), 7u);
  EXPECT_EQ(messages[4], "MPQ Reader: read MPQ files start.\n");
  EXPECT_EQ(messages[5], "Cant load blp parser dll\n");
  EXPECT_EQ(messages[6], "MPQ Reader: read " + gameDir_ + "/war3Patch.mpq start.\n");
  EXPECT_EQ(reader.ParseBlpData, nullptr);
  EXPECT_STREQ(Property("Hpal", "Name"), "Paladin");

  EXPECT_EQ(reader.GetObjectIcon("Hpal"), nullptr);
  EXPECT_STREQ(reader.ErrorFile, "");  // the image was found and read, just not decoded
}

TEST_F(StandardData, ObjectsWithoutAReadableIconGiveNull) {
  WriteArchives(gameDir_, StandardMembers(SyntheticFiles()));
  TMPQDataReader& reader = MakeReader();
  ASSERT_EQ(reader.ReadStandardData(), MpqOk);
  std::memset(reader.ImageBuffer.get(), 0xA5, TMPQDataReader::kImageBufferSize);

  for (int request = 1; request <= 2; ++request) {
    SCOPED_TRACE(request);
    // No "Art": nothing is read.
    EXPECT_EQ(reader.GetObjectIcon("htow"), nullptr);
    EXPECT_EQ(reader.GetObjectIcon("xxxx"), nullptr);
    EXPECT_EQ(reader.ImageBuffer[0], 0xA5);
    // An "Art" image that no archive holds is looked for again on every request.
    std::memset(reader.ErrorFile, 0, sizeof reader.ErrorFile);
    EXPECT_EQ(reader.GetObjectIcon("hfoo"), nullptr);
    EXPECT_STREQ(reader.ErrorFile, "ReplaceableTextures\\CommandButtons\\BTNFootman.blp");
    EXPECT_EQ(reader.FindObject("hfoo")->Icon, nullptr);
  }
}

// --- The game's own tables and texts ------------------------------------------------------------

TEST_F(StandardData, CorpusEnglishDataNamesTheGameObjects) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty())
    GTEST_SKIP() << "no corpus folder (../shared/corpus): the game's own tables are not read";
  WriteStandardArchivesFrom(corpus + "/w3x2lni/enUS-1.27.1/Units", gameDir_);
  TMPQDataReader& reader = MakeReader();

  ASSERT_EQ(reader.ReadStandardData(), MpqOk) << reader.ErrorFile;
  EXPECT_STREQ(reader.ErrorFile, "");  // every table was there too

  const ObjectEntry* paladin = reader.FindObject("Hpal");
  ASSERT_NE(paladin, nullptr);
  EXPECT_EQ(paladin->Type, kObjectHero);
  EXPECT_EQ(paladin->Race, 1);
  EXPECT_STREQ(GetProperty(paladin, "Name"), "Paladin");
  EXPECT_STREQ(GetProperty(paladin, "Art"),
               "ReplaceableTextures\\CommandButtons\\BTNHeroPaladin.blp");
  const char* heroAbilities = GetProperty(paladin, "heroAbilList");
  ASSERT_NE(heroAbilities, nullptr);
  EXPECT_NE(std::string(heroAbilities).find("AHhb"), std::string::npos) << heroAbilities;

  struct Fact {
    const char* id;
    uint8_t type;
    uint8_t race;
    const char* name;  // null: not checked
  };
  const Fact facts[] = {
      {"hfoo", kObjectUnit, 1, "Footman"},
      {"htow", kObjectBuilding, 1, "Town Hall"},
      {"AHhb", kObjectSkill, 0, "Holy Light"},
      {"ratc", kObjectItem, 0, "Claws of Attack +12"},
      {"Rhme", kObjectUpgrade, 0, "Iron Forged Swords,Steel Forged Swords,Mithril Forged Swords"},
      // Named by war3xlocal.mpq.
      {"Rome", kObjectUpgrade, 0,
       "Steel Melee Weapons,Thorium Melee Weapons,Arcanite Melee Weapons"},
  };
  for (const Fact& f : facts) {
    SCOPED_TRACE(f.id);
    const ObjectEntry* entry = reader.FindObject(f.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Type, f.type);
    EXPECT_EQ(entry->Race, f.race);
    EXPECT_STREQ(GetProperty(entry, "Name"), f.name);
  }
  // Icon paths from war3.mpq and war3x.mpq.
  EXPECT_STREQ(Property("Resm", "Art"),
               "ReplaceableTextures\\CommandButtons\\BTNStrengthOfTheMoon.blp,"
               "ReplaceableTextures\\CommandButtons\\BTNImprovedStrengthOfTheMoon.blp,"
               "ReplaceableTextures\\CommandButtons\\BTNAdvancedStrengthOfTheMoon.blp");
  EXPECT_STREQ(Property("Rgfo", "Art"),
               "ReplaceableTextures\\CommandButtons\\BTNGlyph.blp,"
               "ReplaceableTextures\\CommandButtons\\BTNGlyph.blp,"
               "ReplaceableTextures\\CommandButtons\\BTNGlyph.blp");

  // One entry per table row (the B record counts the title row too).
  const RaceGroup& neutral = reader.RaceGroups[kNeutralGroup];
  EXPECT_EQ(neutral.SkillCount, 803u);
  EXPECT_EQ(neutral.UpgradeCount, 89u);
  EXPECT_EQ(neutral.ItemCount, 273u);
}

}  // namespace
