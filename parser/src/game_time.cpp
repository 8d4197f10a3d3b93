#include "game_time.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace vantrel {

GameTime CarryMilliseconds(GameTime time, uint32_t milliseconds) {
  int64_t ms = static_cast<int64_t>(time.Milliseconds) + milliseconds;
  int64_t seconds = time.Seconds + ms / 1000;
  int64_t minutes = time.Minutes + seconds / 60;
  time.Milliseconds = static_cast<int32_t>(ms % 1000);
  time.Seconds = static_cast<int32_t>(seconds % 60);
  time.Minutes = static_cast<int32_t>(minutes % 60);
  time.Hours = static_cast<int32_t>(time.Hours + minutes / 60);
  return time;
}

size_t FormatGameTime(const GameTime& time, char* out, size_t outSize) {
  // Every entry text begins with its time, so this runs once per entry: the normalised times of
  // a parse (0..9999 hours, fields in range) are written digit by digit, which costs a fraction
  // of snprintf. Anything else keeps the general form.
  const bool normalised = time.Hours >= 0 && time.Hours <= 9999 && time.Minutes >= 0 &&
                          time.Minutes <= 59 && time.Seconds >= 0 && time.Seconds <= 59 &&
                          time.Milliseconds >= 0 && time.Milliseconds <= 999;
  if (!normalised || outSize < 17) {
    const int written = std::snprintf(out, outSize, "%d:%.2d:%.2d.%.3d", time.Hours, time.Minutes,
                                      time.Seconds, time.Milliseconds);
    return written <= 0 || outSize == 0 ? 0 : std::min(static_cast<size_t>(written), outSize - 1);
  }
  char* at = out;
  int hours = time.Hours;
  char digits[4];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + hours % 10);
    hours /= 10;
  } while (hours > 0);
  while (count > 0)
    *at++ = digits[--count];
  *at++ = ':';
  *at++ = static_cast<char>('0' + time.Minutes / 10);
  *at++ = static_cast<char>('0' + time.Minutes % 10);
  *at++ = ':';
  *at++ = static_cast<char>('0' + time.Seconds / 10);
  *at++ = static_cast<char>('0' + time.Seconds % 10);
  *at++ = '.';
  *at++ = static_cast<char>('0' + time.Milliseconds / 100);
  *at++ = static_cast<char>('0' + time.Milliseconds / 10 % 10);
  *at++ = static_cast<char>('0' + time.Milliseconds % 10);
  *at = '\0';
  return static_cast<size_t>(at - out);
}

}  // namespace vantrel
