#pragma once

#include "archives/standard_archives.h"
#include "support/byte_writer.h"
#include "support/mpq_writer.h"

namespace testsupport {

// The standard archives as tools/archives writes them, shared with the build of the program's
// own game data: which file goes into which archive, under which name.
using quorvel::archives::ArchiveMembers;
using quorvel::archives::kBaseArchive;
using quorvel::archives::kExpansionArchive;
using quorvel::archives::kLocalArchive;
using quorvel::archives::kPatchArchive;
using quorvel::archives::SlkText;
using quorvel::archives::StandardMembers;
using quorvel::archives::StandardTables;
using quorvel::archives::StandardTexts;
using quorvel::archives::WriteArchives;
using quorvel::archives::WriteStandardArchivesFrom;

}  // namespace testsupport
