#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {
class ReplayParser;
}

namespace quorvel::cli {

// The files `scan` reads: every regular file ending in ".w3g" (any case) below the given folders,
// and every given path that is not a folder, whatever its name (a missing one then reports its
// error). Each file once - the first path that reaches it - sorted by path so that the output
// does not depend on the order of the folders on disk.
std::vector<std::string> FindReplays(const std::vector<std::string>& paths);

// The scan line of one file (without line feed): {"file", then the ScanRecord fields} for a
// replay that was read, {"file", "error"} for a file that was not. `quick` reads the header and
// the game start record only. No game data reader: names are not needed, and the reader is not
// thread-safe.
std::string ScanFile(vantrel::ReplayParser& parser, const std::string& file, bool quick);

struct ScanRequest {
  unsigned jobs = 1;  // parallel parsers; 0 is taken as 1
  bool quick = false;
};

// Parses `files` on `jobs` threads, one parser each, and hands every line to `emit` in the order
// of `files`, on the calling thread, as soon as it and all lines before it are done. The lines are
// the same whatever `jobs` is.
void ScanFiles(const std::vector<std::string>& files, const ScanRequest& request,
               const std::function<void(size_t index, const std::string& line)>& emit);

}  // namespace quorvel::cli
