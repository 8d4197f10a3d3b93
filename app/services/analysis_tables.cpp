#include "analysis_tables.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <set>

#include "replay_context.h"

namespace {

std::string Text(const char* text) {
  return text != nullptr ? text : "";
}

// The name after the last folder separator.
std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TwoDigits(int32_t value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string TimeCell(const GameTime& time) {
  return "[" + TwoDigits(time.Hours) + ":" + TwoDigits(time.Minutes) + ":" +
         TwoDigits(time.Seconds) + "]";
}

constexpr char kNoTime[] = "[00.00.00]";

// A cell read as a number the way the grid's sort reads it: its leading digits, 0 for none.
int64_t Number(std::string_view cell) {
  int64_t value = 0;
  std::from_chars(cell.data(), cell.data() + cell.size(), value);
  return value;
}

// The result cell of a row: "Win" for flag 1, nothing for -1, else "Defeat", except for the
// idle rows of team 12.
std::string ResultCell(int flag, std::string_view teamCell, int32_t actions) {
  if (flag == 1) return "Win";
  if (flag == -1) return "";
  if (teamCell == "12" && actions == 0) return "";
  return "Defeat";
}

struct RowValues {
  uint32_t slot;
  std::string_view colourName;
  int32_t heroes;
  int resultFlag;
  int32_t actions;
  int32_t apm;
  std::string time;
  int32_t handicap;
  std::string_view race;
  int32_t team;  // shown as it is
  std::string_view playerClass;
  std::string name;
  uint8_t playerId;
};

PlayerRow MakeRow(const RowValues& v) {
  PlayerRow row;
  row.cells = {std::to_string(v.slot),
               std::string(v.colourName),
               v.name,
               std::string(v.playerClass),
               std::string(v.race),
               std::to_string(v.team),
               std::to_string(v.handicap),
               v.time,
               std::to_string(v.apm),
               std::to_string(v.actions),
               "",
               std::to_string(v.heroes)};
  row.cells[kColumnResult] = ResultCell(v.resultFlag, row.cells[kColumnTeam], v.actions);
  row.colour = ColourValue(v.colourName);
  row.playerId = v.playerId;
  return row;
}

const PlayerRecord* PlayerOf(const GeneralInfo& info, uint8_t id) {
  if (info.Players == nullptr) return nullptr;
  for (int32_t i = 0; i < info.PlayerCount; ++i) {
    if (info.Players[i].PlayerID == id) return &info.Players[i];
  }
  return nullptr;
}

// Weights of the comparisons that rank texts.
int RaceWeight(std::string_view race) {
  if (race == "Orc") return 9;
  if (race == "Human") return 7;
  if (race == "Undead") return 5;
  if (race == "NightElf") return 3;
  if (race == "Random") return 1;
  return 0;
}
int ClassWeight(std::string_view playerClass) {
  if (playerClass == "Human") return 2;
  if (playerClass == "Computer") return 1;
  return 0;
}
int ResultWeight(std::string_view result) {
  if (result == "Win") return 10;
  if (result == "Defeat") return 1;
  return 0;
}

// A time cell as seconds; -1 for a cell that holds no time ("0").
int64_t TimeWeight(std::string_view cell) {
  if (cell.size() < 10 || cell.front() != '[') return -1;
  return Number(cell.substr(1, 2)) * 3600 + Number(cell.substr(4, 2)) * 60 +
         Number(cell.substr(7, 2));
}

int64_t SlotWeight(std::string_view cell) {
  const int64_t slot = Number(cell);
  return slot == 0 ? 999 : slot;
}

// True when row `a` goes before row `b`.
bool Before(PlayerSort sort, const PlayerRow& a, const PlayerRow& b) {
  const auto cell = [](const PlayerRow& row, int column) -> std::string_view {
    const std::string& text = row.cells[static_cast<size_t>(column)];
    return text.empty() ? std::string_view("0") : std::string_view(text);
  };
  switch (sort) {
    case PlayerSort::Slots:
      return SlotWeight(cell(a, kColumnSlot)) < SlotWeight(cell(b, kColumnSlot));
    case PlayerSort::Class:
      return ClassWeight(cell(a, kColumnClass)) > ClassWeight(cell(b, kColumnClass));
    case PlayerSort::Race:
      return RaceWeight(cell(a, kColumnRace)) > RaceWeight(cell(b, kColumnRace));
    case PlayerSort::Team:
      return Number(cell(a, kColumnTeam)) > Number(cell(b, kColumnTeam));
    case PlayerSort::Handicap:
      return Number(cell(a, kColumnHandicap)) > Number(cell(b, kColumnHandicap));
    case PlayerSort::Time:
      return TimeWeight(cell(a, kColumnTime)) > TimeWeight(cell(b, kColumnTime));
    case PlayerSort::Apm:
      return Number(cell(a, kColumnApm)) > Number(cell(b, kColumnApm));
    case PlayerSort::Actions:
      return Number(cell(a, kColumnActions)) > Number(cell(b, kColumnActions));
    case PlayerSort::Result:
      return ResultWeight(cell(a, kColumnResult)) > ResultWeight(cell(b, kColumnResult));
    case PlayerSort::Heroes:
      return Number(cell(a, kColumnHeroes)) > Number(cell(b, kColumnHeroes));
  }
  return false;
}

void MergeSort(std::vector<PlayerRow>& rows, std::vector<PlayerRow>& scratch, size_t first,
               size_t last, PlayerSort sort) {
  if (first >= last) return;
  const size_t middle = (first + last) / 2;
  MergeSort(rows, scratch, first, middle, sort);
  MergeSort(rows, scratch, middle + 1, last, sort);
  size_t left = first, right = middle + 1;
  scratch.clear();
  while (left <= middle && right <= last) {
    // The first half's row is taken while it goes before the second half's.
    if (Before(sort, rows[left], rows[right])) {
      scratch.push_back(std::move(rows[left++]));
    } else {
      scratch.push_back(std::move(rows[right++]));
    }
  }
  while (left <= middle)
    scratch.push_back(std::move(rows[left++]));
  while (right <= last)
    scratch.push_back(std::move(rows[right++]));
  std::move(scratch.begin(), scratch.end(), rows.begin() + static_cast<ptrdiff_t>(first));
}

struct Colour {
  const char* name;
  uint32_t value;  // 0xBBGGRR
};
constexpr Colour kColours[] = {
    {"red", 0x0000FF},    {"blue", 0xFF0000},       {"cyan", 0x808000},       {"purple", 0x800080},
    {"yellow", 0x00FFFF}, {"orange", 0x008080},     {"green", 0x00FF00},      {"pink", 0xFF00FF},
    {"gray", 0x808080},   {"light blue", 0xF0CAA6}, {"dark green", 0x008000}, {"brown", 0x808080},
    {"none", 0xFFFFFF},
};

}  // namespace

const std::array<const char*, kPlayerColumnCount> kPlayerColumnTitles = {
    "Слот",         "",    "Имя",      "Класс игрока", "Раса",  "Команда", "Handicap",
    "Время в игре", "APM", "Действий", "Рез.",         "Героев"};
const std::array<int, kPlayerColumnCount> kPlayerColumnWidths = {29, 12, 115, 70, 24, 47,
                                                                 64, 64, 35,  54, 25, 42};

const std::array<PlayerSortItem, 10> kPlayerSortItems = {{
    {PlayerSort::Slots, "Слоты"},
    {PlayerSort::Class, "Класс игрока"},
    {PlayerSort::Race, "Раса"},
    {PlayerSort::Team, "Команда"},
    {PlayerSort::Handicap, "Handicap"},
    {PlayerSort::Time, "Время в игре"},
    {PlayerSort::Apm, "APM"},
    {PlayerSort::Actions, "Действий"},
    {PlayerSort::Result, "Результат"},
    {PlayerSort::Heroes, "Героев"},
}};

const std::array<const char*, 4> kLadderGatewayTitles = {
    "Northrend (Europe)", "Kalimdor (Asia)", "Azeroth (U.S. East)", "Lordaeron (U.S. West)"};

std::vector<InfoRow> GeneralInformationRows(const TQuorvel_Is_Here& context,
                                            const std::string& gameSpeedText) {
  std::vector<InfoRow> rows;
  const GeneralInfo& info = *context.Info;
  rows.push_back({"Анализ реплея", FileName(context.ReplayPath)});
  rows.push_back({"Карта", Text(info.MapName)});
  rows.push_back({"Имя игры", Text(info.GameName)});
  rows.push_back({"Тип игры", context.GameTypeText});
  rows.push_back({"Версия", context.VersionText});
  rows.push_back({"Автор карты", Text(info.GameCreatorName)});
  rows.push_back({"Продолжительность", context.DurationText});
  rows.push_back({"Кол-во игроков", std::to_string(info.PlayerCount)});
  rows.push_back({"Стартовых позиций", std::to_string(info.StartSpotCount)});
  rows.push_back({"Скорость игры", gameSpeedText});
  switch (info.Observers) {
    case 0:
      rows.push_back({"Наблюдатели", "запрещены"});
      break;
    case 2:
      rows.push_back({"Наблюдатели", "после поражения"});
      break;
    case 3:
      rows.push_back({"Наблюдатели", "допускаются"});
      break;
    case 4:
      rows.push_back({"Наблюдатели", "судьи"});
      break;
    default:
      break;
  }
  rows.push_back({"Настройки:", ""});
  const std::pair<uint8_t, const char*> flags[] = {
      {info.TeamsTogether, "> TeamsTogether"},
      {info.FixedTeams, "> FixedTeams"},
      {info.FullSharedUnitControl, "> FullSharedUnitControl"},
      {info.RandomHero, "> RandomHero"},
      {info.RandomRaces, "> RandomRaces"},
  };
  for (const auto& [set, text] : flags) {
    if (set) rows.push_back({"", text});
  }
  for (int team = 0; team < kTeamSlots; ++team) {
    const int32_t count = context.TeamCount[static_cast<size_t>(team)];
    if (count <= 0) continue;
    rows.push_back({team == 12 ? "Наблюдатели:" : "Команда " + std::to_string(team + 1), ""});
    for (int32_t i = 0; i < count && i < kTeamSlots; ++i) {
      rows.push_back({"", context.TeamPlayers[static_cast<size_t>(team)][static_cast<size_t>(i)]});
    }
  }
  return rows;
}

std::string_view ColourName(uint8_t number) {
  return number < 12 ? kColours[number].name : "none";
}

uint32_t ColourValue(std::string_view name) {
  for (const Colour& colour : kColours) {
    if (name == colour.name) return colour.value;
  }
  return 0xFFFFFF;
}

std::string_view RaceText(uint8_t race) {
  if (race & 0x01) return "Human";
  if (race & 0x02) return "Orc";
  if (race & 0x04) return "NightElf";
  if (race & 0x08) return "Undead";
  if (race & 0x20) return "Random";
  return "Undefined";
}

int32_t ActionsPerMinute(uint32_t actions, const GameTime& time) {
  const int64_t seconds =
      static_cast<int64_t>(time.Hours) * 3600 + time.Minutes * 60 + time.Seconds;
  if (seconds <= 0) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(actions) * 60 / seconds);
}

int32_t HeroCount(const PlayerRecord& player) {
  std::set<std::string> ids;
  for (const HeroNode* hero = player.Heroes; hero != nullptr; hero = hero->Next) {
    if (hero->Fields != nullptr) ids.insert(static_cast<const AbilityData*>(hero->Fields)->ItemID);
  }
  return static_cast<int32_t>(ids.size());
}

std::vector<PlayerRow> PlayerRows(const GeneralInfo& info, bool quickView) {
  std::vector<PlayerRow> rows;
  const int32_t count = info.Slots != nullptr ? info.SlotRecordCount : 0;
  for (int32_t index = 0; index < count; ++index) {
    const SlotRecord* slot = &info.Slots[index];
    const uint32_t number = static_cast<uint32_t>(index) + 1;
    if (slot->SlotStatus == 0 || slot->SlotStatus == 1) {
      rows.push_back(MakeRow({number, "none", 0, -1, 0, 0, kNoTime, 0, "Undefined", 13, "",
                              slot->SlotStatus == 0 ? "пусто" : "Закрыто", 0}));
      continue;
    }
    if (!slot->IsHuman) {
      rows.push_back(MakeRow({number, ColourName(slot->ColorNumber), 0, -1, 0, 0, kNoTime,
                              slot->PlayerHandicap, RaceText(slot->Race), slot->TeamNumber + 1,
                              "Computer", "A.I. (" + std::to_string(slot->AIStrength) + ")", 0}));
      continue;
    }
    const PlayerRecord* player = PlayerOf(info, slot->PlayerID);
    if (player == nullptr || player->PlayerName == nullptr || player->PlayerName[0] == '\0') {
      rows.push_back(
          MakeRow({number, "none", 0, -1, 0, 0, kNoTime, 0, "Undefined", 0, "NULL", "NULL", 0}));
      continue;
    }
    const bool observer = slot->TeamNumber == 12;
    const int flag = quickView || observer ? -1 : (player->Winner ? 1 : 0);
    const int32_t actions = quickView ? 0 : static_cast<int32_t>(player->ActionsTotal);
    rows.push_back(MakeRow(
        {number, ColourName(slot->ColorNumber), quickView ? 0 : HeroCount(*player), flag, actions,
         quickView ? 0 : ActionsPerMinute(player->ActionsTotal, player->TimeInGame),
         TimeCell(player->TimeInGame), slot->PlayerHandicap, RaceText(slot->Race),
         slot->TeamNumber + 1, "Human", player->PlayerName, player->PlayerID}));
  }
  return rows;
}

void ApplyResultFallback(const GeneralInfo& info, std::vector<PlayerRow>& rows) {
  if (info.Players == nullptr) return;
  for (int32_t i = 0; i < info.PlayerCount; ++i) {
    if (info.Players[i].Winner) return;
  }
  // The human players outside the observers' team, in slot order: the largest positive time
  // wins, the later of equals; without one, the first player.
  std::optional<uint8_t> firstTeam, bestTeam;
  int64_t best = 0;
  const int32_t count = info.Slots != nullptr ? info.SlotRecordCount : 0;
  for (int32_t index = 0; index < count; ++index) {
    const SlotRecord* slot = &info.Slots[index];
    if (slot->SlotStatus != 2 || !slot->IsHuman || slot->TeamNumber == 12) continue;
    const PlayerRecord* player = PlayerOf(info, slot->PlayerID);
    if (player == nullptr) continue;
    const GameTime& time = player->TimeInGame;
    const bool zero =
        time.Hours == 0 && time.Minutes == 0 && time.Seconds == 0 && time.Milliseconds == 0;
    const int64_t seconds =
        zero ? -1 : static_cast<int64_t>(time.Hours) * 3600 + time.Minutes * 60 + time.Seconds;
    if (!firstTeam) firstTeam = slot->TeamNumber;
    if (seconds > 0 && seconds >= best) {
      best = seconds;
      bestTeam = slot->TeamNumber;
    }
  }
  const std::optional<uint8_t> team = bestTeam ? bestTeam : firstTeam;
  if (!team) return;
  const std::string winners = std::to_string(*team + 1);
  for (PlayerRow& row : rows) {
    if (row.cells[kColumnTeam] == winners) row.cells[kColumnResult] = "Win";
  }
}

void SortPlayerRows(std::vector<PlayerRow>& rows, PlayerSort sort) {
  if (rows.empty()) return;
  std::vector<PlayerRow> scratch;
  scratch.reserve(rows.size());
  MergeSort(rows, scratch, 0, rows.size() - 1, sort);
}

int RacePicture(std::string_view race, std::string_view team) {
  if (race == "Random" && team == "13") return 5;
  if (race == "Orc") return 0;
  if (race == "Human") return 1;
  if (race == "Undead") return 2;
  if (race == "NightElf") return 3;
  if (race == "Random") return 4;
  if (race == "Undefined") return 13;
  return -1;
}

int ResultPicture(std::string_view result) {
  if (result == "Win") return 6;
  if (result == "Defeat") return 7;
  return -1;
}

std::string LadderProfileUrl(std::string_view host, int index, std::string_view playerName) {
  static const char* const kGateways[] = {"Northrend", "Kalimdor", "Azeroth", "Lordaeron"};
  if (index < 0 || index >= 4) return {};
  std::string url = "https://" + std::string(host);
  url += index == 0 ? "/war3/ladder/w3xp-player-profile.aspx?Gateway="
                    : "/war3/ladder/W3XP-player-profile.aspx?Gateway=";
  url += kGateways[index];
  url += "&PlayerName=";
  // The name is a query value: everything but unreserved characters is percent-encoded, so
  // that a '#' or '&' in a name cannot cut the address.
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const unsigned char c : playerName) {
    if (std::isalnum(c) != 0 && c < 0x80) {
      url += static_cast<char>(c);
    } else if (c == '-' || c == '_' || c == '.' || c == '~') {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}
