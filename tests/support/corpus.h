#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

// The folder of real files written by other people (../shared/corpus beside the checkout, or
// the folder named by QUORVEL_CORPUS), or "" when it is absent.
std::string CorpusDir();

// One replay row of the corpus's SOURCES.tsv: what an independent reader found in its header.
struct CorpusReplay {
  std::string file;  // path below the corpus folder
  std::string path;  // full path
  uint32_t headerVersion = 0;
  std::string product;
  uint32_t gameVersion = 0;  // as stored
  std::string versionLabel;
  uint32_t build = 0;
  uint32_t lengthMs = 0;
  uint32_t headerSize = 0;
  uint32_t blocks = 0;
};

// Test names show the file, not the bytes of the row.
void PrintTo(const CorpusReplay& replay, std::ostream* out);

// A test name made of the row's file ("absent" for the row that stands for a missing corpus).
std::string CorpusTestName(const CorpusReplay& replay);

// `rows`, or, when it is empty, one row without a file that stands for the absent corpus (a
// parameterised test needs a row to skip).
std::vector<CorpusReplay> OrAbsentRow(std::vector<CorpusReplay> rows);

// Every replay row, or nothing when the corpus is absent.
std::vector<CorpusReplay> CorpusReplays();

// The replays of the classic layout that the parser reads as specified: header version 1 and
// a game version from 14 to 26, or a garbage version field above that range with a classic
// build (a bot-written replay).
std::vector<CorpusReplay> ClassicCorpusReplays();

}  // namespace testsupport
