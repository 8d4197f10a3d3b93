#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// `text` followed by blanks up to `columns` characters, as "%-15s" pads a single-byte text:
// UTF-8 names ("Имя игрока", "玩家") are padded by characters, not by bytes.
inline std::string PadToColumns(std::string_view text, size_t columns) {
  size_t characters = 0;
  for (char c : text)
    characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  std::string padded(text);
  if (characters < columns) padded.append(columns - characters, ' ');
  return padded;
}

}  // namespace vantrel
