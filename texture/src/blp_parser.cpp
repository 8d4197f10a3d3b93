#include "blp_parser.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gamedata/memory_manager.h"
#include "ijl_wrapper.h"

namespace ostrak {

namespace {

// Every fixed field lies within the first kJpegHeaderOffset bytes, far inside the image buffer.
static_assert(kJpegHeaderOffset <= kImageBufferSize);

uint32_t ReadU32(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

}  // namespace

CBLPParser::CBLPParser(TCustomMemoryManager* memory)
    : jpeg_(new uint8_t[kJpegBufferSize]), memory_(memory) {}

CBLPParser::~CBLPParser() = default;

BlpBitmap** CBLPParser::Parse(const uint8_t* data) {
  if (data == nullptr || std::memcmp(data, "BLP1", 4) != 0) return nullptr;
  for (size_t i = 0; i < kHeaderWords; ++i) {
    header_[i] = ReadU32(data + kHeaderWordsOffset + 4 * i);
  }
  for (size_t i = 0; i < kMipLevels; ++i) {
    mipOffsets_[i] = ReadU32(data + kMipOffsetsOffset + 4 * i);
    mipSizes_[i] = ReadU32(data + kMipSizesOffset + 4 * i);
  }
  // Only JPEG content is decoded; 1 is paletted.
  if (header_[0] != 0) return nullptr;

  // The shared header, then every level: the JPEG decoder stops at the end of the first image,
  // so the rest is never looked at.
  assembled_ = 0;
  Append(data, static_cast<uint32_t>(kJpegHeaderOffset), ReadU32(data + kJpegHeaderSizeOffset));
  for (size_t i = 0; i < kMipLevels; ++i) {
    Append(data, mipOffsets_[i], mipSizes_[i]);
  }

  IJLWrapper decoder;
  JpegParameters parameters;
  if (!decoder.ReadParameters(jpeg_.get(), assembled_, parameters)) return nullptr;
  // The frame header is the file's word: the size is checked before anything is allocated.
  if (parameters.width > kMaxDimension || parameters.height > kMaxDimension) return nullptr;
  const size_t stride = BitmapStride(parameters.width, parameters.outputChannels);
  if (stride * parameters.height > kMaxPixelBytes) return nullptr;

  // Decoded on the ordinary heap first, so that a failure leaves nothing in the manager.
  std::vector<uint8_t> pixels(stride * parameters.height);
  if (!decoder.ReadImage(pixels.data(), stride)) return nullptr;
  return MakeBitmap(pixels.data(), parameters.width, parameters.height, parameters.outputChannels);
}

void CBLPParser::Append(const uint8_t* data, uint32_t offset, uint32_t size) {
  if (offset >= kImageBufferSize) return;
  const size_t count =
      std::min({size_t{size}, kImageBufferSize - offset, kJpegBufferSize - assembled_});
  std::memcpy(jpeg_.get() + assembled_, data + offset, count);
  assembled_ += count;
}

BlpBitmap** CBLPParser::MakeBitmap(const uint8_t* pixels, uint32_t width, uint32_t height,
                                   uint32_t channels) {
  const size_t stride = BitmapStride(width, channels);
  auto* bitmap = memory_->New<BlpBitmap>();
  // Allocated as 32-bit words so that the rows start 4-byte aligned.
  auto* copy = reinterpret_cast<uint8_t*>(memory_->New<uint32_t>(stride * height / 4));
  std::memcpy(copy, pixels, stride * height);
  bitmap->Width = width;
  bitmap->Height = height;
  bitmap->BitsPerPixel = 8 * channels;
  bitmap->Stride = static_cast<uint32_t>(stride);
  bitmap->Pixels = copy;
  BlpBitmap** cell = memory_->New<BlpBitmap*>();
  *cell = bitmap;
  return cell;
}

}  // namespace ostrak
