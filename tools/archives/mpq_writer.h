#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::archives {

using Bytes = std::vector<uint8_t>;

// One member of an archive: its name inside the archive (backslash-separated, as the game's
// archives store them) and its bytes.
struct MpqMember {
  std::string name;
  Bytes bytes;
};

// Writes a new MPQ archive (replacing any file there) (format version 1, as the game's own
// archives, with a listfile) at `path`, holding `members` compressed with zlib. Made with
// StormLib's create functions, so the archive is what an independent writer produces. Throws
// std::runtime_error when StormLib refuses.
void WriteMpq(const std::string& path, const std::vector<MpqMember>& members);

}  // namespace quorvel::archives
