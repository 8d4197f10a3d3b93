// Replays every input saved in fuzz/regressions/<target>/ through the body of that fuzz target.
// Each input once made its target crash, hang, leak or allocate without bound; the test passes
// when every input runs through (the sanitizer build checks the memory accesses too).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "entry_points.h"

namespace fs = std::filesystem;

namespace quorvel::fuzz {
void PrintTo(const Target& target, std::ostream* out) {
  *out << target.name;
}
}  // namespace quorvel::fuzz

namespace {

const fs::path kRegressions = fs::path(QUORVEL_SOURCE_DIR) / "fuzz" / "regressions";

std::vector<uint8_t> Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every folder of saved inputs belongs to a target: an input saved under a misspelt name would
// otherwise never be replayed.
TEST(FuzzRegressions, EveryFolderNamesATarget) {
  ASSERT_TRUE(fs::is_directory(kRegressions));
  std::set<std::string> targets;
  for (const auto& target : quorvel::fuzz::kTargets)
    targets.emplace(target.name);
  for (const auto& entry : fs::directory_iterator(kRegressions)) {
    if (!entry.is_directory()) continue;
    EXPECT_EQ(targets.count(entry.path().filename().string()), 1u) << entry.path();
  }
}

class FuzzRegression : public testing::TestWithParam<quorvel::fuzz::Target> {};

TEST_P(FuzzRegression, SavedInputsRunThrough) {
  const fs::path folder = kRegressions / std::string(GetParam().name);
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no saved inputs for " << folder;
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    const std::vector<uint8_t> bytes = Read(input);
    ASSERT_EQ(bytes.size(), fs::file_size(input));
    GetParam().body(bytes.data(), bytes.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, testing::ValuesIn(quorvel::fuzz::kTargets),
                         [](const testing::TestParamInfo<quorvel::fuzz::Target>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
