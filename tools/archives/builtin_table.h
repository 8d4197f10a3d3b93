#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "archives/mpq_writer.h"

namespace quorvel::archives {

// One object of the built-in game data table (data/gamedata/objects.tsv).
struct BuiltinObject {
  std::string id;      // the four-character object id
  std::string kind;    // the unit table's sort code ("a1", "n1a", ...), or the table: "ability",
                       // "upgrade", "item"
  std::string name;    // the English name as the game's texts give it; may be empty
  std::string skills;  // heroes: their hero skills ("AHhb,AHds,..."); may be empty
};

// The objects of a table text: lines starting with "#" are comments, the first other line is
// the title line "id<TAB>class<TAB>name<TAB>skills", every further line one object of four
// tab-separated fields. Throws std::runtime_error naming `source` and the line of the first
// fault: a wrong title line, a wrong number of fields, an id that is not four letters or digits,
// a class that is neither a sort code nor "ability", "upgrade" or "item", a control character in
// a name, hero skills on an object outside the unit table, or an id given twice.
std::vector<BuiltinObject> ParseBuiltinTable(std::string_view text, const std::string& source);

// ParseBuiltinTable of the file at `path`.
std::vector<BuiltinObject> ReadBuiltinTable(const std::string& path);

// The game's files made of the objects, by their name inside the archives, holding only what
// the standard data read takes from them:
//   - "Units\UnitData.slk": id and sort code of the units, heroes and buildings;
//   - "Units\AbilityData.slk", "Units\UpgradeData.slk", "Units\ItemData.slk": the ids;
//   - "Units\UnitAbilities.slk": id and heroAbilList (column 6) of the objects with skills;
//   - the profile texts: a section with "Name" for every object that has a name, in the unit
//     strings of its race (first character of the sort code: a human, b orc, c night elf,
//     d undead, others neutral), "Units\NeutralAbilityStrings.txt" for abilities,
//     "Units\NeutralUpgradestrings.txt" for upgrades and "Units\ItemStrings.txt" for items
//     (abilities, upgrades and items all belong to the neutral group of the catalogue).
// Hand the result to StandardMembers for the four archives.
std::map<std::string, Bytes> BuiltinFiles(const std::vector<BuiltinObject>& objects);

}  // namespace quorvel::archives
