#include "platform/path_resolve.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "text_util.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

using detail::EqualIgnoringAsciiCase;
using detail::LowerAscii;

// The components of `relative`, or false when the path would leave its folder (or cannot be
// handed to the system whole: a zero byte would end it early, which could turn "..x" into "..").
bool SplitComponents(std::string_view relative, std::vector<std::string_view>& components) {
  if (relative.empty() || IsSeparator(relative.front())) return false;
  const bool drive = relative.size() >= 2 && relative[1] == ':' && LowerAscii(relative[0]) >= 'a' &&
                     LowerAscii(relative[0]) <= 'z';
  if (drive) return false;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = start;
    while (end < relative.size() && !IsSeparator(relative[end]))
      ++end;
    const std::string_view component = relative.substr(start, end - start);
    if (component == "..") return false;
    if (component.find('\0') != std::string_view::npos) return false;
    if (!component.empty() && component != ".") components.push_back(component);
    start = end + 1;
  }
  return !components.empty();
}

// The name in `folder` that matches `component`: the component itself when it exists as
// written, else the first (by byte order) name equal to it but for ASCII letter case; "" when
// none.
std::string FindName(const std::string& folder, std::string_view component) {
  std::error_code error;
  const std::string exact(component);
  if (fs::exists(folder + exact, error)) return exact;
  std::string best;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (EqualIgnoringAsciiCase(name, component) && (best.empty() || name < best)) best = name;
  }
  return best;
}

}  // namespace

std::string ToSlashPath(std::string_view relative) {
  std::string path(relative);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string ResolvePathIgnoringCase(const std::string& folder, std::string_view relative) {
  std::vector<std::string_view> components;
  if (folder.empty() || !SplitComponents(relative, components)) return {};
  std::string path = folder;
  if (path.back() != '/') path += '/';
  for (size_t i = 0; i < components.size(); ++i) {
    const std::string name = FindName(path, components[i]);
    if (name.empty()) return {};
    path += name;
    std::error_code error;
    if (i + 1 < components.size()) {
      if (!fs::is_directory(path, error)) return {};
      path += '/';
    } else if (!fs::is_regular_file(path, error)) {
      return {};
    }
  }
  return path;
}

}  // namespace platform
