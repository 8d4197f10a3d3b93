#include "platform/program_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {

std::string ProgramDirectory() {
  std::string dir;
  if (const char* forced = std::getenv("QUORVEL_PROGRAM_DIR"); forced != nullptr && *forced) {
    dir = forced;
  } else {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    dir = error ? std::string(".") : exe.parent_path().string();
  }
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace platform
