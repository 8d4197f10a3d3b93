// Real replays recorded by other people: the container of every classic one is read completely
// and agrees with what an independent reader found in its header.
#include <gtest/gtest.h>

#include "replay_parser.h"
#include "support/corpus.h"

using testsupport::CorpusReplay;

namespace {

std::vector<CorpusReplay> Rows() {
  return testsupport::OrAbsentRow(testsupport::ClassicCorpusReplays());
}

class ClassicCorpusReplay : public testing::TestWithParam<CorpusReplay> {};

TEST_P(ClassicCorpusReplay, InflatesCompletelyWithTheHeaderValuesOfTheCorpus) {
  const CorpusReplay& replay = GetParam();
  if (replay.path.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  ASSERT_TRUE(parser.ParseReplay(&request, replay.path.c_str()))
      << (info.ErrorText ? info.ErrorText : "");
  EXPECT_EQ(info.ErrorText, nullptr) << info.ErrorText;
  EXPECT_EQ(info.HeaderVersion, replay.headerVersion);
  EXPECT_EQ(info.GameVersion, replay.gameVersion);
  EXPECT_EQ(info.BuildNumber, replay.build);
  EXPECT_EQ(info.ReplayLength, replay.lengthMs);
  EXPECT_EQ(info.HeaderSize, replay.headerSize);
  EXPECT_EQ(info.BlockCount, replay.blocks);
}

INSTANTIATE_TEST_SUITE_P(Corpus, ClassicCorpusReplay, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<CorpusReplay>& info) {
                           return testsupport::CorpusTestName(info.param);
                         });

TEST(CorpusReplays, OldestReplayIsRefusedByVersion) {
  for (const CorpusReplay& replay : testsupport::CorpusReplays()) {
    if (replay.gameVersion >= 14) continue;
    vantrel::ReplayParser parser;
    GeneralInfo info{};
    ParserData request{};
    request.GeneralInfo = &info;
    EXPECT_FALSE(parser.ParseReplay(&request, replay.path.c_str())) << replay.file;
    ASSERT_NE(info.ErrorText, nullptr) << replay.file;
    EXPECT_STREQ(info.ErrorText, "Wrong war3 version") << replay.file;
    return;
  }
  GTEST_SKIP() << "no replay older than version 14 in the corpus (or the corpus is absent)";
}

TEST(CorpusReplays, EveryReplayEndsCleanly) {
  // Whatever their version, reading them never crashes and a failure carries its reason.
  const auto replays = testsupport::CorpusReplays();
  if (replays.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  for (const CorpusReplay& replay : replays) {
    vantrel::ReplayParser parser;
    GeneralInfo info{};
    ParserData request{};
    request.GeneralInfo = &info;
    const bool parsed = parser.ParseReplay(&request, replay.path.c_str());
    const bool wrapped = replay.file.find("GRBN") != std::string::npos;
    if (!parsed && !wrapped) {
      EXPECT_NE(info.ErrorText, nullptr) << replay.file;
    }
  }
}

}  // namespace
