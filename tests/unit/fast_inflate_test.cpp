// Blocks are inflated by a faster inflater where its outcome is certain and by zlib otherwise.
// Whatever a block holds, both ways give the same result, error text and bytes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/mapped_file.h"
#include "replay_container.h"
#include "support/corpus.h"
#include "support/replay_writer.h"

using namespace testsupport;
using Inflation = vantrel::BlockReader::Inflation;

namespace {

struct Inflated {
  bool ok = false;
  std::string error;
  Bytes game;  // every block's bytes, in order, up to the error
};

Inflated InflateAll(const uint8_t* file, size_t size, Inflation inflation) {
  Inflated out;
  GeneralInfo info{};
  size_t blocksOffset = 0;
  const vantrel::ContainerResult headers =
      vantrel::ReadReplayHeaders(file, size, info, blocksOffset);
  if (!headers.ok) {
    out.error = "headers: " + headers.error;
    return out;
  }
  vantrel::BlockReader blocks(file, size, blocksOffset, info, inflation);
  vantrel::ContainerResult result = blocks.CheckSize();
  while (result.ok && !blocks.Done()) {
    uint32_t expected = 0;
    result = blocks.Next(expected);
    if (!result.ok) break;
    const size_t at = out.game.size();
    out.game.resize(at + expected);
    result = blocks.Inflate(out.game.data() + at);
  }
  if (result.ok) result = blocks.Finish();
  out.ok = result.ok;
  out.error = result.error;
  return out;
}

// A stream of `data` made by zlib with the given flush and level, optionally with a preset
// dictionary.
Bytes Deflate(const Bytes& data, int flush, int level = 6, const Bytes& dictionary = {}) {
  z_stream stream{};
  EXPECT_EQ(deflateInit(&stream, level), Z_OK);
  if (!dictionary.empty()) {
    deflateSetDictionary(&stream, dictionary.data(), static_cast<uInt>(dictionary.size()));
  }
  Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())) + 64);
  stream.next_in = const_cast<Bytef*>(data.data());
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, flush);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

Bytes Data(size_t size, unsigned seed = 1) {
  Bytes data(size);
  for (size_t i = 0; i < size; ++i)
    data[i] = static_cast<uint8_t>((i * seed * 7 + i / 13) % (seed % 5 == 0 ? 7 : 251));
  return data;
}

Block Stored(Bytes compressed, uint32_t size) {
  Block block;
  block.compressedLength = static_cast<uint32_t>(compressed.size());
  block.compressed = std::move(compressed);
  block.decompressedLength = size;
  return block;
}

struct BlockCase {
  const char* name;
  std::function<std::vector<Block>()> blocks;
};

void PrintTo(const BlockCase& c, std::ostream* out) {
  *out << c.name;
}

std::vector<BlockCase> Cases() {
  const Bytes data = Data(8192);
  return {
      {"Flushed", [=] { return std::vector{Stored(DeflateFlushed(data), 8192)}; }},
      {"FlushedStoredAndBest",
       [=] {
         return std::vector{Stored(DeflateFlushed(data, 0), 8192),
                            Stored(DeflateFlushed(Data(8192, 5), 9), 8192)};
       }},
      {"FinishedAtItsSize", [=] { return std::vector{Stored(DeflateFinished(data), 8192)}; }},
      {"FinishedThenFlushed",
       [=] {
         return std::vector{Stored(DeflateFinished(data), 8192),
                            Stored(DeflateFlushed(Data(8192, 3)), 8192)};
       }},
      {"FinishedWithAWrongChecksum",
       [=] {
         Bytes stream = DeflateFinished(data);
         stream.back() ^= 0x01;
         return std::vector{Stored(stream, 8192)};
       }},
      {"FinishedWithoutItsChecksum",
       [=] {
         Bytes stream = DeflateFinished(data);
         stream.resize(stream.size() - 4);
         return std::vector{Stored(stream, 8192)};
       }},
      {"FinishedWithHalfItsChecksum",
       [=] {
         Bytes stream = DeflateFinished(data);
         stream.resize(stream.size() - 2);
         return std::vector{Stored(stream, 8192)};
       }},
      {"FinishedShortOfItsSize", [=] { return std::vector{Stored(DeflateFinished(data), 9000)}; }},
      {"FinishedBeyondItsSize", [=] { return std::vector{Stored(DeflateFinished(data), 8000)}; }},
      {"FlushedBeyondItsSize", [=] { return std::vector{Stored(DeflateFlushed(data), 8000)}; }},
      {"FlushedShortOfItsSize", [=] { return std::vector{Stored(DeflateFlushed(data), 8200)}; }},
      {"PartialFlush", [=] { return std::vector{Stored(Deflate(data, Z_PARTIAL_FLUSH), 8192)}; }},
      {"NoFlush",
       [=] {
         // What a writer that stopped without flushing leaves: the stream breaks off.
         return std::vector{Stored(Deflate(data, Z_NO_FLUSH), 8192)};
       }},
      {"CutShort",
       [=] {
         Bytes stream = DeflateFlushed(data);
         stream.resize(stream.size() / 2);
         return std::vector{Stored(stream, 8192)};
       }},
      {"GarbageAfterAValidHeader",
       [=] {
         Bytes stream = DeflateFlushed(data);
         for (size_t i = 2; i < stream.size(); ++i)
           stream[i] = static_cast<uint8_t>(i * 37);
         return std::vector{Stored(stream, 8192)};
       }},
      {"DamagedByteInTheMiddle",
       [=] {
         Bytes stream = DeflateFlushed(data);
         stream[stream.size() / 2] ^= 0x5A;
         return std::vector{Stored(stream, 8192)};
       }},
      {"PresetDictionary",
       [=] { return std::vector{Stored(Deflate(data, Z_SYNC_FLUSH, 6, Data(300, 2)), 8192)}; }},
      {"HeaderOfAnotherMethod",
       [=] {
         Bytes stream = DeflateFlushed(data);
         stream[0] = 0x77;
         stream[1] = static_cast<uint8_t>(31 - (0x77 << 8) % 31);
         return std::vector{Stored(stream, 8192)};
       }},
      {"HeaderWithABadCheck",
       [=] {
         Bytes stream = DeflateFlushed(data);
         stream[1] ^= 0x01;
         return std::vector{Stored(stream, 8192)};
       }},
      {"JustTheFlushMarker",
       [=] {
         return std::vector{Stored({0x78, 0x9C, 0, 0, 0xFF, 0xFF}, 0)};
       }},
      {"EmptyBlock", [=] { return std::vector{Stored({}, 8192)}; }},
  };
}

class FastInflate : public testing::TestWithParam<BlockCase> {};

TEST_P(FastInflate, GivesWhatZlibGives) {
  const std::vector<Block> blocks = GetParam().blocks();
  uint32_t size = 0;
  for (const Block& block : blocks)
    size += block.decompressedLength;
  const Bytes file = WriteReplay({}, blocks, size);
  const Inflated zlib = InflateAll(file.data(), file.size(), Inflation::ZlibOnly);
  const Inflated fast = InflateAll(file.data(), file.size(), Inflation::Fast);
  EXPECT_EQ(fast.ok, zlib.ok);
  EXPECT_EQ(fast.error, zlib.error);
  if (zlib.ok) {
    EXPECT_EQ(fast.game, zlib.game);
  }
}

INSTANTIATE_TEST_SUITE_P(Blocks, FastInflate, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<BlockCase>& info) {
                           return std::string(info.param.name);
                         });

// The outcomes the table above is about: a few of them succeed, most do not.
TEST(FastInflateCases, CoverSuccessesAndEachError) {
  std::vector<std::string> seen;
  for (const BlockCase& c : Cases()) {
    const std::vector<Block> blocks = c.blocks();
    uint32_t size = 0;
    for (const Block& block : blocks)
      size += block.decompressedLength;
    const Bytes file = WriteReplay({}, blocks, size);
    seen.push_back(InflateAll(file.data(), file.size(), Inflation::ZlibOnly).error);
  }
  for (const char* outcome :
       {"", "Zlib inflate error", "Zlib data size and data size in replay does not match"}) {
    EXPECT_NE(std::find(seen.begin(), seen.end(), outcome), seen.end()) << outcome;
  }
}

class CorpusInflate : public testing::TestWithParam<CorpusReplay> {};

TEST_P(CorpusInflate, GivesWhatZlibGives) {
  const CorpusReplay& replay = GetParam();
  if (replay.path.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  platform::MappedFile file;
  ASSERT_EQ(file.Open(replay.path.c_str()), platform::MappedFile::Status::Ok);
  const Inflated zlib = InflateAll(file.data(), file.size(), Inflation::ZlibOnly);
  const Inflated fast = InflateAll(file.data(), file.size(), Inflation::Fast);
  EXPECT_EQ(fast.ok, zlib.ok);
  EXPECT_EQ(fast.error, zlib.error);
  EXPECT_EQ(fast.game, zlib.game);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusInflate, testing::ValuesIn(OrAbsentRow(CorpusReplays())),
                         [](const testing::TestParamInfo<CorpusReplay>& info) {
                           return CorpusTestName(info.param);
                         });

}  // namespace
