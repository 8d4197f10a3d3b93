#include "game_start.h"

#include <algorithm>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "gamedata/errors.h"
#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "gamedata/profile_text.h"
#include "gamedata/replay_format.h"

namespace vantrel {
namespace {

const char kTruncated[] = "Replay data ends inside the game start record.";
const char kNoStartRecord[] = "Error parsing GameStartRecord - 0x19";
const char kSizeMismatch[] = "ERROR: SizeOfData and BytesRead does not match";
const char kTooManyPlayers[] = "Error parsing GameStartRecord - too many players";

constexpr uint8_t kFurtherPlayer = 0x16;
constexpr uint8_t kStartRecord = 0x19;
constexpr size_t kSettingsSize = 13;
// The map checksum is carried by the encoded bytes of decoded bytes 9 to 12: data bytes 3 to 6
// of the second group, which starts at encoded offset 8 with its mask byte.
constexpr size_t kChecksumOffset = 11;

void Need(bool ok) {
  if (!ok) throw CError(kTruncated);
}

void LogStep(CLog* log, int step) {
  if (log != nullptr) log->WriteNumber("Library: parsing data step %d.\n", step);
}

char* Name(ParseContext& context, const char* text, size_t length) {
  return DecodeProfileText(text, length, &context.pool).release();
}

// One player entry: record id, player id, name, extra data.
PlayerRecord* ReadPlayer(ByteReader& reader, ParseContext& context) {
  auto* player = context.pool.New<PlayerRecord>();
  Need(reader.U8(player->RecordID) && reader.U8(player->PlayerID));
  const char* name = nullptr;
  size_t length = 0;
  Need(reader.Text(name, length));
  player->PlayerName = Name(context, name, length);
  uint8_t extraLength = 0;
  Need(reader.U8(extraLength));
  if (extraLength == 8) {
    Need(reader.U32(player->ExtraValue) && reader.U32(player->Race));
  } else {
    Need(reader.Skip(extraLength));
  }
  return player;
}

// Groups of a mask byte and seven data bytes; data byte k is itself when bit k of the mask is
// set, else itself minus one.
std::string DecodeSettingsString(const char* encoded, size_t length) {
  std::string decoded;
  decoded.reserve(length);
  uint8_t mask = 0;
  for (size_t i = 0; i < length; ++i) {
    const auto byte = static_cast<uint8_t>(encoded[i]);
    const size_t k = i % 8;
    if (k == 0) {
      mask = byte;
    } else {
      decoded.push_back(static_cast<char>((mask & (1u << k)) != 0 ? byte : byte - 1));
    }
  }
  return decoded;
}

void ReadSettings(const std::string& decoded, const char* encoded, size_t encodedLength,
                  GeneralInfo& info) {
  uint8_t d[kSettingsSize] = {};
  std::copy_n(decoded.begin(), std::min(decoded.size(), kSettingsSize), d);
  info.GameSpeed = (d[0] & 1) != 0 ? 2 : (d[0] & 2) != 0 ? 3 : 1;
  info.Visibility = (d[1] & 1) != 0 ? 15 : static_cast<uint8_t>((d[1] >> 1) & 7);
  info.Observers = static_cast<uint8_t>((d[1] >> 4) & 3);
  info.TeamsTogether = (d[1] >> 6) & 1;
  info.FixedTeams = (d[2] & 6) == 6 ? 1 : 0;
  info.FullSharedUnitControl = d[3] & 1;
  info.RandomHero = (d[3] >> 1) & 1;
  info.RandomRaces = (d[3] >> 2) & 1;
  info.Referee = (d[3] >> 6) & 1;
  if (info.Referee != 0) info.Observers = 4;
  info.MapChecksum = 0;
  for (size_t i = 0; i < 4 && kChecksumOffset + i < encodedLength; ++i) {
    info.MapChecksum |= static_cast<uint32_t>(static_cast<uint8_t>(encoded[kChecksumOffset + i]))
                        << (8 * i);
  }
}

// The map path and the creator's name follow the settings in the decoded string.
void ReadMapAndCreator(const std::string& decoded, ParseContext& context) {
  size_t at = std::min(decoded.size(), kSettingsSize);
  const auto next = [&]() {
    const size_t end = std::min(decoded.find('\0', at), decoded.size());
    char* text = Name(context, decoded.data() + at, end - at);
    at = std::min(end + 1, decoded.size());
    return text;
  };
  context.info.MapName = next();
  context.info.GameCreatorName = next();
}

// The players as one array ordered by player id, chained in array order.
void PlayersToArray(ParseContext& context, size_t count) {
  GeneralInfo& info = context.info;
  auto* array = context.pool.New<PlayerRecord>(count);
  size_t i = 0;
  for (const PlayerRecord* player = info.Players; player != nullptr && i < count;
       player = player->Next) {
    array[i++] = *player;
  }
  std::stable_sort(array, array + count, [](const PlayerRecord& a, const PlayerRecord& b) {
    return a.PlayerID < b.PlayerID;
  });
  for (size_t k = 0; k < count; ++k) {
    array[k].Next = k + 1 < count ? &array[k + 1] : nullptr;
    if (context.state.playerById[array[k].PlayerID] == nullptr)
      context.state.playerById[array[k].PlayerID] = &array[k];
  }
  info.Players = count > 0 ? array : nullptr;
  info.PlayerCount = static_cast<int32_t>(count);
}

void SlotsToArray(ParseContext& context, size_t count) {
  GeneralInfo& info = context.info;
  auto* array = context.pool.New<SlotRecord>(count);
  size_t i = 0;
  for (const SlotRecord* slot = info.Slots; slot != nullptr && i < count; slot = slot->Next)
    array[i++] = *slot;
  for (size_t k = 0; k < count; ++k)
    array[k].Next = k + 1 < count ? &array[k + 1] : nullptr;
  info.Slots = count > 0 ? array : nullptr;
  // Each player takes the first slot of its id.
  for (PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    for (size_t k = 0; k < count; ++k) {
      if (array[k].PlayerID == player->PlayerID) {
        player->Slot = &array[k];
        array[k].Player = player;
        break;
      }
    }
  }
}

}  // namespace

void ParseGameStart(ByteReader& reader, ParseContext& context) {
  GeneralInfo& info = context.info;
  size_t playerCount = 0;
  PlayerRecord** playerTail = &info.Players;
  const auto addPlayer = [&](PlayerRecord* player) {
    *playerTail = player;
    playerTail = &player->Next;
    ++playerCount;
  };

  LogStep(context.log, 1);
  addPlayer(ReadPlayer(reader, context));
  const char* text = nullptr;
  size_t length = 0;
  Need(reader.Text(text, length));
  info.GameName = Name(context, text, length);

  const ReplayFormat& format = context.format;
  LogStep(context.log, 2);
  if (format.reforged) {
    // From 1.32 a second text follows the game name (empty for most games, the password of a
    // private one: "hunter2" in w3gjs/132_reforged_hunter2_privatestring.w3g); older versions
    // write the single zero byte of an empty one.
    const char* second = nullptr;
    size_t secondLength = 0;
    Need(reader.Text(second, secondLength));
  } else {
    Need(reader.Skip(1));
  }
  const char* encoded = nullptr;
  size_t encodedLength = 0;
  Need(reader.Text(encoded, encodedLength));
  const std::string decoded = DecodeSettingsString(encoded, encodedLength);
  ReadSettings(decoded, encoded, encodedLength, info);

  LogStep(context.log, 3);
  ReadMapAndCreator(decoded, context);

  LogStep(context.log, 4);
  uint32_t playerCountField = 0;
  uint8_t privateGame = 0;
  Need(reader.U32(playerCountField) && reader.U8(info.GameType) && reader.U8(privateGame) &&
       reader.U16(info.ExtraWord) && reader.U32(info.ExtraDword));
  info.PlayerCount = static_cast<int32_t>(playerCountField);
  info.PrivateGame = privateGame != 0 ? 1 : 0;

  LogStep(context.log, 5);
  while (reader.Has(1) && *reader.current() == kFurtherPlayer) {
    // Every entry text looks its player up by id among these entries: their number bounds that
    // work (see VANTREL_MAX_PLAYER_ENTRIES).
    if (playerCount >= VANTREL_MAX_PLAYER_ENTRIES) throw CError(kTooManyPlayers);
    addPlayer(ReadPlayer(reader, context));
    Need(reader.Skip(4));
  }

  if (format.reforged) {
    // From 1.32 records of their own stand between the players and the slot table: an id (0x39,
    // from 2.0.2 0x38), a subtype, a 32-bit length and that many bytes (the players' account
    // data, seen in w3gjs/132_reforged_metadata_ghostplayer.w3g and 200_2.0.2-Melee.w3g). They
    // are stepped over.
    while (reader.Has(1) && (*reader.current() == 0x39 || *reader.current() == 0x38)) {
      uint8_t id = 0, subtype = 0;
      uint32_t length = 0;
      Need(reader.U8(id) && reader.U8(subtype) && reader.U32(length) && reader.Skip(length));
    }
  }

  LogStep(context.log, 6);
  uint8_t recordId = 0;
  Need(reader.U8(recordId));
  if (recordId != kStartRecord) throw CError(kNoStartRecord);
  uint16_t sizeOfData = 0;
  Need(reader.U16(sizeOfData));
  const size_t recordStart = reader.position();
  uint8_t slotCount = 0;
  Need(reader.U8(slotCount));
  info.SlotRecordCount = 0;
  SlotRecord** slotTail = &info.Slots;
  for (uint8_t i = 0; i < slotCount; ++i) {
    auto* slot = context.pool.New<SlotRecord>();
    uint8_t computer = 0;
    Need(reader.U8(slot->PlayerID) && reader.U8(slot->DownloadStatus) &&
         reader.U8(slot->SlotStatus) && reader.U8(computer) && reader.U8(slot->TeamNumber) &&
         reader.U8(slot->ColorNumber) && reader.U8(slot->Race) && reader.U8(slot->AIStrength) &&
         reader.U8(slot->PlayerHandicap));
    slot->IsHuman = computer == 0 ? 1 : 0;
    *slotTail = slot;
    slotTail = &slot->Next;
    info.SlotRecordCount = i + 1;
  }
  Need(reader.U32(info.RandomSeed) && reader.U8(info.SelectMode) && reader.U8(info.StartSpotCount));
  if (sizeOfData != reader.position() - recordStart) throw CError(kSizeMismatch);

  PlayersToArray(context, playerCount);
  SlotsToArray(context, slotCount);
}

}  // namespace vantrel
