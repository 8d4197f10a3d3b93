#include "gamedata/memory_manager.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gamedata/errors.h"
#include "platform/virtual_memory.h"

TCustomMemoryManager::~TCustomMemoryManager() {
  try {
    FreeAll();
  } catch (const CError&) {
    // A block the system would not take back is lost; a destructor has no one to tell.
  }
}

void* TCustomMemoryManager::Allocate(size_t size) {
  MemoryBlock* block = nullptr;
  uint8_t* result = Take(size, block);
  const auto offset = static_cast<uint32_t>(result - block->Base);
  if (offset < block->Written) {
    // Zeroed now rather than when the block was recycled: the bytes are about to be written and
    // are in the cache for it. The spare byte after them too.
    std::memset(result, 0, std::min<size_t>(size + 1u, block->Written - offset));
  }
  return result;
}

void* TCustomMemoryManager::AllocateUnzeroed(size_t size) {
  MemoryBlock* block = nullptr;
  return Take(size, block);
}

uint8_t* TCustomMemoryManager::Take(size_t size, MemoryBlock*& from) {
  if (size > kMemoryBlockSize) throw CMemoryError("Too large memory block.");
  // The newest block is tried first; a full older block costs one comparison.
  for (MemoryBlock* block = Blocks; block != nullptr; block = block->Next) {
    if (size < kMemoryBlockSize - block->Used) {
      uint8_t* result = block->Base + block->Used;
      // One spare byte between allocations.
      block->Used += static_cast<uint32_t>(size) + 1u;
      from = block;
      return result;
    }
  }
  void* base = platform::CommitPages(kMemoryBlockSize);
  if (base == nullptr) throw CMemoryError("Memory allocation failed!");
  auto* block = new (std::nothrow)
      MemoryBlock{static_cast<uint8_t*>(base), static_cast<uint32_t>(size), Blocks, 0};
  if (block == nullptr) {
    platform::ReleasePages(base, kMemoryBlockSize);
    throw CMemoryError("Memory allocation failed!");
  }
  Blocks = block;
  from = block;
  return block->Base;
}

void TCustomMemoryManager::Release(void*, size_t) {}

void TCustomMemoryManager::FreeAll() {
  bool refused = false;
  while (Blocks != nullptr) {
    MemoryBlock* block = Blocks;
    Blocks = block->Next;
    if (!platform::ReleasePages(block->Base, kMemoryBlockSize)) refused = true;
    delete block;
  }
  if (refused) throw CMemoryError("Cannot free memory.");
}

void TCustomMemoryManager::Recycle(size_t keep) {
  MemoryBlock** link = &Blocks;
  for (size_t kept = 0; kept < keep && *link != nullptr; ++kept) {
    MemoryBlock* block = *link;
    block->Written = std::max(block->Written, block->Used);
    block->Used = 0;
    link = &block->Next;
  }
  bool refused = false;
  while (*link != nullptr) {
    MemoryBlock* block = *link;
    *link = block->Next;
    if (!platform::ReleasePages(block->Base, kMemoryBlockSize)) refused = true;
    delete block;
  }
  if (refused) throw CMemoryError("Cannot free memory.");
}
