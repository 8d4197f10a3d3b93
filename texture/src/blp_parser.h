#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "ostrak.h"

struct TCustomMemoryManager;

namespace ostrak {

// Layout of a BLP1 file as the decoder reads it (little-endian 32-bit words).
constexpr size_t kHeaderWordsOffset = 4;  // compression, then five words not used
constexpr size_t kHeaderWords = 6;
constexpr size_t kMipLevels = 16;
constexpr size_t kMipOffsetsOffset = 28;
constexpr size_t kMipSizesOffset = 92;
constexpr size_t kJpegHeaderSizeOffset = 156;
constexpr size_t kJpegHeaderOffset = 160;

constexpr size_t kImageBufferSize = OSTRAK_IMAGE_BUFFER_SIZE;
constexpr size_t kJpegBufferSize = OSTRAK_JPEG_BUFFER_SIZE;
constexpr uint32_t kMaxDimension = OSTRAK_MAX_DIMENSION;
constexpr size_t kMaxPixelBytes = OSTRAK_MAX_PIXEL_BYTES;

// Bytes from one bitmap row to the next: rows are padded to a multiple of 4 bytes.
constexpr size_t BitmapStride(uint32_t width, uint32_t channels) {
  return (size_t{width} * channels + 3u) & ~size_t{3};
}

// The BLP1 reader: joins the shared JPEG header and the mip-map levels of a file in its JPEG
// buffer, has them decoded, and makes the bitmap from the manager it was given. The library uses
// one per process; tests and tools may make their own.
class CBLPParser {
 public:
  // `memory` is not owned and must outlive every result. Raises std::bad_alloc when the JPEG
  // buffer cannot be allocated.
  explicit CBLPParser(TCustomMemoryManager* memory);
  CBLPParser(const CBLPParser&) = delete;
  CBLPParser& operator=(const CBLPParser&) = delete;
  ~CBLPParser();

  // Decodes the file at the start of `data`, an image buffer of kImageBufferSize bytes, as
  // ParseBlpData (ostrak.h) describes. Null for everything that is not a decodable BLP1 JPEG
  // texture within the limits. Raises CMemoryError when the manager fails.
  BlpBitmap** Parse(const uint8_t* data);

  TCustomMemoryManager* memory() const { return memory_; }
  // Bytes joined in the JPEG buffer for the last image (never more than kJpegBufferSize).
  size_t assembled() const { return assembled_; }

 private:
  // Appends `size` bytes from `offset` of the image buffer, clipped to the image buffer and to
  // the room left in the JPEG buffer.
  void Append(const uint8_t* data, uint32_t offset, uint32_t size);
  BlpBitmap** MakeBitmap(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t channels);

  uint32_t header_[kHeaderWords] = {};  // compression, then the five others
  uint32_t mipOffsets_[kMipLevels] = {};
  uint32_t mipSizes_[kMipLevels] = {};
  std::unique_ptr<uint8_t[]> jpeg_;  // kJpegBufferSize bytes
  size_t assembled_ = 0;
  TCustomMemoryManager* memory_;
};

}  // namespace ostrak
