#include "gamedata/dir_list.h"

#include "gamedata/errors.h"

CDirList::CDirList(const char* path) {
  SetNewPath(path);
}

void CDirList::Search(const std::string& mask, bool folders,
                      std::vector<platform::FoundItem>& found) const {
  std::vector<platform::FoundItem> items;
  if (platform::FindItems(Path, mask, items) == platform::SearchResult::CloseFailed) {
    throw CError("Cannot close search handle.");
  }
  for (auto& item : items) {
    if (folders) {
      // Folders are listed only for the replay mask; "." never, ".." when the system has it.
      if (!item.isDirectory || item.name == "." || Mask != "*.w3g") continue;
    } else if (item.isDirectory) {
      continue;
    }
    found.push_back(std::move(item));
  }
}

void CDirList::SetNewPath(const char* path) {
  if (path == nullptr) throw CError("SetNewPath null pointer.");
  Path = path;
  if (Path.empty() || Path.back() != '/') Path += '/';
  Clear();
  Filled = 0;
  // Both searches are made before anything is filled, so a failure leaves the listing empty.
  std::vector<platform::FoundItem> folders, files;
  Search("*.*", true, folders);
  Search(Mask, false, files);
  Total = static_cast<int32_t>(folders.size() + files.size());
  Entries.reserve(static_cast<size_t>(Total));
  for (auto& item : folders)
    Entries.push_back(DirEntry{std::move(item), DirEntry::Folder});
  for (auto& item : files)
    Entries.push_back(DirEntry{std::move(item), DirEntry::File});
  Filled = static_cast<int32_t>(Entries.size());
}

void CDirList::SetMask(const char* mask) {
  Mask = mask != nullptr ? mask : "*.*";
  const std::string path = Path;
  SetNewPath(path.c_str());
}

bool CDirList::SubPath(int32_t index, std::string& result) const {
  if (index < 0 || index >= Filled) return false;
  const DirEntry& entry = Entries[static_cast<size_t>(index)];
  if (entry.Kind != DirEntry::Folder) return false;
  if (entry.Item.name == "..") {
    // The parent: drop the trailing '/', then the last folder name. The root stays the root.
    std::string parent = Path.substr(0, Path.size() - 1);
    const size_t slash = parent.rfind('/');
    result = slash == std::string::npos ? Path : parent.substr(0, slash + 1);
  } else {
    result = Path + entry.Item.name + '/';
  }
  return true;
}

void CDirList::Clear() {
  Entries.clear();
  Total = 0;
}
