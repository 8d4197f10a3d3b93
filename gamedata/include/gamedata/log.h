#pragma once

#include <cstdint>
#include <cstdio>

// The program log: one message per line, each prefixed with the time since the log was created
// ("%d:%.2d:%.2d.%.3d: "). The file is opened for appending and closed again for every message,
// so the log is complete up to the last message whatever happens to the process. Objects of this
// class cross the library boundary by pointer (the parser library writes into the program's
// log): its layout is fixed and plain.
struct CLog {
  static constexpr size_t kMessageSize = 1024;  // a message keeps at most 1023 characters

  // Creates (or empties) the file. Raises CError "Invalid log filename." for a null name.
  explicit CLog(const char* fileName);
  CLog(const CLog&) = delete;
  CLog& operator=(const CLog&) = delete;
  ~CLog();

  // Each returns false without writing when the log is closed, else true (also when the file
  // could not be opened: then the message is lost). Messages carry their own line feed.
  bool Write(const char* text);                          // the text as it is
  bool WriteText(const char* format, const char* text);  // a format with one "%s"
  bool WriteNumber(const char* format, int32_t number);  // a format with one "%d"

  // Nothing is written any more.
  void Close() { Enabled = 0; }

  // Formats the prefix for `elapsed` milliseconds into `out` (at least 32 bytes).
  static void FormatPrefix(uint32_t elapsed, char* out, size_t outSize);

  FILE* File;
  uint8_t Enabled;
  char* FileName;
  char* Message;
  uint32_t StartTick;

 private:
  bool Flush();
};
