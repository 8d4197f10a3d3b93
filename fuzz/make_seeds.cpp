// Writes seed corpora for the fuzz targets into <out>/<target>/: real files of the corpus
// folder (replays, their decompressed data, command blocks taken from it, tables, profile texts,
// object-editor files, textures) and files written by the test fixtures (the sample replay, small
// games, textures). Seeds are cut so that one run of a target stays quick.
//
//   make_seeds <corpus folder> <out folder>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "gamedata/replay_format.h"
#include "ostrak.h"
#include "replay_container.h"
#include "support/blp_writer.h"
#include "support/game_builder.h"
#include "support/pe_writer.h"
#include "support/replay_writer.h"
#include "support/sample_replay.h"

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::ByteWriter;

namespace {

// Longest seed of the targets that read decompressed data: the game start record and the first
// minutes of a game.
constexpr size_t kMaxGameSeed = 48 * 1024;
// Command blocks taken from each replay.
constexpr size_t kBlocksPerReplay = 40;

fs::path g_out;
size_t g_written = 0;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
  const fs::path folder = g_out / target;
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ++g_written;
}

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Prefixed(uint8_t first, const Bytes& bytes, size_t limit = SIZE_MAX) {
  Bytes out{first};
  out.insert(out.end(), bytes.begin(), bytes.begin() + std::min(bytes.size(), limit));
  return out;
}

Bytes Cut(const Bytes& bytes, size_t limit) {
  return Bytes(bytes.begin(), bytes.begin() + std::min(bytes.size(), limit));
}

// The decompressed data of a replay file, through the parser's own container code; empty when
// the file is no readable replay.
Bytes Inflate(const Bytes& file) {
  GeneralInfo info{};
  size_t blocksOffset = 0;
  if (!vantrel::ReadReplayHeaders(file.data(), file.size(), info, blocksOffset).ok) return {};
  vantrel::InflatedReplay game;
  if (!vantrel::InflateBlocks(file.data(), file.size(), blocksOffset, info, game).ok) return {};
  return Bytes(game.data.get(), game.data.get() + game.size);
}

// The command blocks of the first time slots of a decompressed game, each as the command_block
// target takes it: the player id, then the actions. Found by looking for time slots whose
// command blocks exactly fill them, which needs no knowledge of the game start record.
std::vector<Bytes> CommandBlocks(const Bytes& game) {
  std::vector<Bytes> blocks;
  for (size_t at = 0; at + 3 < game.size() && blocks.size() < kBlocksPerReplay; ++at) {
    if (game[at] != 0x1F) continue;
    vantrel::ByteReader reader(game.data() + at + 1, game.size() - at - 1);
    uint16_t length = 0, increment = 0;
    if (!reader.U16(length) || length < 5 || !reader.Has(length) || !reader.U16(increment))
      continue;
    vantrel::ByteReader slot(reader.current(), length - 2u);
    std::vector<Bytes> found;
    bool whole = true;
    while (slot.remaining() > 0) {
      uint8_t player = 0;
      uint16_t size = 0;
      if (!slot.U8(player) || !slot.U16(size) || size == 0 || !slot.Has(size)) {
        whole = false;
        break;
      }
      Bytes block{player};
      block.insert(block.end(), slot.current(), slot.current() + size);
      found.push_back(std::move(block));
      slot.Skip(size);
    }
    if (!whole) continue;
    for (Bytes& block : found) {
      if (blocks.size() < kBlocksPerReplay) blocks.push_back(std::move(block));
    }
    at += 2 + length;
  }
  return blocks;
}

std::string Stem(const fs::path& path) {
  std::string name = path.parent_path().filename().string() + "_" + path.filename().string();
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
}

// The first blocks of a replay file, each as the block_inflation target takes it: the
// decompressed size (16 bits), then the compressed bytes.
std::vector<Bytes> StoredBlocks(const Bytes& file) {
  std::vector<Bytes> blocks;
  GeneralInfo info{};
  size_t at = 0;
  if (!vantrel::ReadReplayHeaders(file.data(), file.size(), info, at).ok) return blocks;
  const bool wide = vantrel::FormatOf(info.GameVersion, info.BuildNumber).reforged;
  for (uint32_t index = 0; index < std::min<uint32_t>(info.BlockCount, 3); ++index) {
    vantrel::ByteReader header(file.data() + at, file.size() - at);
    uint32_t compressed = 0, decompressed = 0;
    uint16_t compressed16 = 0, decompressed16 = 0;
    const bool complete =
        wide ? header.U32(compressed) && header.U32(decompressed) && header.Skip(4)
             : header.U16(compressed16) && header.U16(decompressed16) && header.Skip(4);
    if (!wide) {
      compressed = compressed16;
      decompressed = decompressed16;
    }
    if (!complete || !header.Has(compressed) || decompressed > 0x7FFF) break;
    Bytes block{static_cast<uint8_t>(decompressed), static_cast<uint8_t>(decompressed >> 8)};
    block.insert(block.end(), header.current(), header.current() + compressed);
    blocks.push_back(std::move(block));
    at += header.position() + compressed;
  }
  return blocks;
}

void FromReplay(const std::string& name, const Bytes& file) {
  Write("replay_file", name, file);
  Write("standalone_reader", name, file);
  size_t blockIndex = 0;
  for (const Bytes& block : StoredBlocks(file))
    Write("block_inflation", name + "." + std::to_string(blockIndex++), block);
  const Bytes game = Inflate(file);
  if (game.empty()) return;
  Write("compressed_data", name + ".full", Prefixed(0, game, kMaxGameSeed));
  Write("compressed_data", name + ".start", Prefixed(3, game, kMaxGameSeed));
  Write("translate_entries", name, Cut(game, kMaxGameSeed));
  if (game.size() > 4)
    Write("game_start", name,
          Bytes(game.begin() + 4, game.begin() + std::min<size_t>(game.size(), 4096)));
  size_t index = 0;
  for (const Bytes& block : CommandBlocks(game))
    Write("command_block", name + "." + std::to_string(index++), block);
}

// Small games of the fixtures: actions on the objects of the fuzz catalogue.
void FromFixtures() {
  using namespace testsupport;
  FromReplay("sample.w3g", SampleReplay());
  // A block whose writer finished its stream, as some writers do.
  Bytes finished{0x00, 0x20};
  const Bytes game(8192, 0x2A);
  const Bytes stream = DeflateFinished(game);
  finished.insert(finished.end(), stream.begin(), stream.end());
  Write("block_inflation", "finished", finished);

  const auto ability = [](const char* id) {
    return ByteWriter().U8(0x10).U16(0x40).Id(id).U32(0xFFFFFFFF).U32(0xFFFFFFFF).bytes();
  };
  const auto at = [](const char* id) {
    return ByteWriter()
        .U8(0x11)
        .U16(0x40)
        .Id(id)
        .U32(0xFFFFFFFF)
        .U32(0xFFFFFFFF)
        .F32(1)
        .F32(2)
        .bytes();
  };
  Bytes eventsBuilt;
  for (const Bytes& part :
       {ability("Hamg"), ability("AHbz"), ability("Hpal"), ability("AHhb"), ability("Hamg"),
        ability("hpea"), ability("Rhde"), ability("bspd"), at("hbar"), ability("hbar")}) {
    eventsBuilt.insert(eventsBuilt.end(), part.begin(), part.end());
  }
  const Bytes events = eventsBuilt;
  const Bytes selection = ByteWriter()
                              .U8(0x16)
                              .U8(2)
                              .U16(1)
                              .U32(1)
                              .U32(2)
                              .U8(0x16)
                              .U8(1)
                              .U16(2)
                              .U32(3)
                              .U32(4)
                              .U32(5)
                              .U32(6)
                              .U8(0x19)
                              .Id("hpea")
                              .U32(7)
                              .U32(8)
                              .U8(0x17)
                              .U8(0)
                              .U16(1)
                              .U32(9)
                              .U32(9)
                              .U8(0x18)
                              .U8(0)
                              .U8(0)
                              .bytes();
  const Bytes misc = ByteWriter()
                         .U8(0x01)
                         .U8(0x02)
                         .U8(0x03)
                         .U8(2)
                         .U8(0x04)
                         .U8(0x05)
                         .U8(0x06)
                         .Text("cheat")
                         .U8(0x07)
                         .U32(1)
                         .U8(0x12)
                         .U16(0x40)
                         .U32(0x000D0003)
                         .U32(0)
                         .U32(0)
                         .F32(1)
                         .F32(2)
                         .U32(5)
                         .U32(6)
                         .U8(0x13)
                         .U16(0)
                         .Id("bspd")
                         .U32(0)
                         .U32(0)
                         .F32(0)
                         .F32(0)
                         .U32(1)
                         .U32(2)
                         .U32(3)
                         .U32(4)
                         .U8(0x14)
                         .U16(0)
                         .U32(0x000D0012)
                         .U32(0)
                         .U32(0)
                         .F32(0)
                         .F32(0)
                         .Id("hpea")
                         .Zeros(9)
                         .F32(0)
                         .F32(0)
                         .U8(0x1A)
                         .U8(0x1B)
                         .U8(0)
                         .U32(1)
                         .U32(2)
                         .U8(0x1C)
                         .U8(4)
                         .U32(1)
                         .U32(2)
                         .U8(0x1D)
                         .Id("Hamg")
                         .Id("Hpal")
                         .U8(0x1E)
                         .U8(1)
                         .Id("hpea")
                         .U8(0x50)
                         .U8(1)
                         .U32(0x1F)
                         .U8(0x51)
                         .U8(1)
                         .U32(100)
                         .U32(50)
                         .U8(0x60)
                         .U32(1)
                         .U32(2)
                         .Text("-ar")
                         .U8(0x61)
                         .U8(0x62)
                         .U32(1)
                         .U32(2)
                         .U32(3)
                         .U8(0x66)
                         .U8(0x67)
                         .U8(0x68)
                         .F32(1)
                         .F32(2)
                         .U32(3)
                         .U8(0x69)
                         .U32(1)
                         .U32(2)
                         .U32(3)
                         .U32(4)
                         .U8(0x6A)
                         .U32(1)
                         .U32(2)
                         .U32(3)
                         .U32(4)
                         .U8(0x75)
                         .U8(1)
                         .U8(0x99)
                         .U8(1)
                         .bytes();
  int index = 0;
  for (const Bytes* actions : {&events, &selection, &misc}) {
    GameBuilder game;
    game.players = {PlayerEntry{2, "Brisk", {0}}};
    game.slots = {SlotEntry{1, 100, 2, 0, 0}, SlotEntry{2, 100, 2, 0, 1}};
    game.TimeSlot(250, {CommandBlock{1, *actions}, CommandBlock{2, *actions}});
    game.Chat(1, 0, "gl hf");
    game.Leave(1, 2, 9);
    game.Leave(12, 1, 7);
    const std::string name = "fixture" + std::to_string(index++);
    Write("command_block", name, Prefixed(1, *actions));
    FromReplay(name + ".w3g", BuildReplay(game.Build()));
  }
}

// Version resources in small PE files, and a Wine registry file of a prefix with the game.
void PlatformFiles() {
  using namespace testsupport;
  VersionInfo twoLanguages;
  twoLanguages.tables = {
      {"040904b0", {{"CompanyName", "Maker"}, {"FileVersion", "1, 26, 0, 6401"}}},
      {"041904E3", {{"FileVersion", "1, 26, 0, 6401"}}}};
  twoLanguages.translations = std::vector<Translation>{{0x0419, 0x04E3}, {0x0409, 0x04B0}};
  for (const bool pe32Plus : {false, true}) {
    PeImage image;
    image.pe32Plus = pe32Plus;
    const std::string bits = pe32Plus ? "64" : "32";
    Write("pe_version", "game" + bits + ".dll", PeFile(image));
    image.resourceData = VersionInfoBlock(twoLanguages);
    Write("pe_version", "languages" + bits + ".dll", PeFile(image));
  }
  const std::string userReg =
      "WINE REGISTRY Version 2\n"
      ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n\n"
      "[Software\\\\Blizzard Entertainment\\\\Warcraft III] 1700000000\n"
      "#time=1da1b2c3d4e5f60\n"
      "\"InstallPath\"=\"C:\\\\Program Files\\\\Warcraft III\\\\\"\n"
      "\"Build\"=dword:00001ab9\n"
      "@=str(2):\"\\x0418\\xd83d\\xde00 \\t\\101\\\"\"\n";
  Write("wine_registry", "user.reg", Bytes(userReg.begin(), userReg.end()));
  const std::string ini =
      "\xEF\xBB\xBF; settings\r\n[Other]\r\nQuorvel_DeleteDays=3\r\n[ quorvel ]\r\n"
      "Quorvel_Template=\"[{Date}]{Players}_{Map}[{Version}]\"\r\nQuorvel_DeleteDays= 12abc\r\n"
      "parser_log=1\r\n;Missing=1\r\nNoEquals\r\n";
  Write("ini_file", "Quorvel.ini", Bytes(ini.begin(), ini.end()));
}

void Textures(const fs::path& corpus) {
  using namespace testsupport;
  for (uint32_t channels : {1u, 3u, 4u}) {
    BlpImage image{8, 4, channels, Bytes(8 * 4 * channels, 0x80)};
    BlpImage half{4, 2, channels, Bytes(4 * 2 * channels, 0x40)};
    Write("blp_data", "written" + std::to_string(channels) + ".blp", WriteBlp1({image, half}, 75));
  }
  if (corpus.empty()) return;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    const fs::path& path = entry.path();
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    if (extension == ".blp" && entry.file_size() <= OSTRAK_IMAGE_BUFFER_SIZE)
      Write("blp_data", Stem(path), Read(path));
  }
}

void GameData(const fs::path& corpus) {
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    const fs::path& path = entry.path();
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    const std::string where = path.string();
    if (extension == ".w3g") {
      FromReplay(Stem(path), Read(path));
    } else if (where.find("w3x2lni") != std::string::npos && extension == ".slk") {
      Write("slk_table", Stem(path), Cut(Read(path), 64 * 1024));
    } else if (where.find("w3x2lni") != std::string::npos && extension == ".txt") {
      Write("profile_text", Stem(path), Cut(Read(path), 32 * 1024));
    } else if (extension == ".w3u" || extension == ".w3t" || extension == ".w3b" ||
               extension == ".w3h") {
      Write("object_editor", Stem(path), Prefixed(1, Read(path), 64 * 1024));
    } else if (extension == ".w3a" || extension == ".w3d" || extension == ".w3q") {
      Write("object_editor", Stem(path), Prefixed(0, Read(path), 64 * 1024));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <corpus folder> <out folder>\n", argv[0]);
    return 2;
  }
  g_out = argv[2];
  FromFixtures();
  PlatformFiles();
  if (fs::is_directory(argv[1])) {
    GameData(argv[1]);
    Textures(argv[1]);
  } else {
    Textures(fs::path());
  }
  std::printf("%zu seeds in %s\n", g_written, argv[2]);
  return 0;
}
