#include "platform/directory.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/wildcard.h"

namespace platform {

SearchResult FindItems(const std::string& folder, const std::string& mask,
                       std::vector<FoundItem>& items) {
  DIR* search = opendir(folder.empty() ? "." : folder.c_str());
  if (search == nullptr) return SearchResult::NotFound;
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  const size_t folderLength = path.size();
  while (const dirent* entry = readdir(search)) {
    if (!MatchWildcard(mask, entry->d_name)) continue;
    FoundItem item;
    item.name = entry->d_name;
    path.resize(folderLength);
    path += item.name;
    struct stat info {};
    // A link is described by what it points to; a dangling one stays a plain item.
    if (stat(path.c_str(), &info) == 0 || lstat(path.c_str(), &info) == 0) {
      item.isDirectory = S_ISDIR(info.st_mode);
      item.mode = info.st_mode;
      item.size = item.isDirectory ? 0 : static_cast<uint64_t>(info.st_size);
      item.changeTime = info.st_ctime;
      item.accessTime = info.st_atime;
      item.writeTime = info.st_mtime;
    } else {
      item.isDirectory = entry->d_type == DT_DIR;
    }
    items.push_back(std::move(item));
  }
  return closedir(search) == 0 ? SearchResult::Ok : SearchResult::CloseFailed;
}

}  // namespace platform
