#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/byte_writer.h"

namespace testsupport {

// Field positions of a BLP1 file, for tests that damage one.
constexpr size_t kBlpCompression = 4;
constexpr size_t kBlpMipOffsets = 28;  // 16 words, counted from the start of the file
constexpr size_t kBlpMipSizes = 92;    // 16 words, 0 for an absent level
constexpr size_t kBlpJpegHeaderSize = 156;
constexpr size_t kBlpJpegHeader = 160;

// Pixels of one image, top row first, `channels` bytes per pixel in the order the decoder hands
// them out: 1 grey; 3 blue, green, red; 4 blue, green, red, alpha.
struct BlpImage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 4;
  Bytes pixels;  // width × height × channels
};

// The image as one baseline JPEG made by libjpeg-turbo at `quality`. Four channels are written as
// CMYK, which stores the four bytes as they are; three are converted to YCbCr (without chroma
// subsampling) and one is grey. Raises std::invalid_argument for other channel counts or a pixel
// array of the wrong size.
Bytes EncodeJpeg(const BlpImage& image, int quality = 100);

// A BLP1 file with JPEG content holding `levels` (level 0 first, 1 to 16 of them), laid out as:
// the 160-byte header, the shared JPEG header, then the data of each level in order. Each level is
// encoded on its own; the bytes at the start that all of them share, up to the frame header of
// level 0 (which holds each level's own size), are the shared JPEG header, and the rest of each is
// its level's data. The header words after the compression are filled as the game's files do:
// alpha bits (8 for four channels, else 0), width, height, picture type (4 with alpha, else 5),
// and 1 when there are mip-map levels.
Bytes WriteBlp1(const std::vector<BlpImage>& levels, int quality = 100);

// Reads and overwrites the little-endian word at `position` of a BLP file.
uint32_t BlpWord(const Bytes& bytes, size_t position);
void SetBlpWord(Bytes& bytes, size_t position, uint32_t value);

}  // namespace testsupport
