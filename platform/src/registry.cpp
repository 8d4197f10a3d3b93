#include "platform/registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "text_util.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using detail::EqualIgnoringAsciiCase;

// A store holds a handful of values; a file far larger than that is not ours, and is neither
// read into memory nor grown further.
constexpr size_t kMaxStoreSize = 4 * 1024 * 1024;
// Links followed to the store's file at most: the system's own limit.
constexpr int kMaxLinkHops = 40;

std::string_view RootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RegistryRoot::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RegistryRoot::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
  }
  return {};
}

// The key path without one leading and one trailing '\', or nullopt when it cannot name a key
// (an empty component, or a character that a header line could not hold).
std::optional<std::string_view> NormalKey(std::string_view key) {
  if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  if (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  size_t start = 0;
  for (size_t i = 0; i <= key.size(); ++i) {
    if (i == key.size() || key[i] == '\\') {
      if (i == start && !key.empty()) return std::nullopt;
      start = i + 1;
    } else if (static_cast<unsigned char>(key[i]) < 0x20 || key[i] == 0x7F) {
      return std::nullopt;
    }
  }
  return key;
}

std::string Escape(std::string_view text, bool isName) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\0') {
      out += "\\0";
    } else if (isName && (c == '=' || (c == '[' && i == 0))) {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    switch (next) {
      case '\\':
      case '=':
      case '[':
        out += next;
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case '0':
        out += '\0';
        break;
      default:
        out += '\\';
        out += next;
    }
  }
  return out;
}

// One line of the file: [begin, end) is its text without the line end ("\n" or "\r\n"), `next`
// the offset of the following line.
struct Line {
  size_t begin;
  size_t end;
  size_t next;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t feed = text.find('\n', begin);
    const size_t next = feed == std::string_view::npos ? text.size() : feed + 1;
    size_t end = feed == std::string_view::npos ? text.size() : feed;
    if (end > begin && text[end - 1] == '\r') --end;
    lines.push_back({begin, end, next});
    begin = next;
  }
  return lines;
}

// Whether `line` is the header "[root\key]" of the given (normal) key.
bool IsHeaderOf(std::string_view line, std::string_view root, std::string_view key) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  const std::string_view inner = line.substr(1, line.size() - 2);
  const size_t separator = inner.find('\\');
  const std::string_view rootPart = inner.substr(0, separator);
  const std::string_view keyPart =
      separator == std::string_view::npos ? std::string_view() : inner.substr(separator);
  if (!EqualIgnoringAsciiCase(rootPart, root)) return false;
  const std::optional<std::string_view> normal = NormalKey(keyPart);
  return normal && EqualIgnoringAsciiCase(*normal, key);
}

// Splits a value line at its first unescaped '='; false for a line without one.
bool SplitValueLine(std::string_view line, std::string_view& escapedName,
                    std::string_view& escapedValue) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '=') {
      escapedName = line.substr(0, i);
      escapedValue = line.substr(i + 1);
      return true;
    }
  }
  return false;
}

// Where a key and one of its values are in the file. The first section of the key is the one
// that grows; a value is found in any section of the key, its first line counting.
struct Place {
  bool keyFound = false;
  size_t insertAt = 0;  // after the last line of the key's first section that is not empty
  bool valueFound = false;
  size_t valueBegin = 0;  // the value line's text, without its line end
  size_t valueEnd = 0;
  std::string_view escapedValue;
};

Place Locate(std::string_view text, std::string_view root, std::string_view key,
             std::string_view name) {
  Place place;
  bool inKey = false;
  bool inFirstSection = false;
  for (const Line& line : SplitLines(text)) {
    const std::string_view content = text.substr(line.begin, line.end - line.begin);
    if (!content.empty() && content.front() == '[') {
      inKey = IsHeaderOf(content, root, key);
      inFirstSection = inKey && !place.keyFound;
      if (inFirstSection) {
        place.keyFound = true;
        place.insertAt = line.next;
      }
      continue;
    }
    if (!inKey || content.empty()) continue;
    if (inFirstSection) place.insertAt = line.next;
    std::string_view escapedName, escapedValue;
    if (place.valueFound || !SplitValueLine(content, escapedName, escapedValue)) continue;
    if (EqualIgnoringAsciiCase(Unescape(escapedName), name)) {
      place.valueFound = true;
      place.valueBegin = line.begin;
      place.valueEnd = line.end;
      place.escapedValue = escapedValue;
    }
  }
  return place;
}

std::string Header(std::string_view root, std::string_view key) {
  std::string header = "[";
  header += root;
  if (!key.empty()) {
    header += '\\';
    header += key;
  }
  header += "]\n";
  return header;
}

// `text` with `lines` (each ending in "\n") added as a new key at its end.
std::string WithNewKey(std::string_view text, std::string_view header, std::string_view lines) {
  std::string out(text);
  if (!out.empty() && out.back() != '\n') out += '\n';
  if (!out.empty()) out += '\n';
  out += header;
  out += lines;
  return out;
}

std::string Folder(const std::string& file) {
  const fs::path folder = fs::path(file).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

enum class Load { Ok, Missing, Failed };

Load LoadStore(const std::string& file, std::string& text) {
  if (file.empty()) return Load::Failed;
  switch (detail::ReadFileBounded(file, kMaxStoreSize, text)) {
    case detail::FileRead::Ok:
      return Load::Ok;
    case detail::FileRead::Missing:
      return Load::Missing;
    default:
      return Load::Failed;
  }
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t count = ::write(fd, text.data(), text.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    text.remove_prefix(static_cast<size_t>(count));
  }
  return true;
}

// Whether an existing store may be changed: the rename needs the folder, and a file that its
// owner made read-only is left alone although a rename could replace it.
bool StoreWritable(const std::string& file) {
  return access(file.c_str(), W_OK) == 0 && access(Folder(file).c_str(), W_OK) == 0;
}

// Replaces the file with `text`: a temporary file beside it is written in full and then renamed
// over it, so the file is either the old or the new one, never a mixture. A store that is a link
// (to a folder of settings kept elsewhere) stays one: the file it leads to is replaced.
bool ReplaceStore(const std::string& link, std::string_view text) {
  if (text.size() > kMaxStoreSize) return false;
  std::error_code error;
  fs::path resolved = link;
  for (int hops = 0; fs::is_symlink(resolved, error); ++hops) {
    if (hops == kMaxLinkHops) return false;  // links that lead in a circle
    const fs::path target = fs::read_symlink(resolved, error);
    if (error) return false;
    resolved = resolved.parent_path() / target;  // an absolute target replaces the whole path
  }
  const std::string file = resolved.string();
  if (access(file.c_str(), F_OK) == 0 && !StoreWritable(file)) return false;
  fs::create_directories(Folder(file), error);
  if (error) return false;
  std::string temporary = file + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  struct stat old {};
  if (stat(file.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, text) && fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temporary.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace

std::string RegistryFilePath() {
  if (const char* forced = std::getenv("QUORVEL_REGISTRY"); forced != nullptr && *forced)
    return forced;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/quorvel/registry.ini";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home) return std::string(home) + "/.config/quorvel/registry.ini";
  return {};
}

RegistryStore::RegistryStore() : file_(RegistryFilePath()) {}

std::optional<std::string> RegistryStore::ReadString(RegistryRoot root, std::string_view key,
                                                     std::string_view name) const {
  const std::optional<std::string_view> normal = NormalKey(key);
  if (!normal) return std::nullopt;
  std::string text;
  const Load load = LoadStore(file_, text);
  if (load == Load::Failed) return std::nullopt;
  const Place place = Locate(text, RootName(root), *normal, name);
  if (place.keyFound) {
    if (!StoreWritable(file_)) return std::nullopt;
    return place.valueFound ? Unescape(place.escapedValue) : std::string();
  }
  if (!ReplaceStore(file_, WithNewKey(text, Header(RootName(root), *normal), ""))) {
    return std::nullopt;
  }
  return std::string();
}

std::string RegistryStore::ReadString(RegistryRoot root, std::string_view key,
                                      std::string_view name, std::string_view fallback) const {
  std::optional<std::string> value = ReadString(root, key, name);
  return value ? std::move(*value) : std::string(fallback);
}

bool RegistryStore::WriteString(RegistryRoot root, std::string_view key, std::string_view name,
                                std::string_view value) const {
  const std::optional<std::string_view> normal = NormalKey(key);
  if (!normal) return false;
  std::string text;
  if (LoadStore(file_, text) == Load::Failed) return false;
  const Place place = Locate(text, RootName(root), *normal, name);
  const std::string line = Escape(name, true) + '=' + Escape(value, false);
  std::string changed;
  if (place.valueFound) {
    changed = text.substr(0, place.valueBegin) + line + text.substr(place.valueEnd);
  } else if (place.keyFound) {
    changed = text.substr(0, place.insertAt);
    if (!changed.empty() && changed.back() != '\n') changed += '\n';
    changed += line + '\n';
    changed += text.substr(place.insertAt);
  } else {
    changed = WithNewKey(text, Header(RootName(root), *normal), line + '\n');
  }
  return ReplaceStore(file_, changed);
}

}  // namespace platform
