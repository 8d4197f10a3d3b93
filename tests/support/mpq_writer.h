#pragma once

#include <string>
#include <vector>

#include "support/byte_writer.h"

namespace testsupport {

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

// Bytes of the given size in a pattern that shows a shift or a cut: byte i is (i * 7 + seed) % 251.
Bytes PatternBytes(size_t size, uint8_t seed = 0);

}  // namespace testsupport
