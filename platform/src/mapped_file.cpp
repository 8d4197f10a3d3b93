#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

MappedFile::~MappedFile() {
  Close();
}

MappedFile::Status MappedFile::Open(const char* path) {
  Close();
  if (path == nullptr) return Status::OpenFailed;
  fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return Status::OpenFailed;
  struct stat info {};
  if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    Close();
    return Status::OpenFailed;
  }
  // A mapping of nothing cannot be made; the caller hears of it as a mapping failure.
  if (info.st_size <= 0) {
    Close();
    return Status::MappingFailed;
  }
  const size_t size = static_cast<size_t>(info.st_size);
  void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd_, 0);
  if (view == MAP_FAILED) {
    Close();
    return Status::MapFailed;
  }
  data_ = static_cast<const uint8_t*>(view);
  size_ = size;
  return Status::Ok;
}

bool MappedFile::Close() {
  bool unmapped = true;
  if (data_ != nullptr) unmapped = munmap(const_cast<uint8_t*>(data_), size_) == 0;
  data_ = nullptr;
  size_ = 0;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  return unmapped;
}

}  // namespace platform
