// The replay container: header, sub-header, version gate and block inflation.
#include <gtest/gtest.h>

#include <cstring>

#include "replay_container.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"

using namespace testsupport;
using vantrel::ContainerResult;
using vantrel::InflatedReplay;

namespace {

struct Read {
  ContainerResult result;
  GeneralInfo info{};
  InflatedReplay game;
};

// Reads `file` as the parser does: headers, then blocks.
Read ReadContainer(const Bytes& file) {
  Read read;
  size_t blocksOffset = 0;
  read.result = vantrel::ReadReplayHeaders(file.data(), file.size(), read.info, blocksOffset);
  if (read.result.ok) {
    read.result =
        vantrel::InflateBlocks(file.data(), file.size(), blocksOffset, read.info, read.game);
  }
  return read;
}

Bytes Game(size_t size) {
  Bytes game(size);
  for (size_t i = 0; i < size; ++i)
    game[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return game;
}

TEST(ReplayContainer, CopiesHeaderFieldsOfBothForms) {
  ReplayHeader header;
  header.gameVersion = 18;
  header.buildNumber = 6051;
  header.replayFlags = 0x8000;
  header.replayLength = 2167150;
  header.headerChecksum = 0xCAFEBABE;
  for (uint32_t form : {0u, 1u}) {
    header.headerVersion = form;
    const Bytes game = Game(20000);
    const Read read = ReadContainer(BuildReplay(game, header));
    ASSERT_TRUE(read.result.ok) << read.result.error;
    EXPECT_EQ(read.info.HeaderVersion, form);
    EXPECT_EQ(read.info.HeaderSize, form == 0 ? 64u : 68u);
    EXPECT_EQ(read.info.GameVersion, 18u);
    EXPECT_EQ(read.info.BuildNumber, 6051);
    EXPECT_EQ(read.info.ReplayFlags, 0x8000);
    EXPECT_EQ(read.info.ReplayLength, 2167150u);
    EXPECT_EQ(read.info.HeaderChecksum, 0xCAFEBABEu);
    EXPECT_EQ(read.info.DecompressedSize, 20000u);
    EXPECT_EQ(read.info.BlockCount, 3u);
    ASSERT_EQ(read.game.size, game.size());
    EXPECT_EQ(std::memcmp(read.game.data.get(), game.data(), game.size()), 0);
  }
}

TEST(ReplayContainer, TrimsTheLastBlockToWhatRemains) {
  // Two blocks of 8192 nominal bytes but only 8292 decompressed: the second block yields 100.
  const Bytes game = Game(8292);
  const Bytes file = BuildReplay(game);
  const Read read = ReadContainer(file);
  ASSERT_TRUE(read.result.ok) << read.result.error;
  ASSERT_EQ(read.game.size, 8292u);
  EXPECT_EQ(std::memcmp(read.game.data.get(), game.data(), game.size()), 0);
}

TEST(ReplayContainer, LeavesWhatTheBlocksDoNotCoverZero) {
  // One block of 1000 bytes in a buffer the header says is 1500 bytes long.
  const Bytes game = Game(1000);
  std::vector<Block> blocks = MakeBlocks(game, 1000);
  ReplayHeader header;
  const Read read = ReadContainer(WriteReplay(header, blocks, 1500));
  ASSERT_TRUE(read.result.ok) << read.result.error;
  ASSERT_EQ(read.game.size, 1500u);
  for (size_t i = 1000; i < 1500; ++i)
    ASSERT_EQ(read.game.data.get()[i], 0) << i;
}

TEST(ReplayContainer, AcceptsFinishedStreamsThatYieldTheWholeBlock) {
  // Some writers finish every block's stream instead of flushing it.
  const Bytes game = Game(20000);
  std::vector<Block> blocks = MakeBlocks(game);
  for (size_t i = 0; i + 1 < blocks.size(); ++i) {
    const Bytes part(game.begin() + static_cast<std::ptrdiff_t>(i * 8192),
                     game.begin() + static_cast<std::ptrdiff_t>((i + 1) * 8192));
    blocks[i].compressed = DeflateFinished(part);
    blocks[i].compressedLength = static_cast<uint16_t>(blocks[i].compressed.size());
  }
  const Read read = ReadContainer(WriteReplay(ReplayHeader{}, blocks, 20000));
  ASSERT_TRUE(read.result.ok) << read.result.error;
  EXPECT_EQ(std::memcmp(read.game.data.get(), game.data(), game.size()), 0);
}

TEST(ReplayContainer, WrongMagicOrHeaderVersionIsNotAReplayWithoutText) {
  Bytes wrongMagic = BuildReplay(Game(100));
  wrongMagic[0] = 'w';
  ReplayHeader version2;
  version2.headerVersion = 2;
  for (const Bytes& file : {wrongMagic, BuildReplay(Game(100), version2), Bytes{'W', 'x'}}) {
    const Read read = ReadContainer(file);
    EXPECT_FALSE(read.result.ok);
    EXPECT_EQ(read.result.error, "");
  }
}

TEST(ReplayContainer, VersionGateRefusesOlderThan14) {
  for (uint32_t form : {0u, 1u}) {
    ReplayHeader header;
    header.headerVersion = form;
    header.gameVersion = 13;
    Read read = ReadContainer(BuildReplay(Game(100), header));
    EXPECT_FALSE(read.result.ok);
    EXPECT_EQ(read.result.error, "Wrong war3 version");
    header.gameVersion = 14;
    read = ReadContainer(BuildReplay(Game(100), header));
    EXPECT_TRUE(read.result.ok) << read.result.error;
  }
}

struct DamageCase {
  const char* name;
  void (*damage)(ReplayHeader& header, std::vector<Block>& blocks);
  const char* error;
};

void PrintTo(const DamageCase& damage, std::ostream* out) {
  *out << damage.name;
}

Bytes Damaged(const DamageCase& damage) {
  ReplayHeader header;
  std::vector<Block> blocks = MakeBlocks(Game(20000));
  damage.damage(header, blocks);
  return WriteReplay(header, blocks, 20000);
}

class DamagedBlocks : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedBlocks, FailWithTheirText) {
  const Read read = ReadContainer(Damaged(GetParam()));
  EXPECT_FALSE(read.result.ok);
  EXPECT_EQ(read.result.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Container, DamagedBlocks,
    testing::Values(
        DamageCase{"StreamEndsBeforeTheBlockIsComplete",
                   [](ReplayHeader&, std::vector<Block>& blocks) {
                     blocks[1].compressed = DeflateFinished(Bytes(8000, 1));
                     blocks[1].compressedLength =
                         static_cast<uint16_t>(blocks[1].compressed.size());
                   },
                   "Zlib inflate error"},
        DamageCase{"GarbageStream",
                   [](ReplayHeader&, std::vector<Block>& blocks) {
                     for (uint8_t& byte : blocks[0].compressed)
                       byte = 0xFF;
                   },
                   "Zlib inflate error"},
        DamageCase{
            "BlockYieldsLessThanItSays",
            [](ReplayHeader&, std::vector<Block>& blocks) { blocks[0].decompressedLength = 9000; },
            "Zlib data size and data size in replay does not match"},
        DamageCase{"NegativeBlockLength",
                   [](ReplayHeader&, std::vector<Block>& blocks) {
                     blocks[0].decompressedLength = 0x8000;
                   },
                   "Zlib data size and data size in replay does not match"},
        DamageCase{"MoreBlocksThanTheFileHolds",
                   [](ReplayHeader& header, std::vector<Block>&) { header.blockCount = 4; },
                   "Replay file is truncated: it ends inside block 4 of 4."},
        DamageCase{
            "CompressedLengthPastTheEnd",
            [](ReplayHeader&, std::vector<Block>& blocks) { blocks[2].compressedLength = 0xFFFF; },
            "Replay file is truncated: it ends inside block 3 of 3."},
        DamageCase{
            "HugeDecompressedSize",
            [](ReplayHeader& header, std::vector<Block>&) { header.decompressedSize = 0xFFFFFFFF; },
            "Fail to allocate memory"},
        DamageCase{"MoreThanTheBlocksCanYield",
                   [](ReplayHeader& header, std::vector<Block>&) {
                     header.decompressedSize = 3 * 32767 + 1;
                   },
                   "Fail to allocate memory"},
        DamageCase{"BlockDataBeyondTheDecompressedSize",
                   [](ReplayHeader& header, std::vector<Block>&) { header.decompressedSize = 8; },
                   "Error"}),
    [](const testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

TEST(ReplayContainer, FileEndingInsideItsHeaderIsTruncated) {
  const Bytes file = BuildReplay(Game(100));
  for (size_t size : {30u, 47u, 48u, 60u, 67u}) {
    const Read read =
        ReadContainer(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_FALSE(read.result.ok) << size;
    EXPECT_EQ(read.result.error, "Replay file is truncated: it ends inside its header.") << size;
  }
}

TEST(ReplayContainer, EveryPrefixOfAValidReplayEndsCleanly) {
  GameBuilder game;
  game.slots = {SlotEntry{}};
  for (int i = 0; i < 40; ++i)
    game.TimeSlot(100);
  const Bytes file = BuildReplay(game.Build(9000), ReplayHeader{}, 4096);
  size_t failures = 0;
  for (size_t size = 1; size < file.size(); ++size) {
    const Read read =
        ReadContainer(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)));
    failures += read.result.ok ? 0 : 1;
  }
  // Every block is needed: no prefix is a complete replay.
  EXPECT_EQ(failures, file.size() - 1);
  EXPECT_TRUE(ReadContainer(file).result.ok);
}

}  // namespace
