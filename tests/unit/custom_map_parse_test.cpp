// A replay's map read during its parse: the map's objects name the commands, its minimap is
// decoded, and a second replay of the same map reuses what was read.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "gamedata/log.h"
#include "gamedata/mpq_binding.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/object_editor.h"
#include "item_names.h"
#include "ostrak.h"
#include "replay_parser.h"
#include "support/corpus.h"
#include "support/game_builder.h"
#include "support/map_writer.h"
#include "support/mpq_writer.h"
#include "support/replay_writer.h"
#include "support/standard_archives.h"
#include "support/temp_dir.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::string kDecoder = std::string(QUORVEL_PROGRAM_DIR) + "/ParserData/libostrak.so";

class CustomMapParse : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::is_regular_file(kDecoder)) << "the texture decoder is built with the tests";
    fs::create_directories(game_ + "/Maps/Download");
    fs::create_directories(data_);
    fs::create_symlink(kDecoder, data_ + "/libostrak.so");
    log_ = std::make_unique<CLog>(dir_.File("quorvel.log").c_str());
    reader_ =
        std::make_unique<TMPQDataReader>(DataReaderInfo{game_.c_str(), data_.c_str(), log_.get()});
    ASSERT_TRUE(MpqLibraryBound()) << "StormLib is not installed";
    info_.DataReader = reader_.get();
    request_.GeneralInfo = &info_;
    request_.LogObject = log_.get();
    request_.TranslateTexts = 1;
  }
  void TearDown() override {
    if (reader_->MapArchive != nullptr) SFMPQAPIMODULE::SFileCloseArchive(reader_->MapArchive);
  }

  // A replay on `mapPath` in which player 1 trains `unit`.
  std::string Replay(const std::string& mapPath, const char* unit) {
    GameBuilder game;
    game.host = PlayerEntry{1, "Alder", {0}};
    game.slots = {SlotEntry{1}};
    game.mapPath = mapPath;
    game.TimeSlot(
        250,
        {{1, ByteWriter().U8(0x10).U16(0x40).Id(unit).U32(0xFFFFFFFF).U32(0xFFFFFFFF).bytes()}});
    return dir_.Write("game.w3g", BuildReplay(game.Build()));
  }

  bool Parse(const std::string& path) { return parser_.ParseReplay(&request_, path.c_str()); }
  std::string LogText() const { return ReadText(dir_.File("quorvel.log")); }

  TempDir dir_;
  CurrentFolder inFolder_{dir_.path()};
  const std::string game_ = dir_.File("Game");
  const std::string data_ = dir_.File("ParserData");
  std::unique_ptr<CLog> log_;
  std::unique_ptr<TMPQDataReader> reader_;
  vantrel::ReplayParser parser_;
  GeneralInfo info_{};
  ParserData request_{};
};

TEST_F(CustomMapParse, MapObjectsNameTheCommandsAndTheMinimapIsDecoded) {
  WriteMpq(game_ + "/Maps/Download/Arena.w3x",
           {{"war3map.w3u", EditorFile({}, {{"h00A", "hfoo", "Arena Champion"}})},
            {"war3mapMap.blp", Minimap(32, 16)}});
  // The replay spells the folder in other letter cases than the disk.
  ASSERT_TRUE(Parse(Replay("Maps\\download\\ARENA.w3x", "h00A")));
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_EQ(info_.IsMapDataLoad, 1);
  EXPECT_EQ(info_.TextureDecoderMissing, 0);
  ASSERT_NE(info_.Texts, nullptr);
  EXPECT_STREQ(info_.Texts->Text, "0:00:00.250 Alder           1 Ab1 Train unit: 'Arena Champion'");
  EXPECT_STREQ(vantrel::ItemName(&info_, "h00A", nullptr), "Arena Champion");
  EXPECT_EQ(info_.Players[0].Units != nullptr, true);
  ASSERT_NE(reader_->MinimapImage, nullptr);
  const auto* minimap = static_cast<const BlpBitmap*>(*reader_->MinimapImage);
  EXPECT_EQ(minimap->Width, 32u);
  EXPECT_EQ(minimap->Height, 16u);
  const std::string log = LogText();
  for (const char* line :
       {": Library: load custom map data start.\n", ": Library: IsMapDataLoad = 1\n",
        ": Library: load custom data end.\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << log;
  }

  // The same map again: its data is reused.
  ASSERT_TRUE(Parse(Replay("Maps\\Download\\Arena.w3x", "h00A")));
  EXPECT_NE(LogText().find("MPQ Reader: use data from previons map.\n"), std::string::npos);
  EXPECT_STREQ(vantrel::ItemName(&info_, "h00A", nullptr), "Arena Champion");
}

TEST_F(CustomMapParse, MissingMapLeavesTheGameReadable) {
  ASSERT_TRUE(Parse(Replay("Maps\\Download\\Nowhere.w3x", "hfoo")));
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_EQ(info_.IsMapDataLoad, 0);
  EXPECT_NE(LogText().find(": Library: IsMapDataLoad = 0\n"), std::string::npos);
  EXPECT_STREQ(info_.Texts->Text, "0:00:00.250 Alder           1 Ab1 Unknown: 'hfoo'");
}

TEST_F(CustomMapParse, GameStartOnlyReadsNoMap) {
  WriteMpq(game_ + "/Maps/Download/Arena.w3x",
           {{"war3map.w3u", EditorFile({}, {{"h00A", "hfoo", "X"}})}});
  request_.ParseMode = VANTREL_PARSE_GAME_START;
  ASSERT_TRUE(Parse(Replay("Maps\\Download\\Arena.w3x", "h00A")));
  EXPECT_EQ(info_.IsMapDataLoad, 0);
  EXPECT_EQ(LogText().find("load custom map data start"), std::string::npos);
}

TEST_F(CustomMapParse, RealMapNamesItsObjects) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  fs::copy_file(corpus + "/wc3libs/Forest_Defense_0.18w.w3x", game_ + "/Maps/Download/Forest.w3x");
  ASSERT_TRUE(Parse(Replay("Maps\\Download\\Forest.w3x", "hfoo")));
  ASSERT_EQ(info_.IsMapDataLoad, 1);
  // Every object the map's unit file adds with a name is named so through the library.
  const Bytes w3u = ReadFile(corpus + "/wc3libs/Forest_Defense_0.18w.extracted/war3map.w3u");
  TObjectEditorData editor(nullptr);
  ASSERT_TRUE(editor.Parse(w3u.data(), w3u.size(), true));
  size_t named = 0;
  for (uint32_t i = 0; i < editor.AddedObjects.ObjectCount; ++i) {
    const ObjectEditorObject& object = editor.AddedObjects.Objects[i];
    for (uint32_t m = 0; m < object.ModCount; ++m) {
      const ObjectMod& mod = object.Mods[m];
      if (std::string(mod.ModId, 4) != "unam" || mod.VarType != 3) continue;
      const std::string id(object.NewId, 4);
      EXPECT_STREQ(vantrel::ItemName(&info_, id.c_str(), nullptr), mod.ModValue.Text) << id;
      ++named;
      break;
    }
  }
  EXPECT_GT(named, 10u);
  ASSERT_NE(reader_->MinimapImage, nullptr);
  EXPECT_EQ(static_cast<const BlpBitmap*>(*reader_->MinimapImage)->Width, 256u);
}

}  // namespace
