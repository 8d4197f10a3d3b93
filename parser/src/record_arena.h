#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "gamedata/memory_manager.h"

namespace vantrel {

// Hands out the records of one parse (entries, field records, event nodes, texts) from chunks
// of the result pool. The pool puts a spare byte and the padding of the alignment after every
// allocation (an ActionRecord took 56 bytes, a CommandData 24); here records follow each other
// at their own alignment, and most of them cost no call into the pool. The chunks are pool memory:
// zero-filled, and emptied with the pool. An arena lives for one parse step: the pool may be
// emptied between steps, which the arena would not see.
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
    return static_cast<T*>(Take(sizeof(T) * count, alignof(T)));
  }

  // A copy of the `length` bytes at `text` followed by a zero.
  char* Text(const char* text, size_t length) {
    char* copy = New<char>(length + 1);
    std::memcpy(copy, text, length);
    return copy;
  }

 private:
  static constexpr size_t kChunkSize = 64 * 1024;
  static constexpr size_t kLargest = kChunkSize / 8;
  static constexpr size_t kChunkAlignment = alignof(uint64_t);

  void* Take(size_t size, size_t alignment) {
    uintptr_t at = (next_ + alignment - 1) & ~(uintptr_t{alignment} - 1);
    if (at + size > end_ || next_ == 0) {
      // The rest of the chunk is left unused: a new chunk always fits.
      auto* chunk = pool_.New<uint64_t>(kChunkSize / sizeof(uint64_t));
      at = reinterpret_cast<uintptr_t>(chunk);
      end_ = at + kChunkSize;
    }
    next_ = at + size;
    return reinterpret_cast<void*>(at);
  }

  TCustomMemoryManager& pool_;
  uintptr_t next_ = 0;  // first free byte of the current chunk; 0 before the first chunk
  uintptr_t end_ = 0;
};

}  // namespace vantrel
