#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A whole file mapped read-only into memory. Reads never go past size().
class MappedFile {
 public:
  enum class Status {
    Ok,
    OpenFailed,     // missing, unreadable, or not a regular file
    MappingFailed,  // the file cannot be mapped (an empty file, for one)
    MapFailed,      // the system refused the view
  };

  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  Status Open(const char* path);

  // Unmaps the view and closes the file. Returns false when unmapping failed; the file is closed
  // and the object is empty either way.
  bool Close();

  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  int fd_ = -1;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace platform
