#include "support/byte_writer.h"

#include <cstring>

namespace testsupport {

ByteWriter& ByteWriter::U8(uint8_t value) {
  bytes_.push_back(value);
  return *this;
}

ByteWriter& ByteWriter::U16(uint16_t value) {
  for (int i = 0; i < 2; ++i)
    bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return *this;
}

ByteWriter& ByteWriter::U32(uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return *this;
}

ByteWriter& ByteWriter::F32(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return U32(bits);
}

ByteWriter& ByteWriter::Text(std::string_view text, bool terminate) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  if (terminate) bytes_.push_back(0);
  return *this;
}

ByteWriter& ByteWriter::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

ByteWriter& ByteWriter::Zeros(size_t count) {
  bytes_.insert(bytes_.end(), count, 0);
  return *this;
}

ByteWriter& ByteWriter::Id(std::string_view fourCharacters) {
  for (size_t i = 4; i-- > 0;)
    bytes_.push_back(i < fourCharacters.size() ? static_cast<uint8_t>(fourCharacters[i]) : 0);
  return *this;
}

}  // namespace testsupport
