#include "platform/wildcard.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

struct WildcardCase {
  const char* mask;
  const char* name;
  bool matches;
};

std::ostream& operator<<(std::ostream& out, const WildcardCase& c) {
  return out << '"' << c.mask << "\" vs \"" << c.name
             << "\": " << (c.matches ? "match" : "no match");
}

class WildcardTest : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(WildcardTest, MatchesLikeTheFileSearch) {
  const WildcardCase& c = GetParam();
  EXPECT_EQ(platform::MatchWildcard(c.mask, c.name), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Literal, WildcardTest,
    ::testing::Values(WildcardCase{"a.w3g", "a.w3g", true}, WildcardCase{"a.w3g", "a.w3gx", false},
                      WildcardCase{"a.w3g", "xa.w3g", false}, WildcardCase{"a.w3g", "a.w3", false},
                      WildcardCase{"a.w3g", "b.w3g", false}, WildcardCase{"", "a", false},
                      WildcardCase{"notes", "notes", true}));

INSTANTIATE_TEST_SUITE_P(
    Star, WildcardTest,
    ::testing::Values(
        WildcardCase{"*", "anything at all.w3g", true}, WildcardCase{"*", ".hidden", true},
        WildcardCase{"**", "x", true}, WildcardCase{"*.w3g", "game.w3g", true},
        WildcardCase{"*.w3g", ".w3g", true}, WildcardCase{"*.w3g", "a.w3g.bak", false},
        WildcardCase{"*.w3g", "a.w3", false}, WildcardCase{"*.w3g", "aw3g", false},
        WildcardCase{"*.w3g", "a.b.w3g", true},
        // The quick search: the typed text followed by "*.w3g".
        WildcardCase{"Grubby*.w3g", "grubby vs moon.w3g", true},
        WildcardCase{"Grubby*.w3g", "moon vs grubby.w3g", false},
        WildcardCase{"Grubby*.w3g", "Grubby.w3g", true},
        // The replay search: "*" + text + "*.w3g".
        WildcardCase{"*vs*.w3g", "a vs b.w3g", true}, WildcardCase{"*vs*.w3g", "x-vs-y.w3g", true},
        WildcardCase{"*vs*.w3g", "versus.w3g", false}, WildcardCase{"*vs*.w3g", "vs.w3g", true},
        // The star must give back characters it took too greedily.
        WildcardCase{"*ab", "aab", true}, WildcardCase{"*ab", "abab", true},
        WildcardCase{"*ab", "abba", false}, WildcardCase{"a*b*c", "aXbYbZc", true},
        WildcardCase{"a*b*c", "aXcYb", false}, WildcardCase{"*a", "", false}));

INSTANTIATE_TEST_SUITE_P(
    DotStar, WildcardTest,
    ::testing::Values(WildcardCase{"*.*", "notes.txt", true}, WildcardCase{"*.*", "README", true},
                      WildcardCase{"*.*", ".profile", true}, WildcardCase{"*.*", "a.b.c", true},
                      WildcardCase{"*.*", "trailing.", true},
                      WildcardCase{"rep*.*", "replay", true},
                      WildcardCase{"rep*.*", "report.txt", true},
                      WildcardCase{"rep*.*", "map", false}, WildcardCase{"a.*", "a", true},
                      WildcardCase{"a.*", "ab", false}, WildcardCase{"a.*", "a.w3g", true}));

INSTANTIATE_TEST_SUITE_P(
    QuestionMark, WildcardTest,
    ::testing::Values(WildcardCase{"?.w3g", "a.w3g", true}, WildcardCase{"?.w3g", "ab.w3g", false},
                      WildcardCase{"?.w3g", ".w3g", false}, WildcardCase{"a?c", "abc", true},
                      WildcardCase{"a?c", "ac", false}, WildcardCase{"a?", "a", false},
                      WildcardCase{"???", "abc", true}, WildcardCase{"???", "abcd", false},
                      WildcardCase{"?*", "x", true}, WildcardCase{"?*", "", false},
                      // One '?' is one character, however many bytes it takes in UTF-8.
                      WildcardCase{"?.w3g", "Я.w3g", true}, WildcardCase{"??.w3g", "Я.w3g", false},
                      WildcardCase{"?.w3g", "€.w3g", true}, WildcardCase{"?.w3g", "😀.w3g", true},
                      WildcardCase{"?я?", "aяb", true}, WildcardCase{"*?", "Я", true},
                      WildcardCase{"Иг?ок*", "Игрок 1.w3g", true}));

INSTANTIATE_TEST_SUITE_P(
    LetterCase, WildcardTest,
    ::testing::Values(WildcardCase{"*.w3g", "B.W3G", true}, WildcardCase{"*.W3G", "a.w3g", true},
                      WildcardCase{"README", "readme", true}, WildcardCase{"aBc?", "AbCd", true},
                      WildcardCase{"[a]", "[A]", true}, WildcardCase{"@", "`", false},
                      WildcardCase{"[", "{", false}, WildcardCase{"z", "Z", true},
                      // Letters beyond ASCII fold too, as on the file systems of the original.
                      WildcardCase{"игрок*.w3g", "ИГРОК vs Moon.w3g", true},
                      WildcardCase{"ИГРОК*.w3g", "игрок.w3g", true},
                      WildcardCase{"ёжик*", "Ёжик.w3g", true}, WildcardCase{"Ä*", "äpfel", true},
                      WildcardCase{"я", "Я", true}, WildcardCase{"я", "ю", false},
                      WildcardCase{"я", "Ю", false}));

// Names that are not valid UTF-8 still match byte for byte and never read past their end.
INSTANTIATE_TEST_SUITE_P(BrokenUtf8, WildcardTest,
                         ::testing::Values(WildcardCase{"?", "\xD0", true},
                                           WildcardCase{"?a",
                                                        "\xD0"
                                                        "a",
                                                        true},
                                           WildcardCase{"*a",
                                                        "\xF0\x9F"
                                                        "a",
                                                        true},
                                           WildcardCase{"\xD0*", "\xD0", true}));

TEST(WildcardLongNameTest, ManyStarsAgainstALongRunFinishWithTheRightAnswer) {
  const std::string run(5000, 'a');
  EXPECT_FALSE(platform::MatchWildcard("*a*a*a*a*b", run));
  EXPECT_TRUE(platform::MatchWildcard("*a*a*a*a*b", run + "b"));
  EXPECT_FALSE(platform::MatchWildcard("*a*a*a*a*a*a*a*a*a*a*a*a*b*", run));
  EXPECT_TRUE(platform::MatchWildcard("*a*a*a*a*a*a*a*a*a*a*a*a*b*", run + "b" + run));
  EXPECT_FALSE(platform::MatchWildcard("*?*?*?*?*?*?*?*?*b", run));
  EXPECT_TRUE(platform::MatchWildcard(std::string(64, '?') + "*", run));
  EXPECT_FALSE(platform::MatchWildcard(run + "a", run));
  EXPECT_TRUE(platform::MatchWildcard(run, run));
}

}  // namespace
