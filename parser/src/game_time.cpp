#include "game_time.h"

#include <cstdio>

namespace vantrel {

void AddMilliseconds(GameTime& time, uint32_t milliseconds) {
  int64_t ms = static_cast<int64_t>(time.Milliseconds) + milliseconds;
  int64_t seconds = time.Seconds + ms / 1000;
  int64_t minutes = time.Minutes + seconds / 60;
  time.Milliseconds = static_cast<int32_t>(ms % 1000);
  time.Seconds = static_cast<int32_t>(seconds % 60);
  time.Minutes = static_cast<int32_t>(minutes % 60);
  time.Hours = static_cast<int32_t>(time.Hours + minutes / 60);
}

void FormatGameTime(const GameTime& time, char* out, size_t outSize) {
  std::snprintf(out, outSize, "%d:%.2d:%.2d.%.3d", time.Hours, time.Minutes, time.Seconds,
                time.Milliseconds);
}

}  // namespace vantrel
