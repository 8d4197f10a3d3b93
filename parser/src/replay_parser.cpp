#include "replay_parser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "action_stream.h"
#include "byte_reader.h"
#include "command_decoder.h"
#include "entry_texts.h"
#include "game_bytes.h"
#include "game_start.h"
#include "game_time.h"
#include "gamedata/errors.h"
#include "gamedata/log.h"
#include "gamedata/mpq_data_reader.h"
#include "platform/mapped_file.h"
#include "replay_container.h"
#include "statistics.h"
#include "text_columns.h"
#include "value_names.h"

namespace vantrel {
namespace {

const char kNullParserData[] = "ERROR! Bad (NULL) ParserData data pointer!";
const char kNullGeneralInfo[] = "ERROR! Bad (NULL) GeneralInfo data pointer!";
const char kNullCompressedData[] = "ERROR! Bad (NULL) compressed data pointer!";
const char kActionsModeInParseReplay[] = "ParseMode 2 is for ParseCompressedData only.";
const char kNoResumePosition[] =
    "ParseMode 2 needs an earlier call that read the game start record.";

const char* OrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

// The header values belong to the container of one file: a new file starts without them.
void ClearHeaderFields(GeneralInfo& info) {
  info.HeaderSize = info.CompressedSize = info.HeaderVersion = info.DecompressedSize =
      info.BlockCount = 0;
  info.GameVersion = 0;
  info.BuildNumber = info.ReplayFlags = 0;
  info.ReplayLength = info.HeaderChecksum = 0;
}

}  // namespace

const char* PlayerName(const GeneralInfo* info, int32_t playerID) {
  if (info != nullptr) {
    for (const PlayerRecord* player = info->Players; player != nullptr; player = player->Next) {
      if (player->PlayerID == playerID) return OrEmpty(player->PlayerName);
    }
  }
  return "Unknown player";
}

ReplayParser::~ReplayParser() {
  if (parserLog_ != nullptr) std::fclose(parserLog_);
}

void ReplayParser::Unload() {
  try {
    pool_.FreeAll();
  } catch (const CError&) {
  }
  Log("Library: unload parser library ok.\n");
  if (parserLog_ != nullptr) std::fclose(parserLog_);
  parserLog_ = nullptr;
}

void ReplayParser::Log(const char* text) const {
  if (log_ != nullptr) log_->Write(text);
}

void ReplayParser::LogError(const char* text) const {
  if (log_ != nullptr) log_->WriteText("Library: ERROR: %s\n", text);
}

void ReplayParser::SetError(GeneralInfo& info, const std::string& text) {
  errorText_ = text;
  info.ErrorText = errorText_.data();
  LogError(errorText_.c_str());
}

void ReplayParser::Reset(GeneralInfo& info) {
  pool_.Log = log_;
  pool_.Recycle(kKeptPoolBlocks);
  info.Pool = &pool_;
  info.GameName = info.MapName = info.GameCreatorName = nullptr;
  info.Players = nullptr;
  info.Slots = nullptr;
  info.PlayerCount = -1;
  info.SlotRecordCount = 0;
  info.Actions = nullptr;
  info.Texts = nullptr;
  info.CustomObjects = nullptr;
  info.ErrorText = nullptr;
  errorText_.clear();
  info.IsMapDataLoad = 0;
  info.TextureDecoderMissing = 0;
  state_.Reset();
  lastInfo_ = &info;
  peakBytes_ = 0;
  walkReachedEnd_ = false;
}

void ReplayParser::NotePeak(size_t more) {
  size_t held = more;
  for (const MemoryBlock* block = pool_.Blocks; block != nullptr; block = block->Next)
    held += block->Used;
  peakBytes_ = std::max(peakBytes_, held);
}

char* ReplayParser::PoolText(const char* text, size_t length) {
  char* copy = pool_.New<char>(length + 1);
  std::memcpy(copy, text, length);
  return copy;
}

GeneralInfo* ReplayParser::BeginReplay(ParserData* data) {
  if (data != nullptr) log_ = data->LogObject;
  Log("Library: start parsing.\n");
  if (data == nullptr) {
    LogError(kNullParserData);
    return nullptr;
  }
  if (data->GeneralInfo == nullptr) {
    LogError(kNullGeneralInfo);
    return nullptr;
  }
  GeneralInfo& info = *data->GeneralInfo;
  try {
    Reset(info);
    ClearHeaderFields(info);
  } catch (const CError& error) {
    SetError(info, error.what());
    return nullptr;
  }
  if (data->ParseMode == VANTREL_PARSE_ACTIONS) {
    SetError(info, kActionsModeInParseReplay);
    return nullptr;
  }
  return &info;
}

bool ReplayParser::ParseReplayBytes(GeneralInfo& info, const ParserData& data, const uint8_t* bytes,
                                    size_t size) {
  try {
    size_t blocksOffset = 0;
    ContainerResult container = ReadReplayHeaders(bytes, size, info, blocksOffset);
    if (!container.ok) {
      if (!container.error.empty()) SetError(info, container.error);
      return false;
    }
    const BufferRequest request{data.ParseMode,
                                data.TranslateTexts != 0,
                                data.WriteDebugFile != 0,
                                data.WriteCompData != 0,
                                true,
                                false};
    if (request.writeCompData) {
      // The walked bytes are written out in one piece: the game is inflated whole first.
      InflatedReplay whole;
      container = InflateBlocks(bytes, size, blocksOffset, info, whole);
      if (!container.ok) throw InflateFailure{container.error};
      GameBytes game(std::move(whole));
      ParseBuffer(info, game, request);
    } else {
      BlockReader blocks(bytes, size, blocksOffset, info);
      GameBytes game(blocks);
      ParseBuffer(info, game, request);
    }
    return true;
  } catch (const InflateFailure& failure) {
    // A block that does not inflate spoils the whole file: what was read before it goes.
    try {
      Reset(info);
    } catch (const CError& error) {
      LogError(error.what());  // the inflate error is the one the caller is told
    }
    hasResumePosition_ = false;
    SetError(info, failure.text);
  } catch (const CError& error) {
    SetError(info, error.what());
  } catch (const std::bad_alloc&) {
    SetError(info, "Memory allocation failed!");
  }
  return false;
}

bool ReplayParser::ParseReplay(ParserData* data, const char* fileName) {
  GeneralInfo* info = BeginReplay(data);
  if (info == nullptr) return false;
  platform::MappedFile file;
  switch (file.Open(fileName)) {
    case platform::MappedFile::Status::Ok:
      break;
    case platform::MappedFile::Status::OpenFailed:
      SetError(*info, "Cannot open file.");
      return false;
    case platform::MappedFile::Status::MappingFailed:
      SetError(*info, "Cannot create file mapping.");
      return false;
    case platform::MappedFile::Status::MapFailed:
      SetError(*info, "Cannot map file.");
      return false;
  }
  const bool result = ParseReplayBytes(*info, *data, file.data(), file.size());
  if (!file.Close()) Log("Library: cannot unmap file.\n");
  return result;
}

bool ReplayParser::ParseReplayData(ParserData* data, const uint8_t* bytes, size_t size) {
  GeneralInfo* info = BeginReplay(data);
  if (info == nullptr) return false;
  static const uint8_t kNoBytes[1] = {};
  return ParseReplayBytes(*info, *data, bytes != nullptr ? bytes : kNoBytes,
                          bytes != nullptr ? size : 0);
}

int32_t ReplayParser::ParseCompressedData(CompressedDataParams* params) {
  Log("%Start parsing\n");
  if (params == nullptr || params->GeneralInfo == nullptr) {
    LogError(kNullGeneralInfo);
    return 1;
  }
  GeneralInfo& info = *params->GeneralInfo;
  if (params->OpenParserLog != 0 && parserLog_ == nullptr)
    parserLog_ = std::fopen("parser_log.txt", "ab");
  try {
    if (params->ParseMode != VANTREL_PARSE_ACTIONS) {
      Reset(info);
    } else {
      info.ErrorText = nullptr;
      errorText_.clear();
      lastInfo_ = &info;
      peakBytes_ = 0;
    }
    if (params->Data == nullptr) {
      SetError(info, kNullCompressedData);
      return 1;
    }
    if (params->ParseMode == VANTREL_PARSE_ACTIONS && !hasResumePosition_) {
      SetError(info, kNoResumePosition);
      return 1;
    }
    GameBytes game(params->Data, params->DataSize);
    ParseBuffer(info, game,
                BufferRequest{params->ParseMode, params->TranslateTexts != 0,
                              params->WriteDebugFile != 0, false, false, true});
  } catch (const CError& error) {
    SetError(info, error.what());
  } catch (const std::bad_alloc&) {
    SetError(info, "Memory allocation failed!");
  }
  return info.ErrorText != nullptr ? 1 : 0;
}

void ReplayParser::LoadCustomMap(GeneralInfo& info) {
  Log("Library: load custom map data start.\n");
  TMPQDataReader* reader = info.DataReader;
  const int32_t result =
      reader != nullptr && info.MapName != nullptr ? reader->LoadCustomMapData(info.MapName) : 0;
  info.IsMapDataLoad = result == MpqOk ? 1 : 0;
  info.TextureDecoderMissing = result == MpqOk && reader->BlpDecoderMissing ? 1 : 0;
  if (info.TextureDecoderMissing != 0) Log("Library: Cant init blp parser dll\n");
  if (log_ != nullptr) log_->WriteNumber("Library: IsMapDataLoad = %d\n", info.IsMapDataLoad);
  Log("Library: load custom data end.\n");
}

void ReplayParser::ParseBuffer(GeneralInfo& info, GameBytes& game, const BufferRequest& request) {
  const uint8_t mode = request.mode;
  const bool compressedDataLog = request.compressedDataLog;
  // The arena takes its first chunk after the reset below has emptied the pool.
  RecordArena records(pool_);
  const ReplayFormat format = FormatOf(info.GameVersion, info.BuildNumber);
  ParseContext context{info, pool_, records, state_, log_, format};
  try {
    size_t streamStart = resumePosition_;
    if (mode != VANTREL_PARSE_ACTIONS) {
      ParseGameStartOf(info, game, context);
      streamStart = resumePosition_;
    } else {
      // A new walk over the players of the earlier call: their results start again.
      state_.Reset();
      info.Actions = nullptr;
      info.Texts = nullptr;
      for (PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
        if (state_.playerById[player->PlayerID] == nullptr)
          state_.playerById[player->PlayerID] = player;
        player->TimeInGame = GameTime{};
        player->Winner = 0;
        player->ActionsTotal = 0;
        player->Heroes = nullptr;
        player->Buildings = player->Upgrades = player->Units = player->Items = player->Skills =
            nullptr;
      }
      if (streamStart > game.size())
        throw CError("ParseMode 2 needs the buffer of the earlier call.");
    }
    if (mode == VANTREL_PARSE_GAME_START) {
      // The blocks after the game start record are inflated all the same: a file with a block
      // that does not inflate is refused whatever is asked of it.
      game.ReadToEnd();
    } else {
      if (request.loadCustomMap) LoadCustomMap(info);
      Log("Library: parsing actions start.\n");
      const size_t walked = WalkActionStream(game, streamStart, context);
      if (request.writeCompData) WriteCompData(game.data() + streamStart, walked);
      // The data ends in zero bytes: anything else after the walk is a stream the walk could not
      // read to its end.
      walkReachedEnd_ = game.RestIsZero(streamStart + walked);
      // Nothing after the walk reads the data: it is given back before the texts are made.
      NotePeak(game.HeldBytes());
      game.Release();
      DecideWinner(context);
      MergeSubgroups(context);
      Log("Library: parsing actions end.\n");
      if (request.translate) {
        Log(compressedDataLog ? "Library: translating data start.\n" : "Translating data start.\n");
        // What TranslateDataMessage gives each entry, kept in the arena with its node.
        TextNode** tail = &info.Texts;
        EntryTextMaker maker(lastInfo_, log_);
        for (const ActionRecord* action = info.Actions; action != nullptr; action = action->Next) {
          // Made in place after its node when the arena has the room, else copied there.
          char* const inPlace = records.RoomAfter<TextNode>(sizeof textBuffer_);
          const EntryText made =
              maker.Make(*action, inPlace != nullptr ? inPlace : textBuffer_, sizeof textBuffer_);
          if (!made.made) continue;
          TextNode* node = nullptr;
          if (inPlace != nullptr) {
            node = records.Keep<TextNode>(made.length + 1);
            node->Text = inPlace;
          } else {
            node = records.New<TextNode>();
            node->Text = records.Text(textBuffer_, made.length);
          }
          node->Next = nullptr;
          *tail = node;
          tail = &node->Next;
        }
        Log(compressedDataLog ? "Library: translating data end.\n" : "Translating data end.\n");
      }
    }
  } catch (const CMemoryError&) {
    throw;
  } catch (const CError& error) {
    // The game stops at the error; everything read so far stays.
    SetError(info, error.what());
  }
  NotePeak(game.HeldBytes());
  if (request.debugFile) {
    Log(compressedDataLog ? "Library: out data to file.\n" : "Library: out data.\n");
    WriteDebugFile(info);
  }
  Log("Library: end parsing.\n");
}

void ReplayParser::ParseGameStartOf(GeneralInfo& info, GameBytes& game, ParseContext& context) {
  // The record is read from the window of the game's first bytes; a record longer than the
  // window (which no game writes) is read again from a larger one. Any error is read again until
  // the window holds the whole game: a block that does not inflate then still comes first, as it
  // did when the game was inflated whole before it was read.
  for (size_t window = 1;; window = game.size() * 2) {
    Reset(info);
    hasResumePosition_ = false;
    game.Fill(0, window);
    try {
      // The game start record follows four bytes that are not examined.
      ByteReader reader(game.data(), game.size());
      if (!reader.Skip(4)) throw CError("Replay data ends inside the game start record.");
      ParseGameStart(reader, context);
      resumePosition_ = reader.position();
      hasResumePosition_ = true;
      return;
    } catch (const CMemoryError&) {
      throw;
    } catch (const CError&) {
      if (game.complete()) throw;
    }
  }
}

int32_t ReplayParser::TranslateDataMessage(const ActionRecord* action, char** text) {
  if (action == nullptr || text == nullptr) return 0;
  const EntryText made = FormatEntryText(*action, lastInfo_, log_, textBuffer_, sizeof textBuffer_);
  if (made.length == 0) return 0;
  // An entry without a text still leaves the reason in the output; the result says "no text".
  *text = PoolText(textBuffer_, made.length);
  return made.made ? 1 : 0;
}

void ReplayParser::WriteCompData(const uint8_t* data, size_t size) {
  FILE* out = std::fopen("CompData.dat", "wb");
  if (out == nullptr) {
    Log("Library: ERROR: cannot open output file\n");
    return;
  }
  if (size > 0) std::fwrite(data, 1, size, out);
  std::fclose(out);
}

void ReplayParser::WriteDebugFile(const GeneralInfo& info) {
  FILE* out = std::fopen("debug_file.txt", "wb");
  if (out == nullptr) {
    Log("Library: ERROR: cannot open output file\n");
    return;
  }
  std::fprintf(out, "General replay info:\n");
  std::fprintf(out, "GameCreatorName: '%s'\n", OrEmpty(info.GameCreatorName));
  std::fprintf(out, "GameName: '%s'\n", OrEmpty(info.GameName));
  std::fprintf(out, "MapName: '%s'\n", OrEmpty(info.MapName));
  std::fprintf(out, "PlayerCount: %d\n", info.PlayerCount);
  std::fprintf(out, "SlotRecordCount: %d\n", info.SlotRecordCount);
  std::fprintf(out, "RandomSeed: %xh\n", info.RandomSeed);
  std::fprintf(out, "SelectMode: %s\n", RaceSelectModeName(info.SelectMode, log_));
  std::fprintf(out, "StartSpotCount: %d\n", info.StartSpotCount);
  std::fprintf(out, "GameType: %s\n", GameTypeName(info.GameType, log_));

  std::fprintf(out, "\nMAP SETTINGS\n");
  std::fprintf(out, "FixedTeams: %s\n", BoolName(info.FixedTeams));
  std::fprintf(out, "FullSharedUnitControl: %s'\n", BoolName(info.FullSharedUnitControl));
  std::fprintf(out, "GameSpeed: %s\n", GameSpeedName(info.GameSpeed, log_));
  std::fprintf(out, "MapChecksum: '%xh'\n", info.MapChecksum);
  std::fprintf(out, "Observers: %s\n", ObserversName(info.Observers, log_));
  std::fprintf(out, "RandomHero: %s\n", BoolName(info.RandomHero));
  std::fprintf(out, "RandomRaces: %s\n", BoolName(info.RandomRaces));
  std::fprintf(out, "Referee: %s\n", BoolName(info.Referee));
  std::fprintf(out, "TeamsTogether: %s\n", BoolName(info.TeamsTogether));
  std::fprintf(out, "Visibility: %s\n", VisibilityName(info.Visibility, log_));
  std::fprintf(out, "\n");

  std::fprintf(out, "\nPLAYERS LIST\n");
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    char time[48];
    FormatGameTime(player->TimeInGame, time, sizeof time);
    std::fprintf(out,
                 "PlayerID=%2d PlayerName=%s Race=%2xh Winner=%d ActionsTotal=%4d TimeInGame: %s\n",
                 player->PlayerID, PadToColumns(OrEmpty(player->PlayerName), 15).c_str(),
                 player->Race, player->Winner, static_cast<int>(player->ActionsTotal), time);
  }

  std::fprintf(out, "\nSLOT RECORDS\n");
  for (const SlotRecord* slot = info.Slots; slot != nullptr; slot = slot->Next) {
    std::fprintf(
        out,
        "PlayerID: %2d, SlotStatus: %d, IsHuman: %d, TeamNumber: %d, ColorNumber: %d, Race: %d, "
        "AIStrength: %d, PlayerHandicap: %d\n",
        slot->PlayerID, slot->SlotStatus, slot->IsHuman, slot->TeamNumber, slot->ColorNumber,
        slot->Race, slot->AIStrength, slot->PlayerHandicap);
  }
  std::fprintf(out, "\n");

  for (const TextNode* node = info.Texts; node != nullptr; node = node->Next) {
    std::fprintf(out, "%s\n", OrEmpty(node->Text));
  }
  std::fclose(out);
}

}  // namespace vantrel
