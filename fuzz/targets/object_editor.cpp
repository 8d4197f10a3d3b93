// libFuzzer target: see quorvel::fuzz::ObjectEditor in entry_points.h.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::fuzz::ObjectEditor(data, size);
  return 0;
}
