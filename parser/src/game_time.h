#pragma once

#include <cstddef>
#include <cstdint>

#include "vantrel.h"

namespace vantrel {

// Adds `milliseconds` to `time`, carrying into seconds, minutes and hours.
void AddMilliseconds(GameTime& time, uint32_t milliseconds);

// "%d:%.2d:%.2d.%.3d" (0:05:07.250) into `out`.
void FormatGameTime(const GameTime& time, char* out, size_t outSize);

}  // namespace vantrel
