#include "services/diagnostics.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "gamedata/log.h"
#include "support/pe_writer.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace {

using testsupport::LogMessages;
using testsupport::RecordingPrompter;
using testsupport::TempDir;

SystemFacts Facts() {
  SystemFacts facts;
  facts.screen = {1920, 1080, 24, 60};
  facts.gameVersion = "1.22 (6328)";
  facts.processorType = 586;
  facts.processorName = "Test CPU 3000";
  facts.osName = "Linux";
  facts.osMajor = 6;
  facts.osMinor = 1;
  facts.osBuild = 0;
  facts.memoryLoad = 45;
  facts.totalMemory = 25769803776ull;  // 24 GiB: more than 32 bits hold
  facts.availableMemory = 1234567;
  return facts;
}

TEST(SystemInformation, LogLinesAndText) {
  TempDir dir;
  CLog log(dir.File("quorvel.log").c_str());
  const std::string text = BuildSystemInformation(&log, Facts());
  EXPECT_EQ(text,
            "\rИнформация о системе: \r"
            "WarCraft Version: 1.22 (6328)\r"
            "CPU Name: Test CPU 3000\r"
            "OS: Linux Version:6,1 build(0)\r"
            "Memory Load: 45%\r"
            "Total Memory: 25769803776 bytes\r"
            "Avail.Phys. Memory: 1234567 bytes\r");
  EXPECT_EQ(LogMessages(dir.File("quorvel.log")),
            (std::vector<std::string>{
                "General: GetSystemInfo\n",
                "SystemInfo: Screen - HORZSIZE: 1920\n",
                "SystemInfo: Screen - VERTSIZE: 1080\n",
                "SystemInfo: Screen - BITSPIXEL: 24\n",
                "SystemInfo: Screen - VREFRESH: 60\n",
                "SystemInfo: WarCraft - Version: 1.22 (6328)\n",
                "SystemInfo: CPU - Type: PROCESSOR_INTEL_PENTIUM\n",
                "SystemInfo: CPU - Name: Test CPU 3000\n",
                "SystemInfo: OS: Linux Version: 6,1 (build 0)\n",
                "SystemInfo: Memory - dwMemoryLoad: 45(%)\n",
                "SystemInfo: Memory - dwTotalPhys: 25769803776\n",
                "SystemInfo: Memory - dwAvailPhys: 1234567\n",
            }));
}

TEST(SystemInformation, WithoutALogThereIsNoText) {
  EXPECT_EQ(BuildSystemInformation(nullptr, Facts()), "");
}

TEST(SystemInformation, UnknownProcessorsAndNames) {
  TempDir dir;
  CLog log(dir.File("quorvel.log").c_str());
  SystemFacts facts = Facts();
  facts.processorType = 0;
  facts.processorName = "";
  EXPECT_NE(BuildSystemInformation(&log, facts).find("CPU Name: ...\r"), std::string::npos);
  const std::vector<std::string> lines = LogMessages(dir.File("quorvel.log"));
  EXPECT_EQ(lines[6], "SystemInfo: CPU - Type: ...\n");
  EXPECT_EQ(lines[7], "SystemInfo: CPU - Name: ...\n");
}

TEST(GameVersion, FromTheFileVersionText) {
  struct Case {
    const char* fileVersion;
    const char* text;  // null: not of the form of four numbers
  };
  const Case cases[] = {
      {"1, 22, 0, 6328", "1.22 (6328)"},
      {"1, 21, 1, 6300", "1.21b (6300)"},
      {"1, 26, 0, 6401 (release)", "1.26 (6401)"},
      {"1, 24, 4, 6387", "1.24e (6387)"},
      {"1, 27, 30, 52240", "1.27 (52240)"},  // no letter beyond z
      {"1.22.0.6328", nullptr},
      {"1, 22, 0", nullptr},
      {"1, x, 0, 6328", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> text = FormatGameVersion(c.fileVersion);
    if (c.text == nullptr) {
      EXPECT_EQ(text, std::nullopt) << c.fileVersion;
    } else {
      EXPECT_EQ(text, c.text) << c.fileVersion;
    }
  }
}

TEST(GameVersion, FromTheGameDllOfTheGameFolder) {
  TempDir dir;
  dir.Write("game.dll", testsupport::PeFile(testsupport::PeImage{}));
  EXPECT_EQ(GameVersionText(dir.path()), "1.22 (6328)");
  EXPECT_EQ(GameVersionText(dir.path() + "/"), "1.22 (6328)");
  // A dll without a version resource.
  dir.Write("game.dll", testsupport::Bytes(512, 0));
  EXPECT_EQ(GameVersionText(dir.path()), "...");
}

TEST(GameVersion, WithoutGameDllItIsDots) {
  TempDir dir;
  EXPECT_EQ(GameVersionText(dir.path()), "...");
  EXPECT_EQ(GameVersionText("NULL"), "...");
}

TEST(RequiredFiles, TwoMissingFilesAskTwiceInListOrder) {
  TempDir dir;
  for (const std::string& file : RequiredFiles()) {
    if (file == "Quorvel.ini" || file == "qhint.qvh") continue;
    std::filesystem::create_directories(std::filesystem::path(dir.File(file)).parent_path());
    dir.Write(file, {});
  }
  CLog log(dir.File("quorvel.log").c_str());
  RecordingPrompter prompter;
  prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  for (const std::string& file : RequiredFiles()) {
    EXPECT_TRUE(CheckRequiredFile(dir.path(), file, &log, prompter)) << file;
  }
  ASSERT_EQ(prompter.asked.size(), 2u);
  const std::string missingIni = dir.File("Quorvel.ini");
  EXPECT_EQ(prompter.asked[0].text,
            "Отсутствует ключевой файл Анализатора реплеев. \rНе найдет файл: " + missingIni +
                "\rХотите продолжить загрузку программы?\rОтсутствие данного файла может "
                "повредить работе анализатора.");
  EXPECT_EQ(prompter.asked[0].caption, "Quorvel");
  EXPECT_EQ(prompter.asked[0].icon, PromptIcon::Warning);
  EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::YesNo);
  EXPECT_EQ(prompter.asked[0].defaultAnswer, PromptAnswer::No);
  EXPECT_NE(prompter.asked[1].text.find(dir.File("qhint.qvh")), std::string::npos);
  EXPECT_EQ(LogMessages(dir.File("quorvel.log")),
            (std::vector<std::string>{"File Control: Not found " + missingIni + "\n",
                                      "File Control: Not found " + dir.File("qhint.qvh") + "\n"}));
}

TEST(RequiredFiles, NoEndsTheStartAndNoLogStillAsks) {
  TempDir dir;
  RecordingPrompter prompter;
  prompter.answers = {PromptAnswer::No};
  EXPECT_FALSE(CheckRequiredFile(dir.path() + "/", "libvantrel.so", nullptr, prompter));
  ASSERT_EQ(prompter.asked.size(), 1u);
  EXPECT_NE(prompter.asked[0].text.find(dir.File("libvantrel.so") + "\r"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("quorvel.log")));
}

TEST(RequiredFiles, TheListNamesTheDeliveredFiles) {
  const std::vector<std::string>& files = RequiredFiles();
  ASSERT_EQ(files.size(), 32u);
  EXPECT_EQ(files.front(), "ParserData/war3xlocal.mpq");
  EXPECT_EQ(files[4], "Quorvel.ini");
  EXPECT_EQ(files[8], "Skin/Tarnwick/RacesIcon/Orcs.bmp");
  EXPECT_EQ(files.back(), "qhint.qvh");
}

TEST(ReportError, AsksToAttachTheLogAndOpensAMail) {
  RecordingPrompter prompter;
  testsupport::RecordingDesktop desktop;
  ReportError(prompter, desktop);
  ASSERT_EQ(prompter.asked.size(), 1u);
  EXPECT_EQ(prompter.asked[0].text,
            "Вложите в письмо файл quorvel.log, который находится в папке программы.");
  EXPECT_EQ(prompter.asked[0].caption, "quorvel");
  ASSERT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(desktop.opened[0],
            std::string("mailto:") + kSupportAddress +
                "?subject=quorvel_bug&body=Доброго%20времени%20суток!%20%0AХочу%20сообщить%20Вам%20"
                "об%20ошибке%20в%20программе.");
}

}  // namespace
