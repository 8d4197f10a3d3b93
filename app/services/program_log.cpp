#include "program_log.h"

#include <cstdarg>
#include <cstdio>

#include "gamedata/log.h"

void LogPrintf(CLog* log, const char* format, ...) {
  if (log == nullptr) return;
  char message[CLog::kMessageSize];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);
  log->Write(message);
}
