#pragma once

#include <cstddef>

namespace platform {

// Commits `size` bytes of fresh, zero-filled, readable and writable memory straight from the
// system. Returns null when the system refuses.
void* CommitPages(size_t size);

// Returns memory obtained from CommitPages. Returns false when the system refuses.
bool ReleasePages(void* base, size_t size);

}  // namespace platform
