// Names of the coded values, and the log lines for the unknown ones.
#include <gtest/gtest.h>

#include <string>

#include "gamedata/log.h"
#include "support/temp_dir.h"
#include "value_names.h"

namespace {

using NameOf = const char* (*)(int32_t);

struct NameCase {
  const char* function;
  NameOf name;
  int32_t value;
  const char* expected;
};

const char* RaceSelect(int32_t v) {
  return vantrel::RaceSelectModeName(v, nullptr);
}
const char* Speed(int32_t v) {
  return vantrel::GameSpeedName(v, nullptr);
}
const char* Observers(int32_t v) {
  return vantrel::ObserversName(v, nullptr);
}
const char* Visibility(int32_t v) {
  return vantrel::VisibilityName(v, nullptr);
}
const char* Type(int32_t v) {
  return vantrel::GameTypeName(v, nullptr);
}

TEST(ValueNames, Table) {
  const NameCase cases[] = {
      {"chat", vantrel::ChatModeName, 0, "to all"},
      {"chat", vantrel::ChatModeName, 1, "to allies"},
      {"chat", vantrel::ChatModeName, 2, "to obs"},
      {"chat", vantrel::ChatModeName, 7, "to specific player"},
      {"chat", vantrel::ChatModeName, 256, "to specific player"},  // the whole integer counts
      {"select", RaceSelect, 0, "Team and race selectable"},
      {"select", RaceSelect, 1, "Team not selectable"},
      {"select", RaceSelect, 3, "Team and race not selectable"},
      {"select", RaceSelect, 4, "Races fixed to random"},
      {"select", RaceSelect, 204, "Automated match making (ladder)"},
      {"select", RaceSelect, 2, "Unknown"},
      {"select", RaceSelect, 256 + 4, "Races fixed to random"},
      {"speed", Speed, 1, "Slow"},
      {"speed", Speed, 2, "Normal"},
      {"speed", Speed, 3, "Fast"},
      {"speed", Speed, 0, "Unknown"},
      {"speed", Speed, 0x103, "Fast"},
      {"observers", Observers, 0, "Disabled"},
      {"observers", Observers, 2, "Obs on defeat"},
      {"observers", Observers, 3, "On"},
      {"observers", Observers, 4, "Referees"},
      {"observers", Observers, 1, "Unknown"},
      {"visibility", Visibility, 1, "Map explored"},
      {"visibility", Visibility, 2, "No fog of war"},
      {"visibility", Visibility, 4, "Default"},
      {"visibility", Visibility, 15, "Hide terrain"},
      {"visibility", Visibility, 3, "Unknown"},
      {"type", Type, 1, "Ladder1on1orFFA"},
      {"type", Type, 9, "Custom"},
      {"type", Type, 13, "Single"},
      {"type", Type, 32, "TeamGameATorRT"},
      {"type", Type, 2, "Unknown"},
      {"bool", vantrel::BoolName, 0, "False"},
      {"bool", vantrel::BoolName, 1, "True"},
      {"bool", vantrel::BoolName, 256, "False"},  // only the low byte counts
      {"bool", vantrel::BoolName, -1, "True"},
      {"event", vantrel::EventTypeName, 0, "Unknown"},
      {"event", vantrel::EventTypeName, 1, "Train unit"},
      {"event", vantrel::EventTypeName, 2, "Summon hero"},
      {"event", vantrel::EventTypeName, 3, "Learn skill"},
      {"event", vantrel::EventTypeName, 4, "Buy item"},
      {"event", vantrel::EventTypeName, 5, "Sell item"},
      {"event", vantrel::EventTypeName, 6, "Drop item"},
      {"event", vantrel::EventTypeName, 7, "Take item"},
      {"event", vantrel::EventTypeName, 8, "Build"},
      {"event", vantrel::EventTypeName, 9, "Make upgrade"},
      {"event", vantrel::EventTypeName, 10, "Unknown"},
      {"leave", vantrel::LeaveTypeName, 1, "Connection closed by REMOTE game"},
      {"leave", vantrel::LeaveTypeName, 12, "Connection closed by LOCAL game"},
      {"leave", vantrel::LeaveTypeName, 257, "Unknown value"},
      {"leave", vantrel::LeaveTypeName, 0, "Unknown value"},
      {"selection", vantrel::SelectModeName, 1, "Add to selection"},
      {"selection", vantrel::SelectModeName, 2, "Remove from selection"},
      {"selection", vantrel::SelectModeName, 258, "Unknown select mode"},
  };
  for (const NameCase& c : cases)
    EXPECT_STREQ(c.name(c.value), c.expected) << c.function << " " << c.value;
}

TEST(ValueNames, UnknownValuesAreLogged) {
  testsupport::TempDir dir;
  const std::string path = dir.File("quorvel.log");
  CLog log(path.c_str());
  EXPECT_STREQ(vantrel::GameSpeedName(0, &log), "Unknown");
  EXPECT_STREQ(vantrel::RaceSelectModeName(0x105, &log), "Unknown");
  EXPECT_STREQ(vantrel::ObserversName(1, &log), "Unknown");
  EXPECT_STREQ(vantrel::VisibilityName(0, &log), "Unknown");
  EXPECT_STREQ(vantrel::GameTypeName(0x200, &log), "Unknown");
  EXPECT_STREQ(vantrel::GameSpeedName(2, &log), "Normal");  // known values are not logged
  const std::string text = testsupport::ReadText(path);
  size_t at = 0;
  for (const char* line :
       {": Library: ERROR: unknown game speed: 0\n", ": Library: ERROR: unknown select mode: 5\n",
        ": Library: ERROR: unknown obs value: 1\n",
        ": Library: ERROR: unknown visibility value: 0\n",
        ": Library: ERROR: unknown game type: 0\n"}) {
    const size_t found = text.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << "\n" << text;
    at = found + 1;
  }
  EXPECT_EQ(text.find("unknown game speed: 2"), std::string::npos);
}

}  // namespace
