#pragma once

#include <string_view>

namespace platform {

// Matches a file name against a mask the way the Windows file search does: '*' is any run of
// characters, '?' is exactly one character (one UTF-8 sequence), letters match regardless of
// case, and a mask ending in ".*" also matches names without an extension ("*.*" matches all).
bool MatchWildcard(std::string_view mask, std::string_view name);

}  // namespace platform
