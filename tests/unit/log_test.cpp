#include "gamedata/log.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/errors.h"
#include "platform/clock.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for every test, removed afterwards.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / ("quorvel-log-" + std::to_string(std::random_device{}()) +
                                           "-" + std::to_string(counter++) + "-" + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    path_ = (folder_ / "quorvel.log").string();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  fs::path folder_;
  std::string path_;
};

std::string Prefix(uint32_t elapsed) {
  char text[32];
  CLog::FormatPrefix(elapsed, text, sizeof text);
  return text;
}

// Length of the time prefix "H:MM:SS.mmm: " (hours 0..23) at content[pos], or 0 when there is
// none.
size_t PrefixLength(const std::string& content, size_t pos) {
  const auto digit = [&](size_t i, char highest = '9') {
    return i < content.size() && content[i] >= '0' && content[i] <= highest;
  };
  const auto at = [&](size_t i, char c) { return i < content.size() && content[i] == c; };
  if (!digit(pos)) return 0;
  size_t i = pos + 1;
  if (digit(i)) {
    if (content[pos] > '2' || (content[pos] == '2' && content[i] > '3') || content[pos] == '0') {
      return 0;
    }
    ++i;
  }
  if (!at(i, ':') || !digit(i + 1, '5') || !digit(i + 2) || !at(i + 3, ':') || !digit(i + 4, '5') ||
      !digit(i + 5) || !at(i + 6, '.') || !digit(i + 7) || !digit(i + 8) || !digit(i + 9) ||
      !at(i + 10, ':') || !at(i + 11, ' ')) {
    return 0;
  }
  return i + 12 - pos;
}

// Checks that the file holds exactly the messages, each after a well-formed time prefix.
void ExpectMessages(const std::string& content, const std::vector<std::string>& messages) {
  size_t pos = 0;
  for (const std::string& message : messages) {
    const size_t prefix = PrefixLength(content, pos);
    ASSERT_NE(prefix, 0u) << "no time prefix at " << pos << " in: " << content;
    pos += prefix;
    ASSERT_EQ(content.substr(pos, message.size()), message) << "in: " << content;
    pos += message.size();
  }
  EXPECT_EQ(pos, content.size()) << "more in the file: " << content.substr(pos);
}

struct PrefixCase {
  uint32_t elapsed;
  const char* text;
};

class LogPrefixTest : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(LogPrefixTest, FormatsHoursMinutesSecondsAndMilliseconds) {
  EXPECT_EQ(Prefix(GetParam().elapsed), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Times, LogPrefixTest,
    ::testing::Values(PrefixCase{0, "0:00:00.000: "}, PrefixCase{7, "0:00:00.007: "},
                      PrefixCase{999, "0:00:00.999: "}, PrefixCase{1000, "0:00:01.000: "},
                      PrefixCase{59999, "0:00:59.999: "}, PrefixCase{60000, "0:01:00.000: "},
                      PrefixCase{3599999, "0:59:59.999: "}, PrefixCase{3725042, "1:02:05.042: "},
                      PrefixCase{86399999, "23:59:59.999: "},
                      // Hours wrap round a day.
                      PrefixCase{86400000, "0:00:00.000: "}, PrefixCase{90061001, "1:01:01.001: "},
                      // The largest elapsed time: 1193:02:47.295.
                      PrefixCase{4294967295u, "17:02:47.295: "}));

TEST_F(LogTest, AMessageIsWrittenAfterTheTimeSinceConstruction) {
  CLog log(path_.c_str());
  EXPECT_TRUE(log.Write("General: start\n"));
  const std::string content = ReadFile(path_);
  ExpectMessages(content, {"General: start\n"});
  // The test runs in far less than an hour.
  EXPECT_EQ(content.rfind("0:", 0), 0u) << content;
}

// Moves the log's start back so that `elapsed` milliseconds have passed, writes `text` and returns
// the prefix written, checking that it belongs to an elapsed time between the readings of the
// clock just before and just after the write.
void ExpectPrefixForElapsed(CLog& log, const std::string& path, uint32_t elapsed) {
  const uint32_t now = platform::TickCount();
  log.StartTick = now - elapsed;
  ASSERT_TRUE(log.Write("x\n"));
  const uint32_t after = platform::TickCount();
  std::ifstream in(path, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t start = content.rfind('\n', content.size() - 2);
  const std::string line = content.substr(start == std::string::npos ? 0 : start + 1);
  bool found = false;
  for (uint32_t passed = 0; passed <= after - now && !found; ++passed) {
    found = line == Prefix(elapsed + passed) + "x\n";
  }
  EXPECT_TRUE(found) << "written: " << line << " expected about: " << Prefix(elapsed);
}

TEST_F(LogTest, ThePrefixCountsFromTheStartTick) {
  CLog log(path_.c_str());
  ExpectPrefixForElapsed(log, path_, 3725042);
  ExpectPrefixForElapsed(log, path_, 86400000 + 61000);
}

TEST_F(LogTest, TheElapsedTimeIsUnsignedWhenTheTickCounterWraps) {
  CLog log(path_.c_str());
  // The start lies "after" now in 32-bit terms: the difference wraps to a large elapsed time.
  ExpectPrefixForElapsed(log, path_, 0xFFFFFC18u);  // 2^32 - 1000
}

TEST_F(LogTest, MessagesAreAppendedInOrderExactlyAsFormatted) {
  CLog log(path_.c_str());
  EXPECT_TRUE(log.Write("first\n"));
  EXPECT_TRUE(log.WriteText("Map: %s loaded\n", "Maps\\FrozenThrone\\(2)EchoIsles.w3x"));
  EXPECT_TRUE(log.WriteNumber("Players: %d\n", 12));
  EXPECT_TRUE(log.WriteNumber("Offset %d.\n", -2147483647 - 1));
  EXPECT_TRUE(log.WriteText("[%s]\n", "Игрок"));
  ExpectMessages(ReadFile(path_), {"first\n", "Map: Maps\\FrozenThrone\\(2)EchoIsles.w3x loaded\n",
                                   "Players: 12\n", "Offset -2147483648.\n", "[Игрок]\n"});
}

TEST_F(LogTest, WriteTakesItsTextLiterally) {
  CLog log(path_.c_str());
  EXPECT_TRUE(log.Write("100% done %s %d %n %%\n"));
  EXPECT_TRUE(log.WriteText("%s\n", "50% %s %d"));
  ExpectMessages(ReadFile(path_), {"100% done %s %d %n %%\n", "50% %s %d\n"});
}

TEST_F(LogTest, AMessageIsCutTo1023Characters) {
  CLog log(path_.c_str());
  const std::string exact(1023, 'a');
  const std::string longer = std::string(1023, 'b') + "cut off\n";
  EXPECT_TRUE(log.Write(exact.c_str()));
  EXPECT_TRUE(log.Write(longer.c_str()));
  EXPECT_TRUE(log.WriteText("%s", longer.c_str()));
  EXPECT_TRUE(log.WriteNumber((std::string(1020, 'c') + "%d\n").c_str(), 12345));

  const std::string content = ReadFile(path_);
  ExpectMessages(content, {std::string(1023, 'a'), std::string(1023, 'b'), std::string(1023, 'b'),
                           std::string(1020, 'c') + "123"});
}

TEST_F(LogTest, ConstructionCreatesTheFile) {
  ASSERT_FALSE(fs::exists(path_));
  CLog log(path_.c_str());
  EXPECT_TRUE(fs::exists(path_));
  EXPECT_EQ(fs::file_size(path_), 0u);
  EXPECT_EQ(log.Enabled, 1);
}

TEST_F(LogTest, ConstructionEmptiesAnExistingFile) {
  WriteFile(path_, "old line\nanother old line\n");
  {
    CLog first(path_.c_str());
    EXPECT_EQ(ReadFile(path_), "");
    first.Write("from the first log\n");
  }
  CLog second(path_.c_str());
  EXPECT_EQ(ReadFile(path_), "");
  second.Write("from the second log\n");
  ExpectMessages(ReadFile(path_), {"from the second log\n"});
}

TEST_F(LogTest, TheFileNameIsCopied) {
  std::string name = path_;
  CLog log(name.c_str());
  name.assign(name.size(), 'z');
  log.Write("still here\n");
  ExpectMessages(ReadFile(path_), {"still here\n"});
}

TEST_F(LogTest, AClosedLogWritesNothingAndReturnsFalse) {
  CLog log(path_.c_str());
  ASSERT_TRUE(log.Write("before closing\n"));
  const std::string before = ReadFile(path_);

  log.Close();
  EXPECT_EQ(log.Enabled, 0);
  EXPECT_FALSE(log.Write("after\n"));
  EXPECT_FALSE(log.WriteText("after %s\n", "text"));
  EXPECT_FALSE(log.WriteNumber("after %d\n", 1));
  EXPECT_EQ(ReadFile(path_), before);
  ExpectMessages(before, {"before closing\n"});
}

TEST_F(LogTest, ANullFileNameIsRefused) {
  try {
    CLog log(nullptr);
    FAIL() << "no error raised";
  } catch (const CError& error) {
    EXPECT_STREQ(error.what(), "Invalid log filename.");
  }
}

TEST_F(LogTest, MessagesToAFileThatCannotBeOpenedAreDropped) {
  const std::string unwritable = (folder_ / "missing" / "quorvel.log").string();
  CLog log(unwritable.c_str());
  EXPECT_TRUE(log.Write("lost\n"));
  EXPECT_TRUE(log.WriteText("lost %s\n", "too"));
  EXPECT_TRUE(log.WriteNumber("lost %d\n", 3));
  EXPECT_FALSE(fs::exists(folder_ / "missing"));

  // Once the file can be opened, messages arrive again.
  fs::create_directories(folder_ / "missing");
  EXPECT_TRUE(log.Write("found\n"));
  ExpectMessages(ReadFile(unwritable), {"found\n"});
}

TEST_F(LogTest, MessagesSurviveTheLogObject) {
  {
    CLog log(path_.c_str());
    log.Write("one\n");
    // Written and closed at once: readable while the log still exists.
    ExpectMessages(ReadFile(path_), {"one\n"});
    log.Write("two\n");
  }
  ExpectMessages(ReadFile(path_), {"one\n", "two\n"});
}

}  // namespace
