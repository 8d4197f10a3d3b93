// Real replays analysed with the program's built-in game data (ParserData/war3*.mpq of the
// program folder, read without a game folder): the objects of their build events and the action
// texts have names.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gamedata/mpq_binding.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/object_catalogue.h"
#include "item_names.h"
#include "replay_parser.h"
#include "support/corpus.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kDataDir = std::string(QUORVEL_PROGRAM_DIR) + "/ParserData";

// The ids of the build events of every player: heroes, units, buildings, upgrades, skills,
// items (reading order).
std::vector<std::string> EventIds(const GeneralInfo& info) {
  std::vector<std::string> ids;
  const auto idOf = [](const void* fields) {
    return std::string(static_cast<const AbilityData*>(fields)->ItemID, 4);
  };
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    for (const HeroNode* hero = player->Heroes; hero != nullptr; hero = hero->Next)
      ids.push_back(idOf(hero->Fields));
    for (const EventNode* list :
         {player->Units, player->Buildings, player->Upgrades, player->Skills, player->Items}) {
      for (const EventNode* node = list; node != nullptr; node = node->Next)
        ids.push_back(idOf(node->Fields));
    }
  }
  return ids;
}

// The reader the program makes when no game is installed, with its standard data.
class BuiltinDataReplay : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::is_regular_file(kDataDir + "/war3Patch.mpq"))
        << "the built-in game data is not built in " << kDataDir;
    if (testsupport::CorpusDir().empty())
      GTEST_SKIP() << "no corpus folder (../shared/corpus): no real replay to analyse";
    reader_ = std::make_unique<TMPQDataReader>(DataReaderInfo{nullptr, kDataDir.c_str(), nullptr});
    ASSERT_TRUE(MpqLibraryBound()) << "StormLib (" << kMpqLibraryName << ") is not installed";
    ASSERT_EQ(reader_->ReadStandardData(), MpqOk) << reader_->ErrorFile;
  }

  // The reader never closes its archives; the test does, so that nothing leaks.
  void TearDown() override {
    if (!reader_) return;
    for (void* archive : {reader_->PatchArchive, reader_->LocalArchive, reader_->ExpansionArchive,
                          reader_->BaseArchive, reader_->MapArchive}) {
      if (archive != nullptr) SFMPQAPIMODULE::SFileCloseArchive(archive);
    }
  }

  // Parses a replay of the corpus with the built-in data, with texts.
  void Parse(const std::string& file) {
    info_ = GeneralInfo{};
    info_.DataReader = reader_.get();
    ParserData request{};
    request.GeneralInfo = &info_;
    request.TranslateTexts = 1;
    const std::string path = testsupport::CorpusDir() + "/" + file;
    ASSERT_TRUE(parser_.ParseReplay(&request, path.c_str())) << path;
    ASSERT_EQ(info_.ErrorText, nullptr) << info_.ErrorText;
  }

  std::string Texts() const {
    std::string texts;
    for (const TextNode* node = info_.Texts; node != nullptr; node = node->Next)
      texts += std::string(node->Text) + "\n";
    return texts;
  }

  testsupport::TempDir dir_;
  testsupport::CurrentFolder inFolder_{dir_.path()};
  std::unique_ptr<TMPQDataReader> reader_;
  vantrel::ReplayParser parser_;
  GeneralInfo info_{};
};

// A 1.18 game of a human and an orc player on a melee map.
TEST_F(BuiltinDataReplay, BuildEventsOfAMeleeGameAreNamed) {
  Parse("fornever-w3gparser/1.18.w3g");
  const std::vector<std::string> ids = EventIds(info_);
  ASSERT_GT(ids.size(), 50u);
  std::set<std::string> names;
  for (const std::string& id : ids) {
    const char* name = vantrel::ItemName(&info_, id.c_str(), nullptr);
    EXPECT_NE(name, id) << id << " has no name";
    names.insert(name);
  }
  for (const char* name : {"Paladin", "Footman", "Peasant", "Town Hall", "Farm", "Holy Light"})
    EXPECT_TRUE(names.count(name)) << name;

  const std::string texts = Texts();
  for (const char* text : {"Train unit: 'Footman'", "Build: 'Town Hall'", "'Holy Light'"})
    EXPECT_NE(texts.find(text), std::string::npos) << text;
}

// Whether a map path names a melee map: its file name starts with the player count, "(4)...",
// or it lies in the folder of a ladder (w3arena, W3Champions).
bool IsMeleeMap(std::string path) {
  for (char& c : path)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string name = path.substr(path.find_last_of("/\\") + 1);
  return (name.size() > 3 && name[0] == '(' && std::isdigit(static_cast<unsigned char>(name[1])) &&
          name[2] == ')') ||
         path.find("w3arena") != std::string::npos || path.find("w3champions") != std::string::npos;
}

TEST(BuiltinDataMaps, MeleeMapsAreTold) {
  EXPECT_TRUE(IsMeleeMap("Maps\\FrozenThrone\\(4)TurtleRock.w3x"));
  EXPECT_TRUE(IsMeleeMap("Maps/(2)bootybay.w3m"));
  EXPECT_TRUE(IsMeleeMap("maps\\W3Champions\\54_w3c_251104_0950_Tidehunters_v1.2.w3x"));
  EXPECT_TRUE(IsMeleeMap("Maps\\w3arena\\w3arena__maelstrom__v2.w3x"));
  EXPECT_FALSE(IsMeleeMap("Maps\\Download\\qcloud_20033010.w3x"));
  EXPECT_FALSE(IsMeleeMap("Maps\\Download\\eden rpg 2.6e eng v2.w3x"));
}

// Every build event of the corpus's melee games: how many are named. Replays of versions after
// 1.27.1 may hold objects that 1.27.1 did not have, so the share is reported; the events of the
// replays of 1.27 and before are all named.
TEST_F(BuiltinDataReplay, CorpusMeleeGamesAreNamed) {
  size_t replays = 0, events = 0, named = 0;
  std::set<std::string> unnamed;
  for (const testsupport::CorpusReplay& replay : testsupport::CorpusReplays()) {
    if (replay.headerVersion != 1) continue;
    info_ = GeneralInfo{};
    info_.DataReader = reader_.get();
    ParserData request{};
    request.GeneralInfo = &info_;
    if (!parser_.ParseReplay(&request, replay.path.c_str()) || info_.MapName == nullptr ||
        !IsMeleeMap(info_.MapName))
      continue;
    ++replays;
    const bool classic = info_.GameVersion <= 27;
    for (const std::string& id : EventIds(info_)) {
      ++events;
      if (vantrel::ItemName(&info_, id.c_str(), nullptr) != id) {
        ++named;
      } else {
        unnamed.insert(id + " (" + replay.file + ")");
        EXPECT_FALSE(classic) << id << " of " << replay.file << " has no name";
      }
    }
  }
  ASSERT_GT(events, 0u);
  std::ostringstream report;
  report << "build events of the corpus's " << replays
         << " melee games named by the built-in data: " << named << " of " << events;
  if (!unnamed.empty()) {
    report << "; without a name:";
    for (const std::string& id : unnamed)
      report << " " << id;
  }
  std::cout << report.str() << "\n";
  RecordProperty("coverage", report.str());
}

}  // namespace
