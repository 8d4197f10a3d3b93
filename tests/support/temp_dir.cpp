#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const {
  return path_ + "/" + name;
}

std::string TempDir::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = File(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

CurrentFolder::CurrentFolder(const std::string& folder)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(folder);
}

CurrentFolder::~CurrentFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::vector<std::string> LogMessages(const std::string& path) {
  static const std::regex prefix("^[0-9]+:[0-9]{2}:[0-9]{2}\\.[0-9]{3}: ");
  std::vector<std::string> messages;
  std::istringstream in(ReadText(path));
  for (std::string line; std::getline(in, line);) {
    messages.push_back(
        std::regex_replace(line, prefix, "", std::regex_constants::format_first_only) + "\n");
  }
  return messages;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace testsupport
