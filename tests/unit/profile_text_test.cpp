#include "gamedata/profile_text.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/memory_manager.h"
#include "support/corpus.h"
#include "support/temp_dir.h"

namespace {

// Writes every event down as "[id]" or "key=value".
class RecordingConsumer : public ProfileConsumer {
 public:
  void Section(const char* id) override { events.push_back("[" + std::string(id) + "]"); }
  void Pair(const char* key, const char* value) override {
    events.push_back(std::string(key) + "=" + value);
  }
  std::vector<std::string> events;
};

// Keeps, per section, the first value of every key, as the catalogue does.
class SectionConsumer : public ProfileConsumer {
 public:
  void Section(const char* id) override { current_ = id; }
  void Pair(const char* key, const char* value) override {
    if (!current_.empty()) sections[current_].emplace(key, value);
  }
  std::map<std::string, std::map<std::string, std::string>> sections;

 private:
  std::string current_;
};

// The bytes lie in a buffer of exactly their size, so the sanitizer build catches a read
// beyond them.
std::unique_ptr<uint8_t[]> ExactCopy(const std::string& bytes) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
  std::memcpy(copy.get(), bytes.data(), bytes.size());
  return copy;
}

std::vector<std::string> Events(const std::string& file) {
  const std::unique_ptr<uint8_t[]> bytes = ExactCopy(file);
  RecordingConsumer consumer;
  ReadProfile(bytes.get(), file.size(), consumer);
  return consumer.events;
}

std::string Decode(const std::string& text) {
  const ProfileText result = DecodeProfileText(text.c_str(), nullptr);
  return result ? std::string(result.get()) : "<null>";
}

std::string DecodeBounded(const std::string& bytes) {
  const std::unique_ptr<uint8_t[]> copy = ExactCopy(bytes);
  const ProfileText result =
      DecodeProfileText(reinterpret_cast<const char*>(copy.get()), bytes.size(), nullptr);
  return result ? std::string(result.get()) : "<null>";
}

// ---- DecodeProfileText ----

struct DecodeCase {
  const char* name;
  std::string input;
  std::string expected;
};

std::ostream& operator<<(std::ostream& out, const DecodeCase& value) {
  return out << value.name;
}

class DecodeProfileTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeProfileTextTest, ConvertsToUtf8) {
  const DecodeCase& input = GetParam();
  EXPECT_EQ(DecodeBounded(input.input), input.expected);
  // The zero-terminated form agrees wherever the input holds no zero byte.
  if (input.input.find('\0') == std::string::npos) {
    EXPECT_EQ(Decode(input.input), input.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeProfileTextTest,
    ::testing::Values(
        DecodeCase{"Ascii", "Paladin", "Paladin"},
        DecodeCase{"TrailingLineEndAndSpaces", "Paladin \r\n \n", "Paladin"},
        DecodeCase{"LeadingSpaceStays", " Paladin", " Paladin"},
        DecodeCase{"TheFirstCharacterAlwaysStays", " \r\n", " "},
        DecodeCase{"ALineEndAloneKeepsItsFirstCharacter", "\r\n", "\r"},
        DecodeCase{"Empty", "", ""},
        DecodeCase{"StopsAt0x1F",
                   "ab\x1F"
                   "cd",
                   "ab"},
        DecodeCase{"StartsWith0x1F",
                   "\x1F"
                   "cd",
                   ""},
        DecodeCase{"StopsAtAZeroByte", std::string("ab\0cd", 5), "ab"},
        DecodeCase{"TabsAndOtherControlsAreCopied", "a\tb\x01", "a\tb\x01"},
        // Well-formed UTF-8 of any script is kept as it is.
        DecodeCase{"Cyrillic", "\xD0\x9F\xD0\xB5", "\xD0\x9F\xD0\xB5"},
        DecodeCase{"Chinese", "圣骑士", "圣骑士"}, DecodeCase{"Korean", "성기사", "성기사"},
        DecodeCase{"German", "Jorn der Erlöser", "Jorn der Erlöser"},
        DecodeCase{"FourByteSequence", "\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!"},
        // Bytes that are not UTF-8 are Windows-1251 letters.
        DecodeCase{"Windows1251Word", "\xCF\xE5\xF0\xE2\xFB\xE9", "Первый"},
        DecodeCase{"Windows1251Specials", "\xA8\xB8\xB9\x88\x96\xA0", "Ёё№€–\xC2\xA0"},
        DecodeCase{"Windows1251UpperHalfOfTheTable", "\x80\x8F\x90\x9F\xA5\xB4\xBF", "ЂЏђџҐґї"},
        DecodeCase{"UndefinedByte0x98", "a\x98z", "a\xEF\xBF\xBDz"},
        DecodeCase{"OverlongTwoByteForm", "\xC1\x81", "БЃ"},
        DecodeCase{"Surrogate", "\xED\xA0\x80", "н\xC2\xA0Ђ"},
        DecodeCase{"AboveU10FFFF", "\xF4\x90\x80\x80", "фђЂЂ"},
        DecodeCase{"LeadByteWithoutContinuation", "\xD0z", "Рz"},
        DecodeCase{"ALoneContinuationByte", "\xA9x", "©x"},
        DecodeCase{"SequenceCutByTheEndOfTheText", "ab\xE5\x9C", "abењ"},
        DecodeCase{"MixedUtf8AndWindows1251", "\xD0\x9F\xE5", "Пе"}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

TEST(DecodeProfileTextLimitTest, ReadsAtMost2999Bytes) {
  EXPECT_EQ(Decode(std::string(3100, 'a')), std::string(kProfileInputLimit, 'a'));
  EXPECT_EQ(DecodeBounded(std::string(3100, 'a')), std::string(kProfileInputLimit, 'a'));
  // A Windows-1251 byte at the last place is still converted.
  EXPECT_EQ(DecodeBounded(std::string(2998, 'a') + "\xE5" + "zzz"), std::string(2998, 'a') + "е");
}

TEST(DecodeProfileTextLimitTest, NeverCutsAUtf8CharacterAtTheLimit) {
  const std::string zhe = "\xD0\x96";       // Ж, 2 bytes
  const std::string holy = "\xE5\x9C\xA3";  // 圣, 3 bytes
  const std::string smile = "\xF0\x9F\x98\x80";
  struct Case {
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {std::string(2997, 'a') + zhe + "tail", std::string(2997, 'a') + zhe},  // ends at 2999
      {std::string(2998, 'a') + zhe + "tail", std::string(2998, 'a')},
      {std::string(2997, 'a') + holy + "tail", std::string(2997, 'a')},
      {std::string(2996, 'a') + holy + "tail", std::string(2996, 'a') + holy},
      {std::string(2996, 'a') + smile + "tail", std::string(2996, 'a')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.input), c.expected) << c.input.size() << " bytes";
    EXPECT_EQ(DecodeBounded(c.input), c.expected) << c.input.size() << " bytes";
  }
}

TEST(DecodeProfileTextTest, NullTextGivesNothing) {
  TCustomMemoryManager memory;
  EXPECT_EQ(DecodeProfileText(nullptr, nullptr), nullptr);
  EXPECT_EQ(DecodeProfileText(nullptr, 5, nullptr), nullptr);
  EXPECT_EQ(DecodeProfileText(nullptr, &memory), nullptr);
}

TEST(DecodeProfileTextTest, ACopyFromAManagerBelongsToTheManager) {
  TCustomMemoryManager memory;
  ProfileText text = DecodeProfileText("\xCF\xE5 \r\n", &memory);
  ASSERT_NE(text, nullptr);
  EXPECT_FALSE(text.get_deleter().heap);
  ASSERT_NE(memory.Blocks, nullptr);
  const uint8_t* base = memory.Blocks->Base;
  const auto* pointer = reinterpret_cast<const uint8_t*>(text.get());
  EXPECT_GE(pointer, base);
  EXPECT_LT(pointer, base + memory.Blocks->Used);
  // The handle going does not free it: the text lives as long as the manager's blocks.
  const char* kept = text.get();
  text.reset();
  EXPECT_STREQ(kept, "Пе");
}

TEST(DecodeProfileTextTest, ACopyFromTheHeapIsFreedWithItsHandle) {
  // The leak checker of the sanitizer build sees a copy that is not freed.
  ProfileText text = DecodeProfileText("Paladin\n", nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text.get_deleter().heap);
  EXPECT_STREQ(text.get(), "Paladin");
}

// ---- ParseProfileLine ----

struct LineCase {
  const char* name;
  std::string line;
  ProfileLineKind kind;
  std::string key;    // for sections and pairs
  std::string value;  // for pairs
};

std::ostream& operator<<(std::ostream& out, const LineCase& value) {
  return out << value.name;
}

class ParseProfileLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseProfileLineTest, ClassifiesTheLine) {
  const LineCase& input = GetParam();
  char key[kProfileKeySize] = {};
  char value[kProfileValueSize] = {};
  ASSERT_EQ(ParseProfileLine(input.line.c_str(), key, value), input.kind);
  if (input.kind != ProfileLineKind::Nothing) {
    EXPECT_EQ(key, input.key);
  }
  if (input.kind == ProfileLineKind::Pair) {
    EXPECT_EQ(value, input.value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseProfileLineTest,
    ::testing::Values(
        LineCase{"Section", "[Hpal]\n", ProfileLineKind::Section, "Hpal", ""},
        LineCase{"SectionAtTheEndOfTheFile", "[Hpal]", ProfileLineKind::Section, "Hpal", ""},
        LineCase{"SectionWithCrLf", "[hfoo]\r\n", ProfileLineKind::Section, "hfoo", ""},
        LineCase{"SectionWithATab", "[hfoo]\t\n", ProfileLineKind::Section, "hfoo", ""},
        LineCase{"FiveCharacterSectionName", "[Hpal2]\n", ProfileLineKind::Nothing, "", ""},
        LineCase{"ThreeCharacterSectionName", "[Hpa]\n", ProfileLineKind::Nothing, "", ""},
        LineCase{"Pair", "Name=Paladin\n", ProfileLineKind::Pair, "Name", "Paladin"},
        LineCase{"PairWithCrLf", "Name=Paladin\r\n", ProfileLineKind::Pair, "Name", "Paladin"},
        LineCase{"PairAtTheEndOfTheFile", "Name=Paladin", ProfileLineKind::Pair, "Name", "Paladin"},
        LineCase{"SpacesAroundTheEqualsSign", "Name = Paladin\n", ProfileLineKind::Pair, "Name ",
                 " Paladin"},
        LineCase{"TheFirstEqualsSignSplits", "Tip=a=b\n", ProfileLineKind::Pair, "Tip", "a=b"},
        LineCase{"EmptyValue", "Requires=", ProfileLineKind::Pair, "Requires", ""},
        LineCase{"EmptyKey", "=x\n", ProfileLineKind::Pair, "", "x"},
        LineCase{"Windows1251Value", "Name=\xCF\xE0\xEB\xE0\xE4\xE8\xED\n", ProfileLineKind::Pair,
                 "Name", "Паладин"},
        LineCase{"Utf8ValueStays", "Name=圣骑士\r\n", ProfileLineKind::Pair, "Name", "圣骑士"},
        LineCase{"KeyOf29CharactersStays", std::string(29, 'k') + "=v", ProfileLineKind::Pair,
                 std::string(29, 'k'), "v"},
        LineCase{"KeyOf40CharactersIsCutTo29", std::string(40, 'k') + "=v", ProfileLineKind::Pair,
                 std::string(29, 'k'), "v"},
        LineCase{"DoubleSlashComment", "//Name=x\n", ProfileLineKind::Nothing, "", ""},
        LineCase{"SlashComment", "/Name=x\n", ProfileLineKind::Nothing, "", ""},
        LineCase{"NoEqualsSign", "Paladin\n", ProfileLineKind::Nothing, "", ""},
        LineCase{"OneCharacter", "=", ProfileLineKind::Nothing, "", ""},
        LineCase{"LineFeedOnly", "\n", ProfileLineKind::Nothing, "", ""},
        LineCase{"Empty", "", ProfileLineKind::Nothing, "", ""}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(ParseProfileLineValueTest, NullLineIsNothing) {
  char key[kProfileKeySize] = {};
  char value[kProfileValueSize] = {};
  EXPECT_EQ(ParseProfileLine(nullptr, key, value), ProfileLineKind::Nothing);
}

TEST(ParseProfileLineValueTest, ValueIsCutTo2047BytesAtACharacterBoundary) {
  const std::string zhe = "\xD0\x96";
  struct Case {
    std::string afterEquals;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {std::string(2100, 'v'), std::string(2047, 'v')},
      {std::string(2045, 'v') + zhe + "x", std::string(2045, 'v') + zhe},  // exactly 2047
      {std::string(2046, 'v') + zhe + "x", std::string(2046, 'v')},
      // Windows-1251 bytes grow to two bytes each: 1100 of them are cut after 1023 letters.
      {std::string(1100, '\xE0'),
       [] {
         std::string letters;
         for (int i = 0; i < 1023; ++i)
           letters += "а";
         return letters;
       }()},
      // Trailing blanks are removed before the cut, so a cut may end in blanks.
      {std::string(2040, 'v') + std::string(20, ' ') + "x\r\n",
       std::string(2040, 'v') + std::string(7, ' ')},
  };
  for (const Case& c : cases) {
    char key[kProfileKeySize] = {};
    char value[kProfileValueSize] = {};
    const std::string line = "Tip=" + c.afterEquals;
    ASSERT_EQ(ParseProfileLine(line.c_str(), key, value), ProfileLineKind::Pair);
    EXPECT_EQ(value, c.expected);
  }
}

// ---- ReadProfile ----

struct ProfileCase {
  const char* name;
  std::string file;
  std::vector<std::string> events;
};

std::ostream& operator<<(std::ostream& out, const ProfileCase& value) {
  return out << value.name;
}

class ReadProfileTest : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ReadProfileTest, DeliversTheEventsInFileOrder) {
  EXPECT_EQ(Events(GetParam().file), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadProfileTest,
    ::testing::Values(
        ProfileCase{"SectionAndPairs",
                    "[Hpal]\nName=Paladin\nHotkey=L\n[hfoo]\nName=Footman\n",
                    {"[Hpal]", "Name=Paladin", "Hotkey=L", "[hfoo]", "Name=Footman"}},
        ProfileCase{"LastLineWithoutLineFeed", "[Hpal]\nName=Paladin", {"[Hpal]", "Name=Paladin"}},
        ProfileCase{"CrLf", "[Hpal]\r\nName=Paladin\r\n\r\n", {"[Hpal]", "Name=Paladin"}},
        ProfileCase{
            "SectionWithTrailingTab", "[hfoo]\t\nName=Footman\n", {"[hfoo]", "Name=Footman"}},
        // No event for [Hpal2]: its pairs go to the section before.
        ProfileCase{
            "LongerSectionNameIsNoSection", "[Hpal]\n[Hpal2]\nName=x\n", {"[Hpal]", "Name=x"}},
        ProfileCase{
            "CommentsAndBlankLines", "// made by hand\n\n/Name=x\n//Name=y\n[Hpal]\n", {"[Hpal]"}},
        ProfileCase{"ByteOrderMarkBeforeTheFirstSection",
                    "\xEF\xBB\xBF[Hblm]\nName=Blood Mage\n",
                    {"[Hblm]", "Name=Blood Mage"}},
        ProfileCase{"ByteOrderMarkOnlyAtTheStart", "[Hblm]\n\xEF\xBB\xBF[Hpal]\n", {"[Hblm]"}},
        ProfileCase{"ZeroByteEndsTheLineText",
                    std::string("Name=Pal\0adin\nTip=t\n", 20),
                    {"Name=Pal", "Tip=t"}},
        ProfileCase{"NoBytes", "", {}}, ProfileCase{"OnlyALineFeed", "\n", {}},
        // A line is cut after 2999 bytes; the rest is the next line.
        ProfileCase{"LongLineIsCutAt2999",
                    "K=" + std::string(2997, 'a') + "X=y\n",
                    {"K=" + std::string(2047, 'a'), "X=y"}},
        // ... but not inside a UTF-8 character: Ж would take bytes 2999 and 3000.
        ProfileCase{"LongLineIsNotCutInsideACharacter",
                    "K=" + std::string(2996, 'a') + "\xD0\x96=z\n",
                    {"K=" + std::string(2047, 'a'), "\xD0\x96=z"}},
        // The line feed as the 3000th byte makes a line of its own.
        ProfileCase{"LineFeedAfter2999Bytes",
                    "K=" + std::string(2997, 'a') + "\nTip=t\n",
                    {"K=" + std::string(2047, 'a'), "Tip=t"}}),
    [](const ::testing::TestParamInfo<ProfileCase>& info) { return std::string(info.param.name); });

TEST(ReadProfileTest, NullDataDeliversNothing) {
  RecordingConsumer consumer;
  ReadProfile(nullptr, 10, consumer);
  EXPECT_TRUE(consumer.events.empty());
}

TEST(ReadProfileTest, EveryPrefixIsReadWithinItsBytes) {
  const std::string file =
      "\xEF\xBB\xBF[Hpal]\r\nName=Paladin\r\nTip=Pa|cffffcc00l|radin\r\n"
      "Name=\xD0\x9F\xD0\xB5 \xCF\xE5\r\n[Hpal2]\n//x=y\nArt=ReplaceableTextures\\Paladin.blp";
  for (size_t size = 0; size <= file.size(); ++size) {
    const std::vector<std::string> events = Events(file.substr(0, size));
    if (size == file.size()) {
      EXPECT_EQ(events,
                (std::vector<std::string>{"[Hpal]", "Name=Paladin", "Tip=Pa|cffffcc00l|radin",
                                          "Name=Пе Пе", "Art=ReplaceableTextures\\Paladin.blp"}));
    }
  }
}

// ---- The game's own files ----

SectionConsumer ReadCorpusProfile(const std::string& relativePath) {
  SectionConsumer consumer;
  const testsupport::Bytes bytes =
      testsupport::ReadFile(testsupport::CorpusDir() + "/" + relativePath);
  EXPECT_FALSE(bytes.empty()) << relativePath;
  ReadProfile(bytes.data(), bytes.size(), consumer);
  return consumer;
}

TEST(ReadProfileCorpusTest, EnglishHumanUnitStrings) {
  if (testsupport::CorpusDir().empty()) GTEST_SKIP() << "corpus folder ../shared/corpus is absent";
  const SectionConsumer profile =
      ReadCorpusProfile("w3x2lni/enUS-1.27.1/Units/humanunitstrings.txt");
  ASSERT_TRUE(profile.sections.count("Hpal"));
  EXPECT_EQ(profile.sections.at("Hpal").at("Name"), "Paladin");
  EXPECT_EQ(profile.sections.at("Hpal").at("Hotkey"), "L");
  EXPECT_EQ(profile.sections.at("Hblm").at("Name"), "Blood Mage");  // the first section
  EXPECT_EQ(profile.sections.at("hfoo").at("Name"), "Footman");
}

TEST(ReadProfileCorpusTest, EnglishFileWithAByteOrderMarkKeepsItsFirstSection) {
  if (testsupport::CorpusDir().empty()) GTEST_SKIP() << "corpus folder ../shared/corpus is absent";
  const std::string path = "w3x2lni/enUS-1.27.1/Units/itemstrings.txt";
  const testsupport::Bytes bytes = testsupport::ReadFile(testsupport::CorpusDir() + "/" + path);
  ASSERT_GE(bytes.size(), 4u);
  ASSERT_EQ(bytes[0], 0xEF);  // the file begins with a byte order mark
  RecordingConsumer consumer;
  ReadProfile(bytes.data(), bytes.size(), consumer);
  ASSERT_FALSE(consumer.events.empty());
  EXPECT_EQ(consumer.events.front().front(), '[');
  EXPECT_EQ(consumer.events.front().size(), 6u);
}

TEST(ReadProfileCorpusTest, ChineseNamesComeThroughUnchanged) {
  if (testsupport::CorpusDir().empty()) GTEST_SKIP() << "corpus folder ../shared/corpus is absent";
  const SectionConsumer profile =
      ReadCorpusProfile("w3x2lni/zhCN-1.24.4/Units/humanunitstrings.txt");
  ASSERT_TRUE(profile.sections.count("Hblm"));  // behind the byte order mark
  ASSERT_TRUE(profile.sections.count("Hpal"));
  EXPECT_EQ(profile.sections.at("Hpal").at("Name"), "圣骑士");
  EXPECT_EQ(profile.sections.at("Hpal").at("Tip"), "召唤圣骑士(|cffffcc00L|r)");
}

TEST(ReadProfileCorpusTest, GermanFileWithCrLf) {
  if (testsupport::CorpusDir().empty()) GTEST_SKIP() << "corpus folder ../shared/corpus is absent";
  const SectionConsumer profile = ReadCorpusProfile("wc3libs/deDE/Units/HumanUnitStrings.txt");
  ASSERT_TRUE(profile.sections.count("Hpal"));
  const auto& paladin = profile.sections.at("Hpal");
  EXPECT_EQ(paladin.at("Name"), "Paladin");
  EXPECT_EQ(paladin.at("Tip"), "Pa|cffffcc00l|radin beschwören");
  EXPECT_NE(paladin.at("Propernames").find("Jorn der Erlöser,"), std::string::npos);
  for (const auto& [section, pairs] : profile.sections) {
    for (const auto& [key, value] : pairs) {
      EXPECT_EQ(key.find('\r'), std::string::npos) << section << " " << key;
      if (value.size() > 1) {
        EXPECT_NE(value.back(), '\r') << section << " " << key;
      }
    }
  }
}

}  // namespace
