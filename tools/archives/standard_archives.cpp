#include "archives/standard_archives.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quorvel::archives {

namespace fs = std::filesystem;

namespace {

// --- Where the reader takes each file from: the reader's own layout ------------------------

template <size_t N>
std::vector<std::string> Names(const char* const (&names)[N]) {
  return std::vector<std::string>(std::begin(names), std::end(names));
}

const std::vector<std::string> kTables = Names(standard_layout::kTables);

// The profile texts of each archive, in the order they are read.
const std::map<std::string, std::vector<std::string>> kTexts = {
    {kPatchArchive, Names(standard_layout::kPatchTexts)},
    {kLocalArchive, Names(standard_layout::kLocalTexts)},
    {kBaseArchive, Names(standard_layout::kBaseTexts)},
    {kExpansionArchive, Names(standard_layout::kExpansionTexts)},
};

std::string Lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

const std::vector<std::string>& StandardTables() {
  return kTables;
}

const std::map<std::string, std::vector<std::string>>& StandardTexts() {
  return kTexts;
}

ArchiveMembers StandardMembers(const std::map<std::string, Bytes>& files) {
  ArchiveMembers members;
  for (const auto& [archive, names] : kTexts) {
    for (const std::string& name : names) {
      const auto found = files.find(name);
      members[archive].push_back({name, found != files.end() ? found->second : Bytes{}});
    }
  }
  for (const std::string& name : kTables) {
    if (const auto found = files.find(name); found != files.end())
      members[kPatchArchive].push_back({name, found->second});
  }
  return members;
}

void WriteArchives(const std::string& folder, const ArchiveMembers& members) {
  fs::create_directories(folder);
  for (const auto& [archive, list] : members)
    WriteMpq(folder + "/" + archive, list);
}

// The English 1.27.1 files of the corpus lack "Units\CommandStrings.txt", which thus arrives
// empty: the read stops at the first text it cannot open.
void WriteStandardArchivesFrom(const std::string& source, const std::string& target) {
  std::map<std::string, Bytes> files;
  std::vector<std::string> names = kTables;
  for (const auto& entry : kTexts)
    names.insert(names.end(), entry.second.begin(), entry.second.end());
  for (const std::string& name : names) {
    const std::string file = source + "/" + Lower(name.substr(name.find('\\') + 1));
    if (fs::is_regular_file(file)) files[name] = ReadWholeFile(file);
  }
  WriteArchives(target, StandardMembers(files));
}

Bytes SlkText(const std::vector<std::vector<std::string>>& rows) {
  size_t columns = 0;
  for (const auto& row : rows)
    columns = std::max(columns, row.size());
  std::string text =
      "ID;PWXL;N;E\nB;X" + std::to_string(columns) + ";Y" + std::to_string(rows.size()) + ";D0\n";
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      if (rows[y][x].empty()) continue;
      text += "C;X" + std::to_string(x + 1) + ";Y" + std::to_string(y + 1) + ";K\"" + rows[y][x] +
              "\"\n";
    }
  }
  text += "E\n";
  return Bytes(text.begin(), text.end());
}

}  // namespace quorvel::archives
