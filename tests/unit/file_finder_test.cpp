#include "services/file_finder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace {

using testsupport::TempDir;

// A label that records what the finder shows and can ask it to stop after some folders.
class TestLabel : public FinderLabel {
 public:
  int Tag() const override { return tag; }
  void ShowFolder(const std::string& folder) override {
    shown.push_back(folder);
    if (stopAfter > 0 && static_cast<int>(shown.size()) == stopAfter) tag = kStopTag;
  }
  void ProcessPendingEvents() override { ++eventRounds; }

  int tag = 0;
  int stopAfter = 0;
  int eventRounds = 0;
  std::vector<std::string> shown;
};

std::vector<std::string> Paths(const std::vector<FileRecord>& records) {
  std::vector<std::string> paths;
  for (const FileRecord& record : records)
    paths.push_back(record.Folder + record.Name);
  return paths;
}

class FileFinderTest : public ::testing::Test {
 protected:
  void File(const std::string& name) {
    std::filesystem::create_directories(std::filesystem::path(dir_.File(name)).parent_path());
    dir_.Write(name, {});
  }
  void Folder(const std::string& name) { std::filesystem::create_directories(dir_.File(name)); }
  std::string Root() const { return dir_.path() + "/"; }

  TempDir dir_;
  TestLabel label_;
};

TEST_F(FileFinderTest, MatchesOfAFolderComeBeforeThoseOfItsSubFolders) {
  File("a vs b.w3g");
  File("Old/x-vs-y.w3g");
  File("Old/other.w3g");
  File("notes.txt");
  Folder("vs.w3g");  // a folder that matches the mask is never a result
  File("vs.w3g/inner-vs-.W3G");
  const std::vector<FileRecord> found = FindFiles(dir_.path(), "*vs*.w3g", label_, true);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(Paths(found)[0], Root() + "a vs b.w3g");
  EXPECT_EQ(found[0].Name, "a vs b.w3g");
  EXPECT_EQ(found[0].Folder, Root());
  // The two sub-folders come in the order the system lists them; each one's own file follows.
  std::vector<std::string> rest = {Paths(found)[1], Paths(found)[2]};
  std::sort(rest.begin(), rest.end());
  EXPECT_EQ(rest,
            (std::vector<std::string>{Root() + "Old/x-vs-y.w3g", Root() + "vs.w3g/inner-vs-.W3G"}));
  EXPECT_EQ(label_.shown.front(), Root());
  EXPECT_EQ(label_.shown.size(), 3u);
  EXPECT_EQ(label_.eventRounds, 2);  // before each sub-folder
}

TEST_F(FileFinderTest, WithoutRecursionOnlyTheFolderItself) {
  File("one.w3g");
  File("Sub/two.w3g");
  const std::vector<FileRecord> found = FindFiles(dir_.path(), "*.w3g", label_, false);
  EXPECT_EQ(Paths(found), std::vector<std::string>{Root() + "one.w3g"});
  EXPECT_EQ(label_.shown, std::vector<std::string>{Root()});
}

TEST_F(FileFinderTest, AStopMarkSetBeforeTheCallFindsNothingAndLeavesTheLabel) {
  File("one.w3g");
  label_.tag = FinderLabel::kStopTag;
  EXPECT_TRUE(FindFiles(dir_.path(), "*.w3g", label_, true).empty());
  EXPECT_TRUE(label_.shown.empty());
}

TEST_F(FileFinderTest, AStopTakesEffectAtTheNextFolder) {
  File("one.w3g");
  File("A/two.w3g");
  File("B/three.w3g");
  label_.stopAfter = 1;  // the stop button is pressed while the first folder is searched
  EXPECT_EQ(Paths(FindFiles(dir_.path(), "*.w3g", label_, true)),
            std::vector<std::string>{Root() + "one.w3g"});
}

TEST_F(FileFinderTest, MissingFoldersAndLinksBackUpTheTree) {
  EXPECT_TRUE(FindFiles(dir_.File("missing"), "*.w3g", label_, true).empty());
  File("deep/one.w3g");
  std::filesystem::create_directory_symlink(dir_.path(), dir_.File("deep/loop"));
  const std::vector<FileRecord> found = FindFiles(dir_.path(), "*.w3g", label_, true);
  EXPECT_EQ(Paths(found), std::vector<std::string>{Root() + "deep/one.w3g"});
}

}  // namespace
