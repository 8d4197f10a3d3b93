#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "vantrel.h"

namespace vantrel {

// The fixed header of a replay file and its sub-header, as stored in GeneralInfo.
constexpr char kReplayMagic[] = "Warcraft III recorded game";
constexpr size_t kReplayMagicSize = sizeof(kReplayMagic) - 1;  // 26
constexpr size_t kReplayHeaderSize = 48;
constexpr size_t kSubHeaderSize0 = 16;
constexpr size_t kSubHeaderSize1 = 20;
constexpr size_t kBlockHeaderSize = 8;
constexpr size_t kWideBlockHeaderSize =
    12;  // from 1.32: u32 compressed size, u32 size, u32 checksum
// A block's decompressed length is read as a signed 16-bit value.
constexpr uint32_t kMaxBlockOutput = 32767;
// The game writes blocks of 8192 bytes; a 32-bit length is trusted up to 1 MB.
constexpr uint32_t kMaxWideBlockOutput = 1u << 20;
constexpr uint32_t kOldestGameVersion = 14;

// The decompressed game: one zero-filled buffer of DecompressedSize bytes.
struct InflatedReplay {
  struct FreeDeleter {
    void operator()(uint8_t* p) const;
  };
  std::unique_ptr<uint8_t, FreeDeleter> data;
  size_t size = 0;
};

// Outcome of reading the container. `error` empty means the file is simply not a replay (wrong
// magic text, unknown header version): the caller reports no text for it.
struct ContainerResult {
  bool ok = false;
  std::string error;
};

// Checks the header and the sub-header of `file`, stores their fields in `info`, applies the
// version gate and sets `blocksOffset` to the first block header.
ContainerResult ReadReplayHeaders(const uint8_t* file, size_t fileSize, GeneralInfo& info,
                                  size_t& blocksOffset);

// Inflates the BlockCount blocks that start at `blocksOffset` into one new buffer of
// DecompressedSize bytes. Never reads outside [file, file + fileSize).
ContainerResult InflateBlocks(const uint8_t* file, size_t fileSize, size_t blocksOffset,
                              const GeneralInfo& info, InflatedReplay& out);

// The blocks of a replay file, inflated one at a time into memory of the caller. Each block is
// checked as InflateBlocks checks it; the first error ends the reading. Never reads outside
// [file, file + fileSize).
class BlockReader {
 public:
  // How blocks are inflated: by a faster inflater where its outcome is certain to be zlib's
  // (results and errors are the same either way), or by zlib alone.
  enum class Inflation { Fast, ZlibOnly };

  BlockReader(const uint8_t* file, size_t fileSize, size_t blocksOffset, const GeneralInfo& info,
              Inflation inflation = Inflation::Fast);
  ~BlockReader();
  BlockReader(const BlockReader&) = delete;
  BlockReader& operator=(const BlockReader&) = delete;

  // Refuses a DecompressedSize that the blocks cannot produce, before anything is allocated.
  ContainerResult CheckSize() const;
  // Whether every block has been inflated.
  bool Done() const { return index_ == info_.BlockCount; }
  // Reads the header of the next block and sets `expected` to the bytes it yields (at most the
  // decompressed bytes still to come). Called again before Inflate, it reads nothing new.
  ContainerResult Next(uint32_t& expected);
  // Inflates the block whose header Next read into `out`, which has room for what Next said.
  ContainerResult Inflate(uint8_t* out);
  // The decompressed bytes the blocks have not yielded yet; after the last block, what is left
  // of DecompressedSize reads as zero bytes.
  uint32_t Remaining() const { return remaining_; }
  // Ends the inflate stream (after the last block).
  ContainerResult Finish();

 private:
  const uint8_t* file_;
  size_t fileSize_;
  size_t blocksOffset_;
  const GeneralInfo& info_;
  bool wide_;
  size_t headerSize_;
  uint32_t maxOutput_;
  uint32_t index_ = 0;
  uint32_t remaining_;
  size_t in_;  // the next block header
  // Of the block whose header Next read.
  bool headerRead_ = false;
  uint32_t compressedLength_ = 0;
  uint32_t expected_ = 0;
  bool fast_;
  struct Inflater;
  std::unique_ptr<Inflater> inflater_;
};

}  // namespace vantrel
