#pragma once

#include <cstddef>
#include <cstdint>

#include "gamedata/memory_manager.h"

struct CLog;

// Turns an SLK table held in memory into a table of cell texts, addressed by column, then row,
// both from 0. The reader of the game tables uses it directly: column 0 holds the object
// identifiers, row 0 the column titles.
//
// What is read, in short: the counts come from the X and Y fields of the B record; then every
// line that holds X or Y fields moves the current position (SLK lets a record leave out the
// one that did not change), and a line with a K field stores its value in the cell at the
// current position. Cell texts are the file's bytes without double quotes and carriage
// returns (no character conversion), numbers stay text ("K12" gives "12"), and a value ends at
// the first ';' or line feed even inside quotes. A value is cut to kMaxCellLength characters.
// Cells outside the table (including a K field met while X or Y is still 0) are dropped, and
// so is a cell on a last line without a line feed (the E record normally ends the file).
//
// Every read stays within the `size` bytes given to Parse, whatever the bytes are.
struct TSLKParser {
  // Longest cell text kept; longer values are cut.
  static constexpr size_t kMaxCellLength = 1023;
  // The most cells a table may have: all cell pointers of a table lie in one allocation of the
  // memory manager (aligned, so up to alignof(char*) - 1 bytes go to padding), which gives at
  // most one block. A B record asking for more (or for more columns than this) makes Parse
  // raise the manager's CMemoryError "Too large memory block.".
  static constexpr size_t kMaxCells =
      (TCustomMemoryManager::kMemoryBlockSize - (alignof(char*) - 1)) / sizeof(char*);

  // Counts 0, no table; `log` (may be null, not owned) also goes to the memory manager.
  explicit TSLKParser(CLog* log = nullptr);
  TSLKParser(const TSLKParser&) = delete;
  TSLKParser& operator=(const TSLKParser&) = delete;
  // Frees every block of the memory manager.
  ~TSLKParser() = default;

  // Builds the table from `size` bytes at `data` (null means none) and returns true; a file
  // without a usable B record gives a table of 0 columns or rows and no cells. Negative counts
  // read as 0. The bytes stay the caller's and are not needed after the call. The previous
  // table's memory stays allocated until Free. Raises CMemoryError when the manager cannot
  // give the table (see kMaxCells); the parser then holds an empty table.
  bool Parse(const uint8_t* data, size_t size);

  // The text of a cell, or null for an empty cell and for a column or row outside the table.
  const char* Cell(int32_t column, int32_t row) const;

  // Writes "SLK parser: free memory.\n" and gives all memory back: every cell text becomes
  // invalid. The table is left empty (counts 0, Cells null), so Cell answers null until the
  // next Parse. Raises CMemoryError "Cannot free memory." when the system refuses a block.
  void Free();

  int32_t ColumnCount;  // from the X field of the B record
  int32_t RowCount;     // from the Y field of the B record
  // ColumnCount pointers, each to RowCount cell texts (null for an empty cell); the column
  // arrays follow each other in one allocation. Null when no table was built.
  char*** Cells;
  TCustomMemoryManager Memory;  // holds the column arrays and every cell text
  CLog* Log;                    // not owned; may be null

 private:
  void BuildTable(int32_t columns, int32_t rows);
  void ScanRecords(const char* data, size_t size, size_t start);
};
