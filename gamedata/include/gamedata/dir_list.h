#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/directory.h"

// One item of a folder listing.
struct DirEntry {
  enum Kind : int32_t { File = 1, Folder = 2 };
  platform::FoundItem Item;  // what the folder search reported
  int32_t Kind;
};

// The listing of one folder for the replay browser: the folders first (only while the mask is
// "*.w3g", ".." included), then the files that match the mask, each in the order the system
// returns them.
class CDirList {
 public:
  // Lists `path` with the mask "*.*". Raises CError "SetNewPath null pointer." for a null path.
  explicit CDirList(const char* path);

  // Lists another folder. Raises CError "SetNewPath null pointer." for a null path and
  // "Cannot close search handle." when the system refuses to end a search.
  void SetNewPath(const char* path);
  // Stores the mask (null means "*.*") and lists the folder again.
  void SetMask(const char* mask);

  const DirEntry& Item(int32_t index) const { return Entries.at(static_cast<size_t>(index)); }

  // For a folder entry: the folder to open when the user opens it (ending in '/'), true. For a
  // file entry (or an index outside the listing): false.
  bool SubPath(int32_t index, std::string& result) const;

  void Clear();

  std::string Path;  // the folder listed, always ending in '/'
  std::vector<DirEntry> Entries;
  int32_t Total = 0;
  int32_t Filled = 0;
  std::string Mask = "*.*";

 private:
  void Search(const std::string& mask, bool folders, std::vector<platform::FoundItem>& found) const;
};
