#include "value_names.h"

#include <initializer_list>

#include "gamedata/log.h"

namespace vantrel {
namespace {

struct Name {
  int32_t value;
  const char* text;
};

// Looks `value` up; an unknown one gives `fallback` and, when `logFormat` is given, a log line.
const char* Lookup(std::initializer_list<Name> names, int32_t value, const char* fallback,
                   CLog* log = nullptr, const char* logFormat = nullptr) {
  for (const Name& name : names) {
    if (name.value == value) return name.text;
  }
  if (log != nullptr && logFormat != nullptr) log->WriteNumber(logFormat, value);
  return fallback;
}

// Most values are one byte in the records: only the low byte of the argument counts.
int32_t LowByte(int32_t value) {
  return value & 0xFF;
}

}  // namespace

const char* ChatModeName(int32_t mode) {
  return Lookup({{0, "to all"}, {1, "to allies"}, {2, "to obs"}}, mode, "to specific player");
}

const char* RaceSelectModeName(int32_t mode, CLog* log) {
  return Lookup({{0, "Team and race selectable"},
                 {1, "Team not selectable"},
                 {3, "Team and race not selectable"},
                 {4, "Races fixed to random"},
                 {204, "Automated match making (ladder)"}},
                LowByte(mode), "Unknown", log, "Library: ERROR: unknown select mode: %d\n");
}

const char* GameSpeedName(int32_t speed, CLog* log) {
  return Lookup({{1, "Slow"}, {2, "Normal"}, {3, "Fast"}}, LowByte(speed), "Unknown", log,
                "Library: ERROR: unknown game speed: %d\n");
}

const char* ObserversName(int32_t observers, CLog* log) {
  return Lookup({{0, "Disabled"}, {2, "Obs on defeat"}, {3, "On"}, {4, "Referees"}},
                LowByte(observers), "Unknown", log, "Library: ERROR: unknown obs value: %d\n");
}

const char* VisibilityName(int32_t visibility, CLog* log) {
  return Lookup({{1, "Map explored"}, {2, "No fog of war"}, {4, "Default"}, {15, "Hide terrain"}},
                LowByte(visibility), "Unknown", log,
                "Library: ERROR: unknown visibility value: %d\n");
}

const char* GameTypeName(int32_t type, CLog* log) {
  return Lookup({{1, "Ladder1on1orFFA"}, {9, "Custom"}, {13, "Single"}, {32, "TeamGameATorRT"}},
                LowByte(type), "Unknown", log, "Library: ERROR: unknown game type: %d\n");
}

const char* BoolName(int32_t value) {
  return LowByte(value) == 0 ? "False" : "True";
}

const char* EventTypeName(int32_t type) {
  return Lookup({{1, "Train unit"},
                 {2, "Summon hero"},
                 {3, "Learn skill"},
                 {4, "Buy item"},
                 {5, "Sell item"},
                 {6, "Drop item"},
                 {7, "Take item"},
                 {8, "Build"},
                 {9, "Make upgrade"}},
                LowByte(type), "Unknown");
}

const char* LeaveTypeName(int32_t reason) {
  return Lookup({{1, "Connection closed by REMOTE game"}, {12, "Connection closed by LOCAL game"}},
                reason, "Unknown value");
}

const char* SelectModeName(int32_t mode) {
  return Lookup({{1, "Add to selection"}, {2, "Remove from selection"}}, mode,
                "Unknown select mode");
}

}  // namespace vantrel
