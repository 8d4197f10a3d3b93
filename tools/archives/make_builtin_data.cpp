// Packs the built-in game data table into the four standard archives (war3.mpq, war3x.mpq,
// war3xlocal.mpq, war3Patch.mpq) that the program reads from its ParserData folder when no game
// is installed:
//   make-builtin-data TABLE TARGET_DIR
#include <cstdio>
#include <exception>

#include "archives/builtin_table.h"
#include "archives/standard_archives.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: make-builtin-data TABLE TARGET_DIR\n", stderr);
    return 2;
  }
  try {
    namespace archives = quorvel::archives;
    archives::WriteArchives(
        argv[2],
        archives::StandardMembers(archives::BuiltinFiles(archives::ReadBuiltinTable(argv[1]))));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-builtin-data: %s\n", error.what());
    return 1;
  }
  return 0;
}
