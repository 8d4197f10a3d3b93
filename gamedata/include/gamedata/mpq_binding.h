#pragma once

#include <cstdint>

// The binding to the MPQ archive library (StormLib), loaded at run time by file name so that a
// machine without it still runs the program: the game data reads then report the library as
// missing. The library is "libstorm.so.9"; the environment variable QUORVEL_MPQ_LIBRARY names
// another library file instead (an empty value counts as unset).
//
// The binding's state is one library handle and one table of entry points, kept in module-wide
// variables of this code. The game data code is a static library, so every shared library or
// program built with it (the main program, the parser library) holds a separate copy of that
// state and loads and resolves the library for itself. Not thread-safe: all calls come from one
// thread.

// Default file name of the archive library.
inline constexpr const char* kMpqLibraryName = "libstorm.so.9";
// The environment variable that names another library file.
inline constexpr const char* kMpqLibraryVariable = "QUORVEL_MPQ_LIBRARY";

// Entry points of the library, as its C interface declares them on this platform (its handles
// are pointers, its 32-bit words uint32_t).
using SFileOpenArchiveFunc = bool (*)(const char* path, uint32_t priority, uint32_t flags,
                                      void** archive);
using SFileCloseArchiveFunc = bool (*)(void* archive);
using SFileOpenFileExFunc = bool (*)(void* archive, const char* name, uint32_t scope, void** file);
using SFileGetFileSizeFunc = uint32_t (*)(void* file, uint32_t* high);
using SFileReadFileFunc = bool (*)(void* file, void* buffer, uint32_t toRead, uint32_t* read,
                                   void* overlapped);
using SFileCloseFileFunc = bool (*)(void* file);
using SFMpqDestroyFunc = bool (*)();

// An instance holds no data: constructing one binds this module to the library unless it is
// bound already; destroying any instance unbinds it, whatever other instances exist. Code that
// needs the library for a stretch of work keeps an instance for that stretch.
class SFMPQAPIMODULE {
 public:
  // Loads the library and resolves its entry points, unless this module has done so already.
  // A library that cannot be loaded leaves the module unbound; an entry point the library lacks
  // stays null (SFMpqDestroy always does with StormLib, which has no such function).
  SFMPQAPIMODULE();
  // Clears the entry points, calls SFMpqDestroy when it was resolved and unloads the library.
  // Handles obtained before become invalid.
  ~SFMPQAPIMODULE();
  SFMPQAPIMODULE(const SFMPQAPIMODULE&) = delete;
  SFMPQAPIMODULE& operator=(const SFMPQAPIMODULE&) = delete;

  // True while the library is loaded.
  static bool IsBound();

  // The operations the game data code calls, with the library's contracts. Each fails (false,
  // or a size of 0) without calling anything when the module is unbound or the library lacks
  // the entry point, so callers need no check of their own.

  // Opens the archive at a file-system path; true means `*archive` is valid. The archive is
  // opened for reading only: StormLib would otherwise ask for write access and fail on
  // read-only installations. A path that cannot be opened for reading fails before the library
  // is asked (see the .cpp: StormLib's own failure there harms other open files).
  static bool SFileOpenArchive(const char* path, uint32_t priority, uint32_t flags, void** archive);
  static bool SFileCloseArchive(void* archive);
  // Opens a member by its name inside the archive (backslash-separated, letter case ignored).
  // Scope 0 searches the given archive only; a null archive has no members.
  static bool SFileOpenFileEx(void* archive, const char* name, uint32_t scope, void** file);
  // The member's size in bytes; 0xFFFFFFFF when the library cannot tell (a read of that size
  // then fails for want of memory or bytes), 0 when unbound.
  static uint32_t SFileGetFileSize(void* file, uint32_t* high);
  // Reads up to `toRead` bytes; `*read` receives the count actually read (0 on failure). A read
  // that stops at the member's end answers false but still sets `*read`: callers compare the
  // count with the size.
  static bool SFileReadFile(void* file, void* buffer, uint32_t toRead, uint32_t* read,
                            void* overlapped);
  static bool SFileCloseFile(void* file);

 private:
  static void Bind();
  static void Unbind();
};

// True when the archive library is loaded in this module; the standard data read refuses to
// start without it.
bool MpqLibraryBound();
