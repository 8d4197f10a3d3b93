#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

using testsupport::ReadText;
using testsupport::TempDir;

testsupport::Bytes TextBytes(const std::string& text) {
  return testsupport::Bytes(text.begin(), text.end());
}

TEST(IniFile, ReadsLikeTheProfileFunctions) {
  TempDir dir;
  const std::string path = dir.Write("a.ini", TextBytes("\xEF\xBB\xBF; settings\r\n"
                                                        "[Other]\r\n"
                                                        "Name=other\r\n"
                                                        "[ quorvel ]\r\n"
                                                        "  Name  =  spaced value  \r\n"
                                                        "Quoted=\" && \"\r\n"
                                                        ";Hidden=1\r\n"
                                                        "Empty=\r\n"
                                                        "NoEquals\r\n"));
  const IniFile file(path);
  EXPECT_EQ(file.Read("Quorvel", "name"), "spaced value");
  EXPECT_EQ(file.Read("QUORVEL", "Quoted"), " && ");
  EXPECT_EQ(file.Read("Quorvel", "Empty"), "");
  EXPECT_EQ(file.Read("Quorvel", "Hidden"), std::nullopt);
  EXPECT_EQ(file.Read("Quorvel", "NoEquals"), std::nullopt);
  EXPECT_EQ(file.Read("Other", "Name"), "other");
  EXPECT_EQ(file.Read("Missing", "Name"), std::nullopt);
}

TEST(IniFile, IntegersAndFlagsFallBackWhenNotANumber) {
  struct Case {
    const char* value;
    int32_t integer;  // read with the fallback 10
    bool flag;        // read with the fallback true
  };
  const Case cases[] = {
      {"12", 12, true}, {" -3 ", -3, true},       {"+4", 4, true},
      {"0", 0, false},  {"abc", 10, true},        {"12abc", 10, true},
      {"", 10, true},   {"2147483648", 10, true}, {"0x10", 10, true},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const IniFile file(dir.Write("a.ini", TextBytes(std::string("[S]\nK=") + c.value + "\n")));
    EXPECT_EQ(file.ReadInteger("S", "K", 10), c.integer) << c.value;
    EXPECT_EQ(file.ReadBool("S", "K", true), c.flag) << c.value;
  }
}

TEST(IniFile, WritingKeepsTheRestOfTheFile) {
  TempDir dir;
  const std::string path = dir.Write("a.ini", TextBytes("; kept\n"
                                                        "[Quorvel]\n"
                                                        "B=old\n"
                                                        "\n"
                                                        "[Other]\n"
                                                        "B=other\n"));
  IniFile file(path);
  ASSERT_TRUE(file.Write("Quorvel", "b", "new"));
  ASSERT_TRUE(file.Write("Quorvel", "C", " && "));
  ASSERT_TRUE(file.Write("Third", "D", "Путь/папка"));
  EXPECT_EQ(ReadText(path),
            "; kept\n"
            "[Quorvel]\n"
            "b=new\n"
            "C=\" && \"\n"
            "\n"
            "[Other]\n"
            "B=other\n"
            "[Third]\n"
            "D=Путь/папка\n");
  const IniFile again(path);
  EXPECT_EQ(again.Read("Quorvel", "C"), " && ");
  EXPECT_EQ(again.Read("Third", "D"), "Путь/папка");
}

TEST(IniFile, EveryOneLineTextRoundTrips) {
  const std::string values[] = {"",   " ",   "  lead", "trail  ", "\"quoted\"",
                                "\"", "a=b", "; x",    "[s]",     "\t"};
  TempDir dir;
  IniFile file(dir.File("a.ini"));
  for (size_t i = 0; i < std::size(values); ++i) {
    ASSERT_TRUE(file.Write("S", "K" + std::to_string(i), values[i]));
  }
  const IniFile again(dir.File("a.ini"));
  for (size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(again.Read("S", "K" + std::to_string(i)), values[i]) << i;
  }
}

TEST(IniFile, AValueWithALineBreakOrAnUnwritableFileIsNotWritten) {
  TempDir dir;
  IniFile file(dir.Write("a.ini", TextBytes("[S]\nK=old\n")));
  EXPECT_FALSE(file.Write("S", "K", "two\nlines"));
  EXPECT_EQ(file.Read("S", "K"), "old");
  EXPECT_EQ(ReadText(file.path()), "[S]\nK=old\n");

  IniFile nowhere(dir.File("missing/folder/a.ini"));
  EXPECT_FALSE(nowhere.Write("S", "K", "v"));
  EXPECT_EQ(nowhere.Read("S", "K"), std::nullopt);
}

}  // namespace
