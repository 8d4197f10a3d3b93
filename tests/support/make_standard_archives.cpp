// Writes the four standard archives (war3.mpq, war3x.mpq, war3xlocal.mpq, war3Patch.mpq) from a
// folder that holds the game's "Units" tables and texts under lower-case names:
//   make-standard-archives SOURCE_DIR TARGET_DIR
#include <cstdio>
#include <exception>

#include "support/standard_archives.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: make-standard-archives SOURCE_DIR TARGET_DIR\n", stderr);
    return 2;
  }
  try {
    testsupport::WriteStandardArchivesFrom(argv[1], argv[2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-standard-archives: %s\n", error.what());
    return 1;
  }
  return 0;
}
