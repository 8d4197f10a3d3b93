#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dynamic_library.h"
#include "prompt.h"
#include "settings/configuration.h"
#include "vantrel.h"

struct CLog;
struct TMPQDataReader;

// The file name of the parser library in the program folder.
inline constexpr char kParserLibraryFileName[] = "libvantrel.so";
// The interface version this program is written against.
inline constexpr int32_t kParserMajor = 1;
inline constexpr int32_t kParserMinor = 23;

// Race label styles: whole names, three letters, one letter, no label.
enum RaceLabelStyle : int32_t {
  kRaceLabelFull = 0,
  kRaceLabelShort = 6,
  kRaceLabelLetter = 12,
  kRaceLabelNone = 100,
};

// Teams 0 to 12, each with up to 13 player entries.
inline constexpr int kTeamSlots = 13;

// The replay context: through it every part of the program opens a replay with the parser
// library and reads what the program derives from the result. One main context lives as long as
// the program; some operations make a private one of their own.
struct TQuorvel_Is_Here {
  bool IsParsed = false;     // a result is held
  bool ParseFailed = false;  // the last ParseReplay returned false
  std::shared_ptr<QUORVEL_PROPERTY> Property;
  // The pending file operation: 0 none, 1 copy, 2 move, 3 delete.
  std::string OpSource;
  std::string OpTarget;
  bool OpFailIfExists = false;
  int32_t OpCode = 0;
  GeneralInfo* Info = nullptr;  // the held result (owned by InfoRecord)
  std::string VersionText;
  std::string GameTypeText;
  std::string DurationText;  // "h:m:s" without leading zeros
  int32_t Hours = 0;
  int32_t Minutes = 0;
  int32_t Seconds = 0;
  std::array<std::array<std::string, kTeamSlots>, kTeamSlots> TeamPlayers;
  std::array<int32_t, kTeamSlots> TeamCount{};
  TMPQDataReader* DataReader = nullptr;
  std::shared_ptr<platform::DynamicLibrary> ParserModule;
  std::string ReplayPath;
  int32_t ActionLineCount = 0;
  bool VersionMismatch = false;
  bool Busy = false;
  int32_t ParserMajor = 0;
  int32_t ParserMinor = 0;
  CLog* Log = nullptr;
  // Where the context's messages go.
  Prompter* Prompts = nullptr;

  // The record behind Info; it lives until the next open so that Info stays readable.
  std::unique_ptr<GeneralInfo> InfoRecord;
  // The library keeps one result for the whole process: a parse through any context ends the
  // validity of every earlier result. This is the number of the parse whose result is held.
  uint64_t ResultGeneration = 0;

  TQuorvel_Is_Here() = default;
  TQuorvel_Is_Here(const TQuorvel_Is_Here&) = delete;
  TQuorvel_Is_Here& operator=(const TQuorvel_Is_Here&) = delete;
  ~TQuorvel_Is_Here();
};

enum class ParserLoadResult {
  Loaded,
  Missing,          // the library cannot be loaded: the program ends with exit code -1
  VersionMismatch,  // another interface version: start-up ends after the message
};

// Loads the parser library from the program folder into `context` and checks its interface
// version, telling the user (through context.Prompts) and the log what goes wrong.
ParserLoadResult LoadParserLibrary(TQuorvel_Is_Here& context);
// Loads the parser library from `path` (for tests and other folders).
ParserLoadResult LoadParserLibrary(TQuorvel_Is_Here& context, const std::string& path);

// The message of an interface version other than the one this program is written against.
PromptRequest VersionMismatchPrompt(const TQuorvel_Is_Here& context);

// Releases the held result and unloads the library.
void UnloadParserLibrary(TQuorvel_Is_Here& context);

// Opens `path` for its header and game start record only. False when the open was refused (the
// file does not inflate, or the library lacks ParseReplay); true otherwise, also when
// ParseReplay failed (ParseFailed is set then).
bool QuickOpen(TQuorvel_Is_Here& context, const std::string& path);
// Opens `path` completely: actions, events and texts, with object names from DataReader.
bool FullOpen(TQuorvel_Is_Here& context, const std::string& path);
// Gives the held result back to the library.
void ReleaseResult(TQuorvel_Is_Here& context);

// True while the result of `context` is the library's latest (no other parse came since).
bool HoldsCurrentResult(const TQuorvel_Is_Here& context);

// A context of its own for one operation: its own configuration read from the file, the main
// context's library, game data reader, log and prompter.
std::unique_ptr<TQuorvel_Is_Here> CreatePrivateContext(const TQuorvel_Is_Here& main);

// The label of the first race flag set in `race` (0x01 Human, 0x02 Orc, 0x04 NightElf,
// 0x08 Undead, 0x20 Random) in `style`; unknown styles read as whole names.
std::string RaceLabel(uint8_t race, int32_t style);
// "name (label)" in the context's configured style.
std::string PlayerEntry(const TQuorvel_Is_Here& context, const PlayerRecord& player);

// The text of a game type byte, or null for a byte without one.
const char* GameTypeTextOf(uint8_t gameType);
// "1.22" for patch 22; "1.32", "2.0" for the versions numbered from 10000 on.
std::string ReplayVersionText(uint32_t gameVersion);
