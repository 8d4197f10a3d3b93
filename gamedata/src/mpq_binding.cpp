#include "gamedata/mpq_binding.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/dynamic_library.h"

namespace {

// StormLib's SFileOpenArchive flag for opening without write access. The program only ever reads
// archives, so the callers' flags 0 mean read-only; StormLib has to be told.
constexpr uint32_t kStormOpenReadOnly = 0x00000100u;

// The module-wide table of entry points; all null while unbound.
struct MpqEntryPoints {
  SFileOpenArchiveFunc OpenArchive = nullptr;
  SFileCloseArchiveFunc CloseArchive = nullptr;
  SFileOpenFileExFunc OpenFileEx = nullptr;
  SFileGetFileSizeFunc GetFileSize = nullptr;
  SFileReadFileFunc ReadFile = nullptr;
  SFileCloseFileFunc CloseFile = nullptr;
  SFMpqDestroyFunc Destroy = nullptr;
};

MpqEntryPoints gEntryPoints;

// The module-wide library handle. A function-local object, so that it exists whenever a
// binding is made, also from another static object's constructor.
platform::DynamicLibrary& Library() {
  static platform::DynamicLibrary library;
  return library;
}

std::string LibraryFileName() {
  const char* chosen = std::getenv(kMpqLibraryVariable);
  return chosen != nullptr && *chosen != '\0' ? std::string(chosen) : std::string(kMpqLibraryName);
}

}  // namespace

SFMPQAPIMODULE::SFMPQAPIMODULE() {
  Bind();
}

SFMPQAPIMODULE::~SFMPQAPIMODULE() {
  Unbind();
}

void SFMPQAPIMODULE::Bind() {
  platform::DynamicLibrary& library = Library();
  if (library.IsOpen()) return;
  if (!library.Open(LibraryFileName())) return;
  // Only the operations the program calls are resolved; the library's many others are not
  // needed.
  gEntryPoints.OpenArchive = library.Get<SFileOpenArchiveFunc>("SFileOpenArchive");
  gEntryPoints.CloseArchive = library.Get<SFileCloseArchiveFunc>("SFileCloseArchive");
  gEntryPoints.OpenFileEx = library.Get<SFileOpenFileExFunc>("SFileOpenFileEx");
  gEntryPoints.CloseFile = library.Get<SFileCloseFileFunc>("SFileCloseFile");
  gEntryPoints.GetFileSize = library.Get<SFileGetFileSizeFunc>("SFileGetFileSize");
  gEntryPoints.ReadFile = library.Get<SFileReadFileFunc>("SFileReadFile");
  gEntryPoints.Destroy = library.Get<SFMpqDestroyFunc>("SFMpqDestroy");
}

void SFMPQAPIMODULE::Unbind() {
  const SFMpqDestroyFunc destroy = gEntryPoints.Destroy;
  gEntryPoints = MpqEntryPoints{};
  platform::DynamicLibrary& library = Library();
  if (!library.IsOpen()) return;
  if (destroy != nullptr) destroy();
  library.Close();
}

bool SFMPQAPIMODULE::IsBound() {
  return Library().IsOpen();
}

bool SFMPQAPIMODULE::SFileOpenArchive(const char* path, uint32_t priority, uint32_t flags,
                                      void** archive) {
  *archive = nullptr;
  if (gEntryPoints.OpenArchive == nullptr || path == nullptr) return false;
  // StormLib (9.22) closes descriptor 0 when it cannot open the file itself, and with it whatever
  // holds that descriptor: standard input, or an archive opened before. A missing "war3xlocal.mpq"
  // would thus break another archive. A file that cannot be opened for reading is therefore
  // refused here, before the library sees it.
  if (std::FILE* probe = std::fopen(path, "rb")) {
    std::fclose(probe);
  } else {
    return false;
  }
  return gEntryPoints.OpenArchive(path, priority, flags | kStormOpenReadOnly, archive);
}

bool SFMPQAPIMODULE::SFileCloseArchive(void* archive) {
  if (gEntryPoints.CloseArchive == nullptr || archive == nullptr) return false;
  return gEntryPoints.CloseArchive(archive);
}

bool SFMPQAPIMODULE::SFileOpenFileEx(void* archive, const char* name, uint32_t scope, void** file) {
  *file = nullptr;
  // A null archive is one that did not open: it has no members, and the library is not asked
  // (with another scope it would take a null archive as a request for a loose file on disk).
  if (gEntryPoints.OpenFileEx == nullptr || archive == nullptr || name == nullptr) return false;
  return gEntryPoints.OpenFileEx(archive, name, scope, file);
}

uint32_t SFMPQAPIMODULE::SFileGetFileSize(void* file, uint32_t* high) {
  if (gEntryPoints.GetFileSize == nullptr || file == nullptr) return 0;
  return gEntryPoints.GetFileSize(file, high);
}

bool SFMPQAPIMODULE::SFileReadFile(void* file, void* buffer, uint32_t toRead, uint32_t* read,
                                   void* overlapped) {
  *read = 0;
  if (gEntryPoints.ReadFile == nullptr || file == nullptr) return false;
  return gEntryPoints.ReadFile(file, buffer, toRead, read, overlapped);
}

bool SFMPQAPIMODULE::SFileCloseFile(void* file) {
  if (gEntryPoints.CloseFile == nullptr || file == nullptr) return false;
  return gEntryPoints.CloseFile(file);
}

bool MpqLibraryBound() {
  return SFMPQAPIMODULE::IsBound();
}
