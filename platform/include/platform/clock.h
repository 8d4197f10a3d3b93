#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary fixed point (system start on most systems). Wraps around after
// about 49.7 days; callers subtract two readings in unsigned 32-bit arithmetic.
uint32_t TickCount();

}  // namespace platform
