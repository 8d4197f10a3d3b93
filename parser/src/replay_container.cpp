#include "replay_container.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "byte_reader.h"
#include "gamedata/replay_format.h"

namespace vantrel {
namespace {

std::string TruncatedBlock(uint32_t index, uint32_t count) {
  char text[96];
  std::snprintf(text, sizeof text, "Replay file is truncated: it ends inside block %u of %u.",
                index + 1, count);
  return text;
}

ContainerResult Fail(std::string text) {
  return ContainerResult{false, std::move(text)};
}
const ContainerResult kNotReplay{};
const char kTruncatedHeader[] = "Replay file is truncated: it ends inside its header.";

// Owns one inflate stream for all blocks: each block is an independent zlib stream, so the
// stream is reset between blocks instead of being set up anew.
class BlockInflater {
 public:
  BlockInflater() { std::memset(&stream_, 0, sizeof stream_); }
  ~BlockInflater() {
    if (initialised_) inflateEnd(&stream_);
  }

  bool Begin(const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize) {
    const int status = initialised_ ? inflateReset(&stream_) : inflateInit(&stream_);
    if (status != Z_OK) return false;
    initialised_ = true;
    stream_.next_in = const_cast<Bytef*>(in);
    stream_.avail_in = inSize;
    stream_.next_out = out;
    stream_.avail_out = outSize;
    return true;
  }
  // The game flushes its blocks without finishing them, but other writers finish every block's
  // stream. An end of stream is therefore accepted once the block's bytes are all there; a stream
  // that ends short of them is an error.
  bool Run() {
    const int status = inflate(&stream_, Z_SYNC_FLUSH);
    return status == Z_OK || (status == Z_STREAM_END && stream_.avail_out == 0);
  }
  uLong produced() const { return stream_.total_out; }
  bool End() {
    if (!initialised_) return true;
    initialised_ = false;
    return inflateEnd(&stream_) == Z_OK;
  }

 private:
  z_stream stream_;
  bool initialised_ = false;
};

// Inflates the blocks that the game writes faster than zlib can: a zlib header, deflate data
// ended by a synchronous flush (an empty stored block) and no final block. Takes a block only
// when the whole stream was read to exactly the block's bytes and, for a stream that its writer
// finished, the checksum after it is right: of every stream zlib inflates, the bytes are zlib's.
// Anything else - a damaged block, more data than the block's size, a preset dictionary - is
// left to zlib, which then gives its own result and error. (libdeflate takes one malformed block
// that zlib refuses: a code length table whose repeat codes run past its end.)
class FastInflater {
 public:
  FastInflater() : decompressor_(libdeflate_alloc_decompressor()) {}
  ~FastInflater() { libdeflate_free_decompressor(decompressor_); }
  FastInflater(const FastInflater&) = delete;
  FastInflater& operator=(const FastInflater&) = delete;

  bool Inflate(const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize) {
    if (decompressor_ == nullptr || outSize == 0 || inSize < 2 + sizeof kFlushMarker) return false;
    const unsigned method = in[0] & 0x0F, windowBits = in[0] >> 4;
    const bool presetDictionary = (in[1] & 0x20) != 0;
    if (method != Z_DEFLATED || windowBits > 7 || (in[0] << 8 | in[1]) % 31 != 0 ||
        presetDictionary) {
      return false;
    }
    // The deflate data, followed by an empty final block. A stream that ends with its flush
    // marker is then complete; one that has a final block of its own ends before it.
    const size_t deflateSize = inSize - 2;
    scratch_.resize(deflateSize + sizeof kFinalBlock);
    std::memcpy(scratch_.data(), in + 2, deflateSize);
    std::memcpy(scratch_.data() + deflateSize, kFinalBlock, sizeof kFinalBlock);
    size_t read = 0, produced = 0;
    const libdeflate_result result = libdeflate_deflate_decompress_ex(
        decompressor_, scratch_.data(), scratch_.size(), out, outSize, &read, &produced);
    if (result != LIBDEFLATE_SUCCESS || produced != outSize) return false;
    if (read == scratch_.size()) {
      // Unfinished: only a stream that stopped at a flush can take the final block so.
      return std::memcmp(in + inSize - 4, kFlushMarker, sizeof kFlushMarker) == 0;
    }
    // Finished by its writer: zlib reads the checksum after the deflate data.
    if (read + 4 > deflateSize) return false;
    const uint8_t* check = in + 2 + read;
    const uint32_t stored =
        static_cast<uint32_t>(check[0]) << 24 | check[1] << 16 | check[2] << 8 | check[3];
    return stored == libdeflate_adler32(1, out, outSize);
  }

 private:
  // A final block with fixed codes and nothing but its end code; and what a flush leaves last.
  static constexpr uint8_t kFinalBlock[2] = {0x03, 0x00};
  static constexpr uint8_t kFlushMarker[4] = {0x00, 0x00, 0xFF, 0xFF};

  libdeflate_decompressor* decompressor_;
  std::vector<uint8_t> scratch_;
};

}  // namespace

void InflatedReplay::FreeDeleter::operator()(uint8_t* p) const {
  std::free(p);
}

ContainerResult ReadReplayHeaders(const uint8_t* file, size_t fileSize, GeneralInfo& info,
                                  size_t& blocksOffset) {
  // One platform wraps its replays: "GRBN", its own data, then the whole replay. The replay is
  // found by its magic text (the wrapper's data is compressed, so the text does not occur in it
  // by chance before the replay).
  if (fileSize >= 4 && std::memcmp(file, "GRBN", 4) == 0) {
    const std::string_view bytes(reinterpret_cast<const char*>(file), fileSize);
    const size_t start = bytes.find(std::string_view(kReplayMagic, kReplayMagicSize), 4);
    if (start == std::string_view::npos) return kNotReplay;
    ContainerResult inner = ReadReplayHeaders(file + start, fileSize - start, info, blocksOffset);
    blocksOffset += start;
    return inner;
  }
  // A file shorter than the magic text is not a replay unless what it has is the magic's start.
  const size_t magicBytes = std::min(fileSize, kReplayMagicSize);
  if (std::memcmp(file, kReplayMagic, magicBytes) != 0) return kNotReplay;
  ByteReader reader(file, fileSize);
  if (!reader.Skip(28)) return Fail(kTruncatedHeader);
  if (!reader.U32(info.HeaderSize) || !reader.U32(info.CompressedSize) ||
      !reader.U32(info.HeaderVersion) || !reader.U32(info.DecompressedSize) ||
      !reader.U32(info.BlockCount)) {
    return Fail(kTruncatedHeader);
  }

  bool complete = false;
  if (info.HeaderVersion == 0) {
    uint16_t version = 0;
    complete = reader.Skip(2) && reader.U16(version) && reader.U16(info.BuildNumber) &&
               reader.U16(info.ReplayFlags) && reader.U32(info.ReplayLength) &&
               reader.U32(info.HeaderChecksum);
    info.GameVersion = version;
  } else if (info.HeaderVersion == 1) {
    complete = reader.Skip(4) && reader.U32(info.GameVersion) && reader.U16(info.BuildNumber) &&
               reader.U16(info.ReplayFlags) && reader.U32(info.ReplayLength) &&
               reader.U32(info.HeaderChecksum);
  } else {
    return kNotReplay;
  }
  if (!complete) return Fail(kTruncatedHeader);

  if (info.GameVersion < kOldestGameVersion) return Fail("Wrong war3 version");
  blocksOffset = reader.position();
  return ContainerResult{true, {}};
}

struct BlockReader::Inflater {
  BlockInflater zlib;
  FastInflater fast;
};

BlockReader::BlockReader(const uint8_t* file, size_t fileSize, size_t blocksOffset,
                         const GeneralInfo& info, Inflation inflation)
    : file_(file),
      fileSize_(fileSize),
      blocksOffset_(blocksOffset),
      info_(info),
      // From 1.32 a block header holds 32-bit sizes.
      wide_(FormatOf(info.GameVersion, info.BuildNumber).reforged),
      headerSize_(wide_ ? kWideBlockHeaderSize : kBlockHeaderSize),
      maxOutput_(wide_ ? kMaxWideBlockOutput : kMaxBlockOutput),
      remaining_(info.DecompressedSize),
      in_(blocksOffset),
      fast_(inflation == Inflation::Fast),
      inflater_(std::make_unique<Inflater>()) {}

BlockReader::~BlockReader() = default;

ContainerResult BlockReader::CheckSize() const {
  // There can be no more blocks than headers fit in the file, each yielding at most maxOutput
  // bytes: a header that claims more is refused before anything is allocated.
  const uint64_t blocksInFile = (fileSize_ - std::min(fileSize_, blocksOffset_)) / headerSize_;
  const uint64_t producible = std::min<uint64_t>(info_.BlockCount, blocksInFile) * maxOutput_;
  if (info_.DecompressedSize > producible) return Fail("Fail to allocate memory");
  return ContainerResult{true, {}};
}

ContainerResult BlockReader::Next(uint32_t& expected) {
  if (headerRead_) {
    expected = expected_;
    return ContainerResult{true, {}};
  }
  ByteReader header(file_ + in_, fileSize_ - in_);
  uint32_t compressedLength = 0, nominal = 0;
  bool complete = false;
  if (wide_) {
    complete = header.U32(compressedLength) && header.U32(nominal) && header.Skip(4);
  } else {
    // The decompressed length is read as a signed 16-bit value. A negative one cannot be
    // produced by any stream and is a size mismatch.
    uint16_t compressed16 = 0, raw16 = 0;
    complete = header.U16(compressed16) && header.U16(raw16) && header.Skip(4);
    if (complete && static_cast<int16_t>(raw16) < 0) {
      return Fail("Zlib data size and data size in replay does not match");
    }
    compressedLength = compressed16;
    nominal = raw16;
  }
  if (!complete) return Fail(TruncatedBlock(index_, info_.BlockCount));
  // The nominal length of the last block runs past the end of the data: it is cut to what
  // remains.
  if (nominal > maxOutput_) return Fail("Zlib data size and data size in replay does not match");
  if (in_ + headerSize_ - blocksOffset_ > info_.DecompressedSize) return Fail("Error");
  if (compressedLength > fileSize_ - (in_ + headerSize_))
    return Fail(TruncatedBlock(index_, info_.BlockCount));
  headerRead_ = true;
  compressedLength_ = compressedLength;
  expected = expected_ = std::min(nominal, remaining_);
  return ContainerResult{true, {}};
}

ContainerResult BlockReader::Inflate(uint8_t* out) {
  const size_t dataOffset = in_ + headerSize_;
  const uint8_t* data = file_ + dataOffset;
  if (!fast_ || !inflater_->fast.Inflate(data, compressedLength_, out, expected_)) {
    BlockInflater& zlib = inflater_->zlib;
    if (!zlib.Begin(data, compressedLength_, out, expected_)) {
      return Fail("Zlib initialization error");
    }
    if (!zlib.Run()) return Fail("Zlib inflate error");
    if (zlib.produced() != expected_)
      return Fail("Zlib data size and data size in replay does not match");
  }
  remaining_ -= expected_;
  in_ = dataOffset + compressedLength_;
  headerRead_ = false;
  ++index_;
  return ContainerResult{true, {}};
}

ContainerResult BlockReader::Finish() {
  if (!inflater_->zlib.End()) return Fail("Zlib inflateEnd error");
  return ContainerResult{true, {}};
}

ContainerResult InflateBlocks(const uint8_t* file, size_t fileSize, size_t blocksOffset,
                              const GeneralInfo& info, InflatedReplay& out) {
  BlockReader blocks(file, fileSize, blocksOffset, info);
  ContainerResult result = blocks.CheckSize();
  if (!result.ok) return result;
  // Zero-filled: what the blocks do not cover reads as the zero bytes that end the game.
  out.data.reset(static_cast<uint8_t*>(std::calloc(std::max<size_t>(info.DecompressedSize, 1), 1)));
  if (!out.data) return Fail("Fail to allocate memory");
  out.size = info.DecompressedSize;

  uint8_t* output = out.data.get();
  while (!blocks.Done()) {
    uint32_t expected = 0;
    result = blocks.Next(expected);
    if (result.ok) result = blocks.Inflate(output);
    if (!result.ok) return result;
    output += expected;
  }
  return blocks.Finish();
}

}  // namespace vantrel
