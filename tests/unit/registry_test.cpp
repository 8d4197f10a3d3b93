#include "platform/registry.h"

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using platform::RegistryRoot;
using platform::RegistryStore;
using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::TempDir;

constexpr const char* kGameKey = "Software\\Blizzard Entertainment\\Warcraft III";
constexpr const char* kProgramKey = "Software\\Tarnwick Team\\Quorvel";
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

testsupport::Bytes Text(const std::string& text) {
  return testsupport::Bytes(text.begin(), text.end());
}

// A text with zero bytes in it.
template <size_t N>
std::string Binary(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(RegistryStore, WritesReadableKeysAndValues) {
  TempDir dir;
  const RegistryStore store(dir.File("registry.ini"));
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, "InstallPath", "/games/Warcraft III/"));
  ASSERT_TRUE(store.WriteString(kUser, kProgramKey, "Path", "C:\\Quorvel\\"));
  ASSERT_TRUE(store.WriteString(RegistryRoot::ClassesRoot, ".w3g", "", "Quorvel.Replay"));
  EXPECT_EQ(ReadText(store.file()),
            "[HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III]\n"
            "InstallPath=/games/Warcraft III/\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Tarnwick Team\\Quorvel]\n"
            "Path=C:\\\\Quorvel\\\\\n"
            "\n"
            "[HKEY_CLASSES_ROOT\\.w3g]\n"
            "=Quorvel.Replay\n");
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "InstallPath"), "/games/Warcraft III/");
  EXPECT_EQ(store.ReadString(kUser, kProgramKey, "Path"), "C:\\Quorvel\\");
  EXPECT_EQ(store.ReadString(RegistryRoot::ClassesRoot, ".w3g", ""), "Quorvel.Replay");
}

// Any text, as value or as value name, comes back exactly as it was written.
class RegistryRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(RegistryRoundTrip, ValueAndNameComeBackExactly) {
  TempDir dir;
  const std::string text = GetParam();
  const RegistryStore store(dir.File("registry.ini"));
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, "Value", text));
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, text, "named"));
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, "After", "last"));

  const RegistryStore again(store.file());
  EXPECT_EQ(again.ReadString(kUser, kGameKey, "Value"), text);
  EXPECT_EQ(again.ReadString(kUser, kGameKey, text), "named");
  EXPECT_EQ(again.ReadString(kUser, kGameKey, "After"), "last");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RegistryRoundTrip,
    ::testing::Values(std::string(""), std::string("plain"), std::string("C:\\Games\\W3\\"),
                      std::string("\\"), std::string("\\n is not a line feed"),
                      std::string("two\nlines"), std::string("crlf\r\n"), std::string("\r"),
                      std::string("a=b=c"), std::string("="), std::string("[section]"),
                      std::string("[HKEY_CURRENT_USER\\Software]"), std::string(" blanks "),
                      Binary("zero\0byte"), std::string("\\="), std::string("Игрок 😀"),
                      std::string("\xFF\xFE not UTF-8")));

TEST(RegistryStore, ReadingAMissingKeyCreatesIt) {
  TempDir dir;
  const RegistryStore store(dir.File("config/quorvel/registry.ini"));
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "InstallPath"), "");
  EXPECT_EQ(ReadText(store.file()),
            "[HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III]\n");
  // Reading an existing key changes nothing.
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "Other", "default"), "");
  EXPECT_EQ(ReadText(store.file()),
            "[HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III]\n");
}

TEST(RegistryStore, MissingValueOfAnExistingKeyReadsEmpty) {
  TempDir dir;
  const RegistryStore store(dir.File("registry.ini"));
  ASSERT_TRUE(store.WriteString(kUser, kProgramKey, "Path", "/opt/quorvel/"));
  EXPECT_EQ(store.ReadString(kUser, kProgramKey, "InstallPath", "NULL"), "");
  EXPECT_EQ(store.ReadString(kUser, kProgramKey, "", "NULL"), "");
}

TEST(RegistryStore, NamesIgnoreAsciiCaseAndRootsAreApart) {
  TempDir dir;
  const RegistryStore store(dir.File("registry.ini"));
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, "InstallPath", "/first/"));
  ASSERT_TRUE(store.WriteString(kUser, "SOFTWARE\\blizzard entertainment\\WARCRAFT iii",
                                "installpath", "/second/"));
  EXPECT_EQ(
      store.ReadString(kUser, "software\\Blizzard Entertainment\\Warcraft III", "INSTALLPATH"),
      "/second/");
  // One value, written where it was.
  EXPECT_EQ(ReadText(store.file()),
            "[HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III]\n"
            "installpath=/second/\n");
  // Letters beyond ASCII keep their case.
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, "Путь", "a"));
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "путь"), "");

  EXPECT_EQ(store.ReadString(RegistryRoot::LocalMachine, kGameKey, "InstallPath"), "");
  EXPECT_EQ(store.ReadString(RegistryRoot::ClassesRoot, kGameKey, "InstallPath"), "");
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "InstallPath"), "/second/");
}

TEST(RegistryStore, LeadingAndTrailingBackslashesNameTheSameKey) {
  TempDir dir;
  const RegistryStore store(dir.File("registry.ini"));
  ASSERT_TRUE(store.WriteString(kUser, "\\Software\\Quorvel\\", "Path", "/opt/"));
  EXPECT_EQ(store.ReadString(kUser, "Software\\Quorvel", "Path"), "/opt/");
  EXPECT_EQ(ReadText(store.file()), "[HKEY_CURRENT_USER\\Software\\Quorvel]\nPath=/opt/\n");
}

TEST(RegistryStore, InvalidKeyPathsCannotBeOpened) {
  TempDir dir;
  const RegistryStore store(dir.File("registry.ini"));
  for (const char* key : {"Software\\\\Quorvel", "Software\\Quo\nrvel", "\\\\Software", "a\\\\"}) {
    EXPECT_EQ(store.ReadString(kUser, key, "Path"), std::nullopt) << key;
    EXPECT_EQ(store.ReadString(kUser, key, "Path", "NULL"), "NULL") << key;
    EXPECT_FALSE(store.WriteString(kUser, key, "Path", "x")) << key;
  }
  EXPECT_FALSE(std::filesystem::exists(store.file()));
}

// Only a key that can neither be opened nor created gives the caller's default.
TEST(RegistryStore, StoreThatCannotBeMadeGivesTheDefault) {
  TempDir dir;
  const std::string notAFolder = dir.Write("file", Text("plain file"));
  const RegistryStore store(notAFolder + "/quorvel/registry.ini");
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "InstallPath"), std::nullopt);
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "InstallPath", "NULL"), "NULL");
  EXPECT_FALSE(store.WriteString(kUser, kGameKey, "InstallPath", "/games/"));

  const RegistryStore folderInstead(dir.path());
  EXPECT_EQ(folderInstead.ReadString(kUser, kGameKey, "InstallPath", "NULL"), "NULL");
  EXPECT_EQ(RegistryStore("").ReadString(kUser, kGameKey, "InstallPath", "NULL"), "NULL");
}

TEST(RegistryStore, ReadOnlyStoreGivesTheDefault) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TempDir dir;
  const RegistryStore store(dir.File("registry.ini"));
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, "InstallPath", "/games/"));
  std::filesystem::permissions(store.file(), std::filesystem::perms::owner_read);
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "InstallPath", "NULL"), "NULL");
  EXPECT_EQ(store.ReadString(kUser, kProgramKey, "Path", "NULL"), "NULL");
  EXPECT_FALSE(store.WriteString(kUser, kGameKey, "InstallPath", "/other/"));
  EXPECT_EQ(ReadText(store.file()),
            "[HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III]\n"
            "InstallPath=/games/\n");
}

TEST(RegistryStore, WritesKeepEveryOtherLine) {
  TempDir dir;
  const std::string before =
      "; written by hand\n"
      "[HKEY_CURRENT_USER\\Software\\Tarnwick Team\\Quorvel]\r\n"
      "Path=/opt/quorvel/\r\n"
      "a line without an equals sign\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III]\n"
      "Program=/games/war3.exe\n"
      "InstallPath=/old/\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
      "x=1";
  const RegistryStore store(dir.Write("registry.ini", Text(before)));
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, "InstallPath", "/new/"));
  ASSERT_TRUE(store.WriteString(kUser, kProgramKey, "Path", "/usr/lib/quorvel/"));
  ASSERT_TRUE(store.WriteString(kUser, kProgramKey, "Added", "yes"));
  ASSERT_TRUE(store.WriteString(RegistryRoot::LocalMachine, "Software\\Other", "y", "2"));
  EXPECT_EQ(ReadText(store.file()),
            "; written by hand\n"
            "[HKEY_CURRENT_USER\\Software\\Tarnwick Team\\Quorvel]\r\n"
            "Path=/usr/lib/quorvel/\r\n"
            "a line without an equals sign\n"
            "Added=yes\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III]\n"
            "Program=/games/war3.exe\n"
            "InstallPath=/new/\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
            "x=1\n"
            "y=2\n");
}

TEST(RegistryStore, ReplacingLeavesNoTemporaryFiles) {
  TempDir dir;
  const RegistryStore store(dir.File("registry.ini"));
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(store.WriteString(kUser, kGameKey, "Count", std::to_string(i)));
  ASSERT_EQ(store.ReadString(kUser, kGameKey, "Count"), "2");
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename(), "registry.ini");
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

TEST(RegistryStore, StoreThatIsALinkStaysOne) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("dotfiles"));
  std::filesystem::create_symlink(dir.File("dotfiles/registry.ini"), dir.File("registry.ini"));
  const RegistryStore store(dir.File("registry.ini"));
  EXPECT_EQ(store.ReadString(kUser, kGameKey, "InstallPath"), "");
  ASSERT_TRUE(store.WriteString(kUser, kGameKey, "InstallPath", "/games/"));
  EXPECT_TRUE(std::filesystem::is_symlink(store.file()));
  EXPECT_EQ(ReadText(dir.File("dotfiles/registry.ini")),
            "[HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III]\n"
            "InstallPath=/games/\n");
}

struct DamagedCase {
  const char* what;
  std::string file;
  const char* key;
  const char* name;
  std::optional<std::string> value;  // nullopt: the store cannot be opened
};

std::ostream& operator<<(std::ostream& out, const DamagedCase& c) {
  return out << c.what;
}

class DamagedStore : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedStore, ReadsWhatMakesSense) {
  TempDir dir;
  const DamagedCase& c = GetParam();
  const RegistryStore store(dir.Write("registry.ini", Text(c.file)));
  EXPECT_EQ(store.ReadString(kUser, c.key, c.name), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedStore,
    ::testing::Values(
        DamagedCase{"values_before_any_key", "InstallPath=/x/\n", kGameKey, "InstallPath", ""},
        // The values below a cut header belong to no key, not to the key before it.
        DamagedCase{"cut_header", "[HKEY_CURRENT_USER\\A]\nx=1\n[HKEY_CURRENT_USER\\B\ny=2\n", "A",
                    "y", ""},
        DamagedCase{"unknown_root", "[HKEY_USERS\\A]\nx=1\n", "A", "x", ""},
        DamagedCase{"first_line_counts",
                    "[HKEY_CURRENT_USER\\A]\nx=1\n[HKEY_CURRENT_USER\\a]\nx=2\nX=3\n", "A", "x",
                    "1"},
        DamagedCase{"windows_line_ends", "[HKEY_CURRENT_USER\\A]\r\nx=1\r\n", "A", "x", "1"},
        DamagedCase{"no_last_line_end", "[HKEY_CURRENT_USER\\A]\nx=1", "A", "x", "1"},
        DamagedCase{"unknown_escape_and_lone_backslash", "[HKEY_CURRENT_USER\\A]\nx=\\q\\\n", "A",
                    "x", "\\q\\"},
        DamagedCase{"binary_bytes",
                    Binary("\x00\x01[\xFF\x00]\n[HKEY_CURRENT_USER\\A]\nx=\x00\xFE\n\x7F"), "A",
                    "x", Binary("\x00\xFE")},
        DamagedCase{"larger_than_any_store",
                    "[HKEY_CURRENT_USER\\A]\nx=1\n" + std::string(5 * 1024 * 1024, ';'), "A", "x",
                    std::nullopt}),
    [](const ::testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.what); });

TEST(RegistryStore, DamagedFileIsRewrittenWithItsLinesKept) {
  TempDir dir;
  const std::string damaged = Binary("\x00junk\n[HKEY_CURRENT_USER\\B\nx");
  const RegistryStore store(dir.Write("registry.ini", Text(damaged)));
  ASSERT_TRUE(store.WriteString(kUser, "A", "x", "1"));
  EXPECT_EQ(ReadText(store.file()), damaged + "\n\n[HKEY_CURRENT_USER\\A]\nx=1\n");
}

struct LocationCase {
  const char* registry;
  const char* config;
  const char* home;
  const char* file;
};

TEST(RegistryStore, FileLocation) {
  const LocationCase cases[] = {
      {"/tmp/r.ini", "/cfg", "/home/me", "/tmp/r.ini"},
      {"", "/cfg", "/home/me", "/cfg/quorvel/registry.ini"},
      {nullptr, "", "/home/me", "/home/me/.config/quorvel/registry.ini"},
      {nullptr, nullptr, "/home/me", "/home/me/.config/quorvel/registry.ini"},
      // A relative XDG_CONFIG_HOME is not to be used.
      {nullptr, "cfg", "/home/me", "/home/me/.config/quorvel/registry.ini"},
      {nullptr, nullptr, nullptr, ""},
  };
  for (const LocationCase& c : cases) {
    ScopedEnv registry("QUORVEL_REGISTRY", c.registry);
    ScopedEnv config("XDG_CONFIG_HOME", c.config);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(platform::RegistryFilePath(), c.file);
    EXPECT_EQ(RegistryStore().file(), c.file);
  }
}

}  // namespace
