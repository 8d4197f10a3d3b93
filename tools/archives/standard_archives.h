#pragma once

#include <map>
#include <string>
#include <vector>

#include "archives/mpq_writer.h"
#include "gamedata/standard_layout.h"

namespace quorvel::archives {

// The four standard archives of a game folder.
using standard_layout::kBaseArchive;
using standard_layout::kExpansionArchive;
using standard_layout::kLocalArchive;
using standard_layout::kPatchArchive;

// Members of each standard archive, by archive file name.
using ArchiveMembers = std::map<std::string, std::vector<MpqMember>>;

// The tables that the standard data read takes from war3Patch.mpq ("Units\UnitData.slk", ...).
const std::vector<std::string>& StandardTables();

// The profile texts that the standard data read takes from each archive, in reading order.
const std::map<std::string, std::vector<std::string>>& StandardTexts();

// The members of the four archives for the given files (name inside the archive -> bytes): every
// profile text in the archive the reader takes it from, empty when `files` lacks it (a missing
// text would stop the read), and the tables that `files` has in war3Patch.mpq (a missing table
// only leaves its lists empty).
ArchiveMembers StandardMembers(const std::map<std::string, Bytes>& files);

// Writes the archives into `folder` (made when missing).
void WriteArchives(const std::string& folder, const ArchiveMembers& members);

// Writes the four standard archives into `target` from a folder that holds the game's "Units"
// files under lower-case names (unitdata.slk, humanunitstrings.txt, ...): each file goes into
// the archive the reader takes it from, under the name the reader asks for
// ("Units\UnitData.slk", "Units\HumanUnitStrings.txt", ...); a text the folder lacks is
// written empty.
void WriteStandardArchivesFrom(const std::string& source, const std::string& target);

// An SLK table of `rows`, each a list of cells of columns 1, 2, ... ("" leaves a cell empty).
Bytes SlkText(const std::vector<std::vector<std::string>>& rows);

}  // namespace quorvel::archives
