#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/byte_writer.h"

namespace testsupport {

// A zlib stream of `data` ended with a synchronous flush and not finished, as replay blocks are.
Bytes DeflateFlushed(const Bytes& data, int level = 6);
// A finished zlib stream (a replay block must not be one).
Bytes DeflateFinished(const Bytes& data, int level = 6);

// One block as it is stored: header values and compressed bytes.
struct Block {
  Bytes compressed;
  uint32_t compressedLength = 0;    // stored value; normally compressed.size()
  uint32_t decompressedLength = 0;  // stored value (16 bits of it in 8-byte headers)
  uint32_t checksum = 0;
};

// Cuts `game` into blocks of `blockSize` bytes as the game does: the last block is padded with
// zeros to the full size and its stored length is the full size.
std::vector<Block> MakeBlocks(const Bytes& game, size_t blockSize = 8192);

// The fixed header and the sub-header. Values left unset are computed from the blocks.
struct ReplayHeader {
  uint32_t headerVersion = 1;  // 0: 16-byte sub-header, 1: 20-byte sub-header
  uint32_t gameVersion = 26;
  uint16_t buildNumber = 6059;
  uint16_t replayFlags = 0x8000;
  uint32_t replayLength = 0;
  uint32_t headerChecksum = 0;
  std::string product = "PX3W";  // header version 1 only
  bool wideBlocks = false;       // 12-byte block headers (u32 sizes), as replays of 1.32 and later
  std::optional<uint32_t> headerSize;
  std::optional<uint32_t> compressedSize;
  std::optional<uint32_t> decompressedSize;
  std::optional<uint32_t> blockCount;
};

// The whole file: header, sub-header, the blocks in order. `decompressedSize` is used when the
// header does not set one.
Bytes WriteReplay(const ReplayHeader& header, const std::vector<Block>& blocks,
                  uint32_t decompressedSize);

// A replay whose decompressed data is exactly `game`.
Bytes BuildReplay(const Bytes& game, const ReplayHeader& header = {}, size_t blockSize = 8192);

}  // namespace testsupport
