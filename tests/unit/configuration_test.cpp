#include "settings/configuration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::TempDir;

constexpr char kGameKey[] = "Software\\Blizzard Entertainment\\Warcraft III";

// A program folder, a registry file and a game folder of one test's own.
class ConfigurationTest : public ::testing::Test {
 protected:
  ConfigurationTest()
      : program_("QUORVEL_PROGRAM_DIR", dir_.File("program").c_str()),
        registry_("QUORVEL_REGISTRY", dir_.File("registry.ini").c_str()),
        wine_("WINEPREFIX", dir_.File("no-wine").c_str()) {
    std::filesystem::create_directories(dir_.File("program"));
    std::filesystem::create_directories(dir_.File("game/replay"));
  }

  void InstallGame() {
    ASSERT_TRUE(platform::RegistryStore().WriteString(platform::RegistryRoot::CurrentUser, kGameKey,
                                                      "InstallPath", Game()));
  }
  std::string Game() const { return dir_.File("game"); }
  std::string Ini() const { return dir_.File("program/Quorvel.ini"); }
  void WriteIni(const std::string& text) const {
    dir_.Write("program/Quorvel.ini", testsupport::Bytes(text.begin(), text.end()));
  }
  QUORVEL_PROPERTY Read() const {
    QUORVEL_PROPERTY property;
    ReadConfiguration(property);
    return property;
  }

  TempDir dir_;
  ScopedEnv program_;
  ScopedEnv registry_;
  ScopedEnv wine_;
};

TEST_F(ConfigurationTest, WithoutAFileEveryKeyHasItsDefault) {
  InstallGame();
  const QUORVEL_PROPERTY p = Read();
  EXPECT_EQ(p.WarcraftFolder, Game());
  EXPECT_EQ(p.ProgramFolder, dir_.File("program"));
  EXPECT_EQ(p.ProgramFolderSlash, dir_.File("program") + "/");
  EXPECT_EQ(p.Quorvel_Template, "[{Date}]{Players}_{Map}[{Version}]");
  EXPECT_EQ(p.My_Folder, "NULL");
  EXPECT_EQ(p.Quorvel_TagPlayersTeamR, " && ");
  EXPECT_EQ(p.SkinName, "GrayPlastic");
  EXPECT_EQ(p.Quorvel_TagPlayersVersus, "-vs-");
  EXPECT_EQ(p.Quorvel_TagPlayersName, 6);
  EXPECT_EQ(p.CurrentLineWidth, 1);
  EXPECT_EQ(p.CurrentLineStyle, 0);
  EXPECT_EQ(p.Quorvel_DeleteDays, 10);
  EXPECT_FALSE(p.Quorvel_KOP3UHA);
  EXPECT_FALSE(p.parser_output);
  EXPECT_FALSE(p.parser_log);
  EXPECT_TRUE(p.Load_Skin);
  EXPECT_FALSE(p.AutoSave);
  EXPECT_FALSE(p.AutoSaveMode);
  EXPECT_FALSE(p.QMode);
  EXPECT_FALSE(p.OnlyInsideMpqMode);
  EXPECT_TRUE(p.ShowWarningDialog);
  EXPECT_FALSE(p.DoubleClickMod);
  EXPECT_EQ(p.Last_Directory, Game() + "/replay");
  EXPECT_EQ(p.w3gCleanerTypesort, 0);
  EXPECT_EQ(p.ReplaysFolder, Game() + "/replay");
  EXPECT_FALSE(p.Quorvel_w3gCleaner);
  EXPECT_EQ(p.Sort_Directory, Game() + "/replay");
  EXPECT_EQ(p.Quorvel_TypeSort, 1);
  EXPECT_EQ(p.Collection_Folder, "");
  EXPECT_TRUE(p.UseCollection);
  EXPECT_FALSE(p.AutoAddInCollection);
  EXPECT_TRUE(p.ShowHintInFileChooser);
  EXPECT_EQ(p.Ladder_Host, "classic.battle.net");
  // Reading does not make the file.
  EXPECT_FALSE(std::filesystem::exists(Ini()));
}

TEST_F(ConfigurationTest, TheDeliveredFileHoldsTheDefaults) {
  InstallGame();
  // Both records written out alike must give the same file.
  const auto writtenText = [&](QUORVEL_PROPERTY p, const std::string& name) {
    p.IniFile = std::make_shared<IniFile>(dir_.File(name));
    EXPECT_TRUE(WriteConfiguration(p));
    return ReadText(dir_.File(name));
  };
  const std::string defaults = writtenText(Read(), "defaults.ini");
  std::filesystem::copy_file(QUORVEL_SOURCE_DIR "/data/Quorvel.ini", Ini());
  EXPECT_EQ(writtenText(Read(), "delivered.ini"), defaults);
}

TEST_F(ConfigurationTest, ReplaysAndSortFolders) {
  InstallGame();
  std::filesystem::create_directories(dir_.File("sorted"));
  struct Case {
    std::string replays;  // ReplaysFolder in the file
    std::string sort;     // Sort_Directory in the file
    std::string expectedReplays;
    std::string expectedSort;
  };
  const Case cases[] = {
      {"AUTO", dir_.File("sorted"), Game() + "/replay", dir_.File("sorted")},
      // Only "AUTO" exactly stands for the game's folder.
      {"auto", "", "auto", "auto"},
      {dir_.File("mine"), dir_.File("gone"), dir_.File("mine"), dir_.File("mine")},
      {"AUTO", dir_.File("gone"), Game() + "/replay", Game() + "/replay"},
  };
  for (const Case& c : cases) {
    WriteIni("[Quorvel]\nReplaysFolder=" + c.replays + "\nSort_Directory=" + c.sort + "\n");
    const QUORVEL_PROPERTY p = Read();
    EXPECT_EQ(p.ReplaysFolder, c.expectedReplays) << c.replays;
    EXPECT_EQ(p.Sort_Directory, c.expectedSort) << c.sort;
  }
}

TEST_F(ConfigurationTest, ValuesThatAreNotNumbersGiveTheDefault) {
  InstallGame();
  WriteIni(
      "[Quorvel]\nQuorvel_DeleteDays=ten\nQuorvel_TagPlayersName=12\nparser_log=yes\n"
      "Load_Skin=0\nAutoSave=2\n");
  const QUORVEL_PROPERTY p = Read();
  EXPECT_EQ(p.Quorvel_DeleteDays, 10);
  EXPECT_EQ(p.Quorvel_TagPlayersName, 12);
  EXPECT_FALSE(p.parser_log);
  EXPECT_FALSE(p.Load_Skin);
  EXPECT_TRUE(p.AutoSave);
}

TEST_F(ConfigurationTest, WritesEveryKeyInTheFileOrder) {
  InstallGame();
  QUORVEL_PROPERTY p = Read();
  ASSERT_TRUE(WriteConfiguration(p));
  std::vector<std::string> keys;
  const std::string text = ReadText(Ini());
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    if (line.find('=') != std::string::npos) keys.push_back(line.substr(0, line.find('=')));
    start = end + 1;
  }
  const std::vector<std::string> expected = {"Quorvel_Template",
                                             "Quorvel_TagPlayersTeamR",
                                             "Quorvel_TagPlayersVersus",
                                             "My_Folder",
                                             "SkinName",
                                             "Quorvel_TagPlayersName",
                                             "Quorvel_DeleteDays",
                                             "CurrentLineWidth",
                                             "CurrentLineStyle",
                                             "Quorvel_KOP3UHA",
                                             "parser_output",
                                             "parser_log",
                                             "Load_Skin",
                                             "AutoSave",
                                             "AutoSaveMode",
                                             "QMode",
                                             "OnlyInsideMpqMode",
                                             "ShowWarningDialog",
                                             "DoubleClickMod",
                                             "Last_Directory",
                                             "w3gCleanerTypesort",
                                             "ReplaysFolder",
                                             "Quorvel_w3gCleaner",
                                             "Sort_Directory",
                                             "Quorvel_TypeSort",
                                             "Collection_Folder",
                                             "UseCollection",
                                             "AutoAddInCollection",
                                             "ShowHintInFileChooser",
                                             "Ladder_Host"};
  EXPECT_EQ(keys, expected);
  EXPECT_NE(text.find("\nReplaysFolder=AUTO\n"), std::string::npos);
}

TEST_F(ConfigurationTest, WrittenValuesReadBack) {
  InstallGame();
  std::filesystem::create_directories(dir_.File("sorted"));
  QUORVEL_PROPERTY p = Read();
  p.Quorvel_Template = "{Players} на {Map}";
  p.Quorvel_TagPlayersTeamR = " & ";
  p.Quorvel_TagPlayersName = 12;
  p.parser_log = true;
  p.Load_Skin = false;
  p.ReplaysFolder = dir_.File("mine");
  p.Sort_Directory = dir_.File("sorted");
  p.Collection_Folder = dir_.File("collection");
  ASSERT_TRUE(WriteConfiguration(p));
  EXPECT_NE(ReadText(Ini()).find("ReplaysFolder=" + dir_.File("mine") + "\n"), std::string::npos);

  const QUORVEL_PROPERTY q = Read();
  EXPECT_EQ(q.Quorvel_Template, "{Players} на {Map}");
  EXPECT_EQ(q.Quorvel_TagPlayersTeamR, " & ");
  EXPECT_EQ(q.Quorvel_TagPlayersName, 12);
  EXPECT_TRUE(q.parser_log);
  EXPECT_FALSE(q.Load_Skin);
  EXPECT_EQ(q.ReplaysFolder, dir_.File("mine"));
  EXPECT_EQ(q.Sort_Directory, dir_.File("sorted"));
  EXPECT_EQ(q.Collection_Folder, dir_.File("collection"));
}

TEST_F(ConfigurationTest, TheDefaultActionDiffersFromMissingKeysWhereAsked) {
  InstallGame();
  QUORVEL_PROPERTY p = Read();
  p.SkinName = "Other";
  p.ReplaysFolder = dir_.File("mine");
  p.Quorvel_DeleteDays = 3;
  ApplyDefaultAction(p);
  EXPECT_EQ(p.SkinName, "GrayPlastic");
  EXPECT_EQ(p.Quorvel_DeleteDays, 10);
  EXPECT_TRUE(p.Quorvel_KOP3UHA);
  EXPECT_EQ(p.w3gCleanerTypesort, 1);
  EXPECT_TRUE(p.parser_log);
  EXPECT_EQ(p.Sort_Directory, "");
  EXPECT_EQ(p.ReplaysFolder, Game() + "/replay");
  ASSERT_TRUE(WriteConfiguration(p));
  const std::string text = ReadText(Ini());
  EXPECT_NE(text.find("\nReplaysFolder=AUTO\n"), std::string::npos);
  EXPECT_NE(text.find("\nSort_Directory=\n"), std::string::npos);
}

TEST_F(ConfigurationTest, WithoutTheGameTheKeyIsCreatedAndTheFolderIsEmpty) {
  const QUORVEL_PROPERTY p = Read();
  EXPECT_EQ(p.WarcraftFolder, "");
  EXPECT_EQ(p.ReplaysFolder, "/replay");
  EXPECT_EQ(p.Last_Directory, "/replay");
  // The read made the key.
  EXPECT_NE(ReadText(dir_.File("registry.ini")).find("Warcraft III"), std::string::npos);
}

TEST_F(ConfigurationTest, ARegistryThatCannotBeOpenedGivesNull) {
  const ScopedEnv unusable("QUORVEL_REGISTRY",
                           dir_.File("program/Quorvel.ini/x/registry.ini").c_str());
  WriteIni("[Quorvel]\n");
  EXPECT_EQ(Read().WarcraftFolder, "NULL");
  EXPECT_EQ(Read().ReplaysFolder, "NULL/replay");
}

}  // namespace
