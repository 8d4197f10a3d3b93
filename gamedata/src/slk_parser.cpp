#include "gamedata/slk_parser.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "gamedata/log.h"

namespace {

// Reads a field value starting at `begin`: copies the characters up to (not including) the
// first ';' or line feed, or up to `end` when neither comes first, leaving out double quotes
// and carriage returns. At most TSLKParser::kMaxCellLength characters are kept in `out`
// (which must hold one more, for the terminating zero); the rest of the value is passed over.
// Returns the offset of the terminator (`end` when the value ran up to it).
size_t ReadField(const char* data, size_t begin, size_t end, char* out, size_t& outLength) {
  outLength = 0;
  size_t position = begin;
  for (; position < end; ++position) {
    const char c = data[position];
    if (c == ';' || c == '\n') break;
    if (c == '"' || c == '\r') continue;
    if (outLength < TSLKParser::kMaxCellLength) out[outLength++] = c;
  }
  out[outLength] = '\0';
  return position;
}

// A decimal number as the SLK fields write it: leading blanks, an optional sign, digits; the
// first other character ends it. Values beyond 32 bits stick at the nearest limit, so a
// hostile count can only become large, never wrap.
int32_t ParseDecimal(const char* text) {
  while (*text == ' ' || *text == '\t')
    ++text;
  bool negative = false;
  if (*text == '-' || *text == '+') negative = *text++ == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value > kLimit - 1 ? kLimit - 1 : value);
}

// The B record is looked for in the second line: after its first ';' come three fields, each a
// letter and a value. X and Y give the counts, K nothing; any other letter ends the scan at
// once. Returns where the record scan starts: just after the third field when all three were
// read, else 0. With the usual record ("B;X32;Y837;D0") the third field is D, so the counts
// are set and the record scan starts at the beginning of the file, where the ID and B lines
// produce no cells.
size_t ScanHeader(const char* data, size_t size, int32_t& columns, int32_t& rows) {
  if (size == 0) return 0;
  const void* firstLineEnd = std::memchr(data, '\n', size);
  if (firstLineEnd == nullptr) return 0;
  size_t position = static_cast<size_t>(static_cast<const char*>(firstLineEnd) - data) + 1;
  while (position < size && data[position] != ';' && data[position] != '\n')
    ++position;
  if (position >= size || data[position] != ';') return 0;
  ++position;

  char value[TSLKParser::kMaxCellLength + 1];
  size_t length = 0;
  for (int field = 0; field < 3; ++field) {
    if (position >= size) return 0;
    const char letter = data[position];
    if (letter != 'X' && letter != 'Y' && letter != 'K') return 0;
    const size_t terminator = ReadField(data, position + 1, size, value, length);
    if (letter == 'X') columns = ParseDecimal(value);
    if (letter == 'Y') rows = ParseDecimal(value);
    position = terminator + 1;
  }
  return position < size ? position : size;
}

// `count` zero-filled objects of type T at T's alignment. The manager packs its allocations
// byte by byte (one spare byte between them), so arrays of pointers are aligned here, at the
// cost of at most alignof(T) - 1 bytes. More than one block raises the manager's
// "Too large memory block.".
template <typename T>
T* NewAligned(TCustomMemoryManager& memory, size_t count) {
  constexpr size_t kPadding = alignof(T) - 1;
  if (count > (TCustomMemoryManager::kMemoryBlockSize - kPadding) / sizeof(T)) {
    memory.Allocate(size_t{TCustomMemoryManager::kMemoryBlockSize} + 1u);
  }
  auto address = reinterpret_cast<uintptr_t>(memory.Allocate(count * sizeof(T) + kPadding));
  address = (address + kPadding) & ~uintptr_t{kPadding};
  return reinterpret_cast<T*>(address);
}

}  // namespace

TSLKParser::TSLKParser(CLog* log)
    : ColumnCount(0), RowCount(0), Cells(nullptr), Memory(log), Log(log) {}

bool TSLKParser::Parse(const uint8_t* data, size_t size) {
  if (Log != nullptr) Log->Write("SLK parser: start parsing data.\n");
  // Emptied first, so that a table the manager cannot give leaves nothing half-built behind.
  ColumnCount = 0;
  RowCount = 0;
  Cells = nullptr;
  if (data == nullptr) size = 0;
  const char* text = reinterpret_cast<const char*>(data);

  int32_t columns = 0;
  int32_t rows = 0;
  const size_t start = ScanHeader(text, size, columns, rows);
  BuildTable(columns, rows);
  ScanRecords(text, size, start);

  if (Log != nullptr) Log->Write("SLK parser: data parsing end.\n");
  return true;
}

void TSLKParser::BuildTable(int32_t columns, int32_t rows) {
  if (columns < 0) columns = 0;
  if (rows < 0) rows = 0;
  // Both counts are below 2^31, so their product fits in 64 bits; on a platform whose size_t is
  // narrower it is clamped, and the manager refuses it as too large either way.
  const uint64_t cellCount = uint64_t{static_cast<uint32_t>(columns)} * static_cast<uint32_t>(rows);
  const size_t cells = cellCount > std::numeric_limits<size_t>::max()
                           ? std::numeric_limits<size_t>::max()
                           : static_cast<size_t>(cellCount);
  char*** columnArrays = NewAligned<char**>(Memory, static_cast<size_t>(columns));
  // Zero-filled by the manager: every cell starts empty.
  char** grid = NewAligned<char*>(Memory, cells);
  for (int32_t column = 0; column < columns; ++column) {
    columnArrays[column] = grid + static_cast<size_t>(column) * static_cast<size_t>(rows);
  }
  Cells = columnArrays;
  ColumnCount = columns;
  RowCount = rows;
}

void TSLKParser::ScanRecords(const char* data, size_t size, size_t start) {
  // The position carries over from line to line: a record that leaves out X or Y means the one
  // of the record before.
  int32_t x = 0;
  int32_t y = 0;
  char value[kMaxCellLength + 1];
  char cell[kMaxCellLength + 1];
  size_t valueLength = 0;
  size_t cellLength = 0;

  for (size_t lineStart = start; size > 0 && lineStart < size - 1;) {
    const void* found = std::memchr(data + lineStart, '\n', size - lineStart);
    // A last line without a line feed is not scanned.
    if (found == nullptr) break;
    const size_t lineEnd = static_cast<size_t>(static_cast<const char*>(found) - data);

    bool hasCell = false;
    for (size_t position = lineStart; position < lineEnd;) {
      switch (data[position]) {
        case 'C':  // the record type and its ';'
          position += 2;
          break;
        case 'X':
        case 'Y': {
          const size_t terminator = ReadField(data, position + 1, lineEnd, value, valueLength);
          if (data[position] == 'X') {
            x = ParseDecimal(value);
          } else {
            y = ParseDecimal(value);
          }
          position = terminator + 1;
          break;
        }
        case 'K':
          position = ReadField(data, position + 1, lineEnd, cell, cellLength) + 2;
          hasCell = true;
          break;
        default:
          ++position;
          break;
      }
    }

    if (hasCell && x >= 1 && x <= ColumnCount && y >= 1 && y <= RowCount) {
      char* copy = Memory.New<char>(cellLength + 1);
      std::memcpy(copy, cell, cellLength + 1);
      Cells[x - 1][y - 1] = copy;
    }
    lineStart = lineEnd + 1;
  }
}

const char* TSLKParser::Cell(int32_t column, int32_t row) const {
  if (Cells == nullptr || column < 0 || row < 0 || column >= ColumnCount || row >= RowCount) {
    return nullptr;
  }
  return Cells[column][row];
}

void TSLKParser::Free() {
  if (Log != nullptr) Log->Write("SLK parser: free memory.\n");
  // Emptied before the memory goes, so no pointer into freed blocks is left even when the
  // manager raises.
  ColumnCount = 0;
  RowCount = 0;
  Cells = nullptr;
  Memory.FreeAll();
}
