// libFuzzer target: see quorvel::fuzz::ReplayFile in entry_points.h.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::fuzz::ReplayFile(data, size);
  return 0;
}
