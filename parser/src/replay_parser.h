#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "game_bytes.h"
#include "gamedata/memory_manager.h"
#include "parse_state.h"
#include "replay_container.h"
#include "vantrel.h"

struct CLog;

namespace vantrel {

// Name of the player with `playerID` in `info`, or "Unknown player".
const char* PlayerName(const GeneralInfo* info, int32_t playerID);

// One parser: the result pool and every piece of state that a parse keeps between its steps and
// between calls. The C exports use one process-wide instance; other code may make its own and run
// several of them on different threads.
class ReplayParser {
 public:
  ReplayParser() = default;
  ReplayParser(const ReplayParser&) = delete;
  ReplayParser& operator=(const ReplayParser&) = delete;
  ~ReplayParser();

  bool ParseReplay(ParserData* data, const char* fileName);
  // Parses the `size` bytes of a replay file already in memory exactly as ParseReplay parses a
  // mapped file (same results and error texts; an empty buffer is a file truncated inside its
  // header). The bytes stay the caller's and are not needed after the call.
  bool ParseReplayData(ParserData* data, const uint8_t* bytes, size_t size);
  int32_t ParseCompressedData(CompressedDataParams* params);
  int32_t TranslateDataMessage(const ActionRecord* action, char** text);

  // What the library does when it is unloaded: the pool goes, the unload is logged, the parser
  // log is closed.
  void Unload();

  // The log of the last ParseReplay (may be null).
  CLog* log() const { return log_; }
  TCustomMemoryManager& pool() { return pool_; }
  // Whether the last walk of a block stream read it up to the zero bytes that end the data (an
  // unknown block id or a damaged block stops it earlier).
  bool WalkReachedEnd() const { return walkReachedEnd_; }
  // The most memory the last parse held at once, in bytes: what its pool handed out and the
  // decompressed data of a file while it was kept (the data given to ParseCompressedData is the
  // caller's).
  size_t PeakBytes() const { return peakBytes_; }

 private:
  void Log(const char* text) const;
  void LogError(const char* text) const;
  // Records an error text: it becomes ErrorText and is logged.
  void SetError(GeneralInfo& info, const std::string& text);
  // Clears the results and the parse state before a parse.
  void Reset(GeneralInfo& info);
  // The steps of ParseReplay before the file is read: the log, the pointer checks, the reset and
  // the mode check. Null when the parse ends there (false).
  GeneralInfo* BeginReplay(ParserData* data);
  // The container and the game of a replay file's bytes.
  bool ParseReplayBytes(GeneralInfo& info, const ParserData& data, const uint8_t* bytes,
                        size_t size);
  // Reads the game from a decompressed buffer (steps after the container).
  // What a parse of a buffer is asked to do besides the mode.
  struct BufferRequest {
    uint8_t mode;
    bool translate;
    bool debugFile;
    bool writeCompData;
    bool loadCustomMap;      // a file's parse reads the map of the replay
    bool compressedDataLog;  // the log lines of ParseCompressedData
  };
  void ParseBuffer(GeneralInfo& info, GameBytes& game, const BufferRequest& request);
  // Empties the results and reads the game start record at the start of `game`; sets the resume
  // position to the block stream after it.
  void ParseGameStartOf(GeneralInfo& info, GameBytes& game, ParseContext& context);
  // Reads the custom data of the replay's map into the game data reader.
  void LoadCustomMap(GeneralInfo& info);
  void WriteCompData(const uint8_t* data, size_t size);
  void WriteDebugFile(const GeneralInfo& info);
  // Copies `text` into the pool.
  char* PoolText(const char* text, size_t length);
  // Counts what the pool holds, with `more` bytes held beside it, towards PeakBytes.
  void NotePeak(size_t more);

  // Blocks of the pool kept from one parse to the next (zeroed): the pages of a block that was
  // written once need not be taken from the system again. More blocks than this, which only a
  // very long game needs, go back to the system.
  static constexpr size_t kKeptPoolBlocks = 2;

  TCustomMemoryManager pool_;
  ParseState state_;
  CLog* log_ = nullptr;
  const GeneralInfo* lastInfo_ = nullptr;  // player names for the texts
  std::string errorText_;
  FILE* parserLog_ = nullptr;
  // Where the block stream of the last parsed game start record begins, for the actions-only mode.
  size_t resumePosition_ = 0;
  bool hasResumePosition_ = false;
  bool walkReachedEnd_ = false;
  size_t peakBytes_ = 0;
  // Texts are formatted here and copied into the pool at their exact length.
  char textBuffer_[8192] = {};
};

}  // namespace vantrel
