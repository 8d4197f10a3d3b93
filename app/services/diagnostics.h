#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop.h"
#include "prompt.h"

struct CLog;

// What the screen reports, in pixels, bits and hertz.
struct ScreenFacts {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int refreshRate = 0;
};

// The facts of the system information block.
struct SystemFacts {
  ScreenFacts screen;
  std::string gameVersion;  // GameVersionText
  int processorType = 0;    // 386, 486, 586, 4000, 21064, or another number
  std::string processorName;
  std::string osName;
  int osMajor = 0;
  int osMinor = 0;
  int osBuild = 0;
  uint32_t memoryLoad = 0;  // percent
  uint64_t totalMemory = 0;
  uint64_t availableMemory = 0;
};

// Reads the facts of this machine; the screen's are the window's.
SystemFacts ReadSystemFacts(const ScreenFacts& screen, const std::string& warcraftFolder);

// Writes the "SystemInfo: " lines to `log` and returns the system information text (each line
// ending in "\r"). Without a log nothing is written and the text is empty.
std::string BuildSystemInformation(CLog* log, const SystemFacts& facts);

// The version of the game installed in `warcraftFolder` from the version resource of its
// game.dll ("1.22 (6328)", "1.21b (6300)"); "..." when there is no game.dll or no version in it.
std::string GameVersionText(const std::string& warcraftFolder);
// "1, 22, 0, 6328" -> "1.22 (6328)"; nothing when the text is not of that form.
std::optional<std::string> FormatGameVersion(std::string_view fileVersion);

// The files the program needs, relative to its folder, in the order they are checked.
const std::vector<std::string>& RequiredFiles();

// Nothing when `programFolder` + `file` exists; otherwise logs "File Control: Not found" and
// asks whether to go on. False when the user answers No: the program then ends with exit code -1.
bool CheckRequiredFile(const std::string& programFolder, const std::string& file, CLog* log,
                       Prompter& prompter);

// The address error reports are sent to.
inline constexpr char kSupportAddress[] = "bugs@quorvel.example";

// Tells the user to attach the log and opens a mail to the makers.
void ReportError(Prompter& prompter, Desktop& desktop);
