#include "gamedata/profile_text.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gamedata/memory_manager.h"

namespace {

// Every input byte gives at most three output bytes (a Windows-1251 character outside the
// two-byte range of UTF-8, or U+FFFD).
constexpr size_t kDecodedSize = 3 * kProfileInputLimit + 1;
// A UTF-8 sequence is at most four bytes: this much of a zero-terminated text is looked at to
// decide whether a sequence starting before the input limit is whole.
constexpr size_t kZeroTerminatedLookahead = kProfileInputLimit + 3;

// The characters of Windows-1251 bytes 0x80 to 0xFF. 0x98 is undefined there: U+FFFD.
constexpr uint16_t kWindows1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// The length of the well-formed UTF-8 sequence at `bytes` (of which `available` may be read),
// or 0 when there is none: overlong forms, surrogates, code points above U+10FFFF and sequences
// cut short by the end of the bytes do not count.
size_t Utf8SequenceLength(const uint8_t* bytes, size_t available) {
  const uint8_t lead = bytes[0];
  size_t length = 0;
  uint8_t low = 0x80;  // range of the second byte, narrower after some lead bytes
  uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (available < length) return 0;
  if (bytes[1] < low || bytes[1] > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if ((bytes[i] & 0xC0) != 0x80) return 0;
  }
  return length;
}

bool IsContinuationByte(char c) {
  return (static_cast<uint8_t>(c) & 0xC0) == 0x80;
}

// Writes the UTF-8 form of a character of the Basic Multilingual Plane; returns its length.
size_t AppendUtf8(uint16_t character, char* out) {
  if (character < 0x80) {
    out[0] = static_cast<char>(character);
    return 1;
  }
  if (character < 0x800) {
    out[0] = static_cast<char>(0xC0 | (character >> 6));
    out[1] = static_cast<char>(0x80 | (character & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (character >> 12));
  out[1] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (character & 0x3F));
  return 3;
}

// The conversion of DecodeProfileText into `out` (kDecodedSize bytes); returns the length of
// the zero-terminated result.
size_t DecodeInto(const uint8_t* text, size_t length, char* out) {
  const size_t limit = std::min(length, kProfileInputLimit);
  size_t in = 0;
  size_t used = 0;
  while (in < limit) {
    const uint8_t byte = text[in];
    if (byte == 0x00 || byte == 0x1F) break;
    if (byte < 0x80) {
      out[used++] = static_cast<char>(byte);
      ++in;
      continue;
    }
    // Whether a sequence is whole is decided on all the bytes there are, so that one which
    // straddles the input limit ends the input instead of turning into Windows-1251 letters.
    const size_t sequence = Utf8SequenceLength(text + in, length - in);
    if (sequence != 0) {
      if (in + sequence > limit) break;
      std::memcpy(out + used, text + in, sequence);
      used += sequence;
      in += sequence;
      continue;
    }
    used += AppendUtf8(kWindows1251[byte - 0x80], out + used);
    ++in;
  }
  while (used > 1 && (out[used - 1] == '\r' || out[used - 1] == '\n' || out[used - 1] == ' ')) {
    --used;
  }
  out[used] = '\0';
  return used;
}

// The length of a zero-terminated text, looking at no more than `most` bytes of it.
size_t BoundedLength(const char* text, size_t most) {
  size_t length = 0;
  while (length < most && text[length] != '\0')
    ++length;
  return length;
}

ProfileText CopyText(const char* text, size_t length, TCustomMemoryManager* memory) {
  if (memory != nullptr) {
    char* copy = memory->New<char>(length + 1);
    std::memcpy(copy, text, length + 1);
    return ProfileText(copy, ProfileTextDeleter{false});
  }
  char* copy = new char[length + 1];
  std::memcpy(copy, text, length + 1);
  return ProfileText(copy, ProfileTextDeleter{true});
}

// Where to cut a line that is longer than the line buffer allows (`available` > `cut` bytes
// at `line`): at `cut`, or before a UTF-8 character that would straddle it.
size_t LineCut(const uint8_t* line, size_t cut, size_t available) {
  size_t start = cut;
  while (start > 0 && cut - start < 3 && (line[start] & 0xC0) == 0x80)
    --start;
  if (start == cut) return cut;
  const size_t sequence = Utf8SequenceLength(line + start, available - start);
  return start + sequence > cut && start > 0 ? start : cut;
}

}  // namespace

ProfileText DecodeProfileText(const char* text, TCustomMemoryManager* memory) {
  if (text == nullptr) return ProfileText();
  return DecodeProfileText(text, BoundedLength(text, kZeroTerminatedLookahead), memory);
}

ProfileText DecodeProfileText(const char* text, size_t length, TCustomMemoryManager* memory) {
  if (text == nullptr) return ProfileText();
  char decoded[kDecodedSize];
  const size_t decodedLength = DecodeInto(reinterpret_cast<const uint8_t*>(text), length, decoded);
  return CopyText(decoded, decodedLength, memory);
}

ProfileLineKind ParseProfileLine(const char* line, char* key, char* value) {
  if (line == nullptr) return ProfileLineKind::Nothing;
  const size_t length = std::strlen(line);
  if (length <= 1) return ProfileLineKind::Nothing;
  // Only the brackets are looked at, so "[hfoo]\r\n" and "[hfoo]\t" are sections too.
  if (length > 5 && line[0] == '[' && line[5] == ']') {
    std::memcpy(key, line + 1, 4);
    key[4] = '\0';
    return ProfileLineKind::Section;
  }
  const char* equals = static_cast<const char*>(std::memchr(line, '=', length));
  if (equals == nullptr || line[0] == '/') return ProfileLineKind::Nothing;

  const size_t keyLength = std::min(static_cast<size_t>(equals - line), kProfileKeySize - 1);
  std::memcpy(key, line, keyLength);
  key[keyLength] = '\0';

  // Decoded here rather than through a copy of DecodeProfileText: the text is needed only
  // until it is in `value`.
  char decoded[kDecodedSize];
  const char* text = equals + 1;
  const size_t decodedLength = DecodeInto(reinterpret_cast<const uint8_t*>(text),
                                          static_cast<size_t>(line + length - text), decoded);
  // The decoded text is well-formed UTF-8, so backing off continuation bytes finds the start
  // of the character that does not fit.
  size_t valueLength = std::min(decodedLength, kProfileValueSize - 1);
  while (valueLength > 0 && valueLength < decodedLength &&
         IsContinuationByte(decoded[valueLength])) {
    --valueLength;
  }
  std::memcpy(value, decoded, valueLength);
  value[valueLength] = '\0';
  return ProfileLineKind::Pair;
}

void ReadProfile(const uint8_t* data, size_t size, ProfileConsumer& consumer) {
  if (data == nullptr) return;
  char line[kProfileLineSize];
  char key[kProfileKeySize];
  char value[kProfileValueSize];

  size_t position = 0;
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) position = 3;
  while (position < size) {
    const size_t rest = size - position;
    const uint8_t* start = data + position;
    const size_t window = std::min(rest, kProfileLineSize - 1);
    const void* lineFeed = std::memchr(start, '\n', window);
    size_t length = window;
    if (lineFeed != nullptr) {
      length = static_cast<size_t>(static_cast<const uint8_t*>(lineFeed) - start) + 1;
    } else if (rest > window) {
      length = LineCut(start, window, rest);
    }
    std::memcpy(line, start, length);
    line[length] = '\0';
    position += length;

    switch (ParseProfileLine(line, key, value)) {
      case ProfileLineKind::Section:
        consumer.Section(key);
        break;
      case ProfileLineKind::Pair:
        consumer.Pair(key, value);
        break;
      case ProfileLineKind::Nothing:
        break;
    }
  }
}
