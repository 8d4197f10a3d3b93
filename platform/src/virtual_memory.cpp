#include "platform/virtual_memory.h"

#include <sys/mman.h>

namespace platform {

void* CommitPages(size_t size) {
  void* base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return base == MAP_FAILED ? nullptr : base;
}

bool ReleasePages(void* base, size_t size) {
  return munmap(base, size) == 0;
}

}  // namespace platform
