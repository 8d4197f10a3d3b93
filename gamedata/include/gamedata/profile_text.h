#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct TCustomMemoryManager;

// Profile text files ("Units\HumanUnitStrings.txt" and their siblings) hold one section per
// object, headed by its four-character identifier in square brackets, with key=value lines
// below. The reader here turns such a file into a stream of section and pair events; the
// conversion of the values (DecodeProfileText) is also the one used for every name and text
// taken from a replay.
//
// Texts are UTF-8 throughout. The game's files are UTF-8 (some begin with a byte order mark,
// some end their lines in CR LF); older or hand-made texts may be Windows-1251, and those
// bytes are converted to UTF-8.

// Buffer sizes, each including the terminating zero.
inline constexpr size_t kProfileKeySize = 30;      // a key keeps at most 29 bytes
inline constexpr size_t kProfileValueSize = 2048;  // a value keeps at most 2047 bytes
inline constexpr size_t kProfileLineSize = 3000;   // a line keeps at most 2999 bytes
// DecodeProfileText converts at most this many input bytes.
inline constexpr size_t kProfileInputLimit = 2999;

// Receives the events of ReadProfile in file order. The texts lie in the reader's buffers and
// are valid only during the call: a consumer copies what it keeps. The reader does not track
// the current section; the consumer does (a pair belongs to the last section delivered, or to
// none before the first).
class ProfileConsumer {
 public:
  virtual ~ProfileConsumer() = default;
  // A "[xxxx]" line: `id` is the four characters between the brackets.
  virtual void Section(const char* id) = 0;
  // A key=value line: `key` is raw text of at most 29 bytes, `value` converted text of at
  // most 2047 bytes, cut at a character boundary.
  virtual void Pair(const char* key, const char* value) = 0;
};

// Splits `size` bytes at `data` into lines and delivers the events of each line. A line runs up
// to and including its line feed, or up to the end of the data. A line longer than 2999 bytes
// is cut (before a UTF-8 character that would straddle the cut) and the rest is taken as the
// next line. A UTF-8 byte order mark at the start of the data is not part of the first line.
// Never reads outside the given bytes; null data delivers nothing.
void ReadProfile(const uint8_t* data, size_t size, ProfileConsumer& consumer);

// What one profile line is.
enum class ProfileLineKind : int {
  Section = 0,  // `key` holds the identifier
  Pair = 1,     // `key` and `value` hold the pair
  Nothing = 2,  // the buffers may have been written to; their contents mean nothing
};

// Classifies one zero-terminated line (its line feed may still be on it) and fills the
// buffers: `key` must hold kProfileKeySize bytes, `value` kProfileValueSize bytes.
//  - Null, or at most 1 character: nothing.
//  - More than 5 characters, '[' first and ']' sixth: a section; the four characters between
//    go to `key`. Section names of another length are nothing, so the pairs after them go to
//    the section before.
//  - Otherwise a line with an '=' that does not begin with '/' is a pair: the key is the bytes
//    before the first '=' as they are (spaces kept), cut to 29 bytes; the value is the rest,
//    converted by DecodeProfileText and cut to 2047 bytes at a character boundary.
//  - Anything else (no '=', or a "/" comment) is nothing.
ProfileLineKind ParseProfileLine(const char* line, char* key, char* value);

// Owner of a converted text. A text taken from a memory manager belongs to the manager: the
// handle never frees it, so `get()` or `release()` may be kept for as long as the manager's
// blocks live. A text taken from the ordinary heap is freed when the handle goes, so it cannot
// leak; `release()` it only to free it with delete[] yourself.
struct ProfileTextDeleter {
  bool heap = false;
  void operator()(char* text) const {
    if (heap) delete[] text;
  }
};
using ProfileText = std::unique_ptr<char[], ProfileTextDeleter>;

// Converts a text to the program's UTF-8 and returns a new zero-terminated copy, taken from
// `memory` when one is given, else from the ordinary heap (see ProfileText). Null text gives a
// null handle. The rules:
//  - The input ends at a zero byte, a 0x1F byte (not copied) or after 2999 bytes.
//  - A byte below 0x80 is copied as it is; so is a well-formed UTF-8 sequence of any script.
//    A sequence that would run past the 2999th byte ends the input before it, so a character
//    is never cut in half.
//  - Any other byte (a lone, broken or overlong sequence) is taken as Windows-1251 and becomes
//    the UTF-8 form of that character; 0x98, which Windows-1251 leaves undefined, becomes
//    U+FFFD (the replacement character).
//  - Trailing carriage returns, line feeds and spaces are removed, but the first character
//    always stays (" \r\n" gives " ").
// Raises the manager's CMemoryError when `memory` cannot give the copy.
ProfileText DecodeProfileText(const char* text, TCustomMemoryManager* memory);

// The same for a text of `length` bytes that need not be zero-terminated: never reads more than
// `length` bytes (a zero byte within them still ends the text). The end of the bytes ends the
// text like a zero byte, so a sequence it cuts is taken as Windows-1251.
ProfileText DecodeProfileText(const char* text, size_t length, TCustomMemoryManager* memory);
