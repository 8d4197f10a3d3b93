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

}  // namespace vantrel
