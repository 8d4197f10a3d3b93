#pragma once

#include <cstdint>

struct CLog;

namespace vantrel {

// Names of the coded values of the replay format. Where an unknown value is reported, the line
// goes to `log` (which may be null).
const char* ChatModeName(int32_t mode);
const char* RaceSelectModeName(int32_t mode, CLog* log);
const char* GameSpeedName(int32_t speed, CLog* log);
const char* ObserversName(int32_t observers, CLog* log);
const char* VisibilityName(int32_t visibility, CLog* log);
const char* GameTypeName(int32_t type, CLog* log);
const char* BoolName(int32_t value);
const char* EventTypeName(int32_t type);
const char* LeaveTypeName(int32_t reason);
const char* SelectModeName(int32_t mode);

}  // namespace vantrel
