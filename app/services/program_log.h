#pragma once

struct CLog;

// Formats a message (printf style, at most 1023 characters) and writes it to `log` unchanged.
// Nothing happens without a log.
void LogPrintf(CLog* log, const char* format, ...) __attribute__((format(printf, 2, 3)));
