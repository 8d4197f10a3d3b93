#include "gamedata/dir_list.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/errors.h"

namespace {

namespace fs = std::filesystem;

using Names = std::multiset<std::string>;

// Builds, per test, <temp>/quorvel-dirlist-.../x/Replays/ holding:
//   a.w3g (5 bytes), B.W3G, notes.txt, README, folders 2008/ (with c.w3g) and old.w3g/.
class DirListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    root_ =
        fs::temp_directory_path() / ("quorvel-dirlist-" + std::to_string(std::random_device{}()) +
                                     "-" + std::to_string(counter++));
    fs::remove_all(root_);
    replays_ = root_ / "x" / "Replays";
    fs::create_directories(replays_ / "2008");
    fs::create_directories(replays_ / "old.w3g");
    MakeFile(replays_ / "a.w3g", "12345");
    MakeFile(replays_ / "B.W3G", "");
    MakeFile(replays_ / "notes.txt", "text");
    MakeFile(replays_ / "README", "");
    MakeFile(replays_ / "2008" / "c.w3g", "");
    // The folder as the program names it: with '/' and a trailing '/'.
    replaysPath_ = replays_.generic_string() + "/";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  static void MakeFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  // Names of the entries of one kind.
  static Names NamesOfKind(const CDirList& list, int32_t kind) {
    Names names;
    for (const DirEntry& entry : list.Entries) {
      if (entry.Kind == kind) names.insert(entry.Item.name);
    }
    return names;
  }

  // Checks the counters against the entries and that every folder comes before every file.
  static void ExpectConsistent(const CDirList& list) {
    EXPECT_EQ(list.Total, static_cast<int32_t>(list.Entries.size()));
    EXPECT_EQ(list.Filled, list.Total);
    bool fileSeen = false;
    for (const DirEntry& entry : list.Entries) {
      ASSERT_TRUE(entry.Kind == DirEntry::File || entry.Kind == DirEntry::Folder) << entry.Kind;
      EXPECT_EQ(entry.Item.isDirectory, entry.Kind == DirEntry::Folder) << entry.Item.name;
      if (entry.Kind == DirEntry::File) fileSeen = true;
      EXPECT_FALSE(fileSeen && entry.Kind == DirEntry::Folder)
          << "folder after a file: " << entry.Item.name;
      EXPECT_NE(entry.Item.name, ".");
    }
  }

  static int32_t IndexOf(const CDirList& list, const std::string& name) {
    for (size_t i = 0; i < list.Entries.size(); ++i) {
      if (list.Entries[i].Item.name == name) return static_cast<int32_t>(i);
    }
    return -1;
  }

  fs::path root_;
  fs::path replays_;
  std::string replaysPath_;
};

TEST_F(DirListTest, TheDefaultMaskListsEveryFileAndNoFolder) {
  CDirList list(replaysPath_.c_str());
  EXPECT_EQ(list.Mask, "*.*");
  ExpectConsistent(list);
  EXPECT_EQ(list.Total, 4);
  EXPECT_EQ(NamesOfKind(list, DirEntry::File), (Names{"B.W3G", "README", "a.w3g", "notes.txt"}));
  EXPECT_TRUE(NamesOfKind(list, DirEntry::Folder).empty());
}

TEST_F(DirListTest, TheReplayMaskListsFoldersThenReplays) {
  CDirList list(replaysPath_.c_str());
  list.SetMask("*.w3g");
  EXPECT_EQ(list.Mask, "*.w3g");
  ExpectConsistent(list);
  EXPECT_EQ(list.Total, 5);
  EXPECT_EQ(NamesOfKind(list, DirEntry::Folder), (Names{"..", "2008", "old.w3g"}));
  // Letter case does not matter; a folder whose name matches is not a file.
  EXPECT_EQ(NamesOfKind(list, DirEntry::File), (Names{"B.W3G", "a.w3g"}));
}

struct MaskCase {
  const char* mask;  // null: the default mask
  Names files;
};

class DirListMaskTest : public DirListTest, public ::testing::WithParamInterface<MaskCase> {};

// Folders are listed only for exactly "*.w3g"; every other mask gives only the matching files.
TEST_P(DirListMaskTest, OtherMasksListOnlyMatchingFiles) {
  CDirList list(replaysPath_.c_str());
  list.SetMask(GetParam().mask);
  EXPECT_EQ(list.Mask, GetParam().mask != nullptr ? GetParam().mask : "*.*");
  ExpectConsistent(list);
  EXPECT_TRUE(NamesOfKind(list, DirEntry::Folder).empty());
  EXPECT_EQ(NamesOfKind(list, DirEntry::File), GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, DirListMaskTest,
    ::testing::Values(MaskCase{nullptr, {"B.W3G", "README", "a.w3g", "notes.txt"}},
                      MaskCase{"*.W3G", {"B.W3G", "a.w3g"}}, MaskCase{"*w3g", {"B.W3G", "a.w3g"}},
                      MaskCase{"a*.w3g", {"a.w3g"}}, MaskCase{"b*.w3g", {"B.W3G"}},
                      MaskCase{"?.w3g", {"B.W3G", "a.w3g"}},
                      MaskCase{"*", {"B.W3G", "README", "a.w3g", "notes.txt"}},
                      MaskCase{"*.txt", {"notes.txt"}}, MaskCase{"2008", {}},
                      MaskCase{"zz*.w3g", {}}));

TEST_F(DirListTest, EntriesCarryWhatTheSearchFound) {
  CDirList list(replaysPath_.c_str());
  list.SetMask("*.w3g");
  const int32_t replay = IndexOf(list, "a.w3g");
  const int32_t folder = IndexOf(list, "2008");
  ASSERT_GE(replay, 0);
  ASSERT_GE(folder, 0);
  EXPECT_EQ(list.Item(replay).Kind, DirEntry::File);
  EXPECT_EQ(list.Item(replay).Item.size, 5u);
  EXPECT_FALSE(list.Item(replay).Item.isDirectory);
  EXPECT_EQ(list.Item(folder).Kind, DirEntry::Folder);
  EXPECT_TRUE(list.Item(folder).Item.isDirectory);
}

TEST_F(DirListTest, SubPathOfFoldersAndFiles) {
  CDirList list(replaysPath_.c_str());
  list.SetMask("*.w3g");
  std::string result;

  ASSERT_TRUE(list.SubPath(IndexOf(list, ".."), result));
  EXPECT_EQ(result, (root_ / "x").generic_string() + "/");
  ASSERT_TRUE(list.SubPath(IndexOf(list, "2008"), result));
  EXPECT_EQ(result, replaysPath_ + "2008/");
  ASSERT_TRUE(list.SubPath(IndexOf(list, "old.w3g"), result));
  EXPECT_EQ(result, replaysPath_ + "old.w3g/");

  result = "unchanged";
  EXPECT_FALSE(list.SubPath(IndexOf(list, "a.w3g"), result));
  EXPECT_FALSE(list.SubPath(-1, result));
  EXPECT_FALSE(list.SubPath(list.Total, result));
}

TEST_F(DirListTest, OpeningASubPathListsThatFolder) {
  CDirList list(replaysPath_.c_str());
  list.SetMask("*.w3g");
  std::string sub;
  ASSERT_TRUE(list.SubPath(IndexOf(list, "2008"), sub));

  list.SetNewPath(sub.c_str());
  EXPECT_EQ(list.Path, sub);
  EXPECT_EQ(list.Mask, "*.w3g");  // the mask stays
  ExpectConsistent(list);
  EXPECT_EQ(NamesOfKind(list, DirEntry::Folder), (Names{".."}));
  EXPECT_EQ(NamesOfKind(list, DirEntry::File), (Names{"c.w3g"}));

  // And ".." leads back.
  std::string parent;
  ASSERT_TRUE(list.SubPath(IndexOf(list, ".."), parent));
  EXPECT_EQ(parent, replaysPath_);
}

TEST_F(DirListTest, ThePathAlwaysEndsInOneSlash) {
  const std::string bare = replays_.generic_string();
  ASSERT_NE(bare.back(), '/');
  CDirList list(bare.c_str());
  EXPECT_EQ(list.Path, bare + "/");
  EXPECT_EQ(list.Total, 4);

  list.SetNewPath(replaysPath_.c_str());
  EXPECT_EQ(list.Path, replaysPath_);
  EXPECT_EQ(list.Total, 4);

  // The SubPath of ".." from a path given without its slash.
  list.SetNewPath((bare + "/2008").c_str());
  list.SetMask("*.w3g");
  std::string parent;
  ASSERT_TRUE(list.SubPath(IndexOf(list, ".."), parent));
  EXPECT_EQ(parent, replaysPath_);
}

TEST_F(DirListTest, TheParentOfTheRootIsTheRoot) {
  CDirList list("/");
  list.SetMask("*.w3g");
  EXPECT_EQ(list.Path, "/");
  const int32_t up = IndexOf(list, "..");
  if (up < 0) GTEST_SKIP() << "the system reports no \"..\" in the root folder";
  std::string parent;
  ASSERT_TRUE(list.SubPath(up, parent));
  EXPECT_EQ(parent, "/");
}

TEST_F(DirListTest, ANullPathIsRefused) {
  try {
    CDirList list(nullptr);
    FAIL() << "no error raised";
  } catch (const CError& error) {
    EXPECT_STREQ(error.what(), "SetNewPath null pointer.");
  }

  CDirList list(replaysPath_.c_str());
  try {
    list.SetNewPath(nullptr);
    FAIL() << "no error raised";
  } catch (const CError& error) {
    EXPECT_STREQ(error.what(), "SetNewPath null pointer.");
  }
}

TEST_F(DirListTest, AFolderThatDoesNotExistGivesAnEmptyListing) {
  CDirList list(replaysPath_.c_str());
  ASSERT_EQ(list.Total, 4);

  const std::string missing = (root_ / "missing").generic_string();
  list.SetNewPath(missing.c_str());
  EXPECT_EQ(list.Path, missing + "/");
  EXPECT_EQ(list.Total, 0);
  EXPECT_EQ(list.Filled, 0);
  EXPECT_TRUE(list.Entries.empty());

  list.SetMask("*.w3g");
  EXPECT_EQ(list.Total, 0);
  std::string result;
  EXPECT_FALSE(list.SubPath(0, result));
}

TEST_F(DirListTest, AnEmptyFolderWithTheReplayMaskListsOnlyItsParent) {
  fs::create_directories(root_ / "empty");
  CDirList list((root_ / "empty").generic_string().c_str());
  EXPECT_EQ(list.Total, 0);
  list.SetMask("*.w3g");
  ExpectConsistent(list);
  EXPECT_EQ(NamesOfKind(list, DirEntry::Folder), (Names{".."}));
  EXPECT_EQ(list.Total, 1);
}

TEST_F(DirListTest, ANewListingReplacesTheOldOne) {
  CDirList list(replaysPath_.c_str());
  list.SetMask("*.w3g");
  ASSERT_EQ(list.Total, 5);

  // The folder changed on disk: listing it again shows the change.
  fs::remove(replays_ / "a.w3g");
  fs::create_directories(replays_ / "2009");
  list.SetMask("*.w3g");
  ExpectConsistent(list);
  EXPECT_EQ(NamesOfKind(list, DirEntry::Folder), (Names{"..", "2008", "2009", "old.w3g"}));
  EXPECT_EQ(NamesOfKind(list, DirEntry::File), (Names{"B.W3G"}));

  list.Clear();
  EXPECT_EQ(list.Total, 0);
  EXPECT_TRUE(list.Entries.empty());
}

}  // namespace
