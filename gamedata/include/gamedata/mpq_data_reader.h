#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "gamedata/memory_manager.h"
#include "gamedata/object_catalogue.h"
#include "gamedata/object_editor.h"
#include "gamedata/slk_parser.h"
#include "ostrak.h"
#include "platform/dynamic_library.h"

struct CLog;
class ProfileConsumer;

// Result codes of every game data read.
inline constexpr int32_t MpqOk = 4096;           // success
inline constexpr int32_t MpqFileMissing = 4098;  // the archive or the file in it did not open
inline constexpr int32_t MpqNoLibrary = 4099;    // the archive library is not loaded
inline constexpr int32_t MpqNoMemory = 16;       // no memory for the file's bytes
inline constexpr int32_t MpqShortRead = 17;      // fewer bytes read than the file's size

// The texture decoder's entry points (ParseBlpDataFunc, InitBLPParserFunc) are those of its
// public header. ParseBlpData is given ImageBuffer, so it may read up to
// TMPQDataReader::kImageBufferSize bytes and no further.

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
  // Closes the four standard archives and forgets them. The reader itself never does: its owner
  // calls this when it discards the reader, while the library binding is still loaded.
  void CloseStandardArchives();

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

  // Reads the objects of a replay's map into the custom group (6, race code 240), replacing
  // those of the map read before. `mapPath` is the path the replay records, relative to the
  // game folder and separated by '\' ("Maps\FrozenThrone\(2)EchoIsles.w3x"). The map is looked
  // up below GamePath, then below DataPath, matching each component regardless of letter case
  // (platform::ResolvePathIgnoringCase; a path that would leave the folder is not found there).
  // MapFileName receives the file-system path opened (or, when none opened, the path tried).
  //
  // Answers MpqOk when a map was read or the previous one reused; MpqFileMissing when the map
  // is under neither folder (ErrorFile names the second path tried, the custom data is
  // cleared and MapArchive closed); MpqNoLibrary when the archive library cannot be loaded
  // (the custom data stays as it was).
  //
  // The same file as the previous successful read (MapFileName equals LastMapFile) is not read
  // again: group 6, CustomMemory, MinimapImage and MapArchive stay, and the log says
  // "MPQ Reader: use data from previons map.\n". A new map replaces everything: its tables
  // ("Units\UpgradeData.slk", "Units\ItemData.slk", "Units\AbilityData.slk",
  // "Units\UnitData.slk"), the names that its "war3map.w3t" and "war3map.w3u" give objects of
  // those tables, the "Name" and "Art" of its profile texts, and its minimap "war3mapMap.blp"
  // (from the map, else from the standard archives). Its "Units\UnitAbilities.slk" may add
  // "abilList" and "heroAbilList" to objects of any group that have none, for the rest of the
  // run (those properties live in StandardMemory). Files missing from the map are skipped and
  // recorded in ErrorFile and ErrorCode; so is a table the memory manager cannot hold.
  //
  // When the texture decoder cannot be loaded, the objects are still read, the log says
  // "Cant init blp parser dll\n" and "Cant read custom map files.\n", MinimapImage stays null,
  // BlpDecoderMissing is set, and the answer is still MpqOk.
  //
  // The archive library is bound for the call when this module has no binding yet, and that
  // binding (only that one) is released at the end; a binding that exists already (the
  // program's own, held for the whole run) is used and left alone. MapArchive stays open after
  // the call for image lookups; it is valid while the library stays loaded in the process.
  int32_t LoadCustomMapData(const char* mapPath);

  // The entry of `id` (first four characters) among the current map's objects only: heroes,
  // units, buildings, upgrades, skills, items. Null when there is none.
  ObjectEntry* FindCustomObject(const char* id);

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

  // The custom map: the file-system path of the map being read, and of the one read last
  // (empty before the first and after a map that could not be opened).
  std::string MapFileName;
  std::string LastMapFile;
  void** MinimapImage;  // cell of the current map's decoded minimap; null when there is none
  TObjectEditorData ObjectEditor;  // holds data only while one object-editor file is handled
  // Set by a read of a new map that could not load the texture decoder (the map's objects
  // were read, its minimap was not); cleared by a read of a new map that could. The program
  // has no message box of its own here: whoever called the read turns this into its report.
  bool BlpDecoderMissing;

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
  // Empties group 6, MinimapImage, Tables and CustomMemory.
  void ClearCustomData();
  // The files of MapArchive into the custom group; false when the minimap could not be
  // attempted (no texture decoder).
  bool ReadCustomMapFiles();
  // "Name" from the "unam" changes of ObjectEditor's modified objects, for the map's objects.
  void AddEditorNames(uint8_t fileKind);
  // Entries of the map's group for the objects its object-editor files add or rename.
  void AddEditorObjects(uint8_t fileKind);
};
