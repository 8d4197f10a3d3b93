// The objects of a replay's map: the custom group of the game data reader.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/errors.h"
#include "gamedata/log.h"
#include "gamedata/mpq_binding.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/profile_text.h"
#include "platform/path_resolve.h"

namespace {

// Arguments every open of a map archive passes.
constexpr uint32_t kArchivePriority = 0;
constexpr uint32_t kArchiveFlags = 0;

constexpr size_t kIdLength = 4;
// The unit table's column that holds "structure" for buildings.
constexpr int32_t kUnitKindColumn = 18;

// The archive library for one map read. Destroying any SFMPQAPIMODULE unbinds the whole module
// (mpq_binding.h). Where the reader's long-lived binding and this read share one module (a
// program built with the game data and the parser code together, and the tests), a binding of
// our own for the read would, at its end, drop the entry points every later read of the reader
// needs (and possibly unload the library under the archives it holds open). So the read binds
// only a module that is unbound, and releases only the binding it made; a module that is bound
// already is used as it is.
class MapReadBinding {
 public:
  MapReadBinding() {
    if (!SFMPQAPIMODULE::IsBound()) binding_.emplace();
  }

 private:
  std::optional<SFMPQAPIMODULE> binding_;
};

// Closes a member of an archive when it goes.
class OpenMember {
 public:
  explicit OpenMember(void* file) : file_(file) {}
  OpenMember(const OpenMember&) = delete;
  OpenMember& operator=(const OpenMember&) = delete;
  ~OpenMember() {
    if (file_ != nullptr) SFMPQAPIMODULE::SFileCloseFile(file_);
  }

 private:
  void* file_;
};

// Where a map path leads below one folder: the file found (ignoring letter case), or, when
// there is none, the path that was tried, for the log and ErrorFile.
struct MapLocation {
  std::string path;
  bool found = false;
};

MapLocation LocateMap(const std::string& folder, std::string_view mapPath) {
  MapLocation location;
  location.path = platform::ResolvePathIgnoringCase(folder, mapPath);
  location.found = !location.path.empty();
  if (!location.found) location.path = folder + platform::ToSlashPath(mapPath);
  return location;
}

void LogText(CLog* log, const char* format, const std::string& text) {
  if (log != nullptr) log->WriteText(format, text.c_str());
}

void LogNumber(CLog* log, const char* format, uint32_t number) {
  if (log != nullptr) log->WriteNumber(format, static_cast<int32_t>(number));
}

void LogLine(CLog* log, const char* text) {
  if (log != nullptr) log->Write(text);
}

void SetId(ObjectEntry& entry, const char* cell) {
  if (cell != nullptr) std::strncpy(entry.Id, cell, kIdLength);
}

// One entry for each row of the table (the last stays empty: row 0 holds the titles), each
// with the identifier of its row's column 0, `type` and the custom race; sorted.
void ListTableRows(const TSLKParser& table, uint8_t type, ObjectEntry*& list, uint32_t& count,
                   TCustomMemoryManager& memory, CLog* log) {
  if (table.RowCount <= 0) return;
  const auto rows = static_cast<uint32_t>(table.RowCount);
  ObjectEntry* entries = memory.New<ObjectEntry>(rows);
  for (uint32_t row = 1; row < rows; ++row) {
    ObjectEntry& entry = entries[row - 1];
    SetId(entry, table.Cell(0, static_cast<int32_t>(row)));
    entry.Type = type;
    entry.Race = kRaceCodes[kCustomGroup];
  }
  list = entries;
  count = rows;
  LogNumber(log, "Start sorting (%d total).\n", count);
  SortEntries(entries, 0, static_cast<int32_t>(count) - 1);
  LogLine(log, "End sorting.\n");
}

// The kind of a unit table row: a building when column 18 says "structure", else a hero when
// the identifier begins below 'a' (as a signed byte, so every non-ASCII start counts), else a
// unit.
uint8_t UnitRowType(const char* id, const char* kind) {
  if (kind != nullptr && std::strcmp(kind, "structure") == 0) return kObjectBuilding;
  return static_cast<signed char>(id[0]) < 'a' ? kObjectHero : kObjectUnit;
}

// The heroes, units and buildings of the map's unit table: one array, ordered by type, whose
// runs of one type become the group's lists (rows without an identifier are in none).
void ListUnitRows(const TSLKParser& table, RaceGroup& group, TCustomMemoryManager& memory,
                  CLog* log) {
  if (table.RowCount <= 0) return;
  const auto rows = static_cast<uint32_t>(table.RowCount);
  ObjectEntry* entries = memory.New<ObjectEntry>(rows);
  for (uint32_t row = 1; row < rows; ++row) {
    const char* id = table.Cell(0, static_cast<int32_t>(row));
    if (id == nullptr || *id == '\0') continue;
    ObjectEntry& entry = entries[row - 1];
    SetId(entry, id);
    entry.Race = kRaceCodes[kCustomGroup];
    entry.Type = UnitRowType(id, table.Cell(kUnitKindColumn, static_cast<int32_t>(row)));
  }
  std::stable_sort(entries, entries + rows,
                   [](const ObjectEntry& a, const ObjectEntry& b) { return a.Type < b.Type; });
  for (uint32_t start = 0; start < rows;) {
    uint32_t end = start;
    while (end < rows && entries[end].Type == entries[start].Type)
      ++end;
    switch (entries[start].Type) {
      case kObjectBuilding:
        group.Buildings = entries + start;
        group.BuildingCount = end - start;
        break;
      case kObjectHero:
        group.Heroes = entries + start;
        group.HeroCount = end - start;
        break;
      case kObjectUnit:
        group.Units = entries + start;
        group.UnitCount = end - start;
        break;
      default:
        break;
    }
    start = end;
  }
  LogNumber(log, "Start sorting custom buildings (%d total).\n", group.BuildingCount);
  SortEntries(group.Buildings, 0, static_cast<int32_t>(group.BuildingCount) - 1);
  LogNumber(log, "Start sorting custom units (%d total).\n", group.UnitCount);
  SortEntries(group.Units, 0, static_cast<int32_t>(group.UnitCount) - 1);
  LogNumber(log, "Start sorting custom heroes (%d total).\n", group.HeroCount);
  SortEntries(group.Heroes, 0, static_cast<int32_t>(group.HeroCount) - 1);
  LogLine(log, "End sorting custom heroes.\n");
}

// Gives the "Name" and "Art" of a map's profile texts to the map's own objects.
class CustomTexts : public ProfileConsumer {
 public:
  explicit CustomTexts(TMPQDataReader& reader) : reader_(reader) {}
  void Section(const char* id) override { current_ = reader_.FindCustomObject(id); }
  void Pair(const char* key, const char* value) override {
    if (current_ == nullptr) return;
    if (std::strcmp(key, "Name") == 0 || std::strcmp(key, "Art") == 0)
      AddProperty(current_, key, value, reader_.CustomMemory);
  }

 private:
  TMPQDataReader& reader_;
  ObjectEntry* current_ = nullptr;
};

// The profile texts a map may hold, in the order they are read: the first that names an object
// decides its name.
const char* const kMapTexts[] = {
    "Units\\CampaignUnitFunc.txt",
    "Units\\CampaignUnitStrings.txt",
    "Units\\NeutralUnitFunc.txt",
    "Units\\NeutralUnitStrings.txt",
    "Units\\HumanUnitFunc.txt",
    "Units\\HumanUnitStrings.txt",
    "Units\\OrcUnitFunc.txt",
    "Units\\OrcUnitStrings.txt",
    "Units\\UndeadUnitFunc.txt",
    "Units\\UndeadUnitStrings.txt",
    "Units\\NightElfUnitFunc.txt",
    "Units\\NightElfUnitStrings.txt",
    "Units\\CampaignAbilityFunc.txt",
    "Units\\CampaignAbilityStrings.txt",
    "Units\\HumanAbilityFunc.txt",
    "Units\\HumanAbilityStrings.txt",
    "Units\\NeutralAbilityFunc.txt",
    "Units\\NeutralAbilityStrings.txt",
    "Units\\NightElfAbilityFunc.txt",
    "Units\\NightElfAbilityStrings.txt",
    "Units\\UndeadAbilityFunc.txt",
    "Units\\UndeadAbilityStrings.txt",
    "Units\\OrcAbilityFunc.txt",
    "Units\\OrcAbilityStrings.txt",
    "Units\\ItemStrings.txt",
    "Units\\CampaignUpgradeFunc.txt",
    "Units\\CampaignUpgradeStrings.txt",
    "Units\\CommonAbilityFunc.txt",
    "Units\\CommonAbilityStrings.txt",
    "Units\\HumanUpgradeFunc.txt",
    "Units\\HumanUpgradeStrings.txt",
    "Units\\ItemAbilityFunc.txt",
    "Units\\ItemAbilityStrings.txt",
    "Units\\ItemFunc.txt",
    "Units\\NeutralUpgradeFunc.txt",
    "Units\\NeutralUpgradeStrings.txt",
    "Units\\NightElfUpgradeFunc.txt",
    "Units\\NightElfUpgradeStrings.txt",
    "Units\\OrcUpgradeFunc.txt",
    "Units\\OrcUpgradeStrings.txt",
    "Units\\UndeadUpgradeFunc.txt",
    "Units\\UndeadUpgradeStrings.txt",
};

}  // namespace

ObjectEntry* TMPQDataReader::FindCustomObject(const char* id) {
  return FindInGroup(RaceGroups[kCustomGroup], id);
}

void TMPQDataReader::ClearCustomData() {
  MinimapImage = nullptr;
  RaceGroup& custom = RaceGroups[kCustomGroup];
  custom = RaceGroup{};
  custom.RaceCode = kRaceCodes[kCustomGroup];
  Tables.Free();
  CustomMemory.FreeAll();
}

int32_t TMPQDataReader::LoadCustomMapData(const char* mapPath) {
  const MapReadBinding binding;
  WriteLine("MPQ Reader: read custom map data start.\n");
  const std::string_view path = mapPath != nullptr ? mapPath : "";
  MapLocation location = LocateMap(GamePath, path);
  MapFileName = location.path;
  LogText(Log, "MPQ Reader: war3 custom map filename: %s.\n", MapFileName);
  if (!MpqLibraryBound()) {
    WriteLine("Cant init mpq engine.\n");
    return MpqNoLibrary;
  }

  // A path that was not found is never handed to the library: it may lead out of the folder.
  const auto open = [](const MapLocation& at, void*& archive) {
    return at.found && SFMPQAPIMODULE::SFileOpenArchive(at.path.c_str(), kArchivePriority,
                                                        kArchiveFlags, &archive);
  };
  void* archive = nullptr;
  if (!open(location, archive)) {
    LogText(Log, "Cant open map file: %s\n", MapFileName);
    location = LocateMap(DataPath, path);
    MapFileName = location.path;
    LogText(Log, "MPQ Reader: tarnwick custom map filename: %s.\n", MapFileName);
    if (!open(location, archive)) {
      WriteLine("Cant open map.\n");
      SetErrorFile(MapFileName.c_str());
      ClearCustomData();
      if (MapArchive != nullptr) SFMPQAPIMODULE::SFileCloseArchive(MapArchive);
      MapArchive = nullptr;
      LastMapFile.clear();
      return MpqFileMissing;
    }
  }

  if (MapFileName == LastMapFile) {
    WriteLine("MPQ Reader: use data from previons map.\n");
    SFMPQAPIMODULE::SFileCloseArchive(archive);
    return MpqOk;
  }

  ClearCustomData();
  if (MapArchive != nullptr) SFMPQAPIMODULE::SFileCloseArchive(MapArchive);
  MapArchive = archive;
  WriteLine("MPQ Reader: read custom map files start.\n");
  if (!ReadCustomMapFiles()) WriteLine("Cant read custom map files.\n");
  LastMapFile = MapFileName;
  WriteLine("MPQ Reader: read custom map files end.\n");
  WriteLine("MPQ Reader: read custom map data end.\n");
  return MpqOk;
}

void TMPQDataReader::AddEditorNames(uint8_t fileKind) {
  // Names given to the map's own objects; the objects of the game keep theirs.
  const ObjectEditorTable& modified = ObjectEditor.ModifiedObjects;
  for (uint32_t i = 0; i < modified.ObjectCount; ++i) {
    const ObjectEditorObject& object = modified.Objects[i];
    ObjectEntry* entry = FindCustomObject(object.BaseId);
    if (entry == nullptr) continue;
    for (uint32_t m = 0; m < object.ModCount; ++m) {
      const ObjectMod& mod = object.Mods[m];
      if (std::memcmp(mod.ModId, "unam", kIdLength) == 0 && mod.VarType == kObjectModString)
        AddProperty(entry, "Name", mod.ModValue.Text, CustomMemory);
    }
  }
  AddEditorObjects(fileKind);
}

void TMPQDataReader::AddEditorObjects(uint8_t fileKind) {
  // Maps seldom carry tables of their own: the objects they add, and the objects of the game they
  // rename, stand in their object-editor files. Each becomes an entry of the map's group (so it
  // is found before the game's), typed like the object it is based on, named by its "unam"
  // change or else like its base, with its base's icon and ability lists.
  std::vector<ObjectEntry> entries;
  const auto add = [&](const char* id, const ObjectEditorObject& object, bool added) {
    char key[5] = {};
    std::memcpy(key, id, kIdLength);
    if (key[0] == '\0' || FindCustomObject(key) != nullptr) return;
    for (const ObjectEntry& pending : entries) {
      if (std::memcmp(pending.Id, key, kIdLength) == 0) return;
    }
    const char* name = nullptr;
    for (uint32_t m = 0; m < object.ModCount; ++m) {
      const ObjectMod& mod = object.Mods[m];
      if (std::memcmp(mod.ModId, "unam", kIdLength) == 0 && mod.VarType == kObjectModString)
        name = mod.ModValue.Text;
    }
    char baseKey[5] = {};
    std::memcpy(baseKey, object.BaseId, kIdLength);
    const ObjectEntry* base = FindObject(baseKey);
    // A renamed object of the game that keeps its name needs no entry of its own.
    if (!added && name == nullptr) return;
    ObjectEntry entry{};
    std::memcpy(entry.Id, key, kIdLength);
    entry.Race = kRaceCodes[kCustomGroup];
    if (base != nullptr) {
      entry.Type = base->Type;
    } else if (fileKind == kObjectItem) {
      entry.Type = kObjectItem;
    } else {
      entry.Type = key[0] >= 'A' && key[0] <= 'Z' ? kObjectHero : kObjectUnit;
    }
    if (name == nullptr) name = GetProperty(base, "Name");
    if (name != nullptr) AddProperty(&entry, "Name", name, CustomMemory);
    for (const char* property : {"Art", "abilList", "heroAbilList"}) {
      if (const char* value = GetProperty(base, property))
        AddProperty(&entry, property, value, CustomMemory);
    }
    entries.push_back(entry);
  };
  const ObjectEditorTable& modified = ObjectEditor.ModifiedObjects;
  for (uint32_t i = 0; i < modified.ObjectCount; ++i)
    add(modified.Objects[i].BaseId, modified.Objects[i], false);
  const ObjectEditorTable& addedObjects = ObjectEditor.AddedObjects;
  for (uint32_t i = 0; i < addedObjects.ObjectCount; ++i) {
    add(addedObjects.Objects[i].NewId, addedObjects.Objects[i], true);
  }
  AppendEntries(RaceGroups[kCustomGroup], entries.data(), entries.size(), CustomMemory);
}

bool TMPQDataReader::ReadCustomMapFiles() {
  RaceGroup& custom = RaceGroups[kCustomGroup];

  // Reads the member `name` of the map with `memory` and hands its bytes to `use`. A member the
  // map lacks is skipped (ReadTableFile records it). A member whose contents the memory managers
  // cannot hold (a table far larger than any real one) is skipped as well and recorded as
  // MpqNoMemory: a map's files must not end the parse of the replay.
  const auto withMember = [this](const char* name, TCustomMemoryManager& memory, auto use) {
    const MpqTableFile file = ReadTableFile(MapArchive, name, memory);
    if (file.Code != MpqOk) return;
    const OpenMember member(file.File);
    try {
      use(file);
    } catch (const CMemoryError&) {
      RecordFailure(name, MpqNoMemory);
    }
  };
  // The same for a table, parsed into Tables and freed after `use`.
  const auto withTable = [&](const char* name, TCustomMemoryManager& memory, auto use) {
    withMember(name, memory, [&](const MpqTableFile& file) {
      Tables.Parse(file.Bytes, file.Size);
      use();
      Tables.Free();
    });
  };

  struct ListedTable {
    const char* name;
    uint8_t type;
    ObjectEntry** list;
    uint32_t* count;
  };
  const ListedTable listed[] = {
      {"Units\\UpgradeData.slk", kObjectUpgrade, &custom.Upgrades, &custom.UpgradeCount},
      {"Units\\ItemData.slk", kObjectItem, &custom.Items, &custom.ItemCount},
      {"Units\\AbilityData.slk", kObjectSkill, &custom.Skills, &custom.SkillCount},
  };
  for (const ListedTable& table : listed) {
    LogText(Log, "Parse slk file: %s.\n", table.name);
    withTable(table.name, CustomMemory, [&] {
      ListTableRows(Tables, table.type, *table.list, *table.count, CustomMemory, Log);
    });
  }
  LogText(Log, "Parse slk file: %s.\n", "Units\\UnitData.slk");
  withTable("Units\\UnitData.slk", CustomMemory,
            [&] { ListUnitRows(Tables, custom, CustomMemory, Log); });
  // Abilities the map gives may go to standard objects too, which outlive the map's data.
  withTable("Units\\UnitAbilities.slk", StandardMemory,
            [&] { AttachUnitAbilities(Tables, RaceGroups, StandardMemory); });

  WriteLine("MPQ Reader: read standard map files start.\n");
  const std::pair<const char*, uint8_t> editorFiles[] = {{"war3map.w3t", kObjectItem},
                                                         {"war3map.w3u", kObjectUnit}};
  for (const auto& [name, kind] : editorFiles) {
    withMember(name, CustomMemory, [&, kind = kind](const MpqTableFile& file) {
      ObjectEditor.Parse(file.Bytes, file.Size, true);
      try {
        AddEditorNames(kind);
      } catch (const CMemoryError&) {
        ObjectEditor.Free();
        throw;
      }
      ObjectEditor.Free();
    });
  }
  WriteLine("MPQ Reader: read standard map files end.\n");

  for (const char* name : kMapTexts) {
    withMember(name, CustomMemory, [&](const MpqTableFile& file) {
      CustomTexts texts(*this);
      ReadProfile(file.Bytes, file.Size, texts);
    });
  }

  // The decoder keeps the memory manager it was first set up with (ostrak.h): after the
  // program's standard data read that is StandardMemory, and this one changes nothing.
  if (!LoadBlpDecoder(CustomMemory)) {
    WriteLine("Cant init blp parser dll\n");
    BlpDecoderMissing = true;
    return false;
  }
  BlpDecoderMissing = false;
  void* minimap = nullptr;
  ReadImage("war3mapMap.blp", &minimap);
  MinimapImage = static_cast<void**>(minimap);
  return true;
}
