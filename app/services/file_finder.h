#pragma once

#include <string>
#include <vector>

// One file found by the finder.
struct FileRecord {
  std::string Name;    // the file name, without its folder
  std::string Folder;  // its folder, ending in '/'
};

// The label of the window that runs a search: the finder shows in it the folder it enters, and
// its tag is the stop mark (kStopTag asks the finder to stop).
class FinderLabel {
 public:
  static constexpr int kStopTag = 100;

  virtual ~FinderLabel() = default;
  virtual int Tag() const = 0;
  // Sets the label's caption and hint to the folder being searched.
  virtual void ShowFolder(const std::string& folder) = 0;
  // Lets the window handle its pending events (repaint, a press of its stop button).
  virtual void ProcessPendingEvents() = 0;
};

// Every file in `folder` whose name matches `mask` (a wildcard, letter case ignored), and with
// `recursive` those of every folder below it: the matches of a folder first, then those of its
// sub-folders in the order in which the system lists them. Folders are never results. A stop
// takes effect at the next folder the search enters; what was found until then is returned.
// A folder that cannot be listed gives nothing; a folder reached again through a link is not
// searched twice.
std::vector<FileRecord> FindFiles(const std::string& folder, const std::string& mask,
                                  FinderLabel& label, bool recursive);
