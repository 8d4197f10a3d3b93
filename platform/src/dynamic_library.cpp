#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace platform {

DynamicLibrary::~DynamicLibrary() {
  Close();
}

bool DynamicLibrary::Open(const std::string& path) {
  Close();
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* text = dlerror();
    error_ = text != nullptr ? text : "cannot load " + path;
    return false;
  }
  error_.clear();
  return true;
}

void DynamicLibrary::Close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const {
  return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

}  // namespace platform
