#pragma once

#include <string>

namespace platform {

// A shared library loaded at run time by file name.
class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  ~DynamicLibrary();

  // Loads the library; false (with error() set) when it cannot be loaded.
  bool Open(const std::string& path);
  // Unloads it; the symbols looked up before become invalid.
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  // Address of an exported symbol, or null.
  void* Symbol(const char* name) const;

  template <typename Function>
  Function Get(const char* name) const {
    return reinterpret_cast<Function>(Symbol(name));
  }

  const std::string& error() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace platform
