// libFuzzer target: see quorvel::fuzz::BlockInflation in entry_points.h.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::fuzz::BlockInflation(data, size);
  return 0;
}
