// ParseReplay and ParseCompressedData on a parser instance: results, error texts, log lines and
// the files a parse may write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gamedata/log.h"
#include "replay_parser.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"
#include "support/sample_replay.h"
#include "support/temp_dir.h"

using namespace testsupport;

namespace {

// Every test runs in a folder of its own: a parse may write files into the current folder.
class ParseReplayTest : public testing::Test {
 protected:
  void SetUp() override {
    log_ = std::make_unique<CLog>(dir_.File("quorvel.log").c_str());
    request_.GeneralInfo = &info_;
    request_.LogObject = log_.get();
  }

  bool Parse(const Bytes& file) {
    return parser_.ParseReplay(&request_, dir_.Write("game.w3g", file).c_str());
  }
  std::string LogText() const { return ReadText(dir_.File("quorvel.log")); }
  std::string Error() const { return info_.ErrorText != nullptr ? info_.ErrorText : "(null)"; }

  TempDir dir_;
  CurrentFolder inFolder_{dir_.path()};
  std::unique_ptr<CLog> log_;
  vantrel::ReplayParser parser_;
  GeneralInfo info_{};
  ParserData request_{};
};

Bytes SmallGame() {
  GameBuilder game;
  game.slots = {SlotEntry{}};
  game.TimeSlot(250);
  return game.Build();
}

TEST_F(ParseReplayTest, ValidReplayIsReadWithoutError) {
  ReplayHeader header;
  header.gameVersion = 21;
  header.buildNumber = 6052;
  header.replayLength = 7695525;
  const Bytes game = SmallGame();
  ASSERT_TRUE(Parse(BuildReplay(game, header)));
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_EQ(info_.GameVersion, 21u);
  EXPECT_EQ(info_.BuildNumber, 6052);
  EXPECT_EQ(info_.ReplayLength, 7695525u);
  EXPECT_EQ(info_.DecompressedSize, game.size());
  EXPECT_EQ(info_.Pool, &parser_.pool());
  const std::string log = LogText();
  EXPECT_NE(log.find(": Library: start parsing.\n"), std::string::npos) << log;
  EXPECT_NE(log.find(": Library: end parsing.\n"), std::string::npos) << log;
  EXPECT_LT(log.find("start parsing"), log.find("end parsing"));
}

TEST_F(ParseReplayTest, ErrorsOfTheFileAreRecordedAndLogged) {
  std::filesystem::create_directory(dir_.File("folder.w3g"));
  dir_.Write("empty.w3g", {});
  const struct {
    std::string path;
    const char* error;
  } cases[] = {
      {dir_.File("missing.w3g"), "Cannot open file."},
      {dir_.File("folder.w3g"), "Cannot open file."},
      {dir_.File("empty.w3g"), "Cannot create file mapping."},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(parser_.ParseReplay(&request_, c.path.c_str())) << c.path;
    EXPECT_EQ(Error(), c.error) << c.path;
    EXPECT_NE(LogText().find(std::string("Library: ERROR: ") + c.error + "\n"), std::string::npos)
        << c.path;
  }
  EXPECT_FALSE(parser_.ParseReplay(&request_, nullptr));
  EXPECT_EQ(Error(), "Cannot open file.");
}

TEST_F(ParseReplayTest, NotAReplayFailsWithoutText) {
  Bytes file = BuildReplay(SmallGame());
  file[3] = '?';
  EXPECT_FALSE(Parse(file));
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_EQ(info_.PlayerCount, -1);
}

TEST_F(ParseReplayTest, NullRecordsAreRefused) {
  EXPECT_FALSE(parser_.ParseReplay(nullptr, "x.w3g"));
  request_.GeneralInfo = nullptr;
  EXPECT_FALSE(parser_.ParseReplay(&request_, "x.w3g"));
  EXPECT_NE(LogText().find("Library: ERROR: ERROR! Bad (NULL) GeneralInfo data pointer!\n"),
            std::string::npos);
}

TEST_F(ParseReplayTest, ActionsOnlyModeIsForCompressedDataOnly) {
  request_.ParseMode = VANTREL_PARSE_ACTIONS;
  EXPECT_FALSE(Parse(BuildReplay(SmallGame())));
  EXPECT_EQ(Error(), "ParseMode 2 is for ParseCompressedData only.");
}

TEST_F(ParseReplayTest, ResetClearsWhatAnEarlierParseLeft) {
  char stale[] = "stale";
  info_.GameName = info_.MapName = info_.GameCreatorName = stale;
  info_.PlayerCount = 7;
  info_.SlotRecordCount = 7;
  info_.Players = reinterpret_cast<PlayerRecord*>(stale);
  info_.Slots = reinterpret_cast<SlotRecord*>(stale);
  info_.Actions = reinterpret_cast<ActionRecord*>(stale);
  info_.Texts = reinterpret_cast<TextNode*>(stale);
  info_.CustomObjects = stale;
  info_.IsMapDataLoad = 1;
  // A failed parse first (it sets ErrorText and header values), then one that is not a replay.
  ReplayHeader old;
  old.gameVersion = 13;
  EXPECT_FALSE(Parse(BuildReplay(SmallGame(), old)));
  EXPECT_EQ(Error(), "Wrong war3 version");
  EXPECT_FALSE(Parse(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'r', 'e', 'p', 'l', 'a', 'y'}));
  EXPECT_EQ(info_.GameName, nullptr);
  EXPECT_EQ(info_.MapName, nullptr);
  EXPECT_EQ(info_.GameCreatorName, nullptr);
  EXPECT_EQ(info_.PlayerCount, -1);
  EXPECT_EQ(info_.SlotRecordCount, 0);
  EXPECT_EQ(info_.Players, nullptr);
  EXPECT_EQ(info_.Slots, nullptr);
  EXPECT_EQ(info_.Actions, nullptr);
  EXPECT_EQ(info_.Texts, nullptr);
  EXPECT_EQ(info_.CustomObjects, nullptr);
  EXPECT_EQ(info_.IsMapDataLoad, 0);
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_EQ(info_.GameVersion, 0u);
  EXPECT_EQ(info_.DecompressedSize, 0u);
}

TEST_F(ParseReplayTest, EveryFailureOfAReplayFileCarriesAText) {
  // Each header count and size set to extremes: the parse ends cleanly, and unless the file is
  // no replay at all (an unknown header version) it says why it failed.
  const Bytes valid = BuildReplay(SmallGame());
  for (size_t offset : {28u, 32u, 36u, 40u, 44u, 52u, 68u, 70u}) {
    for (uint32_t value : {0u, 1u, 0x7FFFu, 0x8000u, 0xFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
      Bytes file = valid;
      const size_t width = offset >= 68 ? 2 : 4;
      for (size_t i = 0; i < width; ++i)
        file[offset + i] = static_cast<uint8_t>(value >> (8 * i));
      const bool parsed = Parse(file);
      const bool notAReplay = offset == 36 && value > 1;
      if (notAReplay) {
        EXPECT_FALSE(parsed);
      } else if (!parsed) {
        EXPECT_NE(info_.ErrorText, nullptr) << offset << " " << value;
      }
    }
  }
}

TEST_F(ParseReplayTest, DebugFileListsTheSectionsInOrder) {
  request_.WriteDebugFile = 1;
  ASSERT_TRUE(Parse(BuildReplay(SmallGame())));
  const std::string text = ReadText(dir_.File("debug_file.txt"));
  size_t at = 0;
  for (const char* part : {"General replay info:\n", "GameCreatorName: '", "\nMAP SETTINGS\n",
                           "FixedTeams: ", "FullSharedUnitControl: ", "'\nGameSpeed: ",
                           "MapChecksum: '", "\nPLAYERS LIST\n", "\nSLOT RECORDS\n"}) {
    const size_t found = text.find(part, at);
    ASSERT_NE(found, std::string::npos) << part << "\n" << text;
    at = found;
  }
  EXPECT_NE(LogText().find("Library: out data.\n"), std::string::npos);
}

TEST_F(ParseReplayTest, UnwritableDebugFileIsOnlyLogged) {
  request_.WriteDebugFile = 1;
  std::filesystem::create_directory(dir_.File("debug_file.txt"));
  EXPECT_TRUE(Parse(BuildReplay(SmallGame())));
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_NE(LogText().find("Library: ERROR: cannot open output file\n"), std::string::npos);
}

TEST_F(ParseReplayTest, CompressedDataChecksItsArguments) {
  EXPECT_EQ(parser_.ParseCompressedData(nullptr), 1);
  CompressedDataParams params{};
  EXPECT_EQ(parser_.ParseCompressedData(&params), 1);
  params.GeneralInfo = &info_;
  EXPECT_EQ(parser_.ParseCompressedData(&params), 1);
  EXPECT_EQ(Error(), "ERROR! Bad (NULL) compressed data pointer!");

  // The actions-only mode needs the game start record of an earlier call.
  const Bytes game = SmallGame();
  params.Data = game.data();
  params.DataSize = static_cast<uint32_t>(game.size());
  params.ParseMode = VANTREL_PARSE_ACTIONS;
  EXPECT_EQ(parser_.ParseCompressedData(&params), 1);
  EXPECT_EQ(Error(), "ParseMode 2 needs an earlier call that read the game start record.");
}

TEST_F(ParseReplayTest, CompressedDataLogsThroughTheLastParseAndOpensTheParserLog) {
  ASSERT_TRUE(Parse(BuildReplay(SmallGame())));
  const Bytes game = SmallGame();
  CompressedDataParams params{};
  params.Data = game.data();
  params.DataSize = static_cast<uint32_t>(game.size());
  params.GeneralInfo = &info_;
  params.OpenParserLog = 1;
  EXPECT_EQ(parser_.ParseCompressedData(&params), 0);
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_NE(LogText().find(": %Start parsing\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("parser_log.txt")));
}

}  // namespace

namespace {

std::vector<std::string> EntryTexts(const GeneralInfo& info) {
  std::vector<std::string> texts;
  for (const TextNode* node = info.Texts; node != nullptr; node = node->Next)
    texts.emplace_back(node->Text);
  return texts;
}

// The bytes of a file parsed in memory give what the file gives, damaged files included.
TEST(ParseAgain, StartsFromAnEmptiedPoolThatKeepsItsMemory) {
  // A long game with chat, selections and abilities, then a short one: the second parse gives
  // what a parser of its own gives, on the memory the first one took.
  GameBuilder longGame;
  longGame.players = {PlayerEntry{2, "Brisk", {0}}};
  for (int i = 0; i < 3000; ++i) {
    longGame.Chat(1, 0, "a long line of chat that fills the pool with bytes that are not zero");
    longGame.TimeSlot(
        100, {{1, {0x16, 0x01, 0x02, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9, 9, 9, 9, 9}},
              {2, {0x10, 0x40, 0x00, 'o', 'o', 'f', 'h', 1, 1, 1, 1, 2, 2, 2, 2}}});
  }
  GameBuilder shortGame;
  shortGame.TimeSlot(250, {{1, {0x61}}, {1, {0x18, 0, 3}}}).Chat(1, 1, "gg").Leave(12, 1, 9);

  testsupport::TempDir dir;
  const std::string longFile = dir.Write("long.w3g", BuildReplay(longGame.Build(), {}));
  const std::string shortFile = dir.Write("short.w3g", BuildReplay(shortGame.Build(), {}));
  const auto parse = [](vantrel::ReplayParser& parser, GeneralInfo& info, const std::string& file) {
    ParserData request{};
    request.GeneralInfo = &info;
    request.TranslateTexts = 1;
    EXPECT_TRUE(parser.ParseReplay(&request, file.c_str()));
    EXPECT_EQ(info.ErrorText, nullptr);
  };
  vantrel::ReplayParser parser, fresh;
  GeneralInfo info{}, freshInfo{};
  parse(parser, info, longFile);
  ASSERT_EQ(EntryTexts(info).size(), 9000u);
  ASSERT_NE(parser.pool().Blocks, nullptr);
  const uint8_t* base = parser.pool().Blocks->Base;

  parse(parser, info, shortFile);
  parse(fresh, freshInfo, shortFile);
  EXPECT_EQ(EntryTexts(info), EntryTexts(freshInfo));
  ASSERT_EQ(EntryTexts(info).size(), 4u);
  EXPECT_EQ(info.Players[0].ActionsTotal, 2u);
  EXPECT_EQ(info.Actions->Previous, nullptr);
  EXPECT_EQ(static_cast<const CommandData*>(info.Actions->Data)->ActionID, 0x61);
  ASSERT_NE(parser.pool().Blocks, nullptr);
  EXPECT_EQ(parser.pool().Blocks->Base, base);
}

TEST(ParsePeak, CountsTheWindowOverTheGameOnlyWhileTheWalkNeedsIt) {
  // About four times the window: the game is never held whole.
  GameBuilder game;
  for (int i = 0; i < 120000; ++i)
    game.TimeSlot(100, {{1, {0x61}}});
  const Bytes data = game.Build();
  ASSERT_GT(data.size(), 4 * vantrel::GameBytes::kFirstWindow);
  testsupport::TempDir dir;
  const std::string file = dir.Write("game.w3g", BuildReplay(data, {}));
  const auto poolBytes = [](const TCustomMemoryManager& pool) {
    size_t used = 0;
    for (const MemoryBlock* block = pool.Blocks; block != nullptr; block = block->Next)
      used += block->Used;
    return used;
  };
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  ASSERT_TRUE(parser.ParseReplay(&request, file.c_str()));
  // Without texts the pool is full when the walk ends, with the window still there.
  const size_t walked = poolBytes(parser.pool());
  EXPECT_EQ(parser.PeakBytes(), walked + vantrel::GameBytes::kFirstWindow);

  // The texts are made after the window is given back: the peak is the larger of the two.
  request.TranslateTexts = 1;
  ASSERT_TRUE(parser.ParseReplay(&request, file.c_str()));
  const size_t withTexts = poolBytes(parser.pool());
  ASSERT_GT(withTexts, walked + vantrel::GameBytes::kFirstWindow);
  EXPECT_EQ(parser.PeakBytes(), withTexts);
}

TEST(ParseReplayData, GivesWhatTheFileGives) {
  testsupport::TempDir dir;
  const testsupport::Bytes whole = testsupport::SampleReplay();
  for (size_t size : {whole.size(), whole.size() - 40, size_t{60}, size_t{0}}) {
    SCOPED_TRACE(size);
    const testsupport::Bytes bytes(whole.begin(),
                                   whole.begin() + static_cast<std::ptrdiff_t>(size));
    vantrel::ReplayParser fromFile, fromMemory;
    GeneralInfo fileInfo{}, memoryInfo{};
    ParserData fileRequest{}, memoryRequest{};
    fileRequest.GeneralInfo = &fileInfo;
    memoryRequest.GeneralInfo = &memoryInfo;
    fileRequest.TranslateTexts = memoryRequest.TranslateTexts = 1;
    const bool fileResult = fromFile.ParseReplay(&fileRequest, dir.Write("r.w3g", bytes).c_str());
    const bool memoryResult =
        fromMemory.ParseReplayData(&memoryRequest, bytes.data(), bytes.size());
    if (size == 0) {
      // An empty file cannot be mapped; empty bytes are a file that ends inside its header.
      EXPECT_FALSE(memoryResult);
      EXPECT_STREQ(memoryInfo.ErrorText, "Replay file is truncated: it ends inside its header.");
      continue;
    }
    EXPECT_EQ(memoryResult, fileResult);
    EXPECT_EQ(memoryInfo.ErrorText == nullptr, fileInfo.ErrorText == nullptr);
    if (fileInfo.ErrorText != nullptr) {
      EXPECT_STREQ(memoryInfo.ErrorText, fileInfo.ErrorText);
    }
    EXPECT_EQ(memoryInfo.PlayerCount, fileInfo.PlayerCount);
    EXPECT_EQ(memoryInfo.DecompressedSize, fileInfo.DecompressedSize);
    EXPECT_EQ(EntryTexts(memoryInfo), EntryTexts(fileInfo));
    if (size == whole.size()) {
      EXPECT_FALSE(EntryTexts(fileInfo).empty());
    }
  }
}

}  // namespace
