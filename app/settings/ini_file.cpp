#include "ini_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// "[name]" -> name; nothing for a line that is not a section line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
  line = Trim(line);
  return !line.empty() && line.front() == ';';
}

// The value as the file holds it: blanks dropped, enclosing quotes removed.
std::string_view Unquote(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string Quoted(std::string_view value) {
  if (Unquote(value) == value) return std::string(value);
  return "\"" + std::string(value) + "\"";
}

}  // namespace

std::optional<int32_t> ParseInteger(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  std::ifstream file(path_, std::ios::binary);
  if (!file) return;
  std::string content(kMaxFileSize, '\0');
  file.read(content.data(), static_cast<std::streamsize>(content.size()));
  content.resize(static_cast<size_t>(file.gcount()));
  std::string_view rest = content;
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);

  std::string section;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view text = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    Line line{std::string(text), section, false};
    if (const auto name = SectionName(text)) {
      section = std::string(*name);
      line.section = section;
      line.isSection = true;
    }
    lines_.push_back(std::move(line));
  }
}

int IniFile::FindKey(std::string_view section, std::string_view key) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.isSection || !SameName(line.section, section) || IsComment(line.text)) continue;
    const size_t equals = line.text.find('=');
    if (equals == std::string::npos) continue;
    if (SameName(Trim(std::string_view(line.text).substr(0, equals)), key)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
  const int index = FindKey(section, key);
  if (index < 0) return std::nullopt;
  const std::string& text = lines_[static_cast<size_t>(index)].text;
  return std::string(Unquote(std::string_view(text).substr(text.find('=') + 1)));
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t fallback) const {
  const std::optional<std::string> value = Read(section, key);
  if (!value) return fallback;
  return ParseInteger(*value).value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos) return false;
  const std::vector<Line> kept = lines_;
  const std::string text = std::string(key) + "=" + Quoted(value);
  const int index = FindKey(section, key);
  if (index >= 0) {
    lines_[static_cast<size_t>(index)].text = text;
  } else {
    // After the last line of the section, or in a new section at the end of the file.
    int last = -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (SameName(lines_[i].section, section) && !Trim(lines_[i].text).empty()) {
        last = static_cast<int>(i);
      }
    }
    if (last < 0) {
      lines_.push_back(Line{"[" + std::string(section) + "]", std::string(section), true});
      last = static_cast<int>(lines_.size()) - 1;
    }
    lines_.insert(lines_.begin() + last + 1, Line{text, lines_[static_cast<size_t>(last)].section});
  }
  if (!Save()) {
    lines_ = kept;
    return false;
  }
  return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  return Write(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return Write(section, key, value ? "1" : "0");
}

bool IniFile::Save() const {
  // A new file beside the old one replaces it in one step: a failure half-way never leaves a
  // cut configuration behind.
  const std::string temporary = path_ + ".new";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    for (const Line& line : lines_)
      file << line.text << '\n';
    file.flush();
    if (!file) {
      file.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
