#include "json_output.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "entry_texts.h"
#include "game_time.h"
#include "gamedata/replay_format.h"
#include "item_names.h"
#include "replay_parser.h"
#include "value_names.h"

namespace quorvel::cli {
namespace {

const char* OrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

std::string MillisecondsText(uint32_t milliseconds) {
  GameTime time{};
  vantrel::AddMilliseconds(time, milliseconds);
  return TimeText(time);
}

// "time_ms" and "time" of an entry into `out`.
void PutTime(Json& out, const GameTime& time) {
  out["time_ms"] = GameTimeMs(time);
  out["time"] = TimeText(time);
}

// A coded value with its name.
Json Coded(int64_t value, const char* text) {
  return Json{{"value", value}, {"text", text}};
}

Json Race(uint32_t flags) {
  return Json{{"flags", flags}, {"text", RaceText(flags)}};
}

// A stored id (reading order) as scripts can use it: the four characters when they are all
// printable, else "0x" and the eight hex digits of the bytes in reading order (order numbers,
// whose bytes are not characters, come out as "0x000D0003").
std::string IdText(const char* stored) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(stored);
  bool printable = true;
  for (int i = 0; i < 4; ++i)
    printable = printable && bytes[i] >= 0x20 && bytes[i] < 0x7F;
  if (printable) return std::string(stored, 4);
  char text[11];
  std::snprintf(text, sizeof text, "0x%02X%02X%02X%02X", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

// The object or order name of a stored id, or null when nothing names it (the library then
// shows the id itself, or "Unknown value" for an order number).
Json IdName(const GeneralInfo& info, const char* stored, CLog* log) {
  char scratch[5];
  const char* name = vantrel::StoredIdName(&info, stored, log, scratch);
  if (name == nullptr || name == stored || name == scratch) return nullptr;
  if (vantrel::IsStoredOrderNumber(stored) && std::strcmp(name, "Unknown value") == 0)
    return nullptr;
  return name;
}

// "<prefix>id" and "<prefix>name" of a stored id into `out`.
void PutId(Json& out, const char* key, const GeneralInfo& info, const char* stored, CLog* log) {
  out[key] = Json{{"id", IdText(stored)}, {"name", IdName(info, stored, log)}};
}

// The id, name and time of one event (every event's fields begin like AbilityData).
Json EventJson(const GeneralInfo& info, const ActionRecord* action, const void* fields, CLog* log) {
  Json out = Json::object();
  const char* id = static_cast<const AbilityData*>(fields)->ItemID;
  out["id"] = IdText(id);
  out["name"] = IdName(info, id, log);
  if (action != nullptr) PutTime(out, action->Time);
  return out;
}

Json EventList(const GeneralInfo& info, const EventNode* node, CLog* log) {
  Json list = Json::array();
  for (; node != nullptr; node = node->Next)
    list.push_back(EventJson(info, node->Action, node->Fields, log));
  return list;
}

Json HeroList(const GeneralInfo& info, const HeroNode* hero, CLog* log) {
  Json list = Json::array();
  for (; hero != nullptr; hero = hero->Next) {
    Json out = EventJson(info, hero->Action, hero->Fields, log);
    out["skills"] = EventList(info, hero->Skills, log);
    Json summons = Json::array();
    for (const HeroNode* summon = hero->Summons; summon != nullptr; summon = summon->Next) {
      Json again = Json::object();
      if (summon->Action != nullptr) PutTime(again, summon->Action->Time);
      summons.push_back(std::move(again));
    }
    out["summons"] = std::move(summons);
    list.push_back(std::move(out));
  }
  return list;
}

Json HeaderJson(const GeneralInfo& info) {
  return Json{{"version", info.GameVersion},
              {"version_text", vantrel::VersionText(info.GameVersion)},
              {"build", info.BuildNumber},
              {"flags", info.ReplayFlags},
              {"length_ms", info.ReplayLength},
              {"length", MillisecondsText(info.ReplayLength)},
              {"header_version", info.HeaderVersion},
              {"header_size", info.HeaderSize},
              {"compressed_size", info.CompressedSize},
              {"decompressed_size", info.DecompressedSize},
              {"block_count", info.BlockCount},
              {"checksum", info.HeaderChecksum}};
}

Json GameJson(const GeneralInfo& info, CLog* log) {
  using namespace vantrel;
  return Json{{"name", OrEmpty(info.GameName)},
              {"map", OrEmpty(info.MapName)},
              {"creator", OrEmpty(info.GameCreatorName)},
              {"game_type", Coded(info.GameType, GameTypeName(info.GameType, log))},
              {"private", Coded(info.PrivateGame, BoolName(info.PrivateGame))},
              {"speed", Coded(info.GameSpeed, GameSpeedName(info.GameSpeed, log))},
              {"visibility", Coded(info.Visibility, VisibilityName(info.Visibility, log))},
              {"observers", Coded(info.Observers, ObserversName(info.Observers, log))},
              {"referee", Coded(info.Referee, BoolName(info.Referee))},
              {"select_mode", Coded(info.SelectMode, RaceSelectModeName(info.SelectMode, log))},
              {"teams_together", Coded(info.TeamsTogether, BoolName(info.TeamsTogether))},
              {"fixed_teams", Coded(info.FixedTeams, BoolName(info.FixedTeams))},
              {"full_shared_unit_control",
               Coded(info.FullSharedUnitControl, BoolName(info.FullSharedUnitControl))},
              {"random_hero", Coded(info.RandomHero, BoolName(info.RandomHero))},
              {"random_races", Coded(info.RandomRaces, BoolName(info.RandomRaces))},
              {"map_checksum", info.MapChecksum},
              {"random_seed", info.RandomSeed},
              {"start_spots", info.StartSpotCount},
              {"extra_word", info.ExtraWord},
              {"extra_dword", info.ExtraDword},
              {"map_data_loaded", info.IsMapDataLoad != 0}};
}

Json SlotJson(const SlotRecord& slot) {
  return Json{{"player_id", slot.PlayerID},
              {"player", slot.Player != nullptr ? Json(OrEmpty(slot.Player->PlayerName)) : Json()},
              {"status", Coded(slot.SlotStatus, SlotStatusText(slot.SlotStatus))},
              {"human", slot.IsHuman != 0},
              {"team", slot.TeamNumber},
              {"colour", slot.ColorNumber},
              {"race", Race(slot.Race)},
              {"ai_strength", slot.AIStrength},
              {"handicap", slot.PlayerHandicap},
              {"download_status", slot.DownloadStatus}};
}

// Slot values of a player, null without a slot.
Json SlotValue(const PlayerRecord& player, uint8_t SlotRecord::*field) {
  return player.Slot != nullptr ? Json(player.Slot->*field) : Json();
}

Json PlayerJson(const GeneralInfo& info, const PlayerRecord& player, CLog* log) {
  Json slotIndex;  // null without a slot
  int index = 0;
  for (const SlotRecord* slot = info.Slots; slot != nullptr; slot = slot->Next, ++index) {
    if (slot == player.Slot) slotIndex = index;
  }
  Json out{{"id", player.PlayerID},
           {"name", OrEmpty(player.PlayerName)},
           {"record_id", player.RecordID},
           {"extra_value", player.ExtraValue},
           {"race", Race(PlayerRaceFlags(player))},
           {"slot", slotIndex},
           {"team", SlotValue(player, &SlotRecord::TeamNumber)},
           {"colour", SlotValue(player, &SlotRecord::ColorNumber)},
           {"handicap", SlotValue(player, &SlotRecord::PlayerHandicap)},
           {"human", player.Slot != nullptr ? Json(player.Slot->IsHuman != 0) : Json()},
           {"actions", player.ActionsTotal},
           {"apm", PlayerApm(player, info)}};
  out["time_in_game_ms"] = GameTimeMs(player.TimeInGame);
  out["time_in_game"] = TimeText(player.TimeInGame);
  out["winner"] = player.Winner != 0;
  out["heroes"] = HeroList(info, player.Heroes, log);
  out["units"] = EventList(info, player.Units, log);
  out["buildings"] = EventList(info, player.Buildings, log);
  out["upgrades"] = EventList(info, player.Upgrades, log);
  out["skills"] = EventList(info, player.Skills, log);
  out["items"] = EventList(info, player.Items, log);
  return out;
}

Json Objects(const SelectedObject* node) {
  Json list = Json::array();
  for (; node != nullptr; node = node->Next)
    list.push_back(Json{{"object1", node->Object1}, {"object2", node->Object2}});
  return list;
}

// The fields every ability record begins with: flags, the id and the two unknown values.
template <typename Record>
void PutAbility(Json& out, const GeneralInfo& info, const Record& f, CLog* log) {
  out["flags"] = f.Flags;
  PutId(out, "item", info, f.ItemID, log);
  out["unknown_a"] = f.UnknownA;
  out["unknown_b"] = f.UnknownB;
}

// The target position of an ability record.
template <typename Record>
void PutPosition(Json& out, const Record& f) {
  out["x"] = f.X;
  out["y"] = f.Y;
}

// The typed fields of a command (vantrel.h, "Field records, by action id"), null for a command
// without a field record.
Json CommandFields(const GeneralInfo& info, const CommandData& command, CLog* log) {
  const void* data = command.Fields;
  if (data == nullptr) return nullptr;
  Json out = Json::object();
  switch (command.ActionID) {
    case 0x02: {
      const auto& f = *static_cast<const ResumeGameData*>(data);
      out["pause_length_ms"] = GameTimeMs(f.PauseLength);
      out["pause_length"] = TimeText(f.PauseLength);
      break;
    }
    case 0x03: {
      const auto& f = *static_cast<const GameSpeedData*>(data);
      out["speed"] = Coded(f.Speed, vantrel::GameSpeedName(f.Speed, log));
      break;
    }
    case 0x06:
      out["text"] = OrEmpty(static_cast<const TextActionData*>(data)->Text);
      break;
    case 0x10: {
      const auto& f = *static_cast<const AbilityData*>(data);
      PutAbility(out, info, f, log);
      out["event"] = Coded(f.EventType, vantrel::EventTypeName(f.EventType));
      break;
    }
    case 0x11: {
      const auto& f = *static_cast<const AbilityPositionData*>(data);
      PutAbility(out, info, f, log);
      PutPosition(out, f);
      out["event"] = Coded(f.EventType, vantrel::EventTypeName(f.EventType));
      break;
    }
    case 0x12: {
      const auto& f = *static_cast<const AbilityTargetData*>(data);
      PutAbility(out, info, f, log);
      PutPosition(out, f);
      out["object1"] = f.Object1;
      out["object2"] = f.Object2;
      break;
    }
    case 0x13: {
      const auto& f = *static_cast<const GiveItemData*>(data);
      PutAbility(out, info, f, log);
      PutPosition(out, f);
      out["target1"] = f.Target1;
      out["target2"] = f.Target2;
      out["item1"] = f.Item1;
      out["item2"] = f.Item2;
      break;
    }
    case 0x14: {
      const auto& f = *static_cast<const AbilityTwoTargetsData*>(data);
      out["flags"] = f.Flags;
      PutId(out, "item1", info, f.ItemID1, log);
      out["unknown_a"] = f.UnknownA;
      out["unknown_b"] = f.UnknownB;
      out["x1"] = f.X1;
      out["y1"] = f.Y1;
      PutId(out, "item2", info, f.ItemID2, log);
      out["x2"] = f.X2;
      out["y2"] = f.Y2;
      break;
    }
    case 0x16:
    case 0x17: {
      const auto& f = *static_cast<const SelectionData*>(data);
      if (command.ActionID == 0x16)
        out["mode"] = Coded(f.Mode, vantrel::SelectModeName(f.Mode));
      else
        out["group"] = f.Mode;
      out["unit_count"] = f.UnitCount;
      out["objects"] = Objects(f.Objects);
      break;
    }
    case 0x18: {
      const auto& f = *static_cast<const SelectGroupData*>(data);
      out["group"] = f.Group;
      out["unknown"] = f.Unknown;
      break;
    }
    case 0x19: {
      const auto& f = *static_cast<const SubgroupData*>(data);
      PutId(out, "item", info, f.ItemID, log);
      out["object1"] = f.Object1;
      out["object2"] = f.Object2;
      out["units_count"] = f.UnitsCount;
      break;
    }
    case 0x1B:
    case 0x1C: {
      const auto& f = *static_cast<const ObjectActionData*>(data);
      out["unknown"] = f.Unknown;
      out["object1"] = f.Object1;
      out["object2"] = f.Object2;
      break;
    }
    case 0x1D: {
      const auto& f = *static_cast<const CancelRevivalData*>(data);
      PutId(out, "item1", info, f.ItemID1, log);
      PutId(out, "item2", info, f.ItemID2, log);
      break;
    }
    case 0x1E: {
      const auto& f = *static_cast<const RemoveFromQueueData*>(data);
      out["slot_number"] = f.SlotNumber;
      PutId(out, "item", info, f.ItemID, log);
      break;
    }
    case 0x50: {
      const auto& f = *static_cast<const AllyOptionsData*>(data);
      out["slot_index"] = f.SlotIndex;
      out["flags"] = f.Flags;
      break;
    }
    case 0x51: {
      const auto& f = *static_cast<const TransferResourcesData*>(data);
      out["slot_index"] = f.SlotIndex;
      out["gold"] = f.Gold;
      out["lumber"] = f.Lumber;
      break;
    }
    case 0x60: {
      const auto& f = *static_cast<const TriggerChatData*>(data);
      out["value1"] = f.Value1;
      out["value2"] = f.Value2;
      out["text"] = OrEmpty(f.Text);
      break;
    }
    case 0x62: {
      const auto& f = *static_cast<const ScenarioTriggerData*>(data);
      out["value1"] = f.Value1;
      out["value2"] = f.Value2;
      out["value3"] = f.Value3;
      break;
    }
    case 0x68: {
      const auto& f = *static_cast<const MinimapSignalData*>(data);
      out["x"] = f.X;
      out["y"] = f.Y;
      out["unknown"] = f.Unknown;
      break;
    }
    case 0x69:
    case 0x6A: {
      const auto& f = *static_cast<const ResumeVariantData*>(data);
      out["value1"] = f.Value1;
      out["value2"] = f.Value2;
      out["value3"] = f.Value3;
      out["value4"] = f.Value4;
      break;
    }
    case 0x75:
      out["value"] = static_cast<const OneByteData*>(data)->Value;
      break;
    case VANTREL_UNKNOWN_COMMAND: {
      const auto& f = *static_cast<const UnknownCommandData*>(data);
      out["action_id"] = f.ActionID;
      out["skip_bytes"] = f.SkipBytes;
      break;
    }
    default:
      // A field record of an action this program does not know yet: its presence at least.
      break;
  }
  return out;
}

const char* KindText(uint8_t kind) {
  switch (kind) {
    case VANTREL_KIND_LEAVE:
      return "leave";
    case VANTREL_KIND_CHAT:
      return "chat";
    case VANTREL_KIND_COMMAND:
      return "command";
    default:
      return "unknown";
  }
}

Json ActionJson(const GeneralInfo& info, const ActionRecord& action, CLog* log,
                std::string& textBuffer) {
  Json out = Json::object();
  PutTime(out, action.Time);
  out["player"] = action.PlayerID;
  out["kind"] = KindText(action.Kind);
  out["counted"] = action.Counted != 0;
  Json fields;
  Json actionId;
  if (action.Data != nullptr) {
    if (action.Kind == VANTREL_KIND_COMMAND) {
      const auto& command = *static_cast<const CommandData*>(action.Data);
      actionId = command.ActionID;
      fields = CommandFields(info, command, log);
    } else if (action.Kind == VANTREL_KIND_CHAT) {
      const auto& chat = *static_cast<const ChatData*>(action.Data);
      fields = Json{{"mode", Coded(chat.ChatMode,
                                   vantrel::ChatModeName(static_cast<int32_t>(chat.ChatMode)))},
                    {"text", OrEmpty(chat.Text)}};
    } else if (action.Kind == VANTREL_KIND_LEAVE) {
      const auto& leave = *static_cast<const LeaveData*>(action.Data);
      fields = Json{{"reason", Coded(leave.Reason,
                                     vantrel::LeaveTypeName(static_cast<int32_t>(leave.Reason)))},
                    {"result", leave.Result},
                    {"unknown", leave.Unknown}};
    }
  }
  out["action_id"] = actionId;
  out["fields"] = std::move(fields);
  const vantrel::EntryText made =
      vantrel::FormatEntryText(action, &info, log, textBuffer.data(), textBuffer.size());
  out["text"] = made.made ? Json(std::string(textBuffer.data(), made.length)) : Json();
  return out;
}

}  // namespace

int64_t GameTimeMs(const GameTime& time) {
  return ((int64_t{time.Hours} * 60 + time.Minutes) * 60 + time.Seconds) * 1000 + time.Milliseconds;
}

double PlayerApm(const PlayerRecord& player, const GeneralInfo& info) {
  const int64_t inGame = GameTimeMs(player.TimeInGame);
  const double minutes = (inGame > 0 ? static_cast<double>(inGame) : info.ReplayLength) / 60000.0;
  if (minutes <= 0) return 0;
  return std::round(player.ActionsTotal / minutes * 10) / 10;
}

std::string TimeText(const GameTime& time) {
  char text[48];
  vantrel::FormatGameTime(time, text, sizeof text);
  return text;
}

const char* SlotStatusText(uint8_t status) {
  switch (status) {
    case 0:
      return "empty";
    case 1:
      return "closed";
    case 2:
      return "used";
    default:
      return "unknown";
  }
}

const char* RaceText(uint32_t flags) {
  if (flags & 0x01) return "Human";
  if (flags & 0x02) return "Orc";
  if (flags & 0x04) return "NightElf";
  if (flags & 0x08) return "Undead";
  if (flags & 0x20) return "Random";
  return "Undefined";
}

uint32_t PlayerRaceFlags(const PlayerRecord& player) {
  return player.Slot != nullptr ? player.Slot->Race : player.Race;
}

Json ReplayJson(const GeneralInfo& info, const JsonRequest& request) {
  CLog* log = request.log;
  Json out = Json::object();
  out["header"] = HeaderJson(info);
  const bool hasGame = info.PlayerCount >= 0;
  out["game"] = hasGame ? GameJson(info, log) : Json();
  Json slots = Json::array();
  for (const SlotRecord* slot = info.Slots; slot != nullptr; slot = slot->Next)
    slots.push_back(SlotJson(*slot));
  out["slots"] = std::move(slots);
  Json players = Json::array();
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next)
    players.push_back(PlayerJson(info, *player, log));
  out["players"] = std::move(players);

  Json chat = Json::array();
  Json leaves = Json::array();
  for (const ActionRecord* action = info.Actions; action != nullptr; action = action->Next) {
    if (action->Data == nullptr) continue;
    if (action->Kind == VANTREL_KIND_CHAT) {
      const auto& data = *static_cast<const ChatData*>(action->Data);
      Json line = Json::object();
      PutTime(line, action->Time);
      line["player"] = action->PlayerID;
      line["player_name"] = vantrel::PlayerName(&info, action->PlayerID);
      line["mode"] =
          Coded(data.ChatMode, vantrel::ChatModeName(static_cast<int32_t>(data.ChatMode)));
      line["text"] = OrEmpty(data.Text);
      chat.push_back(std::move(line));
    } else if (action->Kind == VANTREL_KIND_LEAVE) {
      const auto& data = *static_cast<const LeaveData*>(action->Data);
      Json leave = Json::object();
      PutTime(leave, action->Time);
      leave["player"] = action->PlayerID;
      leave["player_name"] = vantrel::PlayerName(&info, action->PlayerID);
      leave["reason"] =
          Coded(data.Reason, vantrel::LeaveTypeName(static_cast<int32_t>(data.Reason)));
      leave["result"] = data.Result;
      leave["unknown"] = data.Unknown;
      leaves.push_back(std::move(leave));
    }
  }
  out["chat"] = std::move(chat);
  out["leaves"] = std::move(leaves);

  if (request.actions) {
    // One entry text is at most 8191 bytes (vantrel.h, Limits).
    std::string textBuffer(8192, '\0');
    Json actions = Json::array();
    for (const ActionRecord* action = info.Actions; action != nullptr; action = action->Next)
      actions.push_back(ActionJson(info, *action, log, textBuffer));
    out["actions"] = std::move(actions);
  }
  out["error"] = info.ErrorText != nullptr ? Json(info.ErrorText) : Json();
  return out;
}

Json ScanRecord(const GeneralInfo& info, bool quick) {
  Json out = Json::object();
  out["version"] = vantrel::VersionText(info.GameVersion);
  out["build"] = info.BuildNumber;
  out["length_ms"] = info.ReplayLength;
  out["map"] = OrEmpty(info.MapName);
  Json players = Json::array();
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    Json entry{{"id", player->PlayerID},
               {"name", OrEmpty(player->PlayerName)},
               {"team", SlotValue(*player, &SlotRecord::TeamNumber)},
               {"race", RaceText(PlayerRaceFlags(*player))}};
    if (!quick) {
      entry["apm"] = PlayerApm(*player, info);
      entry["winner"] = player->Winner != 0;
    }
    players.push_back(std::move(entry));
  }
  out["players"] = std::move(players);
  if (info.ErrorText != nullptr) out["error"] = info.ErrorText;
  return out;
}

std::string JsonLine(const Json& document) {
  return document.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace quorvel::cli
