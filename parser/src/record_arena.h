#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "gamedata/memory_manager.h"

namespace vantrel {

// Hands out the records of one parse (entries, field records, event nodes, texts) from chunks
// of the result pool. The pool puts a spare byte and the padding of the alignment after every
// allocation (an ActionRecord took 56 bytes, a CommandData 24); here records follow each other
// at their own alignment, and most of them cost no call into the pool. The chunks are pool memory
// that is not zeroed beforehand: every record is zero-filled as it is handed out, and every text
// written whole, while its bytes are in the cache. They are emptied with the pool. An arena lives
// for one parse step: the pool may be emptied between steps, which the arena would not see.
class RecordArena {
 public:
  explicit RecordArena(TCustomMemoryManager& pool) : pool_(pool) {}
  RecordArena(const RecordArena&) = delete;
  RecordArena& operator=(const RecordArena&) = delete;

  // `count` zero-filled objects of a plain type.
  template <typename T>
  T* New(size_t count = 1) {
    static_assert(std::is_trivially_destructible_v<T> && alignof(T) <= kChunkAlignment);
    // Large arrays come from the pool itself (which also refuses sizes beyond a block).
    if (count > kLargest / sizeof(T)) return pool_.New<T>(count);
    void* at = Take(sizeof(T) * count, alignof(T));
    std::memset(at, 0, sizeof(T) * count);
    return static_cast<T*>(at);
  }

  // A copy of the `length` bytes at `text` followed by a zero.
  char* Text(const char* text, size_t length) {
    auto* copy = static_cast<char*>(Take(length + 1, 1));
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
  }

  // Room for a text of up to `size` bytes written in place after a `T`: where the text goes, or
  // null when the current chunk has not that much room left. Keep then takes the `T` (not
  // zeroed: the caller sets every field) and the first `length` bytes after it.
  template <typename T>
  char* RoomAfter(size_t size) const {
    static_assert(alignof(T) <= kChunkAlignment);
    const uintptr_t at = Aligned(alignof(T));
    if (next_ == 0 || at + sizeof(T) + size > end_) return nullptr;
    return reinterpret_cast<char*>(at + sizeof(T));
  }
  template <typename T>
  T* Keep(size_t length) {
    return static_cast<T*>(Take(sizeof(T) + length, alignof(T)));
  }

 private:
  static constexpr size_t kChunkSize = 64 * 1024;
  static constexpr size_t kLargest = kChunkSize / 8;
  static constexpr size_t kChunkAlignment = alignof(uint64_t);

  uintptr_t Aligned(size_t alignment) const {
    return (next_ + alignment - 1) & ~(uintptr_t{alignment} - 1);
  }

  void* Take(size_t size, size_t alignment) {
    uintptr_t at = Aligned(alignment);
    if (at + size > end_ || next_ == 0) {
      // The rest of the chunk is left unused: a new chunk always fits what is asked here.
      const size_t chunk = std::max(kChunkSize, size);
      const auto raw =
          reinterpret_cast<uintptr_t>(pool_.AllocateUnzeroed(chunk + kChunkAlignment - 1));
      at = (raw + kChunkAlignment - 1) & ~(uintptr_t{kChunkAlignment} - 1);
      end_ = at + chunk;
    }
    next_ = at + size;
    return reinterpret_cast<void*>(at);
  }

  TCustomMemoryManager& pool_;
  uintptr_t next_ = 0;  // first free byte of the current chunk; 0 before the first chunk
  uintptr_t end_ = 0;
};

}  // namespace vantrel
