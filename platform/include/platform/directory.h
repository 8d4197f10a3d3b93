#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// One item of a folder search.
struct FoundItem {
  std::string name;
  bool isDirectory = false;
  uint32_t mode = 0;  // the system's type and permission bits
  uint64_t size = 0;
  int64_t changeTime = 0;  // seconds since 1970 (status change: the closest thing to creation)
  int64_t accessTime = 0;
  int64_t writeTime = 0;
};

enum class SearchResult {
  Ok,           // the folder was searched (possibly with no match)
  NotFound,     // the folder cannot be opened
  CloseFailed,  // the system refused to close the search
};

// Searches `folder` for items whose names match `mask` (MatchWildcard), in the order in which the
// system returns them; "." and ".." are reported like any other item. Nothing is sorted.
SearchResult FindItems(const std::string& folder, const std::string& mask,
                       std::vector<FoundItem>& items);

}  // namespace platform
