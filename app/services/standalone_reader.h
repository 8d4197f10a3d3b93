#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The program's own reader of a replay container: it reads the file and inflates every block,
// independently of the parser library. The program uses it as a gate before a parse (a file that
// does not inflate completely is never handed to the library) and for the two header values it
// shows, the game version and the game length.
struct StandaloneReplay {
  static constexpr size_t kHeaderBytes = 68;
  // The first 68 bytes of the replay: the 48-byte header and the 20 bytes after it.
  uint8_t HeaderBytes[kHeaderBytes] = {};
  uint32_t GameVersion = 0;
  uint32_t ReplayLength = 0;  // milliseconds
  uint16_t BuildNumber = 0;
  std::vector<uint8_t> Data;  // DecompressedSize bytes
};

struct StandaloneReadResult {
  std::unique_ptr<StandaloneReplay> replay;  // null on failure
  std::string report;                        // the diagnostic line of a failure
};

// Reads and inflates the replay file at `path`. A failure gives no replay and a diagnostic line,
// also written to standard error unless `quiet`. With `keepPartial`, a file that ends inside its
// blocks gives what was read up to there.
StandaloneReadResult ReadReplayFile(const std::string& path, bool keepPartial = false,
                                    bool quiet = false);
