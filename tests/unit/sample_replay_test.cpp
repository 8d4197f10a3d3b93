// The sample replay delivered with the program is the one the replay writer makes.
#include <gtest/gtest.h>

#include "replay_parser.h"
#include "support/sample_replay.h"
#include "support/temp_dir.h"

namespace {

const std::string kSamplePath = std::string(QUORVEL_SOURCE_DIR) + "/data/samples/sample.w3g";

TEST(SampleReplay, DeliveredFileIsReproducible) {
  const testsupport::Bytes delivered = testsupport::ReadFile(kSamplePath);
  ASSERT_FALSE(delivered.empty()) << kSamplePath;
  EXPECT_TRUE(delivered == testsupport::SampleReplay())
      << "data/samples/sample.w3g differs from what make-sample-replay writes: regenerate it";
}

TEST(SampleReplay, IsAReadableReplay) {
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  ASSERT_TRUE(parser.ParseReplay(&request, kSamplePath.c_str()));
  EXPECT_EQ(info.ErrorText, nullptr);
  EXPECT_EQ(info.GameVersion, 26u);
  EXPECT_EQ(info.ReplayLength, 120000u);
}

}  // namespace
