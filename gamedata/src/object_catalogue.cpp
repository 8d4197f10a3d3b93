#include "gamedata/object_catalogue.h"

#include <algorithm>
#include <cstring>

#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "gamedata/slk_parser.h"

namespace {

constexpr size_t kIdLength = 4;

bool IdLess(const ObjectEntry& a, const ObjectEntry& b) {
  return std::memcmp(a.Id, b.Id, sizeof a.Id) < 0;
}

void SetId(ObjectEntry& entry, const char* cell) {
  if (cell != nullptr) std::strncpy(entry.Id, cell, kIdLength);
}

void Log(CLog* log, const char* text) {
  if (log != nullptr) log->Write(text);
}

char* Copy(const char* text, TCustomMemoryManager& memory) {
  const size_t length = std::strlen(text);
  char* copy = memory.New<char>(length + 1);
  std::memcpy(copy, text, length);
  return copy;
}

// The group of a sort code's first character, or -1 when such rows are not catalogued.
int GroupOfSortCode(char first) {
  switch (first) {
    case 'a':
      return 2;
    case 'b':
      return 3;
    case 'c':
      return 1;
    case 'd':
      return 4;
    case 'n':
    case 'o':
    case 'p':
    case 'z':
      return kNeutralGroup;
    default:
      return -1;
  }
}

enum UnitList { kHeroes, kUnits, kBuildings, kUnitListCount };

// Where a row of the unit table goes: group and list, or false when it is not catalogued.
bool PlaceUnitRow(const char* id, const char* sortCode, int& group, UnitList& list) {
  if (id == nullptr || *id == '\0' || sortCode == nullptr || std::strlen(sortCode) < 2)
    return false;
  group = GroupOfSortCode(sortCode[0]);
  if (group < 0) return false;
  switch (sortCode[1]) {
    case '1':
      // A hero code is two characters; longer codes of the kind are neutral units.
      if (sortCode[2] == '\0') {
        list = kHeroes;
      } else {
        group = kNeutralGroup;
        list = kUnits;
      }
      return true;
    case '2':
      list = kUnits;
      return true;
    case '3':
      list = kBuildings;
      return true;
    default:
      return false;
  }
}

}  // namespace

void SortEntries(ObjectEntry* entries, int32_t first, int32_t last) {
  if (entries == nullptr || first >= last) return;
  std::stable_sort(entries + first, entries + last + 1, IdLess);
}

ObjectEntry* SearchEntries(ObjectEntry* entries, int32_t count, const char* key) {
  if (entries == nullptr || count <= 0 || key == nullptr || strnlen(key, kIdLength) < kIdLength)
    return nullptr;
  while (true) {
    ObjectEntry* middle = entries + count / 2;
    const int order = std::memcmp(middle->Id, key, kIdLength);
    if (order == 0) return middle;
    if (count == 1) return nullptr;
    if (order < 0) {
      entries = middle;
      count = (count + 1) / 2;
    } else {
      count = count / 2;
    }
  }
}

ObjectEntry* FindInGroup(RaceGroup& group, const char* key) {
  const std::pair<ObjectEntry*, uint32_t> lists[] = {
      {group.Heroes, group.HeroCount},        {group.Units, group.UnitCount},
      {group.Buildings, group.BuildingCount}, {group.Upgrades, group.UpgradeCount},
      {group.Skills, group.SkillCount},       {group.Items, group.ItemCount},
  };
  for (const auto& [entries, count] : lists) {
    if (ObjectEntry* found = SearchEntries(entries, static_cast<int32_t>(count), key)) return found;
  }
  return nullptr;
}

ObjectEntry* FindObjectInGroups(RaceGroup* groups, const char* key) {
  for (int index = kCustomGroup; index >= 1; --index) {
    if (ObjectEntry* found = FindInGroup(groups[index], key)) return found;
  }
  return nullptr;
}

void AppendEntries(RaceGroup& group, const ObjectEntry* entries, size_t count,
                   TCustomMemoryManager& memory) {
  const std::pair<uint8_t, std::pair<ObjectEntry**, uint32_t*>> lists[] = {
      {kObjectHero, {&group.Heroes, &group.HeroCount}},
      {kObjectUnit, {&group.Units, &group.UnitCount}},
      {kObjectBuilding, {&group.Buildings, &group.BuildingCount}},
      {kObjectUpgrade, {&group.Upgrades, &group.UpgradeCount}},
      {kObjectSkill, {&group.Skills, &group.SkillCount}},
      {kObjectItem, {&group.Items, &group.ItemCount}},
  };
  for (const auto& [type, list] : lists) {
    const auto [array, arrayCount] = list;
    const auto added = static_cast<uint32_t>(std::count_if(
        entries, entries + count, [type = type](const ObjectEntry& e) { return e.Type == type; }));
    if (added == 0) continue;
    ObjectEntry* merged = memory.New<ObjectEntry>(*arrayCount + added);
    if (*arrayCount > 0) std::copy(*array, *array + *arrayCount, merged);
    uint32_t at = *arrayCount;
    for (size_t i = 0; i < count; ++i) {
      if (entries[i].Type == type) merged[at++] = entries[i];
    }
    *array = merged;
    *arrayCount = at;
    SortEntries(merged, 0, static_cast<int32_t>(at) - 1);
  }
}

void AddProperty(ObjectEntry* entry, const char* key, const char* value,
                 TCustomMemoryManager& memory) {
  if (entry == nullptr || key == nullptr || value == nullptr || GetProperty(entry, key) != nullptr)
    return;
  auto* property = memory.New<ObjectProperty>();
  property->Key = Copy(key, memory);
  property->Value = Copy(value, memory);
  property->Next = entry->Properties;
  entry->Properties = property;
}

const char* GetProperty(const ObjectEntry* entry, const char* key) {
  if (entry == nullptr || key == nullptr) return nullptr;
  for (const ObjectProperty* property = entry->Properties; property != nullptr;
       property = property->Next) {
    if (std::strcmp(property->Key, key) == 0) return property->Value;
  }
  return nullptr;
}

void CatalogueTable(const TSLKParser& table, uint8_t type, RaceGroup* groups,
                    TCustomMemoryManager& memory, CLog* log) {
  if (table.RowCount <= 0) return;
  const auto rows = static_cast<uint32_t>(table.RowCount);
  ObjectEntry* entries = memory.New<ObjectEntry>(rows);
  for (uint32_t row = 1; row < rows; ++row) {
    entries[row - 1] = ObjectEntry{};
    entries[row - 1].Type = type;
    SetId(entries[row - 1], table.Cell(0, static_cast<int32_t>(row)));
  }
  RaceGroup& neutral = groups[kNeutralGroup];
  const uint32_t count = rows - 1;
  const char* sortLine = nullptr;
  switch (type) {
    case kObjectSkill:
      neutral.Skills = entries;
      neutral.SkillCount = count;
      sortLine = "Start sorting skills (%d total).\n";
      break;
    case kObjectUpgrade:
      neutral.Upgrades = entries;
      neutral.UpgradeCount = count;
      sortLine = "Start sorting upgrades (%d total).\n";
      break;
    default:
      neutral.Items = entries;
      neutral.ItemCount = count;
      sortLine = "Start sorting items (%d total).\n";
      break;
  }
  if (log != nullptr) log->WriteNumber(sortLine, static_cast<int32_t>(count));
  SortEntries(entries, 0, static_cast<int32_t>(count) - 1);
  Log(log, "End sorting.\n");
}

void CatalogueUnits(const TSLKParser& table, RaceGroup* groups, TCustomMemoryManager& memory,
                    CLog* log) {
  // First pass: how many entries each list gets; second pass: the identifiers in table order.
  uint32_t counts[kNeutralGroup + 1][kUnitListCount] = {};
  ObjectEntry* lists[kNeutralGroup + 1][kUnitListCount] = {};
  for (int pass = 0; pass < 2; ++pass) {
    for (int32_t row = 1; row < table.RowCount; ++row) {
      int group = 0;
      UnitList list = kHeroes;
      const char* id = table.Cell(0, row);
      if (!PlaceUnitRow(id, table.Cell(1, row), group, list)) continue;
      uint32_t& count = counts[group][list];
      if (pass == 1) SetId(lists[group][list][count], id);
      ++count;
    }
    if (pass == 1) break;
    for (int group = 0; group <= kNeutralGroup; ++group) {
      for (int list = 0; list < kUnitListCount; ++list) {
        if (counts[group][list] > 0)
          lists[group][list] = memory.New<ObjectEntry>(counts[group][list]);
        counts[group][list] = 0;
      }
    }
  }

  Log(log, "Start sorting units, buildings and heroes...\n");
  const uint8_t types[kUnitListCount] = {kObjectHero, kObjectUnit, kObjectBuilding};
  for (int index = 0; index <= kNeutralGroup; ++index) {
    RaceGroup& group = groups[index];
    group.Heroes = lists[index][kHeroes];
    group.HeroCount = counts[index][kHeroes];
    group.Units = lists[index][kUnits];
    group.UnitCount = counts[index][kUnits];
    group.Buildings = lists[index][kBuildings];
    group.BuildingCount = counts[index][kBuildings];
    for (int list = 0; list < kUnitListCount; ++list) {
      for (uint32_t i = 0; i < counts[index][list]; ++i) {
        lists[index][list][i].Type = types[list];
        lists[index][list][i].Race = group.RaceCode;
      }
      SortEntries(lists[index][list], 0, static_cast<int32_t>(counts[index][list]) - 1);
    }
  }
  Log(log, "End sorting units, buildings and heroes.\n");
}

void AttachUnitAbilities(const TSLKParser& table, RaceGroup* groups, TCustomMemoryManager& memory) {
  constexpr int32_t kAbilList = 4;
  constexpr int32_t kHeroAbilList = 5;
  for (int32_t row = 1; row < table.RowCount; ++row) {
    const char* heroAbilities = table.Cell(kHeroAbilList, row);
    if (heroAbilities == nullptr || *heroAbilities == '\0') continue;
    ObjectEntry* entry = FindObjectInGroups(groups, table.Cell(0, row));
    if (entry == nullptr) continue;
    const char* abilities = table.Cell(kAbilList, row);
    if (abilities != nullptr && *abilities != '\0')
      AddProperty(entry, "abilList", abilities, memory);
    AddProperty(entry, "heroAbilList", heroAbilities, memory);
  }
}
