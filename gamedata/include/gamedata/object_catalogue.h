#pragma once

#include <cstddef>
#include <cstdint>

struct CLog;
struct TCustomMemoryManager;
struct TSLKParser;

// One text property of a catalogued object ("Name", "Art", "abilList", "heroAbilList").
struct ObjectProperty {
  char* Key;
  char* Value;
  ObjectProperty* Next;
};

// Object types.
enum : uint8_t {
  kObjectBuilding = 1,
  kObjectHero = 2,
  kObjectItem = 3,
  kObjectUnit = 4,
  kObjectSkill = 5,
  kObjectUpgrade = 6,
};

// One catalogued game object. Entries of one kind lie in one contiguous array sorted by Id.
struct ObjectEntry {
  char Id[8];    // the four identifier characters, then zeros; empty when the row had none
  void** Icon;   // cell holding the decoded icon's bitmap handle; null until first asked for
  uint8_t Type;  // kObject...
  uint8_t Race;  // race code of the entry's group; 0 for standard upgrades, skills and items
  ObjectProperty* Properties;  // newest first
  ObjectEntry* Next;           // for lists kept outside the catalogue; null in catalogue arrays
};

// The objects of one race.
struct RaceGroup {
  uint8_t RaceCode;
  ObjectEntry* Heroes;
  ObjectEntry* Units;
  ObjectEntry* Buildings;
  ObjectEntry* Upgrades;
  ObjectEntry* Skills;
  ObjectEntry* Items;
  uint32_t HeroCount;
  uint32_t UnitCount;
  uint32_t BuildingCount;
  uint32_t UpgradeCount;
  uint32_t SkillCount;
  uint32_t ItemCount;
};

// The race groups of a catalogue, by index: 0 stays empty; 1 night elf, 2 human, 3 orc,
// 4 undead; 5 neutral objects and every standard upgrade, skill and item; 6 the objects of the
// current custom map.
constexpr int kRaceGroupCount = 7;
constexpr uint8_t kRaceCodes[kRaceGroupCount] = {0, 4, 1, 2, 8, 128, 240};
constexpr int kNeutralGroup = 5;
constexpr int kCustomGroup = 6;

// Sorts entries first..last (inclusive) by Id, byte by byte; equal Ids keep their order.
void SortEntries(ObjectEntry* entries, int32_t first, int32_t last);

// The entry among `count` sorted entries whose first four Id characters equal the first four
// characters of `key`; null for no entries, a null key or a key shorter than four characters.
ObjectEntry* SearchEntries(ObjectEntry* entries, int32_t count, const char* key);

// The entry of `key` in one group: its heroes, units, buildings, upgrades, skills and items.
ObjectEntry* FindInGroup(RaceGroup& group, const char* key);

// The entry of `key` in the groups: group 6, then 5 down to 1 (group 0 is never searched); in
// each the heroes, units, buildings, upgrades, skills and items; the first hit wins.
ObjectEntry* FindObjectInGroups(RaceGroup* groups, const char* key);

// Adds `entries` to the lists of `group` by their Type (new arrays from `memory`, each sorted).
void AppendEntries(RaceGroup& group, const ObjectEntry* entries, size_t count,
                   TCustomMemoryManager& memory);

// Adds key=value (copies taken from `memory`) unless the entry already has the key: the first
// value of a key wins. Keys are compared exactly.
void AddProperty(ObjectEntry* entry, const char* key, const char* value,
                 TCustomMemoryManager& memory);

// The value of `key` or null.
const char* GetProperty(const ObjectEntry* entry, const char* key);

// Catalogues the rows of the ability, upgrade or item table into group 5's skills, upgrades or
// items (`type` kObjectSkill, kObjectUpgrade or kObjectItem), sorted.
void CatalogueTable(const TSLKParser& table, uint8_t type, RaceGroup* groups,
                    TCustomMemoryManager& memory, CLog* log);

// Catalogues the heroes, units and buildings of the unit table by their sort codes (column 1).
void CatalogueUnits(const TSLKParser& table, RaceGroup* groups, TCustomMemoryManager& memory,
                    CLog* log);

// Attaches "abilList" (column 4) and "heroAbilList" (column 5) of the unit ability table to the
// catalogued objects; rows without a hero ability list are skipped.
void AttachUnitAbilities(const TSLKParser& table, RaceGroup* groups, TCustomMemoryManager& memory);
