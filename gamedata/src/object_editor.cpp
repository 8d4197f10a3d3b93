#include "gamedata/object_editor.h"

#include <algorithm>
#include <cstring>

#include "gamedata/errors.h"
#include "gamedata/log.h"
#include "gamedata/profile_text.h"

namespace {

// Reads the file's bytes front to back; every read checks that the bytes are there.
class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Remaining() const { return size_ - position_; }

  bool Word(uint32_t& value) {
    if (Remaining() < 4) return false;
    const uint8_t* p = data_ + position_;
    value = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    position_ += 4;
    return true;
  }

  bool Id(char (&id)[4]) {
    if (Remaining() < 4) return false;
    std::memcpy(id, data_ + position_, 4);
    position_ += 4;
    return true;
  }

  bool Skip(size_t count) {
    if (Remaining() < count) return false;
    position_ += count;
    return true;
  }

  // The zero-terminated text at the position: its start and length (without the zero); the
  // cursor moves past the zero. False when the zero is not within the bytes.
  bool Text(const char*& text, size_t& length) {
    const uint8_t* start = data_ + position_;
    const void* zero = std::memchr(start, 0, Remaining());
    if (zero == nullptr) return false;
    text = reinterpret_cast<const char*>(start);
    length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - start);
    position_ += length + 1;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

// How many bytes of `text` (`length` bytes) to keep within `limit` bytes without cutting a UTF-8
// sequence: a cut that lands on a continuation byte moves back to the start of its character.
size_t CutLength(const char* text, size_t length, size_t limit) {
  if (length <= limit) return length;
  size_t cut = limit;
  constexpr size_t kLongestSequence = 4;
  for (size_t back = 1; back < kLongestSequence && cut > 0; ++back) {
    if ((static_cast<uint8_t>(text[cut]) & 0xC0) != 0x80) break;
    --cut;
  }
  // Not UTF-8 after all (a run of such bytes is Windows-1251 text): cut where the limit is.
  if ((static_cast<uint8_t>(text[cut]) & 0xC0) == 0x80) cut = limit;
  return cut;
}

}  // namespace

TObjectEditorData::TObjectEditorData(CLog* log)
    : Memory(log), StringBuffer{}, Log(log), Version(0), ModifiedObjects{}, AddedObjects{} {
  WriteLine("Object editor: created.\n");
}

TObjectEditorData::~TObjectEditorData() {
  ModifiedObjects = AddedObjects = ObjectEditorTable{};
  try {
    Memory.FreeAll();
  } catch (const CError&) {
    // A block the system would not take back is lost; a destructor has no one to tell.
  }
  WriteLine("Object editor: destroyed.\n");
}

void TObjectEditorData::WriteLine(const char* text) const {
  if (Log != nullptr) Log->Write(text);
}

void TObjectEditorData::Free() {
  WriteLine("Object editor: free data.\n");
  ModifiedObjects = AddedObjects = ObjectEditorTable{};
  Memory.FreeAll();
}

namespace {

// The most objects, and modifications of one object, whose array fits one block of the memory
// manager (less the slack of aligning it). No real file comes near; a count beyond it ends the
// parse after that many.
constexpr size_t kMaxObjects =
    (TCustomMemoryManager::kMemoryBlockSize - alignof(ObjectEditorObject)) /
    sizeof(ObjectEditorObject);
constexpr size_t kMaxMods =
    (TCustomMemoryManager::kMemoryBlockSize - alignof(ObjectMod)) / sizeof(ObjectMod);

// Parses the tables of one file into the editor's memory. Each function answers false where the
// parse stops; what was filled in until then stays.
class EditorFileParser {
 public:
  EditorFileParser(TObjectEditorData& editor, ByteCursor& cursor, bool levelFields)
      : editor_(editor), cursor_(cursor), levelFields_(levelFields) {}

  bool Table(ObjectEditorTable& table) {
    uint32_t count = 0;
    if (!cursor_.Word(count)) return false;
    if (count == 0) return true;
    // However large the count, the objects that follow must fit in the rest of the file, and
    // their array in one block of the memory manager.
    const size_t room =
        std::min({size_t{count}, cursor_.Remaining() / editor_.kMinObjectSize, kMaxObjects});
    if (room == 0) return false;
    table.Objects = editor_.Memory.New<ObjectEditorObject>(room);
    for (size_t i = 0; i < room; ++i) {
      ObjectEditorObject& object = table.Objects[i];
      uint32_t modCount = 0;
      if (!cursor_.Id(object.BaseId) || !cursor_.Id(object.NewId) || !cursor_.Word(modCount))
        return false;
      ++table.ObjectCount;
      if (!Mods(object, modCount)) return false;
    }
    // A count larger than the room left is a file cut short: the next object cannot be there.
    return room == count;
  }

 private:
  bool Mods(ObjectEditorObject& object, uint32_t count) {
    if (count == 0) return true;
    const size_t room =
        std::min({size_t{count}, cursor_.Remaining() / editor_.kMinModSize, kMaxMods});
    if (room == 0) return false;
    object.Mods = editor_.Memory.New<ObjectMod>(room);
    for (size_t i = 0; i < room; ++i) {
      if (!Mod(object.Mods[i])) return false;
      ++object.ModCount;
    }
    return room == count;
  }

  bool Mod(ObjectMod& mod) {
    uint32_t type = 0;
    if (!cursor_.Id(mod.ModId) || !cursor_.Word(type)) return false;
    mod.VarType = static_cast<int32_t>(type);
    if (levelFields_ && (!cursor_.Word(mod.Level) || !cursor_.Word(mod.DataColumn))) return false;
    switch (mod.VarType) {
      case kObjectModInteger:
      case kObjectModReal:
      case kObjectModUnreal:
        if (!cursor_.Word(mod.ModValue.Bits)) return false;
        break;
      case kObjectModString: {
        const char* text = nullptr;
        size_t length = 0;
        if (!cursor_.Text(text, length)) return false;
        const size_t kept = CutLength(text, length, editor_.kStringBufferSize - 1);
        std::memcpy(editor_.StringBuffer, text, kept);
        editor_.StringBuffer[kept] = '\0';
        mod.ModValue.Text =
            DecodeProfileText(editor_.StringBuffer, kept, &editor_.Memory).release();
        break;
      }
      default:
        if (editor_.Log != nullptr)
          editor_.Log->WriteNumber("Object editor: unknown variable type: %d.\n", mod.VarType);
        return false;
    }
    return cursor_.Skip(4);  // the end marker
  }

  TObjectEditorData& editor_;
  ByteCursor& cursor_;
  bool levelFields_;
};

}  // namespace

bool TObjectEditorData::Parse(const uint8_t* data, size_t size, bool noLevelFields) {
  WriteLine("Object editor: data parsing start.\n");
  ModifiedObjects = AddedObjects = ObjectEditorTable{};
  Version = 0;
  if (data == nullptr || size == 0) {
    WriteLine("Object editor: data parsing end.\n");
    return false;
  }
  ByteCursor cursor(data, size);
  EditorFileParser parser(*this, cursor, !noLevelFields);
  bool whole = false;
  try {
    whole = cursor.Word(Version) && parser.Table(ModifiedObjects) && parser.Table(AddedObjects);
  } catch (const CMemoryError&) {
    // Only a count far beyond any real file asks for a table larger than a block; the file is
    // treated as ending there. What was parsed before stays.
  }
  WriteLine("Object editor: data parsing end.\n");
  return whole;
}
