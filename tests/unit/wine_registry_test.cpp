#include "platform/wine_registry.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ScopedEnv;
using testsupport::TempDir;

constexpr const char* kGameKey = "Software\\Blizzard Entertainment\\Warcraft III";

// A user.reg as Wine writes it, with the values the cases below look for.
const char kUserReg[] = R"(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win32

[Control Panel\\Desktop] 1700000000
#time=1da1b2c3d4e5f60
"InstallPath"="C:\\wrong key\\"

[Software\\Blizzard Entertainment\\Warcraft III] 1700000001
#time=1da1b2c3d4e5f61
"Program"="C:\\Program Files\\Warcraft III\\Warcraft III.exe"
"InstallPath"="C:\\Program Files\\Warcraft III\\"
"Gateways"=str(7):"8\0uswest.battle.net\0"
"Build"=dword:00001ab9
@="the default"
"Expand"=str(2):"%ProgramFiles%\\Warcraft III"
"Quoted \"name\""="say \"hi\""
"Escapes"="tab\there\nline\x41\101"
"Russian"="\x0418\x0433\x0440\x0430"
"Emoji"="\xd83d\xde00!"
"LoneHalf"="\xd83d"
"Hex4Then"="\x00e9\x0031abc"
"Unclosed"="C:\\Games
"Empty"=""

[Software\\Blizzard Entertainment\\Warcraft III\\Video] 1700000002
"InstallPath"="C:\\subkey\\"
)";

struct ValueCase {
  const char* what;
  const char* key;
  const char* name;
  std::optional<std::string> value;
};

std::ostream& operator<<(std::ostream& out, const ValueCase& c) {
  return out << c.what;
}

class WineRegistryValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(WineRegistryValue, FoundInTheFileText) {
  const ValueCase& c = GetParam();
  EXPECT_EQ(platform::FindWineRegistryString(kUserReg, c.key, c.name), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    UserReg, WineRegistryValue,
    ::testing::Values(
        ValueCase{"install_path", kGameKey, "InstallPath", "C:\\Program Files\\Warcraft III\\"},
        ValueCase{"names_ignore_case", "software\\BLIZZARD Entertainment\\warcraft iii",
                  "installpath", "C:\\Program Files\\Warcraft III\\"},
        ValueCase{"default_value", kGameKey, "", "the default"},
        ValueCase{"expandable_text_unexpanded", kGameKey, "Expand", "%ProgramFiles%\\Warcraft III"},
        ValueCase{"quotes", kGameKey, "Quoted \"name\"", "say \"hi\""},
        ValueCase{"c_hex_and_octal_escapes", kGameKey, "Escapes", "tab\there\nlineAA"},
        ValueCase{"utf16_units", kGameKey, "Russian", "Игра"},
        ValueCase{"surrogate_pair", kGameKey, "Emoji", "😀!"},
        ValueCase{"lone_surrogate", kGameKey, "LoneHalf", "\xEF\xBF\xBD"},
        ValueCase{"four_hex_digits_at_most", kGameKey, "Hex4Then", "é1abc"},
        ValueCase{"empty", kGameKey, "Empty", ""},
        ValueCase{"multiple_texts_are_not_a_string", kGameKey, "Gateways", std::nullopt},
        ValueCase{"number_is_not_a_string", kGameKey, "Build", std::nullopt},
        ValueCase{"text_not_closed", kGameKey, "Unclosed", std::nullopt},
        ValueCase{"missing_value", kGameKey, "Missing", std::nullopt},
        ValueCase{"missing_key", "Software\\Other", "InstallPath", std::nullopt},
        ValueCase{"subkey", "Software\\Blizzard Entertainment\\Warcraft III\\Video", "InstallPath",
                  "C:\\subkey\\"}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.what); });

// Every cut of the file reads as far as it goes: a value is either found whole or not at all.
TEST(WineRegistry, CutFilesGiveTheWholeValueOrNothing) {
  const std::string file = kUserReg;
  const std::string whole = "C:\\Program Files\\Warcraft III\\";
  for (size_t size = 0; size <= file.size(); ++size) {
    const std::optional<std::string> value = platform::FindWineRegistryString(
        std::string_view(file).substr(0, size), kGameKey, "InstallPath");
    if (value) {
      ASSERT_EQ(*value, whole) << size;
    }
  }
}

// A prefix with drive C: linked as Wine links it, and drive D: linked to a folder elsewhere.
class WinePrefix : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(prefix_ + "/drive_c/Program Files/Warcraft III");
    fs::create_directories(prefix_ + "/dosdevices");
    fs::create_directories(dir_.File("games"));
    fs::create_symlink("../drive_c", prefix_ + "/dosdevices/c:");
    fs::create_symlink(dir_.File("games"), prefix_ + "/dosdevices/d:");
  }

  TempDir dir_;
  const std::string prefix_ = dir_.File("prefix");
};

TEST_F(WinePrefix, WindowsPathsBecomePathsOnDisk) {
  struct Case {
    const char* windows;
    std::string expected;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Warcraft III\\", prefix_ + "/drive_c/Program Files/Warcraft III/"},
      {"c:\\Program Files\\Warcraft III", prefix_ + "/drive_c/Program Files/Warcraft III"},
      {"C:/mixed\\separators", prefix_ + "/drive_c/mixed/separators"},
      {"C:\\", prefix_ + "/drive_c/"},
      {"C:", prefix_ + "/drive_c"},
      {"D:\\Warcraft III\\", dir_.File("games") + "/Warcraft III/"},
      {"E:\\Warcraft III\\", ""},
      {"\\\\server\\share\\Warcraft III", ""},
      {"Warcraft III", ""},
      {"1:\\x", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platform::WindowsPathInWinePrefix(prefix_, c.windows), c.expected) << c.windows;
}

TEST_F(WinePrefix, DriveCWithoutLinkIsDriveC) {
  fs::remove(prefix_ + "/dosdevices/c:");
  EXPECT_EQ(platform::WindowsPathInWinePrefix(prefix_, "C:\\Games\\"), prefix_ + "/drive_c/Games/");
  fs::remove_all(prefix_ + "/dosdevices");
  EXPECT_EQ(platform::WindowsPathInWinePrefix(prefix_, "C:\\Games\\"), prefix_ + "/drive_c/Games/");
  EXPECT_EQ(platform::WindowsPathInWinePrefix(prefix_, "D:\\Games\\"), "");
}

TEST_F(WinePrefix, InstallPathOfThePrefix) {
  EXPECT_EQ(platform::InstallPathInWinePrefix(prefix_), "");  // no user.reg
  dir_.Write("prefix/user.reg", testsupport::Bytes(std::begin(kUserReg), std::end(kUserReg) - 1));
  EXPECT_EQ(platform::InstallPathInWinePrefix(prefix_),
            prefix_ + "/drive_c/Program Files/Warcraft III/");
  EXPECT_EQ(platform::ReadWineRegistryString(prefix_ + "/user.reg", kGameKey, ""), "the default");

  const std::string noGame = "WINE REGISTRY Version 2\n\n[Software\\\\Other] 1\n\"A\"=\"b\"\n";
  dir_.Write("prefix/user.reg", testsupport::Bytes(noGame.begin(), noGame.end()));
  EXPECT_EQ(platform::InstallPathInWinePrefix(prefix_), "");
  const std::string emptyPath =
      "[Software\\\\Blizzard Entertainment\\\\Warcraft III] 1\n\"InstallPath\"=\"\"\n";
  dir_.Write("prefix/user.reg", testsupport::Bytes(emptyPath.begin(), emptyPath.end()));
  EXPECT_EQ(platform::InstallPathInWinePrefix(prefix_), "");
  EXPECT_EQ(platform::InstallPathInWinePrefix(""), "");
}

TEST_F(WinePrefix, PrefixFromTheEnvironment) {
  dir_.Write("prefix/user.reg", testsupport::Bytes(std::begin(kUserReg), std::end(kUserReg) - 1));
  {
    ScopedEnv prefix("WINEPREFIX", prefix_.c_str());
    EXPECT_EQ(platform::WinePrefix(), prefix_);
    EXPECT_EQ(platform::WineInstallPath(), prefix_ + "/drive_c/Program Files/Warcraft III/");
  }
  fs::rename(prefix_, dir_.File(".wine"));
  for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
    ScopedEnv prefix("WINEPREFIX", unset);
    ScopedEnv home("HOME", dir_.path().c_str());
    EXPECT_EQ(platform::WinePrefix(), dir_.File(".wine"));
    EXPECT_EQ(platform::WineInstallPath(),
              dir_.File(".wine") + "/drive_c/Program Files/Warcraft III/");
  }
  ScopedEnv prefix("WINEPREFIX", nullptr);
  ScopedEnv home("HOME", nullptr);
  EXPECT_EQ(platform::WinePrefix(), "");
  EXPECT_EQ(platform::WineInstallPath(), "");
}

}  // namespace
