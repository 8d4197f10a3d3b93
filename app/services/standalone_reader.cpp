#include "standalone_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "gamedata/replay_format.h"

namespace {

constexpr std::string_view kMagic = "Warcraft III recorded game";
constexpr std::string_view kWrapperMagic = "GRBN";
constexpr size_t kBlockHeaderSize = 8;
constexpr size_t kWideBlockHeaderSize = 12;  // from 1.32: 32-bit sizes
// What one block can yield: a 16-bit length, or a 32-bit one trusted up to 1 MB.
constexpr uint64_t kMaxBlockOutput = 0xFFFF;
constexpr uint64_t kMaxWideBlockOutput = 1u << 20;

uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

class File {
 public:
  explicit File(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
  ~File() {
    if (file_ != nullptr) std::fclose(file_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  size_t Read(void* buffer, size_t size) { return std::fread(buffer, 1, size, file_); }
  bool Seek(uint64_t offset) {
    return offset <= static_cast<uint64_t>(INT64_MAX) &&
           fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           static_cast<uint64_t>(ftello(file_)) == offset;
  }
  uint64_t Size() {
    const off_t here = ftello(file_);
    fseeko(file_, 0, SEEK_END);
    const off_t end = ftello(file_);
    fseeko(file_, here, SEEK_SET);
    return end < 0 ? 0 : static_cast<uint64_t>(end);
  }

  // The offset of `text` at or after `from`, searched in bounded pieces; -1 when absent.
  int64_t Find(std::string_view text, uint64_t from) {
    constexpr size_t kPiece = 64 * 1024;
    std::string window;
    uint64_t windowStart = from;
    if (!Seek(from)) return -1;
    std::vector<char> piece(kPiece);
    for (;;) {
      const size_t got = Read(piece.data(), piece.size());
      if (got == 0) return -1;
      window.append(piece.data(), got);
      const size_t found = window.find(text);
      if (found != std::string::npos) return static_cast<int64_t>(windowStart + found);
      // Keep the tail that could hold the start of the text.
      const size_t keep = std::min(window.size(), text.size() - 1);
      windowStart += window.size() - keep;
      window.erase(0, window.size() - keep);
    }
  }

 private:
  std::FILE* file_;
};

struct Reader {
  bool quiet = false;
  StandaloneReadResult result;

  StandaloneReadResult Fail(std::string report) {
    result.replay.reset();
    result.report = std::move(report);
    if (!quiet) std::fprintf(stderr, "%s", result.report.c_str());
    return std::move(result);
  }
  StandaloneReadResult SystemFail(const char* what) {
    return Fail(std::string(what) + ": " + std::strerror(errno) + "\n");
  }
  // A failed read of the blocks with `keepPartial`: what was read so far.
  StandaloneReadResult Partial() {
    result.report.clear();
    return std::move(result);
  }

  StandaloneReadResult Read(const std::string& path, bool keepPartial) {
    File file(path);
    if (!file.IsOpen()) return SystemFail("open");
    result.replay = std::make_unique<StandaloneReplay>();
    StandaloneReplay& replay = *result.replay;
    uint8_t* header = replay.HeaderBytes;

    // One platform wraps its replays: "GRBN", its own data, then the whole replay, found by its
    // magic text.
    uint64_t start = 0;
    size_t got = file.Read(header, StandaloneReplay::kHeaderBytes);
    if (got >= kWrapperMagic.size() &&
        std::memcmp(header, kWrapperMagic.data(), kWrapperMagic.size()) == 0) {
      const int64_t found = file.Find(kMagic, kWrapperMagic.size());
      if (found < 0 || !file.Seek(static_cast<uint64_t>(found))) {
        return Fail("This is not a W3G Replay file.  Header string mismatch!\n");
      }
      start = static_cast<uint64_t>(found);
      got = file.Read(header, StandaloneReplay::kHeaderBytes);
    }
    if (got < StandaloneReplay::kHeaderBytes) {
      return Fail(std::to_string(got) + "\n" + std::to_string(StandaloneReplay::kHeaderBytes) +
                  "\nread: the file ends inside its header\n");
    }
    if (std::memcmp(header, kMagic.data(), kMagic.size()) != 0) {
      return Fail("This is not a W3G Replay file.  Header string mismatch!\n");
    }

    const uint32_t headerSize = U32(header + 28);
    const uint32_t decompressedSize = U32(header + 40);
    const uint32_t blockCount = U32(header + 44);
    const uint32_t headerVersion = U32(header + 36);
    if (headerVersion == 0) {
      replay.GameVersion = U16(header + 50);
      replay.BuildNumber = U16(header + 52);
      replay.ReplayLength = U32(header + 56);
    } else if (headerVersion == 1) {
      replay.GameVersion = U32(header + 52);
      replay.BuildNumber = U16(header + 56);
      replay.ReplayLength = U32(header + 60);
    } else {
      return Fail("Unrecognized header version " + std::to_string(headerVersion) + "!\n");
    }

    // The first block is where HeaderSize says.
    const uint64_t blocksOffset = start + headerSize;
    if (!file.Seek(blocksOffset)) return SystemFail("lseek");

    const bool wide = vantrel::FormatOf(replay.GameVersion, replay.BuildNumber).reforged;
    const size_t blockHeaderSize = wide ? kWideBlockHeaderSize : kBlockHeaderSize;
    // No more blocks than headers fit in the file, each yielding at most one block's output: a
    // size beyond that is a damaged header, refused before anything is allocated.
    const uint64_t fileSize = file.Size();
    const uint64_t blocksInFile = (fileSize - std::min(fileSize, blocksOffset)) / blockHeaderSize;
    const uint64_t producible = std::min<uint64_t>(blockCount, blocksInFile) *
                                (wide ? kMaxWideBlockOutput : kMaxBlockOutput);
    if (decompressedSize > producible) {
      return Fail("malloc: the header announces " + std::to_string(decompressedSize) +
                  " bytes, more than its blocks can hold\n");
    }
    try {
      replay.Data.assign(decompressedSize, 0);
    } catch (const std::bad_alloc&) {
      return Fail("malloc: out of memory\n");
    }

    z_stream stream;
    std::vector<uint8_t> compressed;
    uint32_t remaining = decompressedSize;
    size_t offset = 0;
    for (uint32_t index = 0; index < blockCount; ++index) {
      uint8_t blockHeader[kWideBlockHeaderSize];
      if (file.Read(blockHeader, blockHeaderSize) != blockHeaderSize) {
        if (keepPartial) return Partial();
        return Fail("read: the file ends inside block " + std::to_string(index + 1) + "\n");
      }
      const uint32_t compressedLength = wide ? U32(blockHeader) : U16(blockHeader);
      const uint32_t nominal = wide ? U32(blockHeader + 4) : U16(blockHeader + 2);
      if (compressedLength > fileSize) {
        if (keepPartial) return Partial();
        return Fail("read_buf: the file ends inside block " + std::to_string(index + 1) + "\n");
      }
      compressed.resize(compressedLength);
      if (file.Read(compressed.data(), compressedLength) != compressedLength) {
        if (keepPartial) return Partial();
        return Fail("read_buf: the file ends inside block " + std::to_string(index + 1) + "\n");
      }

      std::memset(&stream, 0, sizeof stream);
      stream.next_in = compressed.data();
      stream.avail_in = compressedLength;
      stream.next_out = replay.Data.data() + offset;
      stream.avail_out = std::min(nominal, remaining);
      int status = inflateInit(&stream);
      if (status != Z_OK) return Fail("Zlib Init: " + std::to_string(status) + "\n");
      // The game flushes its blocks without finishing them, other writers finish them: both
      // are whole blocks. A block may also yield less than its header says.
      status = inflate(&stream, Z_SYNC_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END) {
        inflateEnd(&stream);
        return Fail("Zlib Inflate: " + std::to_string(status) + "\n");
      }
      const uLong produced = stream.total_out;
      status = inflateEnd(&stream);
      if (status != Z_OK) {
        return Fail("Zlib inflateEnd: " + std::to_string(status) + "\n");
      }
      if (produced > remaining) {
        return Fail("Returned uncompressed buffer of " + std::to_string(produced) +
                    " but only had " + std::to_string(remaining) + " left to process.\n");
      }
      remaining -= static_cast<uint32_t>(produced);
      offset += produced;
    }
    return std::move(result);
  }
};

}  // namespace

StandaloneReadResult ReadReplayFile(const std::string& path, bool keepPartial, bool quiet) {
  return Reader{quiet, {}}.Read(path, keepPartial);
}
