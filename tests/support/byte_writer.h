#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

// Builds little-endian byte strings the way the replay format stores them.
class ByteWriter {
 public:
  ByteWriter& U8(uint8_t value);
  ByteWriter& U16(uint16_t value);
  ByteWriter& U32(uint32_t value);
  ByteWriter& F32(float value);
  // The characters, then a zero byte unless `terminate` is false.
  ByteWriter& Text(std::string_view text, bool terminate = true);
  ByteWriter& Raw(const Bytes& bytes);
  ByteWriter& Zeros(size_t count);
  // An object id as the actions hold it: "hfoo" is stored as the bytes o, o, f, h.
  ByteWriter& Id(std::string_view fourCharacters);

  const Bytes& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  Bytes bytes_;
};

}  // namespace testsupport
