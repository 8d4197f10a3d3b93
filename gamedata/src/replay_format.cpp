#include "gamedata/replay_format.h"

namespace vantrel {
namespace {

constexpr uint32_t kNumberedFrom = 10000;  // 1.30 and later: 10000 + 100 * (major - 1) + minor
constexpr uint32_t kNumberedUpTo = 19999;
constexpr uint32_t kLastPlainPatch = 99;  // 1.14 ... 1.31 written as 14 ... 31

bool Readable(uint32_t gameVersion) {
  return gameVersion <= kLastPlainPatch ||
         (gameVersion >= kNumberedFrom && gameVersion <= kNumberedUpTo);
}

}  // namespace

ReplayFormat FormatOf(uint32_t gameVersion, uint16_t buildNumber) {
  ReplayFormat format;
  if (!Readable(gameVersion)) {
    // Only the build tells: from build 6089 the layout of 1.32.
    format.reforged = buildNumber >= kFirstReforgedBuild;
    format.classic = !format.reforged && buildNumber <= 6059;
    return format;
  }
  if (gameVersion >= kNumberedFrom) {
    format.major = 1 + static_cast<int>((gameVersion - kNumberedFrom) / 100);
    format.minor = static_cast<int>((gameVersion - kNumberedFrom) % 100);
  } else {
    format.minor = static_cast<int>(gameVersion);
  }
  format.classic = format.major == 1 && format.minor <= 26;
  format.reforged = format.major > 1 || format.minor >= 32;
  return format;
}

std::string VersionText(uint32_t gameVersion) {
  if (!Readable(gameVersion)) return "?";
  const ReplayFormat format = FormatOf(gameVersion, 0);
  return std::to_string(format.major) + "." + (format.major == 1 && format.minor < 10 ? "0" : "") +
         std::to_string(format.minor);
}

}  // namespace vantrel
