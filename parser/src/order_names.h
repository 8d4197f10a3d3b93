#pragma once

#include <cstdint>

namespace vantrel {

// The text of order number 0xD0000 + `value`, or null for a number without one.
const char* OrderName(uint16_t value);

}  // namespace vantrel
