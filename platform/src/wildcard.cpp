#include "platform/wildcard.h"

#include <cstddef>

namespace platform {
namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = ++m;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      ++m;
      n += SequenceLength(name, n);
    } else if (m < mask.size() && Fold(mask[m]) == Fold(name[n])) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask;
      n = starName += SequenceLength(name, starName);
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
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
