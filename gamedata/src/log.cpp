#include "gamedata/log.h"

#include <cstring>

#include "gamedata/errors.h"
#include "platform/clock.h"

CLog::CLog(const char* fileName)
    : File(nullptr), Enabled(0), FileName(nullptr), Message(nullptr), StartTick(0) {
  if (fileName == nullptr) throw CError("Invalid log filename.");
  StartTick = platform::TickCount();
  Message = new char[kMessageSize]();
  Enabled = 1;
  const size_t length = std::strlen(fileName);
  FileName = new char[length + 1];
  std::memcpy(FileName, fileName, length + 1);
  // Every log object starts a new file.
  if (FILE* file = std::fopen(FileName, "wb")) std::fclose(file);
}

CLog::~CLog() {
  Close();
  delete[] FileName;
  delete[] Message;
}

void CLog::FormatPrefix(uint32_t elapsed, char* out, size_t outSize) {
  std::snprintf(out, outSize, "%d:%.2d:%.2d.%.3d: ", static_cast<int>((elapsed / 3600000u) % 24u),
                static_cast<int>((elapsed / 60000u) % 60u),
                static_cast<int>((elapsed / 1000u) % 60u), static_cast<int>(elapsed % 1000u));
}

bool CLog::Write(const char* text) {
  if (!Enabled) return false;
  std::snprintf(Message, kMessageSize, "%s", text != nullptr ? text : "");
  return Flush();
}

bool CLog::WriteText(const char* format, const char* text) {
  if (!Enabled) return false;
  std::snprintf(Message, kMessageSize, format, text != nullptr ? text : "");
  return Flush();
}

bool CLog::WriteNumber(const char* format, int32_t number) {
  if (!Enabled) return false;
  std::snprintf(Message, kMessageSize, format, static_cast<int>(number));
  return Flush();
}

bool CLog::Flush() {
  const uint32_t elapsed = platform::TickCount() - StartTick;
  File = std::fopen(FileName, "ab");
  if (File == nullptr) return true;
  char prefix[48];
  FormatPrefix(elapsed, prefix, sizeof prefix);
  std::fputs(prefix, File);
  std::fputs(Message, File);
  std::fclose(File);
  File = nullptr;
  return true;
}
