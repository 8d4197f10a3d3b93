#pragma once

#include <stdexcept>
#include <string>

// The failure raised inside the game data code and the parser library. Its text is the fixed
// English text the library reports ("Too large memory block.", "Memory allocation failed!", ...);
// the export boundary turns it into the error text of a parse and a log line.
class CError : public std::runtime_error {
 public:
  explicit CError(const std::string& text) : std::runtime_error(text) {}
  explicit CError(const char* text) : std::runtime_error(text) {}
};

// The memory managers' failures ("Too large memory block.", "Memory allocation failed!",
// "Cannot free memory."): they end a whole parse, not just the step that ran out.
class CMemoryError : public CError {
 public:
  using CError::CError;
};
