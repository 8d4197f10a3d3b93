#include "gamedata/mpq_data_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <set>

#include "gamedata/errors.h"
#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "gamedata/mpq_binding.h"
#include "gamedata/profile_text.h"
#include "gamedata/standard_layout.h"

namespace {

// Arguments every call into the archive library passes.
constexpr uint32_t kArchivePriority = 0;
constexpr uint32_t kArchiveFlags = 0;
constexpr uint32_t kSearchArchiveOnly = 0;  // search only the archive given

// Opens one standard archive, logging a failure.
void OpenArchive(const std::string& path, void*& archive, CLog* log) {
  archive = nullptr;
  if (!SFMPQAPIMODULE::SFileOpenArchive(path.c_str(), kArchivePriority, kArchiveFlags, &archive)) {
    archive = nullptr;
    if (log != nullptr) log->WriteText("Cant open %s(SFileOpenArchive failed).\n", path.c_str());
  }
}

}  // namespace

TMPQDataReader::TMPQDataReader()
    : RaceGroups{},
      ParseBlpData(nullptr),
      InitBLPParser(nullptr),
      PatchArchive(nullptr),
      LocalArchive(nullptr),
      ExpansionArchive(nullptr),
      BaseArchive(nullptr),
      MapArchive(nullptr),
      ErrorFile{},
      ErrorCode(0),
      ImageBuffer(new uint8_t[kImageBufferSize]()),
      Log(nullptr),
      MinimapImage(nullptr),
      BlpDecoderMissing(false) {
  for (int i = 0; i < kRaceGroupCount; ++i)
    RaceGroups[i].RaceCode = kRaceCodes[i];
}

TMPQDataReader::TMPQDataReader(const DataReaderInfo& info) : TMPQDataReader() {
  Log = info.Log;
  StandardMemory.Log = CustomMemory.Log = Tables.Log = Log;
  Tables.Memory.Log = Log;
  ObjectEditor.Log = ObjectEditor.Memory.Log = Log;
  WriteLine("MPQ reader constructor start.\n");
  // The binding lives as long as the process: the archives opened through it stay usable for
  // every reader.
  static SFMPQAPIMODULE binding;
  const auto folder = [this](const char* given, std::string& path, const char* found,
                             const char* none) {
    if (given == nullptr) {
      WriteLine(none);
      return;
    }
    path = given;
    if (path.empty() || path.back() != '/') path += '/';
    if (Log != nullptr) Log->WriteText(found, given);
  };
  folder(info.GamePath, GamePath, "DataReaderInfo war3 path: %s\n",
         "NO DataReaderInfo war3 path\n");
  folder(info.DataPath, DataPath, "DataReaderInfo parser data path: %s\n",
         "NO DataReaderInfo parser path\n");
  WriteLine("MPQ reader created successfully.\n");
}

TMPQDataReader::~TMPQDataReader() = default;

void TMPQDataReader::SetErrorFile(const char* name) {
  const size_t length = name != nullptr ? strnlen(name, kErrorFileSize - 1) : 0;
  if (length > 0) std::memcpy(ErrorFile, name, length);
  ErrorFile[length] = '\0';
}

void TMPQDataReader::RecordFailure(const char* name, int32_t code) {
  SetErrorFile(name);
  ErrorCode = code;
}

int32_t TMPQDataReader::CheckMpqLibrary() {
  if (MpqLibraryBound()) return MpqOk;
  if (Log != nullptr) Log->Write("Cant init MPQ library.\n");
  return MpqNoLibrary;
}

void TMPQDataReader::CloseStandardArchives() {
  // One archive may stand in more than one place.
  std::set<void*> archives{PatchArchive, LocalArchive, ExpansionArchive, BaseArchive};
  for (void* archive : archives) {
    if (archive != nullptr) SFMPQAPIMODULE::SFileCloseArchive(archive);
  }
  PatchArchive = LocalArchive = ExpansionArchive = BaseArchive = nullptr;
}

void TMPQDataReader::OpenStandardArchives() {
  const std::string& base = !GamePath.empty() ? GamePath : DataPath;
  PatchArchivePath = base + standard_layout::kPatchArchive;
  LocalArchivePath = base + standard_layout::kLocalArchive;
  ExpansionArchivePath = base + standard_layout::kExpansionArchive;
  BaseArchivePath = base + standard_layout::kBaseArchive;
  PatchArchive = LocalArchive = ExpansionArchive = BaseArchive = nullptr;
  OpenArchive(PatchArchivePath, PatchArchive, Log);
  OpenArchive(LocalArchivePath, LocalArchive, Log);
  OpenArchive(ExpansionArchivePath, ExpansionArchive, Log);
  OpenArchive(BaseArchivePath, BaseArchive, Log);
}

MpqTableFile TMPQDataReader::ReadTableFile(void* archive, const char* name,
                                           TCustomMemoryManager& memory) {
  MpqTableFile result{MpqOk, nullptr, 0, nullptr};
  void* file = nullptr;
  if (!SFMPQAPIMODULE::SFileOpenFileEx(archive, name, kSearchArchiveOnly, &file)) {
    RecordFailure(name, MpqFileMissing);
    result.Code = MpqFileMissing;
    return result;
  }
  const uint32_t size = SFMPQAPIMODULE::SFileGetFileSize(file, nullptr);
  uint8_t* bytes = nullptr;
  try {
    bytes = static_cast<uint8_t*>(memory.Allocate(size));
  } catch (const CMemoryError&) {
    // A member too large for one block (or no block at all) fails this one read; the manager
    // stays usable for the next table.
    SFMPQAPIMODULE::SFileCloseFile(file);
    RecordFailure(name, MpqNoMemory);
    result.Code = MpqNoMemory;
    return result;
  }
  uint32_t read = 0;
  SFMPQAPIMODULE::SFileReadFile(file, bytes, size, &read, nullptr);
  if (read != size) {
    // The bytes already taken stay in the manager until it frees all its blocks.
    SFMPQAPIMODULE::SFileCloseFile(file);
    RecordFailure(name, MpqShortRead);
    result.Code = MpqShortRead;
    return result;
  }
  result.Bytes = bytes;
  result.Size = size;
  result.File = file;
  return result;
}

int32_t TMPQDataReader::ReadTextFile(void* archive, const char* name, ProfileConsumer& consumer) {
  void* file = nullptr;
  if (!SFMPQAPIMODULE::SFileOpenFileEx(archive, name, kSearchArchiveOnly, &file)) {
    RecordFailure(name, MpqFileMissing);
    return MpqFileMissing;
  }
  const uint32_t size = SFMPQAPIMODULE::SFileGetFileSize(file, nullptr);
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]);
  if (!buffer) {
    SFMPQAPIMODULE::SFileCloseFile(file);
    RecordFailure(name, MpqNoMemory);
    return MpqNoMemory;
  }
  uint32_t read = 0;
  SFMPQAPIMODULE::SFileReadFile(file, buffer.get(), size, &read, nullptr);
  SFMPQAPIMODULE::SFileCloseFile(file);
  if (read != size) {
    RecordFailure(name, MpqShortRead);
    return MpqShortRead;
  }
  ReadProfile(buffer.get(), size, consumer);
  return MpqOk;
}

int32_t TMPQDataReader::ReadImage(const char* name, void** bitmap) {
  *bitmap = nullptr;
  void* file = nullptr;
  bool found = false;
  for (void* archive : {MapArchive, BaseArchive, ExpansionArchive, LocalArchive, PatchArchive}) {
    if (SFMPQAPIMODULE::SFileOpenFileEx(archive, name, kSearchArchiveOnly, &file)) {
      found = true;
      break;
    }
  }
  if (!found) {
    SetErrorFile(name);
    return MpqFileMissing;
  }
  const uint32_t size = SFMPQAPIMODULE::SFileGetFileSize(file, nullptr);
  if (size > kImageBufferSize && Log != nullptr) Log->WriteText("Too big image: %s.\n", name);
  std::memset(ImageBuffer.get(), 0, kImageBufferSize);
  // Never more than the buffer holds: a larger image comes back short and is refused below.
  const uint32_t toRead = std::min<uint32_t>(size, kImageBufferSize);
  uint32_t read = 0;
  SFMPQAPIMODULE::SFileReadFile(file, ImageBuffer.get(), toRead, &read, nullptr);
  SFMPQAPIMODULE::SFileCloseFile(file);
  if (read != size) {
    SetErrorFile(name);
    return MpqShortRead;
  }
  if (ParseBlpData != nullptr) *bitmap = ParseBlpData(ImageBuffer.get());
  return MpqOk;
}

void TMPQDataReader::WriteLine(const char* text) const {
  if (Log != nullptr) Log->Write(text);
}

namespace {

// Gives the "Name" and "Art" of the profile texts to the catalogue entries they describe. The
// first text that names an object decides.
class StandardTexts : public ProfileConsumer {
 public:
  explicit StandardTexts(TMPQDataReader& reader) : reader_(reader) {}
  void Section(const char* id) override { current_ = reader_.FindObject(id); }
  void Pair(const char* key, const char* value) override {
    if (current_ == nullptr) return;
    if (std::strcmp(key, "Name") == 0 || std::strcmp(key, "Art") == 0) {
      AddProperty(current_, key, value, reader_.StandardMemory);
    }
  }

 private:
  TMPQDataReader& reader_;
  ObjectEntry* current_ = nullptr;
};

using standard_layout::kBaseTexts;
using standard_layout::kExpansionTexts;
using standard_layout::kLocalTexts;
using standard_layout::kPatchTexts;

}  // namespace

int32_t TMPQDataReader::ReadTexts(void* archive, const std::string& path, const char* const* names,
                                  size_t count) {
  if (Log != nullptr) Log->WriteText("MPQ Reader: read %s start.\n", path.c_str());
  StandardTexts texts(*this);
  int32_t result = MpqOk;
  for (size_t i = 0; i < count && result == MpqOk; ++i)
    result = ReadTextFile(archive, names[i], texts);
  if (Log != nullptr) Log->WriteNumber("MPQ Reader: read end (result = %d).\n", result);
  return result;
}

void TMPQDataReader::ReadTables() {
  WriteLine("Start slk files reading...\n");
  const char* const* names = standard_layout::kTables;
  TSLKParser tables[4] = {TSLKParser(Log), TSLKParser(Log), TSLKParser(Log), TSLKParser(Log)};
  for (size_t i = 0; i < standard_layout::kCataloguedTables; ++i) {
    if (Log != nullptr) Log->WriteText("Processing file %s...\n", names[i]);
    // A table that cannot be read stays empty; ErrorFile and ErrorCode tell which and why.
    const MpqTableFile file = ReadTableFile(PatchArchive, names[i], StandardMemory);
    if (file.Code != MpqOk) continue;
    tables[i].Parse(file.Bytes, file.Size);
    SFMPQAPIMODULE::SFileCloseFile(file.File);
  }
  CatalogueTable(tables[0], kObjectSkill, RaceGroups, StandardMemory, Log);
  CatalogueUnits(tables[1], RaceGroups, StandardMemory, Log);
  CatalogueTable(tables[2], kObjectUpgrade, RaceGroups, StandardMemory, Log);
  CatalogueTable(tables[3], kObjectItem, RaceGroups, StandardMemory, Log);

  const MpqTableFile abilities =
      ReadTableFile(PatchArchive, standard_layout::kTables[4], StandardMemory);
  if (abilities.Code == MpqOk) {
    Tables.Parse(abilities.Bytes, abilities.Size);
    AttachUnitAbilities(Tables, RaceGroups, StandardMemory);
    SFMPQAPIMODULE::SFileCloseFile(abilities.File);
    Tables.Free();
  }
  WriteLine("End slk files reading...\n");
}

int32_t TMPQDataReader::ReadStandardData() {
  WriteLine("MPQ Reader: read MPQ files start.\n");
  LoadBlpDecoder(StandardMemory);
  if (CheckMpqLibrary() != MpqOk) return MpqNoLibrary;
  OpenStandardArchives();
  if (Log != nullptr) Log->WriteText("MPQ Reader: read %s start.\n", PatchArchivePath.c_str());
  ReadTables();
  int32_t result = ReadTexts(PatchArchive, PatchArchivePath, kPatchTexts, std::size(kPatchTexts));
  if (result == MpqOk)
    result = ReadTexts(LocalArchive, LocalArchivePath, kLocalTexts, std::size(kLocalTexts));
  if (result == MpqOk)
    result = ReadTexts(BaseArchive, BaseArchivePath, kBaseTexts, std::size(kBaseTexts));
  if (result == MpqOk) {
    result = ReadTexts(ExpansionArchive, ExpansionArchivePath, kExpansionTexts,
                       std::size(kExpansionTexts));
  }
  if (Log != nullptr) Log->WriteNumber("MPQ Reader: read MPQ files end (Result = %d).\n", result);
  return result;
}

ObjectEntry* TMPQDataReader::FindObject(const char* id) {
  return FindObjectInGroups(RaceGroups, id);
}

void** TMPQDataReader::GetObjectIcon(const char* id) {
  ObjectEntry* entry = FindInGroup(RaceGroups[kCustomGroup], id);
  if (entry == nullptr) entry = FindObject(id);
  if (entry == nullptr) return nullptr;
  if (ParseBlpData == nullptr) LoadBlpDecoder(StandardMemory);
  if (entry->Icon == nullptr) {
    if (const char* art = GetProperty(entry, "Art")) {
      void* bitmap = nullptr;
      if (ReadImage(art, &bitmap) == MpqOk) entry->Icon = static_cast<void**>(bitmap);
    }
  }
  return entry->Icon;
}

bool TMPQDataReader::LoadBlpDecoder(TCustomMemoryManager& memory) {
  if (!BlpModule.IsOpen() && !BlpModule.Open(DataPath + "libostrak.so")) {
    WriteLine("Cant load blp parser dll\n");
    return false;
  }
  ParseBlpData = BlpModule.Get<ParseBlpDataFunc>("ParseBlpData");
  InitBLPParser = BlpModule.Get<InitBLPParserFunc>("InitBLPParser");
  if (ParseBlpData == nullptr || InitBLPParser == nullptr) {
    ParseBlpData = nullptr;
    InitBLPParser = nullptr;
    return false;
  }
  return InitBLPParser(&memory);
}
