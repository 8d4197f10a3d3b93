#include "support/mpq_writer.h"

namespace testsupport {

Bytes PatternBytes(size_t size, uint8_t seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<uint8_t>((i * 7 + seed) % 251);
  return bytes;
}

}  // namespace testsupport
