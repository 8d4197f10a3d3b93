#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "gamedata/memory_manager.h"
#include "gamedata/object_catalogue.h"
#include "gamedata/slk_parser.h"
#include "platform/dynamic_library.h"

struct CLog;
class ProfileConsumer;

// Result codes of every game data read.
inline constexpr int32_t MpqOk = 4096;           // success
inline constexpr int32_t MpqFileMissing = 4098;  // the archive or the file in it did not open
inline constexpr int32_t MpqNoLibrary = 4099;    // the archive library is not loaded
inline constexpr int32_t MpqNoMemory = 16;       // no memory for the file's bytes
inline constexpr int32_t MpqShortRead = 17;      // fewer bytes read than the file's size

// The texture decoder's entry point: decodes the image file at the start of the bytes and
// returns a reference to the bitmap, or null. It is given ImageBuffer, so it may read up to
// TMPQDataReader::kImageBufferSize bytes and no further.
using ParseBlpDataFunc = void* (*)(const uint8_t* data);

// The texture decoder's set-up entry point.
using InitBLPParserFunc = bool (*)(TCustomMemoryManager* memory);

// What a reader is built from.
struct DataReaderInfo {
  const char* GamePath;  // the game folder, or null
  const char* DataPath;  // the program's own data folder ("ParserData"), or null
  CLog* Log;             // may be null; not owned
};

// One table file read whole by ReadTableFile.
struct MpqTableFile {
  int32_t Code;    // MpqOk, or why nothing was read
  uint8_t* Bytes;  // Size bytes in the given memory manager (which owns them); null on failure
  uint32_t Size;
  // The member, still open on success (null on failure): the caller closes it with
  // SFMPQAPIMODULE::SFileCloseFile when it has finished with the bytes.
  void* File;
};

// The game data reader: reads the installation's archives and the replay's map into the object
// catalogue. The program creates one and hands the same object to the parser library, so both
// are built from this one definition.
//
// All reads go through this module's archive library binding (mpq_binding.h); while it is
// unbound every archive and file fails to open. Log lines go to Log only when it is set.
// Single-threaded.
struct TMPQDataReader {
  static constexpr size_t kImageBufferSize = 524288;
  static constexpr size_t kErrorFileSize = 100;  // ErrorFile keeps at most 99 characters

  // No paths, no archives open, no failure recorded, ImageBuffer zeroed, no log, no decoder,
  // empty catalogue.
  TMPQDataReader();
  // A reader of the given folders (each gets a trailing '/'), logging to info.Log. Binds the
  // archive library for the rest of the process. Logs "MPQ reader constructor start.\n", the
  // folders, and "MPQ reader created successfully.\n".
  explicit TMPQDataReader(const DataReaderInfo& info);
  TMPQDataReader(const TMPQDataReader&) = delete;
  TMPQDataReader& operator=(const TMPQDataReader&) = delete;
  // Does not close the archives: they belong to the library binding, which may outlive the
  // reader or be gone already.
  ~TMPQDataReader();

  // Reads the standard data of the installation (or of DataPath when there is no game folder)
  // into the catalogue: the unit, ability, upgrade and item tables and the unit abilities from
  // war3Patch.mpq, then the names and icon paths of the profile texts, each from the one archive
  // that holds it, stopping at the first text that cannot be read. Answers MpqOk, MpqNoLibrary,
  // or the code of the text that failed (ErrorFile names it); what was read until then stays.
  int32_t ReadStandardData();

  // The entry of `id` (first four characters): the current map's objects first, then the
  // neutral, undead, orc, human and night elf groups; heroes, units, buildings, upgrades, skills
  // and items in each. Null when there is none.
  ObjectEntry* FindObject(const char* id);

  // The icon of an object (the current map's objects first): a cell holding the decoded
  // bitmap, read from the object's "Art" image on first request; null when the object is
  // unknown, has no "Art", or its image cannot be read (tried again on the next request).
  void** GetObjectIcon(const char* id);

  // Binds the texture decoder (DataPath + "libostrak.so") and sets it up with `memory`; false,
  // with "Cant load blp parser dll\n" in the log, when the library cannot be loaded.
  bool LoadBlpDecoder(TCustomMemoryManager& memory);

  // MpqOk when the archive library is loaded; otherwise writes "Cant init MPQ library.\n" and
  // answers MpqNoLibrary. The standard data read starts with this check.
  int32_t CheckMpqLibrary();

  // Builds the four archive paths from GamePath, or DataPath when GamePath is empty, and opens
  // the archives in the order patch, local, expansion, base. An archive that does not open is
  // logged ("Cant open %s(SFileOpenArchive failed).\n") and its handle stays null; the others
  // are still opened. The reader never closes them again.
  void OpenStandardArchives();

  // Reads the member `name` of `archive` whole into memory taken from `memory`. On success the
  // member stays open (see MpqTableFile). On failure nothing stays open, no bytes are returned,
  // and the name (cut to 99 characters) and code are recorded in ErrorFile and ErrorCode:
  // MpqFileMissing when the member does not open, MpqNoMemory when `memory` cannot give a block
  // of its size (more than one 8 MB block, or the system refuses), MpqShortRead when fewer
  // bytes arrive than its size.
  MpqTableFile ReadTableFile(void* archive, const char* name, TCustomMemoryManager& memory);

  // Reads the profile text member `name` of `archive` into a temporary buffer and hands it to
  // ReadProfile, which delivers its sections and pairs to `consumer`. Answers MpqOk, or
  // MpqFileMissing, MpqNoMemory or MpqShortRead with the name and code recorded as above (the
  // consumer then hears nothing). The member is closed and the buffer released in every case.
  int32_t ReadTextFile(void* archive, const char* name, ProfileConsumer& consumer);

  // Finds the image member `name` in MapArchive, BaseArchive, ExpansionArchive, LocalArchive
  // and PatchArchive, in that order (the first archive that has it is used), reads it into
  // ImageBuffer and hands the buffer to ParseBlpData. `*bitmap` receives the decoder's result,
  // null when the decoder is not bound or on failure. Answers MpqOk; MpqFileMissing when no
  // archive has the member; MpqShortRead when it could not be read whole. Failures record the
  // name in ErrorFile (ErrorCode is left alone: the start-up report of ErrorCode concerns the
  // standard data, not icons).
  //
  // ImageBuffer is zeroed before every read, so the bytes after the image are zero. An image
  // larger than the buffer is logged ("Too big image: %s.\n") and refused as a short read: only
  // the first kImageBufferSize bytes are read, and a cut image is never decoded.
  int32_t ReadImage(const char* name, void** bitmap);

  // The catalogue: index 0 stays empty; 1 night elf (race code 4), 2 human (1), 3 orc (2),
  // 4 undead (8), 5 neutral objects and every standard upgrade, skill and item (128), 6 the
  // objects of the current custom map (240).
  RaceGroup RaceGroups[kRaceGroupCount];

  // The texture decoder: its library and entry points (null while not bound).
  platform::DynamicLibrary BlpModule;
  ParseBlpDataFunc ParseBlpData;
  InitBLPParserFunc InitBLPParser;

  std::string PatchArchivePath;      // base folder + "war3Patch.mpq"
  std::string LocalArchivePath;      // base folder + "war3xlocal.mpq"
  std::string ExpansionArchivePath;  // base folder + "war3x.mpq"
  std::string BaseArchivePath;       // base folder + "war3.mpq"
  void* PatchArchive;                // each handle null while its archive is not open
  void* LocalArchive;
  void* ExpansionArchive;
  void* BaseArchive;
  void* MapArchive;  // the archive of the map read last

  // The name of the last file that could not be read, and why (a result code). Both keep the
  // last failure until the next one.
  char ErrorFile[kErrorFileSize];
  int32_t ErrorCode;

  TCustomMemoryManager StandardMemory;  // every standard entry, property and table byte
  TCustomMemoryManager CustomMemory;    // the data of the current custom map

  std::string GamePath;  // the game folder ending in '/', empty when not given
  std::string DataPath;  // the program's "ParserData" folder ending in '/', empty when not given

  TSLKParser Tables;  // the reader's reusable table parser

  std::unique_ptr<uint8_t[]> ImageBuffer;  // kImageBufferSize bytes: the image read last
  CLog* Log;                               // not owned; may be null

 private:
  void WriteLine(const char* text) const;
  // The standard tables of war3Patch.mpq into the catalogue.
  void ReadTables();
  // Profile texts `names` of one archive, in order, up to the first that fails.
  int32_t ReadTexts(void* archive, const std::string& path, const char* const* names, size_t count);
  // Keeps the first 99 characters of `name` in ErrorFile.
  void SetErrorFile(const char* name);
  // SetErrorFile, and `code` in ErrorCode.
  void RecordFailure(const char* name, int32_t code);
};
