// Text and file reading shared by the readers of outside data in this folder; not part of the
// interface.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::detail {

char LowerAscii(char c);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// Appends `code` in UTF-8; a surrogate or a value above U+10FFFF becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t code);

// Whether 0xD800..0xDBFF / 0xDC00..0xDFFF.
inline bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
inline char32_t CombineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

enum class FileRead {
  Ok,
  Missing,   // there is no file of that name
  Failed,    // it exists but cannot be opened or read, or is no regular file
  TooLarge,  // it holds more than the limit: `text` has the first `limit` bytes
};

// Reads a whole file, at most `limit` bytes of it, into `text` (empty unless Ok or TooLarge).
// Files of /proc report no size, so the file is read until its end rather than by its size.
FileRead ReadFileBounded(const std::string& path, size_t limit, std::string& text);

}  // namespace platform::detail
