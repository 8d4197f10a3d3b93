#include "replay_context.h"

#include <atomic>

#include "gamedata/mpq_data_reader.h"
#include "gamedata/replay_format.h"
#include "platform/program_dir.h"
#include "program_log.h"
#include "standalone_reader.h"

namespace {

// The number of the library's latest parse, counted over all contexts.
std::atomic<uint64_t> g_parseGeneration{0};

constexpr char kCannotInflate[] = "Не удается распаковать w3g файл";

template <typename Function>
Function Export(const TQuorvel_Is_Here& context, const char* name) {
  if (!context.ParserModule) return nullptr;
  return context.ParserModule->Get<Function>(name);
}

void Tell(TQuorvel_Is_Here& context, const std::string& text) {
  if (context.Prompts != nullptr) ShowMessage(*context.Prompts, text);
}

// Sets a flag for one scope.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

void DeriveLength(TQuorvel_Is_Here& context, uint32_t lengthMs) {
  const uint32_t seconds = lengthMs / 1000;
  context.Hours = static_cast<int32_t>(seconds / 3600);
  context.Minutes = static_cast<int32_t>(seconds / 60) - context.Hours * 60;
  context.Seconds = static_cast<int32_t>(seconds) - context.Hours * 3600 - context.Minutes * 60;
  context.DurationText = std::to_string(context.Hours) + ":" + std::to_string(context.Minutes) +
                         ":" + std::to_string(context.Seconds);
}

void DeriveTeams(TQuorvel_Is_Here& context) {
  for (auto& team : context.TeamPlayers)
    team.fill(std::string());
  context.TeamCount.fill(0);
  const GeneralInfo& info = *context.Info;
  if (info.Players == nullptr) return;
  for (int32_t i = 0; i < info.PlayerCount; ++i) {
    const PlayerRecord& player = info.Players[i];
    if (player.Slot == nullptr || player.Slot->TeamNumber >= kTeamSlots) continue;
    const uint8_t team = player.Slot->TeamNumber;
    // A team holds at most 13 entries; further players of a damaged replay are left out.
    if (context.TeamCount[team] >= kTeamSlots) continue;
    context.TeamPlayers[team][static_cast<size_t>(context.TeamCount[team])] =
        PlayerEntry(context, player);
    ++context.TeamCount[team];
  }
}

enum class OpenKind { Quick, Full };

bool Open(TQuorvel_Is_Here& context, const std::string& path, OpenKind kind) {
  // The gate: a file that does not inflate completely never reaches the library. Only the
  // header values of the reader are taken; its data is released at once.
  const StandaloneReadResult gate = ReadReplayFile(path);
  if (!gate.replay) {
    Tell(context, kCannotInflate);
    return false;
  }
  const uint32_t gameVersion = gate.replay->GameVersion;
  const uint32_t replayLength = gate.replay->ReplayLength;

  ReleaseResult(context);
  if (!context.ParserModule) return false;

  auto record = std::make_unique<GeneralInfo>();
  ParserData data{};
  data.GeneralInfo = record.get();
  data.LogObject = context.DataReader != nullptr ? context.DataReader->Log : nullptr;
  if (kind == OpenKind::Quick) {
    data.ParseMode = VANTREL_PARSE_GAME_START;
  } else {
    const QUORVEL_PROPERTY* property = context.Property.get();
    data.WriteDebugFile = property != nullptr && property->parser_output;
    data.TranslateTexts = 1;
    data.OpenParserLog = property != nullptr && property->parser_log;
    data.ParseMode = VANTREL_PARSE_FULL;
    record->DataReader = context.DataReader;
  }

  const auto parse = Export<ParseReplayFunc>(context, "ParseReplay");
  if (parse == nullptr) {
    Tell(context, "ParseReplay null pointer");
    return false;
  }
  const bool parsed = parse(&data, path.c_str());
  context.ResultGeneration = ++g_parseGeneration;
  if (!parsed) context.ParseFailed = true;

  context.InfoRecord = std::move(record);
  context.Info = context.InfoRecord.get();
  context.ReplayPath = path;
  if (const char* text = GameTypeTextOf(context.Info->GameType)) context.GameTypeText = text;
  context.VersionText = ReplayVersionText(gameVersion);
  DeriveLength(context, replayLength);
  if (kind == OpenKind::Full) {
    context.ActionLineCount = 0;
    for (const TextNode* node = context.Info->Texts; node != nullptr; node = node->Next) {
      ++context.ActionLineCount;
    }
  }
  DeriveTeams(context);
  context.IsParsed = true;
  return true;
}

}  // namespace

TQuorvel_Is_Here::~TQuorvel_Is_Here() {
  ReleaseResult(*this);
}

ParserLoadResult LoadParserLibrary(TQuorvel_Is_Here& context) {
  return LoadParserLibrary(context, platform::ProgramDirectory() + kParserLibraryFileName);
}

ParserLoadResult LoadParserLibrary(TQuorvel_Is_Here& context, const std::string& path) {
  LogPrintf(context.Log, "General: Load Vantrel...\n");
  auto module = std::make_shared<platform::DynamicLibrary>();
  // A library without GetDllInfo is no parser library of ours either.
  if (!module->Open(path) || module->Symbol("GetDllInfo") == nullptr) {
    if (context.Prompts != nullptr) {
      PromptRequest request;
      request.text = "Невозможно загрузить парсер!";
      context.Prompts->Ask(request);
    }
    return ParserLoadResult::Missing;
  }
  context.ParserModule = std::move(module);

  int32_t versions[2] = {0, 0};
  Export<GetDllInfoFunc>(context, "GetDllInfo")(versions);
  context.ParserMajor = versions[0];
  context.ParserMinor = versions[1];
  if (context.ParserMajor == kParserMajor && context.ParserMinor == kParserMinor) {
    return ParserLoadResult::Loaded;
  }
  context.VersionMismatch = true;
  LogPrintf(context.Log, "Error: ParserVersionError: quorvel(%i:%i),parser(%i:%i)\n", kParserMajor,
            kParserMinor, context.ParserMajor, context.ParserMinor);
  if (context.Prompts != nullptr) context.Prompts->Ask(VersionMismatchPrompt(context));
  return ParserLoadResult::VersionMismatch;
}

PromptRequest VersionMismatchPrompt(const TQuorvel_Is_Here& context) {
  PromptRequest request;
  request.text = "Версия интерфейса: " + std::to_string(kParserMajor) + ":" +
                 std::to_string(kParserMinor) +
                 "\n\r Версия парсера: " + std::to_string(context.ParserMajor) + ":" +
                 std::to_string(context.ParserMinor);
  request.caption = "Ошибка: Версия парсера не совпадает!!";
  return request;
}

void UnloadParserLibrary(TQuorvel_Is_Here& context) {
  ReleaseResult(context);
  context.ParserModule.reset();
}

bool QuickOpen(TQuorvel_Is_Here& context, const std::string& path) {
  return Open(context, path, OpenKind::Quick);
}

bool FullOpen(TQuorvel_Is_Here& context, const std::string& path) {
  const FlagScope busy(context.Busy);
  context.ParseFailed = false;
  return Open(context, path, OpenKind::Full);
}

void ReleaseResult(TQuorvel_Is_Here& context) {
  if (!context.IsParsed) return;
  // The result belongs to the library's single pool: a later parse through another context has
  // already replaced it, and freeing now would free that one.
  if (HoldsCurrentResult(context)) {
    if (const auto release = Export<FreeParserDataFunc>(context, "FreeParserData")) {
      release(context.Info);
    }
  }
  context.IsParsed = false;
}

bool HoldsCurrentResult(const TQuorvel_Is_Here& context) {
  return context.IsParsed && context.ResultGeneration == g_parseGeneration;
}

std::unique_ptr<TQuorvel_Is_Here> CreatePrivateContext(const TQuorvel_Is_Here& main) {
  auto context = std::make_unique<TQuorvel_Is_Here>();
  context->Property = std::make_shared<QUORVEL_PROPERTY>();
  ReadConfiguration(*context->Property);
  context->DataReader = main.DataReader;
  context->ParserModule = main.ParserModule;
  context->ParserMajor = main.ParserMajor;
  context->ParserMinor = main.ParserMinor;
  context->VersionMismatch = main.VersionMismatch;
  context->Log = main.Log;
  context->Prompts = main.Prompts;
  return context;
}

std::string RaceLabel(uint8_t race, int32_t style) {
  static const char* const kLabels[18] = {
      "Orc", "Human", "Undead", "NightElf", "Random", "Undefined",  // whole names
      "Orc", "Hum",   "Und",    "Elf",      "Rnd",    "",           // three letters
      "O",   "H",     "U",      "N",        "R",      "",           // one letter
  };
  if (style == kRaceLabelNone) return {};
  if (style != kRaceLabelShort && style != kRaceLabelLetter) style = kRaceLabelFull;
  int index = 5;
  if (race & 0x01) {
    index = 1;
  } else if (race & 0x02) {
    index = 0;
  } else if (race & 0x04) {
    index = 3;
  } else if (race & 0x08) {
    index = 2;
  } else if (race & 0x20) {
    index = 4;
  }
  return kLabels[style + index];
}

std::string PlayerEntry(const TQuorvel_Is_Here& context, const PlayerRecord& player) {
  const int32_t style =
      context.Property != nullptr ? context.Property->Quorvel_TagPlayersName : kRaceLabelShort;
  const uint8_t race = player.Slot != nullptr ? player.Slot->Race : 0;
  return std::string(player.PlayerName != nullptr ? player.PlayerName : "") + " (" +
         RaceLabel(race, style) + ")";
}

const char* GameTypeTextOf(uint8_t gameType) {
  switch (gameType) {
    case 1:
      return "Ladder (1on1 or FFA)";
    case 9:
      return "Custom";
    case 13:
      return "SinglePlayer";
    case 32:
      return "TeamGame (AT or RT)";
    case 33:
      return "Unknown";
    default:
      return nullptr;
  }
}

std::string ReplayVersionText(uint32_t gameVersion) {
  // Patches up to 1.31 are counted plainly; from 1.30 on the number says major and minor.
  constexpr uint32_t kNumberedFrom = 10000;
  if (gameVersion < kNumberedFrom) return "1." + std::to_string(gameVersion);
  return vantrel::VersionText(gameVersion);
}
