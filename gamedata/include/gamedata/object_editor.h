#pragma once

#include <cstddef>
#include <cstdint>

#include "gamedata/memory_manager.h"

struct CLog;

// The object-editor files of a map ("war3map.w3u" for units, "war3map.w3t" for items, and their
// siblings) record how the map changes objects of the game and which objects it adds. All
// numbers are little-endian 32-bit words:
//
//   file          version, modified objects (a table), added objects (a table)
//   table         count, then that many objects
//   object        base id (4 bytes), new id (4 bytes), modification count, then that many
//                 modifications
//   modification  id (4 bytes), variable type; in files with level fields: level, data column;
//                 the value; 4 bytes of end marker (not checked)
//   value         types 0 (integer), 1 (real) and 2 (unreal): 4 bytes; type 3 (string): a
//                 zero-terminated text
//
// Unit and item files have no level fields.

// Variable types of a modification.
enum : int32_t {
  kObjectModInteger = 0,
  kObjectModReal = 1,
  kObjectModUnreal = 2,
  kObjectModString = 3,
};

// The value of a modification: for types 0 to 2 the four bytes as a little-endian word (an
// integer, or the bit pattern of a float: std::bit_cast<float>(Bits)); for type 3 the text.
union ObjectModValue {
  uint32_t Bits;
  char* Text;  // zero-terminated UTF-8 in TObjectEditorData::Memory
};

// One changed field of an object.
struct ObjectMod {
  char ModId[4];  // the field's identifier ("unam" for a unit's name), not zero-terminated
  int32_t VarType;
  ObjectModValue ModValue;
  uint32_t Level;       // 0 in files without level fields
  uint32_t DataColumn;  // 0 in files without level fields
};

// One object of a table with its changes.
struct ObjectEditorObject {
  char BaseId[4];  // the object it is based on; not zero-terminated
  char NewId[4];   // its own identifier (added objects); zeros in modified objects
  uint32_t ModCount;
  ObjectMod* Mods;  // ModCount changes in Memory; null when there are none
};

struct ObjectEditorTable {
  uint32_t ObjectCount;
  ObjectEditorObject* Objects;  // ObjectCount objects in Memory; null when there are none
};

// Reads object-editor files into tables held by its own memory manager. One file at a time:
// Parse fills the tables, Free empties them and gives all their memory back. Log lines go to
// Log only when it is set. Single-threaded.
struct TObjectEditorData {
  static constexpr size_t kStringBufferSize = 1024;  // a string value keeps at most 1023 bytes
  // The least number of file bytes an object (ids and count) and a modification (id, type,
  // end marker) take: counts are bounded by what the rest of the file could hold.
  static constexpr size_t kMinObjectSize = 12;
  static constexpr size_t kMinModSize = 12;

  // Empty tables; writes "Object editor: created.\n". `log` (may be null, not owned) also goes
  // to Memory.
  explicit TObjectEditorData(CLog* log = nullptr);
  TObjectEditorData(const TObjectEditorData&) = delete;
  TObjectEditorData& operator=(const TObjectEditorData&) = delete;
  // Gives the memory back and writes "Object editor: destroyed.\n": the log must still exist.
  ~TObjectEditorData();

  // Reads the `size` bytes at `data` (an object-editor file; `noLevelFields` for unit and item
  // files) into Version, ModifiedObjects and AddedObjects, between the log lines
  // "Object editor: data parsing start.\n" and "Object editor: data parsing end.\n". The bytes
  // stay the caller's; the tables and texts are copies in Memory, valid until Free.
  //
  // Never reads outside the given bytes and never trusts a count beyond what the rest of the
  // file could hold (see kMinObjectSize). The parse stops, keeping what was read before, where
  // the file stops making sense:
  //  - it ends inside a word, an object or a modification (a string value without its zero
  //    within the file included);
  //  - a modification has a type other than 0 to 3: logged as
  //    "Object editor: unknown variable type: %d.\n" (the bytes after it cannot be told apart);
  //  - a table or an object has more entries than one block of Memory holds (no real file
  //    comes near), or Memory cannot give a block: the parse ends after what fitted.
  // "Kept" means: an object counts once its ids and count were read, with the modifications
  // read whole before the stop; a table after the stop stays empty.
  //
  // String values are converted like every name of the catalogue (DecodeProfileText): valid
  // UTF-8 stays as it is, other bytes are read as Windows-1251 (the maps of the time were made
  // on such systems), a 0x1F byte ends the text and trailing blanks go. At most the first
  // 1023 bytes are taken (through StringBuffer), cut before a UTF-8 character that would
  // straddle the cut.
  //
  // Returns true when the whole file was read; false for no data (null or 0 bytes) or a stopped
  // parse. The tables are emptied first in every case.
  bool Parse(const uint8_t* data, size_t size, bool noLevelFields);

  // Writes "Object editor: free data.\n", empties the tables and gives every block of Memory
  // back: the texts of the last parse become invalid.
  void Free();

  TCustomMemoryManager Memory;           // holds the tables and texts of the last parse
  char StringBuffer[kStringBufferSize];  // staging for string values
  CLog* Log;                             // not owned; may be null
  uint32_t Version;                      // first word of the last file (not checked)
  ObjectEditorTable ModifiedObjects;     // objects of the game that the file changes
  ObjectEditorTable AddedObjects;        // objects that the file adds

 private:
  void WriteLine(const char* text) const;
};
