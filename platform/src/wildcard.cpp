#include "platform/wildcard.h"

#include <cstddef>

namespace platform {
namespace {

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The small letter of a capital in the two-byte range of UTF-8 (Latin-1, Latin Extended-A, Greek,
// Cyrillic: the alphabets of player and map names); other characters stay as they are.
char32_t Fold(char32_t c) {
  const auto pairs = [c](char32_t first, char32_t last) {
    return c >= first && c <= last && (c - first) % 2 == 0;
  };
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
      (c >= 0x410 && c <= 0x42F)) {
    return c + 0x20;
  }
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c == 0x178) return 0xFF;
  if (pairs(0x100, 0x12F) || pairs(0x132, 0x137) || pairs(0x139, 0x148) || pairs(0x14A, 0x177) ||
      pairs(0x179, 0x17E) || pairs(0x460, 0x481) || pairs(0x48A, 0x4BF) || pairs(0x4C1, 0x4CE) ||
      pairs(0x4D0, 0x52F)) {
    return c + 1;
  }
  return c;
}

// The code point of a complete two-byte UTF-8 sequence at text[i], or 0 when there is none.
char32_t TwoByteCharacter(std::string_view text, size_t i) {
  if (i + 1 >= text.size()) return 0;
  const auto lead = static_cast<unsigned char>(text[i]);
  const auto trail = static_cast<unsigned char>(text[i + 1]);
  if (lead < 0xC2 || lead >= 0xE0 || (trail & 0xC0) != 0x80) return 0;
  return (static_cast<char32_t>(lead & 0x1F) << 6) | (trail & 0x3F);
}

// Whether the character at mask[m] equals the one at name[n] regardless of case; `length` is
// the number of bytes it takes in both.
bool SameCharacter(std::string_view mask, size_t m, std::string_view name, size_t n,
                   size_t& length) {
  const char32_t maskCharacter = TwoByteCharacter(mask, m);
  const char32_t nameCharacter = TwoByteCharacter(name, n);
  if (maskCharacter != 0 && nameCharacter != 0) {
    length = 2;
    return Fold(maskCharacter) == Fold(nameCharacter);
  }
  length = 1;
  return Fold(mask[m]) == Fold(name[n]);
}

// Length of the UTF-8 sequence that starts at name[i]; malformed bytes count one each.
size_t SequenceLength(std::string_view name, size_t i) {
  const auto lead = static_cast<unsigned char>(name[i]);
  size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  for (size_t k = 1; k < length; ++k) {
    if (i + k >= name.size() || (static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80) return k;
  }
  return length;
}

// Iterative matcher with one backtrack point for the last '*': linear in practice, never
// exponential whatever the mask.
bool Match(std::string_view mask, std::string_view name) {
  size_t m = 0, n = 0;
  size_t starMask = std::string_view::npos, starName = 0;
  size_t length = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = ++m;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      ++m;
      n += SequenceLength(name, n);
    } else if (m < mask.size() && SameCharacter(mask, m, name, n, length)) {
      m += length;
      n += length;
    } else if (starMask != std::string_view::npos) {
      m = starMask;
      n = starName += SequenceLength(name, starName);
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

}  // namespace

bool MatchWildcard(std::string_view mask, std::string_view name) {
  if (Match(mask, name)) return true;
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return Match(mask.substr(0, mask.size() - 2), name);
  }
  return false;
}

}  // namespace platform
