// `quorvel-cli scan`: which files it finds, and that its lines are those of one-by-one parsing
// whatever the number of threads.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "replay_parser.h"
#include "replay_scan.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"
#include "support/sample_replay.h"
#include "support/temp_dir.h"

using namespace testsupport;

namespace {

// A folder of good, damaged and foreign files, some in a subfolder.
class ScanFolder : public testing::Test {
 protected:
  void SetUp() override {
    const Bytes sample = SampleReplay();
    std::filesystem::create_directories(dir_.File("sub/deeper"));
    GameBuilder small;
    small.slots = {SlotEntry{}};
    small.TimeSlot(250);
    ReplayHeader old;
    old.gameVersion = 21;
    old.buildNumber = 6052;
    files_ = {
        dir_.Write("a_sample.w3g", sample),
        dir_.Write("b_truncated.w3g", Bytes(sample.begin(), sample.begin() + sample.size() / 2)),
        dir_.Write("c_text.w3g", Bytes{'h', 'e', 'l', 'l', 'o'}),
        dir_.Write("d_empty.W3G", {}),
        dir_.Write("sub/deeper/e_small.w3g", BuildReplay(small.Build(), old)),
        dir_.Write("sub/f_sample_again.w3g", sample),
    };
    dir_.Write("notes.txt", Bytes{'x'});
    dir_.Write("sub/replay.w3g.bak", sample);
  }

  TempDir dir_;
  std::vector<std::string> files_;  // the replays below dir_, in path order
};

TEST_F(ScanFolder, FindsEveryReplayOnceInPathOrder) {
  // A folder, a file inside it given again, and a file given by name whatever it is called.
  const std::vector<std::string> found = quorvel::cli::FindReplays(
      {dir_.path(), dir_.File("a_sample.w3g"), dir_.File("notes.txt"), dir_.path() + "/sub"});
  std::vector<std::string> expected = files_;
  expected.push_back(dir_.File("notes.txt"));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
}

TEST_F(ScanFolder, LinesAreThoseOfOneByOneParsingForAnyNumberOfJobs) {
  const std::vector<std::string> files = quorvel::cli::FindReplays({dir_.path()});
  ASSERT_EQ(files, files_);
  for (const bool quick : {false, true}) {
    std::vector<std::string> alone;
    for (const std::string& file : files) {
      vantrel::ReplayParser parser;
      alone.push_back(quorvel::cli::ScanFile(parser, file, quick));
    }
    for (const unsigned jobs : {1u, 2u, 4u}) {
      SCOPED_TRACE("jobs " + std::to_string(jobs) + (quick ? ", quick" : ""));
      std::vector<std::string> lines;
      quorvel::cli::ScanFiles(files, {jobs, quick}, [&](size_t index, const std::string& line) {
        EXPECT_EQ(index, lines.size());
        lines.push_back(line);
      });
      EXPECT_EQ(lines, alone);
    }
  }

  // What the lines say: the file, then the game or the reason it could not be read.
  std::vector<nlohmann::json> lines;
  for (const std::string& file : files) {
    vantrel::ReplayParser parser;
    lines.push_back(nlohmann::json::parse(quorvel::cli::ScanFile(parser, file, false)));
    EXPECT_EQ(lines.back()["file"], file);
  }
  const nlohmann::json& sample = lines[0];
  EXPECT_EQ(sample["version"], "1.26");
  EXPECT_EQ(sample["length_ms"], 120000);
  EXPECT_EQ(sample["map"], "Maps\\FrozenThrone\\(2)EchoIsles.w3x");
  EXPECT_EQ(sample["players"], nlohmann::json::parse(R"([
              {"id": 1, "name": "Alder", "team": 0, "race": "Human", "apm": 16.0, "winner": false},
              {"id": 2, "name": "Brisk", "team": 1, "race": "Orc", "apm": 16.0, "winner": true}])"));
  EXPECT_FALSE(sample.contains("error"));
  EXPECT_EQ(lines[1]["error"].get<std::string>().rfind("Replay file is truncated", 0), 0u)
      << lines[1];
  EXPECT_EQ(lines[2], nlohmann::json({{"file", files[2]}, {"error", "not a replay file"}}));
  EXPECT_EQ(lines[3],
            nlohmann::json({{"file", files[3]}, {"error", "Cannot create file mapping."}}));
  EXPECT_EQ(lines[4]["version"], "1.21");
  EXPECT_EQ(lines[5]["players"], sample["players"]);
}

}  // namespace
