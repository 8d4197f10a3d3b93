#include "platform/wine_registry.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "text_util.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using detail::EqualIgnoringAsciiCase;

// user.reg of a prefix in daily use is a few megabytes.
constexpr size_t kMaxRegistryFileSize = 64 * 1024 * 1024;

constexpr std::string_view kGameKey = "Software\\Blizzard Entertainment\\Warcraft III";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = detail::LowerAscii(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

// Builds UTF-8 from the mix that Wine writes: plain bytes, and UTF-16 units given by escapes
// (a character beyond the first plane comes as two \x escapes).
class WineText {
 public:
  void Byte(char c) {
    FlushPending();
    text_ += c;
  }
  void Unit(char32_t unit) {
    if (high_ != 0 && detail::IsLowSurrogate(unit)) {
      detail::AppendUtf8(text_, detail::CombineSurrogates(high_, unit));
      high_ = 0;
      return;
    }
    FlushPending();
    if (detail::IsHighSurrogate(unit)) {
      high_ = unit;
    } else {
      detail::AppendUtf8(text_, unit);
    }
  }
  std::string Finish() {
    FlushPending();
    return std::move(text_);
  }

 private:
  void FlushPending() {
    if (high_ != 0) detail::AppendUtf8(text_, 0xFFFD);
    high_ = 0;
  }

  std::string text_;
  char32_t high_ = 0;
};

// Decodes the escaped text that starts at line[at] and ends before the first unescaped `end`.
// Returns the offset after `end`, or npos when the line ends first.
size_t DecodeWineString(std::string_view line, size_t at, char end, std::string& out) {
  WineText text;
  while (at < line.size()) {
    const char c = line[at++];
    if (c == end) {
      out = text.Finish();
      return at;
    }
    if (c != '\\') {
      text.Byte(c);
      continue;
    }
    if (at == line.size()) break;
    const char escaped = line[at++];
    switch (escaped) {
      case 'a':
        text.Unit('\a');
        break;
      case 'b':
        text.Unit('\b');
        break;
      case 'e':
        text.Unit(0x1B);
        break;
      case 'f':
        text.Unit('\f');
        break;
      case 'n':
        text.Unit('\n');
        break;
      case 'r':
        text.Unit('\r');
        break;
      case 't':
        text.Unit('\t');
        break;
      case 'v':
        text.Unit('\v');
        break;
      case 'x': {
        if (at == line.size() || HexDigit(line[at]) < 0) {
          text.Byte('x');
          break;
        }
        char32_t unit = 0;
        for (int digits = 0; digits < 4 && at < line.size() && HexDigit(line[at]) >= 0; ++digits)
          unit = unit * 16 + static_cast<char32_t>(HexDigit(line[at++]));
        text.Unit(unit);
        break;
      }
      default:
        if (escaped >= '0' && escaped <= '7') {
          char32_t unit = static_cast<char32_t>(escaped - '0');
          for (int digits = 1; digits < 3 && at < line.size() && line[at] >= '0' && line[at] <= '7';
               ++digits)
            unit = unit * 8 + static_cast<char32_t>(line[at++] - '0');
          text.Unit(unit);
        } else {
          // \\, \", \[, \] and any other character stand for themselves.
          text.Byte(escaped);
        }
    }
  }
  return std::string_view::npos;
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

}  // namespace

std::optional<std::string> FindWineRegistryString(std::string_view fileText, std::string_view key,
                                                  std::string_view name) {
  bool inKey = false;
  size_t begin = 0;
  while (begin < fileText.size()) {
    const size_t feed = fileText.find('\n', begin);
    const size_t next = feed == std::string_view::npos ? fileText.size() : feed + 1;
    std::string_view line = fileText.substr(begin, next - begin);
    begin = next;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
      line.remove_suffix(1);

    // "[Software\\Blizzard Entertainment\\Warcraft III] 1700000000"
    if (StartsWith(line, "[")) {
      std::string path;
      inKey = DecodeWineString(line, 1, ']', path) != std::string_view::npos &&
              EqualIgnoringAsciiCase(path, key);
      continue;
    }
    if (!inKey) continue;

    // "InstallPath"="C:\\Games\\Warcraft III\\" or @="..."
    std::string valueName;
    size_t data = 0;
    if (StartsWith(line, "@=")) {
      data = 2;
    } else if (StartsWith(line, "\"")) {
      data = DecodeWineString(line, 1, '"', valueName);
      if (data == std::string_view::npos || data >= line.size() || line[data] != '=') continue;
      ++data;
    } else {
      continue;
    }
    if (!EqualIgnoringAsciiCase(valueName, name)) continue;

    std::string_view value = line.substr(data);
    if (StartsWith(value, "str(2):")) value.remove_prefix(7);
    std::string text;
    if (!StartsWith(value, "\"") || DecodeWineString(value, 1, '"', text) == std::string_view::npos)
      return std::nullopt;
    return text;
  }
  return std::nullopt;
}

std::optional<std::string> ReadWineRegistryString(const std::string& file, std::string_view key,
                                                  std::string_view name) {
  std::string text;
  if (detail::ReadFileBounded(file, kMaxRegistryFileSize, text) != detail::FileRead::Ok)
    return std::nullopt;
  return FindWineRegistryString(text, key, name);
}

std::string WindowsPathInWinePrefix(const std::string& prefix, std::string_view windowsPath) {
  if (prefix.empty() || windowsPath.size() < 2 || windowsPath[1] != ':') return {};
  const char drive = detail::LowerAscii(windowsPath[0]);
  if (drive < 'a' || drive > 'z') return {};

  const fs::path devices = fs::path(prefix) / "dosdevices";
  const fs::path link = devices / (std::string(1, drive) + ":");
  std::error_code error;
  const fs::file_status status = fs::symlink_status(link, error);
  fs::path root;
  if (!error && fs::exists(status)) {
    if (fs::is_symlink(status)) {
      const fs::path target = fs::read_symlink(link, error);
      if (error) return {};
      root = target.is_absolute() ? target : (devices / target).lexically_normal();
    } else {
      root = link;
    }
  } else if (drive == 'c') {
    root = fs::path(prefix) / "drive_c";
  } else {
    return {};
  }

  std::string path = root.string();
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  std::string_view rest = windowsPath.substr(2);
  const bool separated = !rest.empty() && (rest.front() == '\\' || rest.front() == '/');
  while (!rest.empty() && (rest.front() == '\\' || rest.front() == '/'))
    rest.remove_prefix(1);
  if (!rest.empty() || separated) path += '/';
  for (const char c : rest)
    path += c == '\\' ? '/' : c;
  return path;
}

std::string WinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix) return prefix;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home) return std::string(home) + "/.wine";
  return {};
}

std::string InstallPathInWinePrefix(const std::string& prefix) {
  if (prefix.empty()) return {};
  const std::optional<std::string> installPath =
      ReadWineRegistryString(prefix + "/user.reg", kGameKey, "InstallPath");
  if (!installPath || installPath->empty()) return {};
  return WindowsPathInWinePrefix(prefix, *installPath);
}

std::string WineInstallPath() {
  return InstallPathInWinePrefix(WinePrefix());
}

}  // namespace platform
