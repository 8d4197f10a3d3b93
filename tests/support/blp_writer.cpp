#include "support/blp_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace testsupport {

namespace {

constexpr size_t kMaxLevels = 16;

// Start of the first frame header (SOFn) of a JPEG, found by walking its marker segments; the
// whole size when there is none.
size_t FrameHeaderPosition(const Bytes& jpeg) {
  size_t position = 2;  // after SOI
  while (position + 4 <= jpeg.size() && jpeg[position] == 0xFF) {
    const uint8_t marker = jpeg[position + 1];
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      return position;
    }
    position += 2 + (size_t{jpeg[position + 2]} << 8 | jpeg[position + 3]);
  }
  return jpeg.size();
}

}  // namespace

Bytes EncodeJpeg(const BlpImage& image, int quality) {
  J_COLOR_SPACE space = JCS_UNKNOWN;
  switch (image.channels) {
    case 1:
      space = JCS_GRAYSCALE;
      break;
    case 3:
      space = JCS_EXT_BGR;
      break;
    case 4:
      space = JCS_CMYK;
      break;
    default:
      throw std::invalid_argument("a BLP image has 1, 3 or 4 channels");
  }
  const size_t rowSize = size_t{image.width} * image.channels;
  if (image.width == 0 || image.height == 0 || image.pixels.size() != rowSize * image.height) {
    throw std::invalid_argument("the pixels do not match the image size");
  }

  // The arguments are checked above, so libjpeg's own error exit is never reached.
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;
  jpeg_mem_dest(&info, &output, &outputSize);
  info.image_width = image.width;
  info.image_height = image.height;
  info.input_components = static_cast<int>(image.channels);
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  // No chroma subsampling: flat colours then come back within rounding, also at block edges.
  for (int i = 0; i < info.num_components; ++i) {
    info.comp_info[i].h_samp_factor = 1;
    info.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(image.pixels.data()) + info.next_scanline * rowSize;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes jpeg(output, output + outputSize);
  std::free(output);
  return jpeg;
}

Bytes WriteBlp1(const std::vector<BlpImage>& levels, int quality) {
  if (levels.empty() || levels.size() > kMaxLevels) {
    throw std::invalid_argument("a BLP file holds 1 to 16 levels");
  }
  std::vector<Bytes> jpegs;
  for (const BlpImage& level : levels)
    jpegs.push_back(EncodeJpeg(level, quality));

  size_t shared = FrameHeaderPosition(jpegs[0]);
  for (const Bytes& jpeg : jpegs) {
    const auto differ = std::mismatch(jpegs[0].begin(), jpegs[0].begin() + shared, jpeg.begin(),
                                      jpeg.begin() + std::min(shared, jpeg.size()));
    shared = static_cast<size_t>(differ.first - jpegs[0].begin());
  }

  const BlpImage& top = levels[0];
  ByteWriter file;
  file.Text("BLP1", false)
      .U32(0)
      .U32(top.channels == 4 ? 8 : 0)
      .U32(top.width)
      .U32(top.height)
      .U32(top.channels == 4 ? 4 : 5)
      .U32(levels.size() > 1 ? 1 : 0);
  size_t offset = kBlpJpegHeader + shared;
  for (size_t i = 0; i < kMaxLevels; ++i) {
    file.U32(i < jpegs.size() ? static_cast<uint32_t>(offset) : 0);
    if (i < jpegs.size()) offset += jpegs[i].size() - shared;
  }
  for (size_t i = 0; i < kMaxLevels; ++i) {
    file.U32(i < jpegs.size() ? static_cast<uint32_t>(jpegs[i].size() - shared) : 0);
  }
  file.U32(static_cast<uint32_t>(shared));
  file.Raw(Bytes(jpegs[0].begin(), jpegs[0].begin() + shared));
  for (const Bytes& jpeg : jpegs)
    file.Raw(Bytes(jpeg.begin() + shared, jpeg.end()));
  return file.bytes();
}

uint32_t BlpWord(const Bytes& bytes, size_t position) {
  return uint32_t{bytes.at(position)} | uint32_t{bytes.at(position + 1)} << 8 |
         uint32_t{bytes.at(position + 2)} << 16 | uint32_t{bytes.at(position + 3)} << 24;
}

void SetBlpWord(Bytes& bytes, size_t position, uint32_t value) {
  for (size_t i = 0; i < 4; ++i)
    bytes.at(position + i) = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace testsupport
