// The replay context with the real libvantrel.so of the program folder.
#include "services/replay_context.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <set>

#include "gamedata/log.h"
#include "support/corpus.h"
#include "support/game_builder.h"
#include "support/recording_prompter.h"
#include "support/replay_writer.h"
#include "support/sample_replay.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using testsupport::Bytes;
using testsupport::RecordingPrompter;
using testsupport::TempDir;

const std::string kLibrary = std::string(QUORVEL_PROGRAM_DIR) + "/libvantrel.so";
const std::string kOldLibrary = std::string(QUORVEL_TEST_BINARY_DIR) + "/libfake_parser_old.so";
const std::string kBareLibrary = std::string(QUORVEL_TEST_BINARY_DIR) + "/libfake_parser_bare.so";

// A context as the program's start-up makes it, with the real parser library.
class ReplayContextTest : public ::testing::Test {
 protected:
  ReplayContextTest() {
    context_.Property = std::make_shared<QUORVEL_PROPERTY>();
    context_.Prompts = &prompter_;
  }
  void Load(const std::string& library = kLibrary) {
    ASSERT_EQ(LoadParserLibrary(context_, library), ParserLoadResult::Loaded);
  }
  std::string Write(const std::string& name, const Bytes& bytes) { return dir_.Write(name, bytes); }

  TempDir dir_;
  RecordingPrompter prompter_;
  TQuorvel_Is_Here context_;
};

TEST_F(ReplayContextTest, LoadsTheLibraryOfTheProgramFolder) {
  const testsupport::ScopedEnv program("QUORVEL_PROGRAM_DIR", QUORVEL_PROGRAM_DIR);
  EXPECT_EQ(LoadParserLibrary(context_), ParserLoadResult::Loaded);
  EXPECT_EQ(context_.ParserMajor, 1);
  EXPECT_EQ(context_.ParserMinor, 23);
  EXPECT_FALSE(context_.VersionMismatch);
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(ReplayContextTest, ALibraryOfAnotherInterfaceVersionIsRefused) {
  CLog log(dir_.File("quorvel.log").c_str());
  context_.Log = &log;
  EXPECT_EQ(LoadParserLibrary(context_, kOldLibrary), ParserLoadResult::VersionMismatch);
  EXPECT_TRUE(context_.VersionMismatch);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].text, "Версия интерфейса: 1:23\n\r Версия парсера: 1:22");
  EXPECT_EQ(prompter_.asked[0].caption, "Ошибка: Версия парсера не совпадает!!");
  EXPECT_EQ(testsupport::LogMessages(dir_.File("quorvel.log")),
            (std::vector<std::string>{"General: Load Vantrel...\n",
                                      "Error: ParserVersionError: quorvel(1:23),parser(1:22)\n"}));
}

TEST_F(ReplayContextTest, AMissingLibraryIsReportedWithoutATitle) {
  EXPECT_EQ(LoadParserLibrary(context_, dir_.File("libvantrel.so")), ParserLoadResult::Missing);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].text, "Невозможно загрузить парсер!");
  EXPECT_EQ(prompter_.asked[0].caption, "");
  EXPECT_FALSE(context_.ParserModule);
}

TEST_F(ReplayContextTest, ALibraryWithoutParseReplayAbandonsTheOpen) {
  Load(kBareLibrary);
  const std::string path = Write("sample.w3g", testsupport::SampleReplay());
  EXPECT_FALSE(QuickOpen(context_, path));
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"ParseReplay null pointer"});
  EXPECT_FALSE(context_.IsParsed);
}

TEST_F(ReplayContextTest, QuickOpenDerivesTeamsLengthVersionAndType) {
  Load();
  const std::string path = Write("sample.w3g", testsupport::SampleReplay());
  ASSERT_TRUE(QuickOpen(context_, path));
  EXPECT_TRUE(context_.IsParsed);
  EXPECT_FALSE(context_.ParseFailed);
  EXPECT_EQ(context_.ReplayPath, path);
  EXPECT_EQ(context_.VersionText, "1.26");
  EXPECT_EQ(context_.GameTypeText, "Custom");
  EXPECT_EQ(context_.DurationText, "0:2:0");
  EXPECT_EQ(context_.TeamCount[0], 1);
  EXPECT_EQ(context_.TeamCount[1], 1);
  EXPECT_EQ(context_.TeamPlayers[0][0], "Alder (Hum)");
  EXPECT_EQ(context_.TeamPlayers[1][0], "Brisk (Orc)");
  // No actions were walked.
  EXPECT_EQ(context_.Info->Actions, nullptr);
  EXPECT_EQ(context_.Info->Texts, nullptr);
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(ReplayContextTest, ObserversAndTeamsOfOneGame) {
  Load();
  testsupport::GameBuilder game;
  game.host = {1, "Alpha", {0}};
  game.players = {{2, "Beta", {0}}, {3, "Watcher", {0}}};
  game.slots = {
      {1, 100, 2, 0, 0, 0, 0x02}, {2, 100, 2, 0, 1, 1, 0x08}, {3, 100, 2, 0, 12, 2, 0x20}};
  game.TimeSlot(100);
  context_.Property->Quorvel_TagPlayersName = kRaceLabelFull;
  ASSERT_TRUE(QuickOpen(context_, Write("obs.w3g", testsupport::BuildReplay(game.Build()))));
  EXPECT_EQ(context_.TeamCount[0], 1);
  EXPECT_EQ(context_.TeamCount[1], 1);
  EXPECT_EQ(context_.TeamCount[12], 1);
  EXPECT_EQ(context_.TeamPlayers[0][0], "Alpha (Orc)");
  EXPECT_EQ(context_.TeamPlayers[1][0], "Beta (Undead)");
  EXPECT_EQ(context_.TeamPlayers[12][0], "Watcher (Random)");
}

TEST_F(ReplayContextTest, AReplayTheLibraryRefusesIsStillDescribed) {
  Load();
  testsupport::GameBuilder game;
  game.TimeSlot(100);
  testsupport::ReplayHeader header;
  header.gameVersion = 7;  // older than the library reads
  header.replayLength = 3725000;
  context_.GameTypeText = "Custom";
  ASSERT_TRUE(
      QuickOpen(context_, Write("old.w3g", testsupport::BuildReplay(game.Build(), header))));
  EXPECT_TRUE(context_.ParseFailed);
  EXPECT_TRUE(context_.IsParsed);
  EXPECT_STREQ(context_.Info->ErrorText, "Wrong war3 version");
  EXPECT_EQ(context_.VersionText, "1.7");
  EXPECT_EQ(context_.DurationText, "1:2:5");
  EXPECT_EQ(context_.Hours, 1);
  EXPECT_EQ(context_.Minutes, 2);
  EXPECT_EQ(context_.Seconds, 5);
  // Game type 0 has no text: the previous one stays.
  EXPECT_EQ(context_.GameTypeText, "Custom");
}

TEST_F(ReplayContextTest, ADamagedFileKeepsThePreviousResult) {
  Load();
  const Bytes sample = testsupport::SampleReplay();
  const std::string good = Write("sample.w3g", sample);
  ASSERT_TRUE(QuickOpen(context_, good));
  const GeneralInfo* held = context_.Info;

  Bytes damaged = sample;
  damaged[68 + 8 + 4] ^= 0xFF;  // inside the first block's compressed bytes
  EXPECT_FALSE(QuickOpen(context_, Write("damaged.w3g", damaged)));
  EXPECT_FALSE(FullOpen(context_, dir_.File("damaged.w3g")));
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>(2, "Не удается распаковать w3g файл"));
  EXPECT_TRUE(context_.IsParsed);
  EXPECT_FALSE(context_.Busy);
  EXPECT_EQ(context_.Info, held);
  EXPECT_EQ(context_.ReplayPath, good);
  ASSERT_EQ(context_.Info->PlayerCount, 2);
  EXPECT_STREQ(context_.Info->Players[0].PlayerName, "Alder");
}

TEST_F(ReplayContextTest, FullOpenWalksTheActionsAndCountsTheTexts) {
  Load();
  const std::string path = Write("sample.w3g", testsupport::SampleReplay());
  context_.ParseFailed = true;
  ASSERT_TRUE(FullOpen(context_, path));
  EXPECT_FALSE(context_.Busy);
  EXPECT_FALSE(context_.ParseFailed);
  ASSERT_NE(context_.Info->Actions, nullptr);
  int texts = 0;
  bool chat = false;
  for (const TextNode* node = context_.Info->Texts; node != nullptr; node = node->Next) {
    ++texts;
    chat = chat || std::string(node->Text).find("push now") != std::string::npos;
  }
  EXPECT_GT(texts, 0);
  EXPECT_TRUE(chat);
  EXPECT_EQ(context_.ActionLineCount, texts);
}

TEST_F(ReplayContextTest, APrivateParseEndsTheMainResultWithoutFreeingItsOwn) {
  Load();
  const std::string path = Write("sample.w3g", testsupport::SampleReplay());
  ASSERT_TRUE(QuickOpen(context_, path));
  EXPECT_TRUE(HoldsCurrentResult(context_));

  const testsupport::ScopedEnv program("QUORVEL_PROGRAM_DIR", dir_.path().c_str());
  std::unique_ptr<TQuorvel_Is_Here> job = CreatePrivateContext(context_);
  EXPECT_EQ(job->ParserModule, context_.ParserModule);
  EXPECT_EQ(job->Prompts, &prompter_);
  ASSERT_TRUE(FullOpen(*job, path));
  EXPECT_FALSE(HoldsCurrentResult(context_));
  EXPECT_TRUE(HoldsCurrentResult(*job));
  // Releasing the main context's stale result leaves the job's in place.
  ReleaseResult(context_);
  EXPECT_FALSE(context_.IsParsed);
  ASSERT_NE(job->Info->Actions, nullptr);
  EXPECT_STREQ(job->Info->Players[1].PlayerName, "Brisk");
}

TEST(RaceLabel, EveryStyleAndTheOrderOfTheFlags) {
  struct Case {
    uint8_t race;
    const char* full;
    const char* shortLabel;
    const char* letter;
  };
  const Case cases[] = {
      {0x01, "Human", "Hum", "H"},  {0x02, "Orc", "Orc", "O"},    {0x04, "NightElf", "Elf", "N"},
      {0x08, "Undead", "Und", "U"}, {0x20, "Random", "Rnd", "R"}, {0x00, "Undefined", "", ""},
      {0x40, "Undefined", "", ""},  {0x03, "Human", "Hum", "H"},  // 0x01 is tested first
      {0x28, "Undead", "Und", "U"}, {0x41, "Human", "Hum", "H"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RaceLabel(c.race, kRaceLabelFull), c.full) << int(c.race);
    EXPECT_EQ(RaceLabel(c.race, kRaceLabelShort), c.shortLabel) << int(c.race);
    EXPECT_EQ(RaceLabel(c.race, kRaceLabelLetter), c.letter) << int(c.race);
    EXPECT_EQ(RaceLabel(c.race, kRaceLabelNone), "") << int(c.race);
    EXPECT_EQ(RaceLabel(c.race, 3), c.full) << int(c.race);
  }
}

TEST(GameTypeAndVersionTexts, Table) {
  EXPECT_STREQ(GameTypeTextOf(1), "Ladder (1on1 or FFA)");
  EXPECT_STREQ(GameTypeTextOf(9), "Custom");
  EXPECT_STREQ(GameTypeTextOf(13), "SinglePlayer");
  EXPECT_STREQ(GameTypeTextOf(32), "TeamGame (AT or RT)");
  EXPECT_STREQ(GameTypeTextOf(33), "Unknown");
  EXPECT_EQ(GameTypeTextOf(2), nullptr);
  EXPECT_EQ(ReplayVersionText(7), "1.7");
  EXPECT_EQ(ReplayVersionText(22), "1.22");
  EXPECT_EQ(ReplayVersionText(10032), "1.32");
  EXPECT_EQ(ReplayVersionText(10100), "2.0");
}

// Real replays, read by another program (peer-w3gjs): quick open agrees on the players of each
// team, the length and the version.
class CorpusQuickOpen : public ::testing::TestWithParam<testsupport::CorpusReplay> {};

TEST_P(CorpusQuickOpen, AgreesWithAnotherReader) {
  const testsupport::CorpusReplay& replay = GetParam();
  if (replay.path.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  std::string peerName = replay.file;
  peerName.replace(peerName.find('/'), 1, "__");
  std::ifstream peerFile(testsupport::CorpusDir() + "/peer-w3gjs/" + peerName + ".json");
  if (!peerFile) GTEST_SKIP() << "the other reader did not read " << replay.file;
  const nlohmann::json peer = nlohmann::json::parse(peerFile);

  RecordingPrompter prompter;
  TQuorvel_Is_Here context;
  context.Property = std::make_shared<QUORVEL_PROPERTY>();
  context.Prompts = &prompter;
  ASSERT_EQ(LoadParserLibrary(context, kLibrary), ParserLoadResult::Loaded);
  ASSERT_TRUE(QuickOpen(context, replay.path)) << testing::PrintToString(prompter.Texts());

  const uint32_t seconds = peer["durationMs"].get<uint32_t>() / 1000;
  EXPECT_EQ(context.DurationText, std::to_string(seconds / 3600) + ":" +
                                      std::to_string(seconds / 60 % 60) + ":" +
                                      std::to_string(seconds % 60));
  // The other reader writes "1.30.2+" or "2.00" where the version field says 1.30 or 2.0.
  const std::string peerVersion = peer["version"];
  const std::string ours = context.VersionText;
  if (replay.versionLabel != "?") {
    EXPECT_EQ(std::stod(peerVersion), std::stod(ours)) << peerVersion << " / " << ours;
  }
  if (context.ParseFailed) GTEST_SKIP() << "the parser refuses " << replay.file;

  // Players by team, without the computers the other reader lists as players.
  std::map<int, std::multiset<std::string>> expected, found;
  for (const auto& player : peer["players"]) {
    if (player["id"] == 0) continue;
    expected[player["teamid"].get<int>()].insert(player["name"].get<std::string>());
  }
  for (int team = 0; team < 12; ++team) {
    for (int i = 0; i < context.TeamCount[team]; ++i) {
      const std::string& entry = context.TeamPlayers[team][i];
      found[team].insert(entry.substr(0, entry.rfind(" (")));
    }
  }
  EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusQuickOpen,
    ::testing::ValuesIn(testsupport::OrAbsentRow(testsupport::CorpusReplays())),
    [](const auto& info) { return testsupport::CorpusTestName(info.param); });

}  // namespace
