#pragma once

#include <cstddef>
#include <cstdint>

struct CLog;

// One 8 MB block of a memory manager.
struct MemoryBlock {
  uint8_t* Base;      // kMemoryBlockSize bytes, committed readable and writable
  uint32_t Used;      // bytes handed out from the start of the block
  MemoryBlock* Next;  // older block
  // Bytes from the start that were handed out before a Recycle and may hold what was written
  // there; they are zeroed when they are handed out again. The rest of the block is untouched.
  uint32_t Written;
};

// A bump allocator over 8 MB blocks taken straight from the system and given back only all at
// once (FreeAll). Every allocation is zero-filled: memory of a kept block is zeroed as it is
// handed out again, right before it is written. Objects of this class cross the library boundary by
// pointer: its layout is fixed and plain.
struct TCustomMemoryManager {
  static constexpr uint32_t kMemoryBlockSize = 8u * 1024u * 1024u;

  explicit TCustomMemoryManager(CLog* log = nullptr) : Log(log), Blocks(nullptr) {}
  TCustomMemoryManager(const TCustomMemoryManager&) = delete;
  TCustomMemoryManager& operator=(const TCustomMemoryManager&) = delete;
  ~TCustomMemoryManager();

  // `size` zero-filled bytes. Raises CMemoryError "Too large memory block." for more than one block
  // and "Memory allocation failed!" when the system refuses a new block.
  void* Allocate(size_t size);

  // `size` bytes that may hold what was written there before a Recycle: for a caller that writes
  // every byte it reads. The bytes count as written for the zeroing of later allocations.
  void* AllocateUnzeroed(size_t size);

  // Typed helper: `count` zero-filled objects of a plain type, aligned for it. Allocate keeps
  // one spare byte between allocations, so the address is rounded up inside a slightly larger
  // allocation.
  template <typename T>
  T* New(size_t count = 1) {
    constexpr size_t kAlign = alignof(T);
    // A count whose byte size would overflow is as much "too large" as any other.
    const size_t size = count > kMemoryBlockSize / sizeof(T) ? kMemoryBlockSize + 1u
                                                             : sizeof(T) * count + kAlign - 1;
    const auto address = reinterpret_cast<uintptr_t>(Allocate(size));
    return reinterpret_cast<T*>((address + kAlign - 1) & ~(uintptr_t{kAlign} - 1));
  }

  // Does nothing: memory goes back only with FreeAll.
  void Release(void* pointer, size_t size);

  // Gives every block back to the system; all pointers handed out become invalid. Raises
  // CMemoryError "Cannot free memory." when the system refuses a block (the manager is empty all
  // the same).
  void FreeAll();

  // Empties the manager as FreeAll does, but keeps up to `keep` blocks for the allocations that
  // follow, so that a manager emptied and filled again and again does not take fresh memory from
  // the system each time. The other blocks go back to the system ("Cannot free memory." as for
  // FreeAll). All pointers handed out become invalid.
  void Recycle(size_t keep);

  CLog* Log;            // not owned; may be null
  MemoryBlock* Blocks;  // newest block, or null

 private:
  // `size` bytes as they are, and the block they are in.
  uint8_t* Take(size_t size, MemoryBlock*& from);
};
