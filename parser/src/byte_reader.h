#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vantrel {

// A bounds-checked little-endian cursor over bytes that come from outside. Every read states
// whether it fit; a read that does not fit moves nothing and yields zero.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t position() const { return position_; }
  size_t size() const { return size_; }
  size_t remaining() const { return size_ - position_; }
  bool Has(size_t count) const { return count <= remaining(); }
  const uint8_t* current() const { return data_ + position_; }

  bool Skip(size_t count) {
    if (!Has(count)) return false;
    position_ += count;
    return true;
  }
  bool Seek(size_t position) {
    if (position > size_) return false;
    position_ = position;
    return true;
  }

  bool U8(uint8_t& value) { return Read(value); }
  bool U16(uint16_t& value) { return Read(value); }
  bool U32(uint32_t& value) { return Read(value); }
  // A zero-terminated text: `text` and `length` (without the zero); the cursor moves past the
  // zero. False, moving nothing, when no zero follows inside the bytes.
  bool Text(const char*& text, size_t& length) {
    if (remaining() == 0) return false;
    const void* zero = std::memchr(data_ + position_, 0, remaining());
    if (zero == nullptr) return false;
    text = reinterpret_cast<const char*>(data_ + position_);
    length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - (data_ + position_));
    position_ += length + 1;
    return true;
  }
  bool Bytes(void* out, size_t count) {
    if (!Has(count)) return false;
    std::memcpy(out, data_ + position_, count);
    position_ += count;
    return true;
  }

 private:
  // The bytes are put together in one expression, which compilers turn into one load.
  template <typename T>
  bool Read(T& value) {
    value = 0;
    if (!Has(sizeof(T))) return false;
    const uint8_t* bytes = data_ + position_;
    if constexpr (sizeof(T) == 1) {
      value = bytes[0];
    } else if constexpr (sizeof(T) == 2) {
      value = static_cast<T>(bytes[0] | bytes[1] << 8);
    } else {
      static_assert(sizeof(T) == 4);
      value = static_cast<T>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                             static_cast<uint32_t>(bytes[3]) << 24);
    }
    position_ += sizeof(T);
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

}  // namespace vantrel
