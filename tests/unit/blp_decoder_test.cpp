// The BLP1 texture decoder: its core over files written here with libjpeg-turbo and over real
// files, and ParserData/libostrak.so loaded by file name as the programs load it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#if __has_include(<link.h>)
#include <link.h>
#define QUORVEL_HAS_ELF 1
#endif

#include "blp_parser.h"
#include "gamedata/memory_manager.h"
#include "ostrak.h"
#include "platform/dynamic_library.h"
#include "support/blp_writer.h"
#include "support/corpus.h"

namespace {

using testsupport::BlpImage;
using testsupport::BlpWord;
using testsupport::Bytes;
using testsupport::SetBlpWord;

constexpr size_t kImageBufferSize = OSTRAK_IMAGE_BUFFER_SIZE;

// Quality 100 over flat 16 × 16 blocks (whole JPEG blocks) leaves at most the rounding of the
// colour conversion of three-channel images.
constexpr int kTolerance = 2;

// Flat 16 × 16 blocks; within a block the channels lie 61 apart, so a channel that comes back in
// the wrong place or converted is far off.
BlpImage Blocks(uint32_t width, uint32_t height, uint32_t channels) {
  BlpImage image{width, height, channels, Bytes(size_t{width} * height * channels)};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t block = (y / 16) * 7 + x / 16;
      for (uint32_t c = 0; c < channels; ++c) {
        image.pixels[(size_t{y} * width + x) * channels + c] =
            static_cast<uint8_t>(block * 53 + c * 61 + 20);
      }
    }
  }
  return image;
}

// The caller's side: the file copied into a zeroed image buffer of exactly the agreed size, on the
// heap, so that the sanitizer build reports any read past it.
Bytes ImageBuffer(const Bytes& file) {
  Bytes buffer(kImageBufferSize, 0);
  std::memcpy(buffer.data(), file.data(), std::min(file.size(), kImageBufferSize));
  return buffer;
}

bool InManager(const TCustomMemoryManager& memory, const void* pointer) {
  const auto* byte = static_cast<const uint8_t*>(pointer);
  for (const MemoryBlock* block = memory.Blocks; block != nullptr; block = block->Next) {
    if (byte >= block->Base && byte < block->Base + TCustomMemoryManager::kMemoryBlockSize) {
      return true;
    }
  }
  return false;
}

// Position of the first marker segment `marker` in the JPEG stream at kBlpJpegHeader; the writer
// lays the shared header and level 0 out one after the other, so the stream is contiguous there.
size_t SegmentPosition(const Bytes& file, uint8_t marker) {
  size_t position = testsupport::kBlpJpegHeader + 2;
  while (position + 4 <= file.size() && file[position] == 0xFF) {
    if (file[position + 1] == marker) return position;
    position += 2 + (size_t{file[position + 2]} << 8 | file[position + 3]);
  }
  ADD_FAILURE() << "no marker 0xFF" << std::hex << int{marker};
  return 0;
}

constexpr uint8_t kFrameHeader = 0xC0;  // SOF0: precision, height, width, components
constexpr uint8_t kQuantizationTable = 0xDB;

void SetFrameSize(Bytes& file, uint16_t width, uint16_t height) {
  const size_t frame = SegmentPosition(file, kFrameHeader);
  file[frame + 5] = static_cast<uint8_t>(height >> 8);
  file[frame + 6] = static_cast<uint8_t>(height);
  file[frame + 7] = static_cast<uint8_t>(width >> 8);
  file[frame + 8] = static_cast<uint8_t>(width);
}

// Compares a bitmap with the pixels it was made from: one grey byte becomes three equal bytes,
// padding bytes are zero.
void ExpectPixels(const BlpBitmap& bitmap, const BlpImage& image) {
  const uint32_t out = bitmap.BitsPerPixel / 8;
  size_t wrong = 0;
  std::string first;
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = bitmap.Pixels + size_t{y} * bitmap.Stride;
    for (uint32_t x = 0; x < image.width; ++x) {
      for (uint32_t c = 0; c < out; ++c) {
        const uint32_t source = image.channels == 1 ? 0 : c;
        const int expected = image.pixels[(size_t{y} * image.width + x) * image.channels + source];
        const int actual = row[size_t{x} * out + c];
        if (std::abs(actual - expected) > kTolerance && wrong++ == 0) {
          first = "x " + std::to_string(x) + " y " + std::to_string(y) + " channel " +
                  std::to_string(c) + ": " + std::to_string(actual) + ", expected " +
                  std::to_string(expected);
        }
      }
    }
    for (size_t i = size_t{image.width} * out; i < bitmap.Stride; ++i) {
      if (row[i] != 0 && wrong++ == 0) first = "padding of row " + std::to_string(y);
    }
  }
  EXPECT_EQ(wrong, 0u) << "first difference at " << first;
}

class BlpDecoder : public testing::Test {
 protected:
  // Parses `buffer`, which must be a whole image buffer; the bitmap, or null.
  const BlpBitmap* DecodeBuffer(const Bytes& buffer) {
    EXPECT_EQ(buffer.size(), kImageBufferSize);
    BlpBitmap** cell = parser_.Parse(buffer.data());
    if (cell == nullptr) return nullptr;
    EXPECT_TRUE(InManager(memory_, cell));
    return *cell;
  }
  const BlpBitmap* Decode(const Bytes& file) {
    buffer_ = ImageBuffer(file);
    return DecodeBuffer(buffer_);
  }

  TCustomMemoryManager memory_;
  ostrak::CBLPParser parser_{&memory_};
  Bytes buffer_;
};

// ---- Channel counts ---------------------------------------------------------------------------

struct ChannelCase {
  const char* name;
  uint32_t channels;
  uint32_t width;
  uint32_t height;
  uint32_t bitsPerPixel;
  uint32_t stride;
};

void PrintTo(const ChannelCase& c, std::ostream* out) {
  *out << c.name;
}

class BlpChannels : public BlpDecoder, public testing::WithParamInterface<ChannelCase> {};

TEST_P(BlpChannels, DecodeToTheStoredBytesOrBgr) {
  const ChannelCase& c = GetParam();
  const BlpImage image = Blocks(c.width, c.height, c.channels);
  const BlpBitmap* bitmap = Decode(testsupport::WriteBlp1({image}));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width, c.width);
  EXPECT_EQ(bitmap->Height, c.height);
  EXPECT_EQ(bitmap->BitsPerPixel, c.bitsPerPixel);
  EXPECT_EQ(bitmap->Stride, c.stride);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap->Pixels) % 4, 0u);
  EXPECT_TRUE(InManager(memory_, bitmap));
  EXPECT_TRUE(InManager(memory_, bitmap->Pixels));
  ExpectPixels(*bitmap, image);
}

INSTANTIATE_TEST_SUITE_P(Blp, BlpChannels,
                         testing::Values(ChannelCase{"FourChannelIcon", 4, 64, 64, 32, 256},
                                         ChannelCase{"FourChannelsOddSize", 4, 17, 5, 32, 68},
                                         ChannelCase{"ThreeChannels", 3, 64, 64, 24, 192},
                                         ChannelCase{"ThreeChannelsPaddedRows", 3, 30, 20, 24, 92},
                                         ChannelCase{"GreyPaddedRows", 1, 30, 20, 24, 92}),
                         [](const testing::TestParamInfo<ChannelCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- Mip-map levels ---------------------------------------------------------------------------

TEST_F(BlpDecoder, DecodesLevelZeroOfAFullMipChain) {
  std::vector<BlpImage> levels;
  for (uint32_t size = 64; size >= 1; size /= 2)
    levels.push_back(Blocks(size, size, 4));
  const Bytes file = testsupport::WriteBlp1(levels);
  ASSERT_NE(BlpWord(file, testsupport::kBlpMipSizes + 4 * 6), 0u);  // level 6 (1 × 1) present

  const BlpBitmap* bitmap = Decode(file);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width, 64u);
  EXPECT_EQ(bitmap->Height, 64u);
  ExpectPixels(*bitmap, levels[0]);
}

TEST_F(BlpDecoder, DecodesAFileWithOnlyLevelZero) {
  const BlpImage image = Blocks(64, 64, 4);
  const Bytes file = testsupport::WriteBlp1({image});
  for (size_t level = 1; level < 16; ++level) {
    ASSERT_EQ(BlpWord(file, testsupport::kBlpMipSizes + 4 * level), 0u);
  }
  const BlpBitmap* bitmap = Decode(file);
  ASSERT_NE(bitmap, nullptr);
  ExpectPixels(*bitmap, image);
  EXPECT_EQ(parser_.assembled(), file.size() - testsupport::kBlpJpegHeader);
}

TEST_F(BlpDecoder, AnAbsentLevelZeroLeavesTheNextLevel) {
  const std::vector<BlpImage> levels = {Blocks(64, 64, 4), Blocks(32, 32, 4)};
  Bytes file = testsupport::WriteBlp1(levels);
  SetBlpWord(file, testsupport::kBlpMipSizes, 0);
  const BlpBitmap* bitmap = Decode(file);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width, 32u);
  ExpectPixels(*bitmap, levels[1]);
}

// ---- Files that are not decoded ---------------------------------------------------------------

struct DamageCase {
  const char* name;
  std::function<void(Bytes&)> damage;  // applied to a good one-level file
};

void PrintTo(const DamageCase& c, std::ostream* out) {
  *out << c.name;
}

std::string DamageName(const testing::TestParamInfo<DamageCase>& info) {
  return info.param.name;
}

class BlpRefused : public BlpDecoder, public testing::WithParamInterface<DamageCase> {};

TEST_P(BlpRefused, GivesNullAndTakesNoMemory) {
  Bytes file = testsupport::WriteBlp1({Blocks(64, 64, 4)});
  ASSERT_NE(Decode(file), nullptr) << "the undamaged file must decode";
  memory_.FreeAll();

  GetParam().damage(file);
  EXPECT_EQ(Decode(file), nullptr);
  EXPECT_EQ(memory_.Blocks, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Blp, BlpRefused,
    testing::Values(
        DamageCase{"LaterVersionSignature", [](Bytes& f) { f[3] = '2'; }},
        DamageCase{"EarlierVersionSignature", [](Bytes& f) { f[3] = '0'; }},
        DamageCase{"PalettedCompression",
                   [](Bytes& f) { SetBlpWord(f, testsupport::kBlpCompression, 1); }},
        // The low byte is 0 but the word is not.
        DamageCase{"CompressionWithZeroLowByte",
                   [](Bytes& f) { SetBlpWord(f, testsupport::kBlpCompression, 0x100); }},
        DamageCase{"NothingButTheSignature", [](Bytes& f) { f.resize(4); }},
        DamageCase{"OnlyTheSharedHeader",
                   [](Bytes& f) { SetBlpWord(f, testsupport::kBlpMipSizes, 0); }},
        DamageCase{"NoSharedHeader",
                   [](Bytes& f) { SetBlpWord(f, testsupport::kBlpJpegHeaderSize, 0); }},
        DamageCase{"NoStartOfImage", [](Bytes& f) { f[testsupport::kBlpJpegHeader + 1] = 0; }},
        DamageCase{"QuantizationTableMissing",
                   [](Bytes& f) { f[SegmentPosition(f, kQuantizationTable) + 1] = 0xFE; }},
        DamageCase{"ZeroWidth", [](Bytes& f) { SetFrameSize(f, 0, 64); }},
        DamageCase{"TwelveBitSamples",
                   [](Bytes& f) { f[SegmentPosition(f, kFrameHeader) + 4] = 12; }},
        DamageCase{"FrameHeaderLengthWrongForComponents",
                   [](Bytes& f) { f[SegmentPosition(f, kFrameHeader) + 9] = 2; }},
        // Wider or taller than OSTRAK_MAX_DIMENSION, or more pixels than one memory block holds:
        // refused before anything of that size is allocated.
        DamageCase{"TooWide", [](Bytes& f) { SetFrameSize(f, 4097, 1); }},
        DamageCase{"TooTall", [](Bytes& f) { SetFrameSize(f, 1, 4097); }},
        DamageCase{"LargestSidesBoth", [](Bytes& f) { SetFrameSize(f, 4096, 4096); }},
        DamageCase{"PixelsBeyondOneBlock", [](Bytes& f) { SetFrameSize(f, 2048, 1024); }}),
    DamageName);

// The limits are the refusal's reason: just inside them the same damaged stream is decoded (the
// missing entropy data comes out as the JPEG library's repair).
TEST_F(BlpDecoder, FrameSizesJustInsideTheLimitsAreDecoded) {
  const struct { uint16_t width, height; } sizes[] = {{4096, 1}, {1, 4096}, {2047, 1024}};
  for (const auto& size : sizes) {
    Bytes file = testsupport::WriteBlp1({Blocks(64, 64, 4)});
    SetFrameSize(file, size.width, size.height);
    const BlpBitmap* bitmap = Decode(file);
    ASSERT_NE(bitmap, nullptr) << size.width << " x " << size.height;
    EXPECT_EQ(bitmap->Width, size.width);
    EXPECT_EQ(bitmap->Height, size.height);
    EXPECT_EQ(bitmap->Stride, size.width * 4u);
  }
}

// ---- Offsets and sizes beyond the buffers -----------------------------------------------------

struct BoundsCase {
  const char* name;
  // Damages the image buffer holding a good one-level 64 × 64 file.
  std::function<void(Bytes& buffer)> damage;
  bool decoded;
  // Bytes joined in the JPEG buffer, from the good file's shared header and level 0 sizes.
  std::function<size_t(size_t header, size_t level)> assembled;
};

void PrintTo(const BoundsCase& c, std::ostream* out) {
  *out << c.name;
}

class BlpBounds : public BlpDecoder, public testing::WithParamInterface<BoundsCase> {};

TEST_P(BlpBounds, StayInsideTheBuffers) {
  const BoundsCase& c = GetParam();
  const BlpImage image = Blocks(64, 64, 4);
  Bytes buffer = ImageBuffer(testsupport::WriteBlp1({image}));
  const size_t header = BlpWord(buffer, testsupport::kBlpJpegHeaderSize);
  const size_t level = BlpWord(buffer, testsupport::kBlpMipSizes);
  c.damage(buffer);

  const BlpBitmap* bitmap = DecodeBuffer(buffer);
  EXPECT_EQ(parser_.assembled(), c.assembled(header, level));
  if (!c.decoded) {
    EXPECT_EQ(bitmap, nullptr);
    return;
  }
  ASSERT_NE(bitmap, nullptr);
  ExpectPixels(*bitmap, image);
}

constexpr uint32_t kEnd = OSTRAK_IMAGE_BUFFER_SIZE;
constexpr size_t kJpegBufferSize = OSTRAK_JPEG_BUFFER_SIZE;

INSTANTIATE_TEST_SUITE_P(
    Blp, BlpBounds,
    testing::Values(
        BoundsCase{"LevelBeginsAtTheEnd",
                   [](Bytes& b) { SetBlpWord(b, testsupport::kBlpMipOffsets, kEnd); }, false,
                   [](size_t header, size_t) { return header; }},
        BoundsCase{"LevelOffsetWrapsAround",
                   [](Bytes& b) {
                     SetBlpWord(b, testsupport::kBlpMipOffsets, 0xFFFFFFF0u);
                     SetBlpWord(b, testsupport::kBlpMipSizes, 0x20);
                   },
                   false, [](size_t header, size_t) { return header; }},
        // Cut at the end of the image buffer; the end of the image comes first.
        BoundsCase{"LevelSizeAllOnes",
                   [](Bytes& b) { SetBlpWord(b, testsupport::kBlpMipSizes, 0xFFFFFFFFu); }, true,
                   [](size_t header, size_t) {
                     return header + kEnd - (testsupport::kBlpJpegHeader + header);
                   }},
        // The level moved to the very end of the buffer, its size claiming more.
        BoundsCase{"LevelRunsPastTheEnd",
                   [](Bytes& b) {
                     const uint32_t offset = BlpWord(b, testsupport::kBlpMipOffsets);
                     const uint32_t size = BlpWord(b, testsupport::kBlpMipSizes);
                     std::memmove(b.data() + kEnd - size, b.data() + offset, size);
                     std::memset(b.data() + offset, 0, size);
                     SetBlpWord(b, testsupport::kBlpMipOffsets, kEnd - size);
                     SetBlpWord(b, testsupport::kBlpMipSizes, size + 1000);
                   },
                   true, [](size_t header, size_t level) { return header + level; }},
        // The header then runs over level 0, which follows it, to the end of the image buffer.
        BoundsCase{"HeaderSizeAllOnes",
                   [](Bytes& b) { SetBlpWord(b, testsupport::kBlpJpegHeaderSize, 0xFFFFFFFFu); },
                   true, [](size_t, size_t) { return kJpegBufferSize; }},
        BoundsCase{"LaterLevelsOverflowTheJpegBuffer",
                   [](Bytes& b) {
                     for (size_t i = 1; i < 16; ++i) {
                       SetBlpWord(b, testsupport::kBlpMipOffsets + 4 * i, 0);
                       SetBlpWord(b, testsupport::kBlpMipSizes + 4 * i, kEnd);
                     }
                   },
                   true, [](size_t, size_t) { return kJpegBufferSize; }}),
    [](const testing::TestParamInfo<BoundsCase>& info) { return std::string(info.param.name); });

// Whatever bytes are damaged, the decoder ends with a result that keeps its own contract or with
// null; the sanitizer build checks every read and write on the way.
TEST_F(BlpDecoder, RandomDamageEndsCleanly) {
  std::vector<BlpImage> levels = {Blocks(64, 64, 4), Blocks(32, 32, 4), Blocks(16, 16, 4)};
  const Bytes good = testsupport::WriteBlp1(levels);
  std::mt19937 random(20240611);
  for (int round = 0; round < 400; ++round) {
    Bytes file = good;
    const uint32_t changes = 1 + random() % 8;
    for (uint32_t i = 0; i < changes; ++i) {
      file[random() % file.size()] = static_cast<uint8_t>(random());
    }
    const BlpBitmap* bitmap = Decode(file);
    ASSERT_LE(parser_.assembled(), kJpegBufferSize);
    if (bitmap == nullptr) continue;
    ASSERT_TRUE(bitmap->BitsPerPixel == 24 || bitmap->BitsPerPixel == 32) << round;
    ASSERT_LE(bitmap->Width, uint32_t{OSTRAK_MAX_DIMENSION}) << round;
    ASSERT_LE(bitmap->Height, uint32_t{OSTRAK_MAX_DIMENSION}) << round;
    ASSERT_GE(bitmap->Stride, bitmap->Width * bitmap->BitsPerPixel / 8) << round;
    ASSERT_LE(size_t{bitmap->Stride} * bitmap->Height, size_t{OSTRAK_MAX_PIXEL_BYTES}) << round;
    ASSERT_TRUE(InManager(memory_, bitmap->Pixels)) << round;
  }
}

// ---- Real files -------------------------------------------------------------------------------

struct RealFile {
  const char* path;  // below the corpus folder
  uint32_t width;    // 0: not decoded
  uint32_t height;
};

void PrintTo(const RealFile& f, std::ostream* out) {
  *out << f.path;
}

class BlpRealFiles : public BlpDecoder, public testing::WithParamInterface<RealFile> {};

TEST_P(BlpRealFiles, DecodeToTheirSizes) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus folder (../shared/corpus): real BLP files skipped";
  const RealFile& f = GetParam();
  std::ifstream stream(corpus + "/" + f.path, std::ios::binary);
  ASSERT_TRUE(stream) << f.path;
  const Bytes file{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  ASSERT_LE(file.size(), kImageBufferSize);

  const BlpBitmap* bitmap = Decode(file);
  if (f.width == 0) {
    EXPECT_EQ(bitmap, nullptr);
    return;
  }
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width, f.width);
  EXPECT_EQ(bitmap->Height, f.height);
  EXPECT_EQ(bitmap->BitsPerPixel, 32u);  // all are four-channel JPEGs
  EXPECT_EQ(bitmap->Stride, f.width * 4);
}

INSTANTIATE_TEST_SUITE_P(Corpus, BlpRealFiles,
                         testing::Values(RealFile{"gowarcraft3/test.blp", 256, 256},
                                         RealFile{"war3net/war3mapMap.blp", 256, 256},
                                         RealFile{"war3net/map101.blp", 256, 256},
                                         RealFile{"war3net/colorJpg75Mip8Blp1.blp", 128, 128},
                                         RealFile{"war3net/colorPalettedMip8Blp1.blp", 0, 0},
                                         RealFile{"war3net/colorDxtMip8Blp2.blp", 0, 0}));

// ---- The library ------------------------------------------------------------------------------

const std::string kLibrary = std::string(QUORVEL_PROGRAM_DIR) + "/ParserData/libostrak.so";

// Names of the functions and objects a shared library file defines for others, read from its
// dynamic symbol table.
std::set<std::string> DefinedDynamicSymbols(const std::string& path) {
  std::set<std::string> names;
#ifdef QUORVEL_HAS_ELF
  std::ifstream stream(path, std::ios::binary);
  const Bytes file{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  ElfW(Ehdr) elf;
  if (file.size() < sizeof elf) return names;
  std::memcpy(&elf, file.data(), sizeof elf);
  const auto section = [&](size_t index) {
    ElfW(Shdr) header{};
    const size_t at = elf.e_shoff + index * sizeof header;
    if (index < elf.e_shnum && at + sizeof header <= file.size()) {
      std::memcpy(&header, file.data() + at, sizeof header);
    }
    return header;
  };
  for (size_t i = 0; i < elf.e_shnum; ++i) {
    const ElfW(Shdr) symbols = section(i);
    if (symbols.sh_type != SHT_DYNSYM || symbols.sh_offset + symbols.sh_size > file.size()) {
      continue;
    }
    const ElfW(Shdr) strings = section(symbols.sh_link);
    for (size_t at = symbols.sh_offset;
         at + sizeof(ElfW(Sym)) <= symbols.sh_offset + symbols.sh_size; at += sizeof(ElfW(Sym))) {
      ElfW(Sym) symbol;
      std::memcpy(&symbol, file.data() + at, sizeof symbol);
      const int binding = ELF64_ST_BIND(symbol.st_info);
      if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK)) continue;
      if (strings.sh_offset + symbol.st_name >= file.size()) continue;
      names.insert(reinterpret_cast<const char*>(file.data() + strings.sh_offset + symbol.st_name));
    }
  }
#endif
  return names;
}

class OstrakLibrary : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(library_.Open(kLibrary)) << library_.error(); }
  void TearDown() override { library_.Close(); }

  // The managers outlive the library, which keeps a pointer to the first one.
  TCustomMemoryManager first_;
  TCustomMemoryManager second_;
  platform::DynamicLibrary library_;
};

TEST_F(OstrakLibrary, ExportsOnlyItsTwoFunctions) {
#ifndef QUORVEL_HAS_ELF
  GTEST_SKIP() << "no ELF reader on this platform";
#endif
  EXPECT_EQ(DefinedDynamicSymbols(kLibrary),
            (std::set<std::string>{"InitBLPParser", "ParseBlpData"}));
  EXPECT_NE(library_.Symbol("InitBLPParser"), nullptr);
  EXPECT_NE(library_.Symbol("ParseBlpData"), nullptr);
}

// One test for the whole life of the process-wide decoder: it starts with the library loaded
// afresh and ends with it unloaded.
TEST_F(OstrakLibrary, KeepsTheFirstMemoryManager) {
  auto init = library_.Get<InitBLPParserFunc>("InitBLPParser");
  auto parse = library_.Get<ParseBlpDataFunc>("ParseBlpData");
  ASSERT_NE(init, nullptr);
  ASSERT_NE(parse, nullptr);
  const BlpImage image = Blocks(64, 64, 4);
  const Bytes buffer = ImageBuffer(testsupport::WriteBlp1({image}));

  EXPECT_EQ(parse(buffer.data()), nullptr) << "not set up yet";
  EXPECT_FALSE(init(nullptr));
  EXPECT_EQ(parse(buffer.data()), nullptr) << "a refused set-up sets nothing up";

  ASSERT_TRUE(init(&first_));
  BlpBitmap** cell = parse(buffer.data());
  ASSERT_NE(cell, nullptr);
  EXPECT_TRUE(InManager(first_, cell));
  EXPECT_TRUE(InManager(first_, *cell));
  EXPECT_TRUE(InManager(first_, (*cell)->Pixels));
  ExpectPixels(**cell, image);

  EXPECT_TRUE(init(&second_));
  EXPECT_TRUE(init(nullptr));
  BlpBitmap** again = parse(buffer.data());
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, cell);
  EXPECT_TRUE(InManager(first_, again));
  EXPECT_TRUE(InManager(first_, (*again)->Pixels));
  EXPECT_EQ(second_.Blocks, nullptr);
  // Earlier results are untouched by later ones.
  ExpectPixels(**cell, image);

  EXPECT_EQ(parse(nullptr), nullptr);
  Bytes paletted = buffer;
  SetBlpWord(paletted, testsupport::kBlpCompression, 1);
  EXPECT_EQ(parse(paletted.data()), nullptr);
}

}  // namespace
