#include "services/standalone_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/corpus.h"
#include "support/mpq_writer.h"
#include "support/replay_writer.h"
#include "support/temp_dir.h"

namespace {

using testsupport::BuildReplay;
using testsupport::Bytes;
using testsupport::MakeBlocks;
using testsupport::ReplayHeader;
using testsupport::TempDir;
using testsupport::WriteReplay;

// A game's decompressed bytes that do not repeat much.
Bytes Game(size_t size) {
  return testsupport::PatternBytes(size, 7);
}

StandaloneReadResult ReadBytes(const Bytes& file, bool keepPartial = false) {
  TempDir dir;
  return ReadReplayFile(dir.Write("r.w3g", file), keepPartial);
}

TEST(StandaloneReader, ReadsHeaderValuesAndEveryBlock) {
  const Bytes game = Game(20000);
  ReplayHeader header;
  header.gameVersion = 26;
  header.buildNumber = 6059;
  header.replayLength = 754321;
  const Bytes file = BuildReplay(game, header);
  const StandaloneReadResult read = ReadBytes(file);
  ASSERT_NE(read.replay, nullptr) << read.report;
  EXPECT_EQ(read.replay->GameVersion, 26u);
  EXPECT_EQ(read.replay->ReplayLength, 754321u);
  EXPECT_EQ(0, std::memcmp(read.replay->HeaderBytes, file.data(), 68));
  ASSERT_EQ(read.replay->Data.size(), game.size());
  EXPECT_TRUE(std::equal(game.begin(), game.end(), read.replay->Data.begin()));
}

TEST(StandaloneReader, HeaderFormsAndLayouts) {
  struct Case {
    const char* name;
    uint32_t headerVersion;
    uint32_t gameVersion;
    uint16_t build;
    bool wideBlocks;
  };
  const Case cases[] = {
      // Form 0: a 16-bit version in a 16-byte sub-header; blocks from offset 64.
      {"form 0", 0, 10, 4531, false},
      // Versions the parser refuses are read here.
      {"version 13", 1, 13, 4531, false},
      {"1.32 blocks of 12-byte headers", 1, 10032, 6105, true},
      {"2.0", 1, 10100, 6115, true},
  };
  for (const Case& c : cases) {
    const Bytes game = Game(9000);
    ReplayHeader header;
    header.headerVersion = c.headerVersion;
    header.gameVersion = c.gameVersion;
    header.buildNumber = c.build;
    header.wideBlocks = c.wideBlocks;
    const StandaloneReadResult read = ReadBytes(BuildReplay(game, header));
    ASSERT_NE(read.replay, nullptr) << c.name << ": " << read.report;
    EXPECT_EQ(read.replay->GameVersion, c.gameVersion) << c.name;
    EXPECT_EQ(read.replay->BuildNumber, c.build) << c.name;
    EXPECT_TRUE(std::equal(game.begin(), game.end(), read.replay->Data.begin())) << c.name;
  }
}

TEST(StandaloneReader, ABlockLargerThanTheWorkBufferAndFinishedStreams) {
  // Stored without compression, 9000 bytes of game take more than 9000 bytes.
  const Bytes game = Game(9000);
  testsupport::Block stored{testsupport::DeflateFlushed(game, 0)};
  stored.compressedLength = static_cast<uint32_t>(stored.compressed.size());
  stored.decompressedLength = 9000;
  ASSERT_GT(stored.compressedLength, 9000u);
  testsupport::Block finished{testsupport::DeflateFinished(game)};
  finished.compressedLength = static_cast<uint32_t>(finished.compressed.size());
  finished.decompressedLength = 9000;
  const StandaloneReadResult read = ReadBytes(WriteReplay({}, {stored, finished}, 18000));
  ASSERT_NE(read.replay, nullptr) << read.report;
  EXPECT_TRUE(std::equal(game.begin(), game.end(), read.replay->Data.begin()));
  EXPECT_TRUE(std::equal(game.begin(), game.end(), read.replay->Data.begin() + 9000));
}

TEST(StandaloneReader, ABlockThatYieldsLessThanItsHeaderSaysIsAccepted) {
  const Bytes game = Game(5000);
  testsupport::Block block{testsupport::DeflateFlushed(game)};
  block.compressedLength = static_cast<uint32_t>(block.compressed.size());
  block.decompressedLength = 8192;
  const StandaloneReadResult read = ReadBytes(WriteReplay({}, {block}, 8192));
  ASSERT_NE(read.replay, nullptr) << read.report;
  EXPECT_TRUE(std::equal(game.begin(), game.end(), read.replay->Data.begin()));
  EXPECT_EQ(read.replay->Data[5000], 0);
}

TEST(StandaloneReader, AWrappedReplayIsFoundBehindItsWrapper) {
  const Bytes game = Game(3000);
  Bytes file = {'G', 'R', 'B', 'N', 1, 2, 3, 4, 5};
  const Bytes replay = BuildReplay(game, {});
  file.insert(file.end(), replay.begin(), replay.end());
  const StandaloneReadResult read = ReadBytes(file);
  ASSERT_NE(read.replay, nullptr) << read.report;
  EXPECT_EQ(0, std::memcmp(read.replay->HeaderBytes, replay.data(), 68));
  EXPECT_TRUE(std::equal(game.begin(), game.end(), read.replay->Data.begin()));
}

TEST(StandaloneReader, RefusesWhatDoesNotReadAndInflateCompletely) {
  const Bytes good = BuildReplay(Game(20000), {});
  auto with = [&](auto change) {
    Bytes file = good;
    change(file);
    return file;
  };
  const size_t secondHeader = 68 + 8 + (good[68] | good[69] << 8);
  ReplayHeader biggerHeader;
  biggerHeader.headerSize = 72;
  ReplayHeader hugeSize;
  hugeSize.decompressedSize = 0xFFFFFFF0;
  struct Case {
    const char* name;
    Bytes file;
    const char* report;  // a part of the diagnostic line
  };
  const Case cases[] = {
      {"shorter than 68 bytes", Bytes(good.begin(), good.begin() + 67), "67\n68\n"},
      {"another magic text", with([](Bytes& f) { f[0] = 'w'; }), "Header string mismatch"},
      {"header version 2", with([](Bytes& f) { f[36] = 2; }), "Unrecognized header version 2!"},
      {"damaged block", with([](Bytes& f) { f[68 + 8 + 3] ^= 0xFF; }), "Zlib Inflate: "},
      {"header size past the real headers", BuildReplay(Game(20000), biggerHeader), "Zlib"},
      {"cut inside a block", Bytes(good.begin(), good.end() - 10), "read_buf"},
      {"cut inside the second block header", Bytes(good.begin(), good.begin() + secondHeader + 4),
       "read: the file ends inside block 2"},
      {"a size no block can yield", BuildReplay(Game(100), hugeSize), "malloc"},
      {"a wrapper without a replay", Bytes{'G', 'R', 'B', 'N', 0, 0}, "Header string mismatch"},
  };
  for (const Case& c : cases) {
    const StandaloneReadResult read = ReadBytes(c.file);
    EXPECT_EQ(read.replay, nullptr) << c.name;
    EXPECT_NE(read.report.find(c.report), std::string::npos) << c.name << ": " << read.report;
  }
  TempDir dir;
  const StandaloneReadResult missing = ReadReplayFile(dir.File("missing.w3g"));
  EXPECT_EQ(missing.replay, nullptr);
  EXPECT_EQ(missing.report.rfind("open: ", 0), 0u) << missing.report;
}

TEST(StandaloneReader, KeepPartialGivesWhatWasReadBeforeTheCut) {
  const Bytes game = Game(20000);
  const Bytes good = BuildReplay(game, {});
  const Bytes cut(good.begin(), good.end() - 10);
  EXPECT_EQ(ReadBytes(cut).replay, nullptr);
  const StandaloneReadResult read = ReadBytes(cut, true);
  ASSERT_NE(read.replay, nullptr);
  EXPECT_TRUE(std::equal(game.begin(), game.begin() + 2 * 8192, read.replay->Data.begin()));
}

class CorpusStandaloneReader : public ::testing::TestWithParam<testsupport::CorpusReplay> {};

TEST_P(CorpusStandaloneReader, ReadsTheHeaderAnIndependentReaderFound) {
  const testsupport::CorpusReplay& replay = GetParam();
  if (replay.path.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  const StandaloneReadResult read = ReadReplayFile(replay.path);
  ASSERT_NE(read.replay, nullptr) << read.report;
  EXPECT_EQ(read.replay->GameVersion, replay.gameVersion);
  EXPECT_EQ(read.replay->ReplayLength, replay.lengthMs);
  EXPECT_EQ(read.replay->BuildNumber, replay.build);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusStandaloneReader,
    ::testing::ValuesIn(testsupport::OrAbsentRow(testsupport::CorpusReplays())),
    [](const auto& info) { return testsupport::CorpusTestName(info.param); });

}  // namespace
