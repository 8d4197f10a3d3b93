// libFuzzer target: see quorvel::fuzz::WineRegistry in entry_points.h.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::fuzz::WineRegistry(data, size);
  return 0;
}
