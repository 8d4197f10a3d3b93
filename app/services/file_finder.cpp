#include "file_finder.h"

#include <filesystem>
#include <set>
#include <utility>

#include "platform/directory.h"

namespace {

struct Search {
  const std::string& mask;
  FinderLabel& label;
  bool recursive;
  std::vector<FileRecord> found;
  // Folders already searched, by their path with links resolved: a link back up the tree ends
  // there.
  std::set<std::filesystem::path> visited;

  bool FirstVisit(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(folder, error);
    return error || visited.insert(real).second;
  }

  void Run(std::string folder) {
    // Folders wait on a stack of their own instead of the call stack: a deep tree cannot
    // exhaust it. Each entry is a folder to enter.
    std::vector<std::string> pending{std::move(folder)};
    bool first = true;
    while (!pending.empty()) {
      std::string current = std::move(pending.back());
      pending.pop_back();
      // Before each sub-folder the window may repaint and take a press of its stop button.
      if (!first) label.ProcessPendingEvents();
      first = false;
      if (label.Tag() == FinderLabel::kStopTag) return;
      if (current.empty() || current.back() != '/') current += '/';
      if (!FirstVisit(current)) continue;
      label.ShowFolder(current);

      std::vector<platform::FoundItem> items;
      platform::FindItems(current, mask, items);
      for (const platform::FoundItem& item : items) {
        if (!item.isDirectory) found.push_back(FileRecord{item.name, current});
      }
      if (!recursive) continue;

      items.clear();
      platform::FindItems(current, "*.*", items);
      std::vector<std::string> children;
      for (const platform::FoundItem& item : items) {
        if (item.isDirectory && item.name != "." && item.name != "..") {
          children.push_back(current + item.name + "/");
        }
      }
      // The first sub-folder is searched next: pushed last.
      for (auto child = children.rbegin(); child != children.rend(); ++child) {
        pending.push_back(std::move(*child));
      }
    }
  }
};

}  // namespace

std::vector<FileRecord> FindFiles(const std::string& folder, const std::string& mask,
                                  FinderLabel& label, bool recursive) {
  Search search{mask, label, recursive, {}, {}};
  search.Run(folder);
  return std::move(search.found);
}
