#include "entry_points.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_reader.h"
#include "game_start.h"
#include "gamedata/errors.h"
#include "gamedata/memory_manager.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/object_catalogue.h"
#include "gamedata/object_editor.h"
#include "gamedata/profile_text.h"
#include "gamedata/slk_parser.h"
#include "ostrak.h"
#include "platform/pe_version.h"
#include "platform/wine_registry.h"
#include "replay_container.h"
#include "replay_parser.h"
#include "services/standalone_reader.h"
#include "settings/configuration.h"
#include "settings/ini_file.h"
#include "vantrel.h"

namespace quorvel::fuzz {
namespace {

// Reads a text the way a consumer of the results would, so that a missing terminator or a
// pointer outside its allocation shows up under the sanitizers.
size_t Touch(const char* text) {
  return text != nullptr ? std::strlen(text) : 0;
}

void TouchResults(const GeneralInfo& info) {
  Touch(info.GameName);
  Touch(info.MapName);
  Touch(info.GameCreatorName);
  Touch(info.ErrorText);
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    Touch(player->PlayerName);
    for (const HeroNode* hero = player->Heroes; hero != nullptr; hero = hero->Next) {
      for (const EventNode* skill = hero->Skills; skill != nullptr; skill = skill->Next)
        Touch(static_cast<const AbilityData*>(skill->Fields)->ItemID);
    }
  }
  for (const TextNode* node = info.Texts; node != nullptr; node = node->Next)
    Touch(node->Text);
}

// A small catalogue in the shape of the standard data: a hero of each kind with its skills, a
// unit, a building, an upgrade and an item, so that ability commands make every kind of event.
TMPQDataReader& Catalogue() {
  static TMPQDataReader* reader = [] {
    auto* made = new TMPQDataReader();
    TCustomMemoryManager& memory = made->StandardMemory;
    const auto make = [&](std::vector<std::pair<const char*, const char*>> named, uint8_t type,
                          uint32_t& count) {
      auto* entries = memory.New<ObjectEntry>(named.size());
      for (size_t i = 0; i < named.size(); ++i) {
        std::strcpy(entries[i].Id, named[i].first);
        entries[i].Type = type;
        AddProperty(&entries[i], "Name", named[i].second, memory);
      }
      count = static_cast<uint32_t>(named.size());
      return entries;
    };
    RaceGroup& human = made->RaceGroups[2];
    human.Units = make({{"hpea", "Peasant"}}, kObjectUnit, human.UnitCount);
    human.Buildings = make({{"hbar", "Barracks"}}, kObjectBuilding, human.BuildingCount);
    human.Heroes = make({{"Hamg", "Archmage"}, {"Hpal", "Paladin"}}, kObjectHero, human.HeroCount);
    AddProperty(&human.Heroes[0], "heroAbilList", "AHbz,AHab,AHwe,AHmt", memory);
    AddProperty(&human.Heroes[1], "heroAbilList", "AHhb,AHds,AHre,AHad", memory);
    RaceGroup& neutral = made->RaceGroups[kNeutralGroup];
    neutral.Skills =
        make({{"AHbz", "Blizzard"}, {"AHhb", "Holy Light"}}, kObjectSkill, neutral.SkillCount);
    neutral.Upgrades = make({{"Rhde", "Defend"}}, kObjectUpgrade, neutral.UpgradeCount);
    neutral.Items = make({{"bspd", "Boots of Speed"}}, kObjectItem, neutral.ItemCount);
    return made;
  }();
  return *reader;
}

int32_t ParseDecompressed(vantrel::ReplayParser& parser, GeneralInfo& info, const uint8_t* data,
                          size_t size, uint8_t mode, bool translate) {
  CompressedDataParams params{};
  params.Data = data;
  params.DataSize = static_cast<uint32_t>(std::min<size_t>(size, UINT32_MAX));
  params.GeneralInfo = &info;
  params.TranslateTexts = translate ? 1 : 0;
  params.ParseMode = mode;
  return parser.ParseCompressedData(&params);
}

// Little-endian writers for the game around a command block.
void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

void ReplayFile(const uint8_t* data, size_t size) {
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  request.TranslateTexts = 1;
  request.ParseMode = VANTREL_PARSE_FULL;
  parser.ParseReplayData(&request, data, size);
  TouchResults(info);
}

void CompressedData(const uint8_t* data, size_t size) {
  if (size == 0) return;
  const uint8_t selector = data[0];
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  info.DataReader = &Catalogue();
  const uint8_t mode = (selector & 1) != 0 ? VANTREL_PARSE_GAME_START : VANTREL_PARSE_FULL;
  ParseDecompressed(parser, info, data + 1, size - 1, mode, true);
  TouchResults(info);
  if (mode == VANTREL_PARSE_GAME_START && (selector & 2) != 0) {
    ParseDecompressed(parser, info, data + 1, size - 1, VANTREL_PARSE_ACTIONS, true);
    TouchResults(info);
  }
}

void GameStart(const uint8_t* data, size_t size) {
  TCustomMemoryManager pool;
  vantrel::ParseState state;
  GeneralInfo info{};
  info.PlayerCount = -1;
  vantrel::RecordArena records(pool);
  vantrel::ParseContext context{
      info, pool, records, state, nullptr, vantrel::FormatOf(info.GameVersion, info.BuildNumber)};
  vantrel::ByteReader reader(data, size);
  try {
    vantrel::ParseGameStart(reader, context);
  } catch (const CError&) {
  }
  TouchResults(info);
  for (const SlotRecord* slot = info.Slots; slot != nullptr; slot = slot->Next) {
    if (slot->Player != nullptr) Touch(slot->Player->PlayerName);
  }
}

void CommandBlock(const uint8_t* data, size_t size) {
  if (size == 0) return;
  const uint8_t player = data[0];
  // The block travels in a time slot whose length is a 16-bit word that also covers the
  // increment and the block header.
  const size_t blockSize = std::min<size_t>(size - 1, 0xFFFF - 5);
  std::vector<uint8_t> game(4, 0);
  // Host 1 "A" and player 2 "B", no settings, then two used slots in teams 0 and 1.
  const uint8_t host[] = {0x00, 0x01, 'A', 0x00, 0x01, 0x00, 'G', 0x00, 0x00, 0x00};
  game.insert(game.end(), std::begin(host), std::end(host));
  Put32(game, 2);
  game.insert(game.end(), {9, 0, 0, 0, 0, 0, 0, 0});
  const uint8_t further[] = {0x16, 0x02, 'B', 0x00, 0x01, 0x00, 0, 0, 0, 0};
  game.insert(game.end(), std::begin(further), std::end(further));
  game.insert(game.end(), {0x19});
  Put16(game, 1 + 2 * 9 + 6);
  game.push_back(2);
  game.insert(game.end(), {1, 100, 2, 0, 0, 0, 1, 1, 100});
  game.insert(game.end(), {2, 100, 2, 0, 1, 1, 1, 1, 100});
  Put32(game, 0x12345678);
  game.insert(game.end(), {0, 2});
  game.push_back(0x1F);
  Put16(game, static_cast<uint32_t>(2 + 3 + blockSize));
  Put16(game, 250);
  game.push_back(player);
  Put16(game, static_cast<uint32_t>(blockSize));
  game.insert(game.end(), data + 1, data + 1 + blockSize);
  game.insert(game.end(), 4, 0);

  vantrel::ReplayParser parser;
  GeneralInfo info{};
  info.DataReader = &Catalogue();
  ParseDecompressed(parser, info, game.data(), game.size(), VANTREL_PARSE_FULL, true);
  TouchResults(info);
}

void BlpData(const uint8_t* data, size_t size) {
  static TCustomMemoryManager memory;
  static const bool ready = InitBLPParser(&memory);
  static std::vector<uint8_t> image(OSTRAK_IMAGE_BUFFER_SIZE);
  if (!ready) return;
  const size_t copied = std::min<size_t>(size, image.size());
  std::fill(std::copy_n(data, copied, image.begin()), image.end(), uint8_t{0});
  if (BlpBitmap** cell = ParseBlpData(image.data())) {
    const BlpBitmap& bitmap = **cell;
    // The last pixel byte of the bitmap, which must lie inside the manager's allocation.
    if (bitmap.Height > 0 && bitmap.Stride > 0) {
      volatile uint8_t last = bitmap.Pixels[size_t{bitmap.Stride} * bitmap.Height - 1];
      (void)last;
    }
  }
  // Results live until the manager frees its blocks: give them back now and then.
  size_t blocks = 0;
  for (const MemoryBlock* block = memory.Blocks; block != nullptr; block = block->Next)
    ++blocks;
  if (blocks > 4) memory.FreeAll();
}

void SlkTable(const uint8_t* data, size_t size) {
  TSLKParser parser;
  try {
    parser.Parse(data, size);
  } catch (const CError&) {
    return;
  }
  // The cell pointers are read from the start of the table and at its far corners (a few bytes
  // of input may ask for a table of a million cells: reading all of them would make each run
  // cost milliseconds); the texts of the first cells are read through.
  constexpr size_t kCellsRead = 1u << 16;
  size_t reads = 0, texts = 0;
  for (int32_t column = 0; column < parser.ColumnCount && reads < kCellsRead; ++column) {
    for (int32_t row = 0; row < parser.RowCount && reads < kCellsRead; ++row, ++reads) {
      const char* cell = parser.Cell(column, row);
      if (cell != nullptr && texts++ < 4096) Touch(cell);
    }
  }
  if (parser.ColumnCount > 0 && parser.RowCount > 0) {
    Touch(parser.Cell(parser.ColumnCount - 1, parser.RowCount - 1));
    Touch(parser.Cell(parser.ColumnCount - 1, 0));
    Touch(parser.Cell(0, parser.RowCount - 1));
  }
}

void ProfileText(const uint8_t* data, size_t size) {
  class Reader : public ProfileConsumer {
   public:
    void Section(const char* id) override { total_ += Touch(id); }
    void Pair(const char* key, const char* value) override { total_ += Touch(key) + Touch(value); }

   private:
    size_t total_ = 0;
  } reader;
  ReadProfile(data, size, reader);
}

void ObjectEditor(const uint8_t* data, size_t size) {
  if (size == 0) return;
  auto editor = std::make_unique<TObjectEditorData>();
  editor->Parse(data + 1, size - 1, (data[0] & 1) != 0);
  for (const ObjectEditorTable* table : {&editor->ModifiedObjects, &editor->AddedObjects}) {
    for (uint32_t i = 0; i < table->ObjectCount; ++i) {
      const ObjectEditorObject& object = table->Objects[i];
      for (uint32_t k = 0; k < object.ModCount; ++k) {
        if (object.Mods[k].VarType == kObjectModString) Touch(object.Mods[k].ModValue.Text);
      }
    }
  }
}

void TranslateEntries(const uint8_t* data, size_t size) {
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  info.DataReader = &Catalogue();
  ParseDecompressed(parser, info, data, size, VANTREL_PARSE_FULL, false);
  for (const ActionRecord* action = info.Actions; action != nullptr; action = action->Next) {
    char* text = nullptr;
    parser.TranslateDataMessage(action, &text);
    Touch(text);
  }
}

void PeVersion(const uint8_t* data, size_t size) {
  if (const std::optional<std::string> version = platform::FileVersionString(data, size))
    Touch(version->c_str());
}

namespace {

// A file of this process's own that holds `data`; the readers under test take file names.
std::string FileOf(const uint8_t* data, size_t size, const char* suffix) {
  const std::string path = "/tmp/quorvel-fuzz-" + std::to_string(getpid()) + suffix;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return path;
}

}  // namespace

void StandaloneReader(const uint8_t* data, size_t size) {
  const std::string path = FileOf(data, size, ".w3g");
  for (const bool keepPartial : {false, true}) {
    const StandaloneReadResult read = ReadReplayFile(path, keepPartial, true);
    if (read.replay && !read.replay->Data.empty()) {
      Touch(reinterpret_cast<const char*>(&read.replay->Data.back()));
    }
  }
  std::remove(path.c_str());
}

void IniText(const uint8_t* data, size_t size) {
  const std::string path = FileOf(data, size, ".ini");
  IniFile file(path);
  for (const char* key : {"Quorvel_Template", "Quorvel_DeleteDays", "parser_log", "Missing"}) {
    if (const std::optional<std::string> value = file.Read(kConfigurationSection, key)) {
      Touch(value->c_str());
    }
    file.ReadInteger(kConfigurationSection, key, 10);
  }
  file.Write(kConfigurationSection, "Quorvel_DeleteDays", " 12 ");
  if (file.Read(kConfigurationSection, "Quorvel_DeleteDays") != " 12 ") __builtin_trap();
  std::remove(path.c_str());
}

void BlockInflation(const uint8_t* data, size_t size) {
  if (size < 2) return;
  const uint16_t decompressed = static_cast<uint16_t>((data[0] | data[1] << 8) & 0x7FFF);
  const size_t compressed = std::min<size_t>(size - 2, 0xFFFF);
  // The block as a classic replay stores it: header, then the compressed bytes.
  std::vector<uint8_t> block = {static_cast<uint8_t>(compressed),
                                static_cast<uint8_t>(compressed >> 8),
                                static_cast<uint8_t>(decompressed),
                                static_cast<uint8_t>(decompressed >> 8),
                                0,
                                0,
                                0,
                                0};
  block.insert(block.end(), data + 2, data + 2 + compressed);
  GeneralInfo info{};
  info.GameVersion = 26;
  info.BuildNumber = 6059;
  info.DecompressedSize = decompressed;
  info.BlockCount = 1;
  struct Outcome {
    vantrel::ContainerResult result;
    std::vector<uint8_t> bytes;
  };
  const auto inflate = [&](vantrel::BlockReader::Inflation inflation) {
    Outcome outcome;
    vantrel::BlockReader reader(block.data(), block.size(), 0, info, inflation);
    uint32_t expected = 0;
    outcome.result = reader.CheckSize();
    if (outcome.result.ok) outcome.result = reader.Next(expected);
    if (outcome.result.ok) {
      outcome.bytes.assign(expected, 0);
      outcome.result = reader.Inflate(outcome.bytes.data());
    }
    if (!outcome.result.ok) outcome.bytes.clear();
    return outcome;
  };
  const Outcome fast = inflate(vantrel::BlockReader::Inflation::Fast);
  const Outcome zlib = inflate(vantrel::BlockReader::Inflation::ZlibOnly);
  // What zlib inflates, the fast way inflates to the same bytes; what the fast way refuses, zlib
  // refuses with the same text. The fast way may take a block zlib refuses: libdeflate lets the
  // repeat codes of a code length table run past its end.
  if (zlib.result.ok ? !fast.result.ok || fast.bytes != zlib.bytes
                     : !fast.result.ok && fast.result.error != zlib.result.error) {
    __builtin_trap();
  }
}

void WineRegistry(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kKey = "Software\\Blizzard Entertainment\\Warcraft III";
  for (const std::string_view name : {"InstallPath", ""}) {
    if (const std::optional<std::string> value = platform::FindWineRegistryString(text, kKey, name))
      Touch(value->c_str());
  }
}

}  // namespace quorvel::fuzz
