#pragma once

#include <cstddef>
#include <cstdint>

#include "vantrel.h"

namespace vantrel {

// `time` plus `milliseconds` by dividing, whatever the fields hold.
GameTime CarryMilliseconds(GameTime time, uint32_t milliseconds);

// `time` plus `milliseconds`, carried into seconds, minutes and hours. Times pass by value, so
// that the clock of a walk stays in registers.
inline GameTime AddedMilliseconds(GameTime time, uint32_t milliseconds) {
  // Every time slot adds its increment, nearly always less than a second to a normalised time:
  // the carries are then a few comparisons instead of divisions.
  if (milliseconds < 1000 && time.Milliseconds >= 0 && time.Milliseconds < 1000 &&
      time.Seconds >= 0 && time.Seconds < 60 && time.Minutes >= 0 && time.Minutes < 60 &&
      time.Hours < INT32_MAX) {
    time.Milliseconds += static_cast<int32_t>(milliseconds);
    if (time.Milliseconds < 1000) return time;
    time.Milliseconds -= 1000;
    if (++time.Seconds < 60) return time;
    time.Seconds = 0;
    if (++time.Minutes < 60) return time;
    time.Minutes = 0;
    ++time.Hours;
    return time;
  }
  return CarryMilliseconds(time, milliseconds);
}

// Adds `milliseconds` to `time`, carrying into seconds, minutes and hours.
inline void AddMilliseconds(GameTime& time, uint32_t milliseconds) {
  time = AddedMilliseconds(time, milliseconds);
}

// "%d:%.2d:%.2d.%.3d" (0:05:07.250) into `out`.
// Returns the length of the text written.
size_t FormatGameTime(const GameTime& time, char* out, size_t outSize);

}  // namespace vantrel
