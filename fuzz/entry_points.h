// The bodies of the fuzz targets. Each takes one input as libFuzzer hands it over and feeds it
// to one entry point of the parsers; the fuzz targets call them, and the ordinary test run
// replays the saved inputs of fuzz/regressions/<target>/ through the same functions. A body
// never throws and never writes files; a defect shows as a sanitizer report or a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvel::fuzz {

// A replay file's bytes through ReplayParser::ParseReplayData, texts on.
void ReplayFile(const uint8_t* data, size_t size);
// ParseCompressedData on decompressed replay data. Bit 0 of the first byte picks mode 0 (full) or
// 1 (game start only); bit 1 follows a mode 1 call with an actions-only call on the same buffer.
// The rest of the input is the buffer.
void CompressedData(const uint8_t* data, size_t size);
// The game start record alone, from the start of the input.
void GameStart(const uint8_t* data, size_t size);
// One command block of the player whose id is the first byte, decoded within a small game of two
// players and a small object catalogue, then the subgroup merge and the entry texts.
void CommandBlock(const uint8_t* data, size_t size);
// ParseBlpData on the input copied into a zero-filled image buffer of OSTRAK_IMAGE_BUFFER_SIZE
// bytes (longer inputs are cut to it).
void BlpData(const uint8_t* data, size_t size);
// TSLKParser::Parse and a read of every cell.
void SlkTable(const uint8_t* data, size_t size);
// ReadProfile with a consumer that reads every text it is given.
void ProfileText(const uint8_t* data, size_t size);
// TObjectEditorData::Parse; bit 0 of the first byte says "no level fields", the rest is the file.
void ObjectEditor(const uint8_t* data, size_t size);
// ParseCompressedData (mode 0, texts off) on the input, then the ReplayParser's
// TranslateDataMessage on every entry of the action list.
void TranslateEntries(const uint8_t* data, size_t size);
// platform::FileVersionString on the bytes of a PE file.
void PeVersion(const uint8_t* data, size_t size);
// platform::FindWineRegistryString on the text of a Wine registry file: the game's folder and
// the default value of its key.
void WineRegistry(const uint8_t* data, size_t size);
// The program's own replay reader on a file of these bytes, with and without partial results.
void StandaloneReader(const uint8_t* data, size_t size);
// The configuration file of these bytes: every key read, then one written back.
void IniText(const uint8_t* data, size_t size);
// One replay block: the first two bytes are its decompressed size (below 32768), the rest its
// compressed bytes. Inflated by the parser's fast way and by zlib alone: a block zlib inflates
// must give the same bytes both ways, a block the fast way refuses the same error text.
void BlockInflation(const uint8_t* data, size_t size);

using Body = void (*)(const uint8_t*, size_t);

// The targets by name: the name is the fuzz target's and its regression folder's.
struct Target {
  std::string_view name;
  Body body;
};
inline constexpr Target kTargets[] = {
    {"replay_file", ReplayFile},
    {"compressed_data", CompressedData},
    {"game_start", GameStart},
    {"command_block", CommandBlock},
    {"blp_data", BlpData},
    {"slk_table", SlkTable},
    {"profile_text", ProfileText},
    {"object_editor", ObjectEditor},
    {"translate_entries", TranslateEntries},
    {"pe_version", PeVersion},
    {"wine_registry", WineRegistry},
    {"standalone_reader", StandaloneReader},
    {"ini_file", IniText},
    {"block_inflation", BlockInflation},
};

}  // namespace quorvel::fuzz
