#pragma once

#include <string>
#include <vector>

#include "support/byte_writer.h"

namespace testsupport {

// A fresh folder for one test, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const;
  // Writes `bytes` to File(name) and returns that path.
  std::string Write(const std::string& name, const Bytes& bytes) const;

 private:
  std::string path_;
};

// Makes `folder` the current folder for as long as the object lives (files that a parse writes
// "in the current folder" then land in a test's own folder).
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder);
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;
  ~CurrentFolder();

 private:
  std::string previous_;
};

Bytes ReadFile(const std::string& path);

// The messages of a log file without their time prefixes, each with its line feed.
std::vector<std::string> LogMessages(const std::string& path);
std::string ReadText(const std::string& path);

}  // namespace testsupport
