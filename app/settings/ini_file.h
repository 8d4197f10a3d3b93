#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A configuration file of sections and key=value lines, read the way the Windows profile
// functions read one: section and key names ignore letter case, blanks around names and values
// are dropped, and a value enclosed in double quotes loses them. Everything else in the file
// (comments, other sections, other keys, their order) is kept when a value is written.
//
// Each write goes to the file at once. A value that would not read back as it is (leading or
// trailing blanks, enclosing quotes) is written in double quotes, so every single-line text
// round-trips.
class IniFile {
 public:
  // Files larger than this are read only up to it: a configuration file is a few kilobytes.
  static constexpr size_t kMaxFileSize = 4u << 20;

  // Reads `path` (a missing or unreadable file is an empty one).
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  // The value of `key` in `section`, or nothing when the key is not there.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  // The value as a decimal integer, or `fallback` when the key is missing or not a number.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  // True for a non-zero number; `fallback` when the key is missing or not a number.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Sets the value (adding the section and the key at their ends when missing) and writes the
  // file. False when the file cannot be written or the value holds a line break; the value in
  // memory is unchanged then.
  bool Write(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int32_t value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  struct Line {
    std::string text;     // the line as it stands in the file, without its line break
    std::string section;  // the section it belongs to (for section lines: their own name)
    bool isSection = false;
  };

  // Index of the line holding `key` in `section`, or -1.
  int FindKey(std::string_view section, std::string_view key) const;
  bool Save() const;

  std::string path_;
  std::vector<Line> lines_;
};

// Parses a whole decimal integer (an optional sign, digits, surrounding blanks allowed) that fits
// 32 bits.
std::optional<int32_t> ParseInteger(std::string_view text);
