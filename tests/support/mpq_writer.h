#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archives/mpq_writer.h"
#include "support/byte_writer.h"

namespace testsupport {

// The archive writer of tools/archives, shared with the build of the program's own game data.
using quorvel::archives::MpqMember;
using quorvel::archives::WriteMpq;

// Bytes of the given size in a pattern that shows a shift or a cut: byte i is (i * 7 + seed) % 251.
Bytes PatternBytes(size_t size, uint8_t seed = 0);

}  // namespace testsupport
