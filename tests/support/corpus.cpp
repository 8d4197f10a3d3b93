#include "support/corpus.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

std::string CorpusDir() {
  std::string dir;
  if (const char* forced = std::getenv("QUORVEL_CORPUS"); forced != nullptr && *forced) {
    dir = forced;
  } else {
    dir = QUORVEL_CORPUS_DIR;
  }
  return std::filesystem::is_regular_file(dir + "/SOURCES.tsv") ? dir : std::string();
}

void PrintTo(const CorpusReplay& replay, std::ostream* out) {
  *out << replay.file;
}

std::string CorpusTestName(const CorpusReplay& replay) {
  std::string name = replay.file.empty() ? "absent" : replay.file;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

std::vector<CorpusReplay> OrAbsentRow(std::vector<CorpusReplay> rows) {
  if (rows.empty()) rows.push_back(CorpusReplay{});
  return rows;
}

std::vector<CorpusReplay> CorpusReplays() {
  std::vector<CorpusReplay> replays;
  const std::string dir = CorpusDir();
  if (dir.empty()) return replays;
  std::ifstream in(dir + "/SOURCES.tsv");
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream row(line);
    for (std::string cell; std::getline(row, cell, '\t');)
      cells.push_back(cell);
    if (cells.size() < 16 || cells[1] != "replay") continue;
    const auto number = [](const std::string& text) {
      return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
    };
    CorpusReplay replay;
    replay.file = cells[0];
    replay.path = dir + "/" + cells[0];
    replay.headerVersion = number(cells[8]);
    replay.product = cells[9];
    replay.gameVersion = number(cells[10]);
    replay.versionLabel = cells[11];
    replay.build = number(cells[12]);
    replay.lengthMs = number(cells[13]);
    replay.headerSize = number(cells[14]);
    replay.blocks = number(cells[15]);
    replays.push_back(replay);
  }
  return replays;
}

std::vector<CorpusReplay> ClassicCorpusReplays() {
  std::vector<CorpusReplay> classic;
  for (const CorpusReplay& replay : CorpusReplays()) {
    const bool classicVersion = replay.gameVersion >= 14 && replay.gameVersion <= 26;
    const bool botWritten = replay.versionLabel == "?" && replay.build == 6059;
    if (replay.headerVersion == 1 && (classicVersion || botWritten)) classic.push_back(replay);
  }
  return classic;
}

}  // namespace testsupport
