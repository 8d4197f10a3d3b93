#include "archives/builtin_table.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#include "archives/standard_archives.h"

namespace quorvel::archives {

namespace {

constexpr std::string_view kTitleLine = "id\tclass\tname\tskills";
constexpr size_t kIdLength = 4;

bool IsTableKind(const std::string& kind) {
  return kind == "ability" || kind == "upgrade" || kind == "item";
}

bool IsId(std::string_view text) {
  if (text.size() != kIdLength) return false;
  for (const char c : text)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// A sort code as the unit table holds it: a lower-case letter, a digit, then letters.
bool IsSortCode(const std::string& kind) {
  if (kind.size() < 2 || !std::islower(static_cast<unsigned char>(kind[0])) ||
      !std::isdigit(static_cast<unsigned char>(kind[1])))
    return false;
  for (size_t i = 2; i < kind.size(); ++i)
    if (!std::isalpha(static_cast<unsigned char>(kind[i]))) return false;
  return true;
}

bool IsIdList(std::string_view text) {
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    if (!IsId(text.substr(start, comma - start))) return false;
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

// What is wrong with the object, or "" when nothing is.
std::string Fault(const BuiltinObject& object) {
  if (!IsId(object.id)) return "the id '" + object.id + "' is not four letters or digits";
  if (!IsTableKind(object.kind) && !IsSortCode(object.kind))
    return "the class '" + object.kind + "' is neither a sort code nor ability, upgrade or item";
  for (const char c : object.name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return "the name holds a control character";
  }
  if (!object.skills.empty()) {
    if (IsTableKind(object.kind)) return "hero skills on an object outside the unit table";
    if (!IsIdList(object.skills)) return "the skills are not ids separated by commas";
  }
  return "";
}

// The unit strings text of a sort code's race.
const char* UnitStrings(const std::string& sortCode) {
  switch (sortCode[0]) {
    case 'a':
      return "Units\\HumanUnitStrings.txt";
    case 'b':
      return "Units\\OrcUnitStrings.txt";
    case 'c':
      return "Units\\NightElfUnitStrings.txt";
    case 'd':
      return "Units\\UndeadUnitStrings.txt";
    default:
      return "Units\\NeutralUnitStrings.txt";
  }
}

const char* StringsOf(const BuiltinObject& object) {
  if (object.kind == "ability") return "Units\\NeutralAbilityStrings.txt";
  if (object.kind == "upgrade") return "Units\\NeutralUpgradestrings.txt";
  if (object.kind == "item") return "Units\\ItemStrings.txt";
  return UnitStrings(object.kind);
}

}  // namespace

std::vector<BuiltinObject> ParseBuiltinTable(std::string_view text, const std::string& source) {
  std::vector<BuiltinObject> objects;
  std::set<std::string> ids;
  bool titled = false;
  size_t number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto fail = [&](const std::string& why) {
      throw std::runtime_error(source + ":" + std::to_string(number) + ": " + why);
    };
    if (line.empty() || line.front() == '#') continue;
    if (!titled) {
      if (line != kTitleLine) fail("the title line must be: id, class, name, skills (by tabs)");
      titled = true;
      continue;
    }
    std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() != 4) fail("4 fields separated by tabs expected");
    BuiltinObject object{fields[0], fields[1], fields[2], fields[3]};
    if (const std::string why = Fault(object); !why.empty()) fail(why);
    if (!ids.insert(object.id).second) fail("the id '" + object.id + "' is given twice");
    objects.push_back(std::move(object));
  }
  if (!titled) throw std::runtime_error(source + ": no title line");
  return objects;
}

std::vector<BuiltinObject> ReadBuiltinTable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseBuiltinTable(text, path);
}

std::map<std::string, Bytes> BuiltinFiles(const std::vector<BuiltinObject>& objects) {
  std::vector<std::vector<std::string>> units{{"unitID", "sort"}};
  std::vector<std::vector<std::string>> abilities{{"alias"}};
  std::vector<std::vector<std::string>> upgrades{{"upgradeid"}};
  std::vector<std::vector<std::string>> items{{"itemID"}};
  // The reader takes column 1 (the id), 5 (abilList, left empty) and 6 (heroAbilList).
  std::vector<std::vector<std::string>> unitAbilities{
      {"unitAbilID", "", "", "", "", "heroAbilList"}};
  std::map<std::string, std::string> texts;
  for (const BuiltinObject& object : objects) {
    if (object.kind == "ability") {
      abilities.push_back({object.id});
    } else if (object.kind == "upgrade") {
      upgrades.push_back({object.id});
    } else if (object.kind == "item") {
      items.push_back({object.id});
    } else {
      units.push_back({object.id, object.kind});
      if (!object.skills.empty())
        unitAbilities.push_back({object.id, "", "", "", "", object.skills});
    }
    if (!object.name.empty())
      texts[StringsOf(object)] += "[" + object.id + "]\nName=" + object.name + "\n";
  }
  std::map<std::string, Bytes> files{
      {"Units\\UnitData.slk", SlkText(units)},
      {"Units\\AbilityData.slk", SlkText(abilities)},
      {"Units\\UpgradeData.slk", SlkText(upgrades)},
      {"Units\\ItemData.slk", SlkText(items)},
      {"Units\\UnitAbilities.slk", SlkText(unitAbilities)},
  };
  for (const auto& [name, text] : texts)
    files[name] = Bytes(text.begin(), text.end());
  return files;
}

}  // namespace quorvel::archives
