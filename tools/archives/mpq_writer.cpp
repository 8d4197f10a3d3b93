#include "archives/mpq_writer.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include <StormLib.h>
#include <fcntl.h>

namespace quorvel::archives {
namespace {

// StormLib's create function closes descriptor 0 on its way (it closes what its failed first
// open returned), whatever holds it: standard input, or an archive a test opened since. Keeping
// /dev/null on descriptor 0 around every write means no archive that a test opens ever gets it.
void HoldDescriptorZero() {
  if (fcntl(0, F_GETFD) == -1 && open("/dev/null", O_RDONLY) != 0) {
    throw std::runtime_error("cannot keep descriptor 0 taken");
  }
}

void WriteArchive(const std::string& path, const std::vector<MpqMember>& members) {
  // StormLib refuses to create over an existing file.
  std::filesystem::remove(path);
  HANDLE archive = nullptr;
  // Room for the members, the listfile and the attributes file.
  const DWORD capacity = static_cast<DWORD>(std::max<size_t>(16, members.size() + 4));
  if (!SFileCreateArchive(path.c_str(), MPQ_CREATE_ARCHIVE_V1 | MPQ_CREATE_LISTFILE, capacity,
                          &archive)) {
    throw std::runtime_error("cannot create the archive " + path);
  }
  for (const MpqMember& member : members) {
    HANDLE file = nullptr;
    const auto size = static_cast<DWORD>(member.bytes.size());
    bool written = SFileCreateFile(archive, member.name.c_str(), 0, size, 0,
                                   MPQ_FILE_COMPRESS | MPQ_FILE_REPLACEEXISTING, &file);
    if (written && size > 0)
      written = SFileWriteFile(file, member.bytes.data(), size, MPQ_COMPRESSION_ZLIB);
    if (file != nullptr) written = SFileFinishFile(file) && written;
    if (!written) {
      SFileCloseArchive(archive);
      throw std::runtime_error("cannot write " + member.name + " into " + path);
    }
  }
  if (!SFileCloseArchive(archive)) throw std::runtime_error("cannot finish the archive " + path);
}

}  // namespace

void WriteMpq(const std::string& path, const std::vector<MpqMember>& members) {
  HoldDescriptorZero();
  WriteArchive(path, members);
  HoldDescriptorZero();
}

}  // namespace quorvel::archives
