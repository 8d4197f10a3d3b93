// quorvel-cli: the replay parser from the command line.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench.h"
#include "gamedata/log.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/object_catalogue.h"
#include "gamedata/replay_format.h"
#include "json_output.h"
#include "platform/program_dir.h"
#include "replay_scan.h"
#include "vantrel_module.h"

namespace {

const char kUsage[] =
    "Usage: quorvel-cli COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  info [--quick] FILE...   what each replay holds: header, game, settings, players, chat\n"
    "                           (--quick: header and game start only)\n"
    "  actions FILE             every entry of the replay as text, one per line\n"
    "  objects [ID...]          what the game data reader knows of these objects (all without "
    "IDs)\n"
    "  json [--actions] FILE    everything the replay holds as one JSON document (docs/json.md)\n"
    "                           (--actions: every entry with its fields and text)\n"
    "  scan [--jobs N] [--quick] PATH...\n"
    "                           one JSON line per .w3g below the folders (and per file given),\n"
    "                           parsed on N threads (default: one per core)\n"
    "  bench [--rounds N] FILE...\n"
    "                           best of N rounds (default 5) of inflating, parsing and scanning\n"
    "  help                     this text\n"
    "\n"
    "Options of info, actions, objects and json:\n"
    "  --game-dir DIR           read the game's archives (war3.mpq, ...) from DIR\n"
    "  --data-dir DIR           read them from DIR when there is no game folder or it fails\n"
    "                           (default: ParserData in the program folder)\n"
    "  --log FILE               write the program log to FILE\n";

// Options shared by the commands.
struct Options {
  std::string gameDir;
  std::string dataDir;
  std::string logFile;
  bool quick = false;
  bool actions = false;
  unsigned jobs = 0;    // 0: one per core
  unsigned rounds = 5;  // of bench
  std::vector<const char*> arguments;
};

// A count option's value: a whole number from 1 to 4096.
bool ParseCount(const std::string& option, const std::string& text, unsigned& count) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 1 || value > 4096) {
    std::fprintf(stderr, "quorvel-cli: %s needs a number from 1 to 4096\n", option.c_str());
    return false;
  }
  count = static_cast<unsigned>(value);
  return true;
}

// Takes the options out of the arguments; false (with a message) for a malformed one.
bool ParseOptions(const std::vector<const char*>& arguments, Options& options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string argument = arguments[i];
    const auto value = [&](std::string& target) {
      if (i + 1 >= arguments.size()) {
        std::fprintf(stderr, "quorvel-cli: %s needs a value\n", argument.c_str());
        return false;
      }
      target = arguments[++i];
      return true;
    };
    if (argument == "--game-dir") {
      if (!value(options.gameDir)) return false;
    } else if (argument == "--data-dir") {
      if (!value(options.dataDir)) return false;
    } else if (argument == "--log") {
      if (!value(options.logFile)) return false;
    } else if (argument == "--quick") {
      options.quick = true;
    } else if (argument == "--actions") {
      options.actions = true;
    } else if (argument == "--jobs" || argument == "--rounds") {
      std::string text;
      if (!value(text) ||
          !ParseCount(argument, text, argument == "--jobs" ? options.jobs : options.rounds))
        return false;
    } else {
      options.arguments.push_back(arguments[i]);
    }
  }
  if (options.dataDir.empty()) options.dataDir = platform::ProgramDirectory() + "ParserData/";
  return true;
}

// The game data reader with the standard data: from the game folder when one is given, else (or
// when that read fails) from the data folder, as the program does at start-up.
std::unique_ptr<TMPQDataReader> ReadGameData(const Options& options, CLog* log) {
  std::unique_ptr<TMPQDataReader> reader;
  int32_t result = MpqFileMissing;
  if (!options.gameDir.empty()) {
    reader = std::make_unique<TMPQDataReader>(
        DataReaderInfo{options.gameDir.c_str(), options.dataDir.c_str(), log});
    result = reader->ReadStandardData();
  }
  if (result != MpqOk) {
    reader =
        std::make_unique<TMPQDataReader>(DataReaderInfo{nullptr, options.dataDir.c_str(), log});
    result = reader->ReadStandardData();
  }
  if (result != MpqOk) {
    std::fprintf(stderr,
                 "quorvel-cli: the game data could not be read completely (code %d, file '%s')\n",
                 result, reader->ErrorFile);
  }
  return reader;
}

std::string LengthText(uint32_t milliseconds) {
  const uint32_t seconds = milliseconds / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

const char* Text(const char* text) {
  return text != nullptr ? text : "";
}

void PrintGame(const VantrelModule& vantrel, const GeneralInfo& info) {
  std::printf("  Game:          %s\n", Text(info.GameName));
  std::printf("  Map:           %s\n", Text(info.MapName));
  std::printf("  Creator:       %s\n", Text(info.GameCreatorName));
  std::printf("  Game type:     %s%s\n", vantrel.GameTypeToStr(info.GameType),
              info.PrivateGame ? ", private" : "");
  std::printf("  Speed:         %s\n", vantrel.GameSpeedToStr(info.GameSpeed));
  std::printf("  Visibility:    %s\n", vantrel.VisibilityToStr(info.Visibility));
  std::printf("  Observers:     %s\n", vantrel.ObserversToStr(info.Observers));
  std::printf("  Select mode:   %s\n", vantrel.RaceSelectModeToStr(info.SelectMode));
  std::printf("  Teams:         together %s, fixed %s, full shared unit control %s\n",
              vantrel.BoolToStr(info.TeamsTogether), vantrel.BoolToStr(info.FixedTeams),
              vantrel.BoolToStr(info.FullSharedUnitControl));
  std::printf("  Random:        hero %s, races %s\n", vantrel.BoolToStr(info.RandomHero),
              vantrel.BoolToStr(info.RandomRaces));
  std::printf("  Map checksum:  %08x\n", info.MapChecksum);
  std::printf("  Random seed:   %08x\n", info.RandomSeed);

  std::printf("  Slots:\n");
  std::printf("    %-3s %-16s %4s %6s %-9s %-6s %-8s %s\n", "id", "name", "team", "colour", "race",
              "slot", "control", "handicap");
  for (const SlotRecord* slot = info.Slots; slot != nullptr; slot = slot->Next) {
    if (slot->SlotStatus != 2) continue;
    const std::string name = slot->Player != nullptr ? Text(slot->Player->PlayerName)
                             : slot->IsHuman         ? std::string("-")
                                                     : "Computer";
    std::printf("    %-3d %-16s %4d %6d %-9s %-6s %-8s %d\n", slot->PlayerID, name.c_str(),
                slot->TeamNumber, slot->ColorNumber, quorvel::cli::RaceText(slot->Race),
                quorvel::cli::SlotStatusText(slot->SlotStatus),
                slot->IsHuman ? "human" : "computer", slot->PlayerHandicap);
  }
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    if (player->Slot == nullptr)
      std::printf("    %-3d %-16s (no slot)\n", player->PlayerID, Text(player->PlayerName));
  }
}

// "Name x3, Other x1" for the ids of a list of events, in the order they first appear.
template <typename Node, typename IdOf>
std::string CountedNames(const VantrelModule& vantrel, const GeneralInfo& info, const Node* node,
                         IdOf idOf) {
  std::vector<std::string> order;
  std::map<std::string, int> counts;
  for (; node != nullptr; node = node->Next) {
    const std::string name = vantrel.GetItemNameByID(&info, idOf(node));
    if (counts[name]++ == 0) order.push_back(name);
  }
  std::string text;
  for (const std::string& name : order) {
    if (!text.empty()) text += ", ";
    text += name + " x" + std::to_string(counts[name]);
  }
  return text.empty() ? "-" : text;
}

const char* EventId(const EventNode* node) {
  return static_cast<const AbilityData*>(node->Fields)->ItemID;
}

void PrintPlayers(const VantrelModule& vantrel, const GeneralInfo& info) {
  std::printf("  Players:\n");
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    std::printf("    %s (id %d)%s\n", Text(player->PlayerName), player->PlayerID,
                player->Winner ? ", winner" : "");
    std::printf("      actions %u, APM %.0f, time in game %s\n", player->ActionsTotal,
                quorvel::cli::PlayerApm(*player, info),
                quorvel::cli::TimeText(player->TimeInGame).c_str());
    std::string heroes;
    for (const HeroNode* hero = player->Heroes; hero != nullptr; hero = hero->Next) {
      if (!heroes.empty()) heroes += ", ";
      heroes +=
          vantrel.GetItemNameByID(&info, static_cast<const AbilityData*>(hero->Fields)->ItemID);
      heroes += " (" + std::to_string(hero->SkillCount) + " skills";
      if (hero->SummonCount > 0)
        heroes += ", summoned again " + std::to_string(hero->SummonCount) + "x";
      heroes += ")";
    }
    std::printf("      heroes:    %s\n", heroes.empty() ? "-" : heroes.c_str());
    std::printf("      units:     %s\n",
                CountedNames(vantrel, info, player->Units, EventId).c_str());
    std::printf("      buildings: %s\n",
                CountedNames(vantrel, info, player->Buildings, EventId).c_str());
    std::printf("      upgrades:  %s\n",
                CountedNames(vantrel, info, player->Upgrades, EventId).c_str());
    std::printf("      skills:    %s\n",
                CountedNames(vantrel, info, player->Skills, EventId).c_str());
    std::printf("      items:     %s\n",
                CountedNames(vantrel, info, player->Items, EventId).c_str());
  }
}

void PrintChat(const VantrelModule& vantrel, const GeneralInfo& info) {
  bool any = false;
  for (const ActionRecord* action = info.Actions; action != nullptr; action = action->Next) {
    if (action->Kind != VANTREL_KIND_CHAT || action->Data == nullptr) continue;
    if (!any) std::printf("  Chat:\n");
    any = true;
    const auto* chat = static_cast<const ChatData*>(action->Data);
    std::printf("    %s %s (%s): %s\n", quorvel::cli::TimeText(action->Time).c_str(),
                vantrel.GetPlayerNameByID(&info, action->PlayerID),
                vantrel.ChatModeToStr(static_cast<int32_t>(chat->ChatMode)), Text(chat->Text));
  }
}

// Prints what the library read from one replay. Returns false when it could not be read
// completely.
bool PrintInfo(VantrelModule& vantrel, const char* file, bool quick, TMPQDataReader* reader,
               CLog* log) {
  GeneralInfo info{};
  info.DataReader = reader;
  ParserData request{};
  request.GeneralInfo = &info;
  request.LogObject = log;
  request.TranslateTexts = 0;
  request.ParseMode = quick ? VANTREL_PARSE_GAME_START : VANTREL_PARSE_FULL;
  const bool parsed = vantrel.ParseReplay(&request, file);
  std::printf("%s\n", file);
  if (!parsed) {
    std::printf("  Error:         %s\n",
                info.ErrorText != nullptr ? info.ErrorText : "not a replay file");
    vantrel.FreeParserData(&info);
    return false;
  }
  std::printf("  Version:       %s\n", vantrel::VersionText(info.GameVersion).c_str());
  std::printf("  Build:         %u\n", info.BuildNumber);
  std::printf("  Length:        %s\n", LengthText(info.ReplayLength).c_str());
  std::printf("  Header:        version %u, %u bytes\n", info.HeaderVersion, info.HeaderSize);
  std::printf("  Decompressed:  %u bytes in %u blocks\n", info.DecompressedSize, info.BlockCount);
  if (info.PlayerCount >= 0) PrintGame(vantrel, info);
  if (!quick && info.PlayerCount >= 0) PrintPlayers(vantrel, info);
  if (!quick) PrintChat(vantrel, info);
  const bool complete = info.ErrorText == nullptr;
  if (!complete) std::printf("  Error:         %s\n", info.ErrorText);
  vantrel.FreeParserData(&info);
  return complete;
}

// What a command works with: its options, the log, the game data reader when one is asked for,
// and the parser library.
struct Session {
  Options options;
  std::unique_ptr<CLog> log;
  std::unique_ptr<TMPQDataReader> reader;
  VantrelModule vantrel;

  // The library writes to the log until it is unloaded: it goes before the log.
  ~Session() { vantrel.Unload(); }

  // Parses the options, opens the log, reads the game data, loads the library. Returns 0, or the
  // exit status of the failure.
  int Open(const std::vector<const char*>& arguments) {
    if (!ParseOptions(arguments, options)) return 2;
    if (!options.logFile.empty()) log = std::make_unique<CLog>(options.logFile.c_str());
    // Object names come from the game data: the game folder's, else the data folder's (by
    // default the built-in data of the program folder's ParserData).
    reader = ReadGameData(options, log.get());
    if (!vantrel.Load(platform::ProgramDirectory() + "libvantrel.so")) {
      std::fprintf(stderr, "quorvel-cli: %s\n", vantrel.error().c_str());
      return 3;
    }
    return 0;
  }
};

int Info(const std::vector<const char*>& arguments) {
  Session session;
  if (const int failed = session.Open(arguments)) return failed;
  const Options& options = session.options;
  if (options.arguments.empty()) {
    std::fputs("quorvel-cli info: no replay given\n", stderr);
    return 2;
  }
  bool allRead = true;
  for (size_t i = 0; i < options.arguments.size(); ++i) {
    if (i > 0) std::printf("\n");
    allRead = PrintInfo(session.vantrel, options.arguments[i], options.quick, session.reader.get(),
                        session.log.get()) &&
              allRead;
  }
  return allRead ? 0 : 1;
}

int Actions(const std::vector<const char*>& arguments) {
  Session session;
  if (const int failed = session.Open(arguments)) return failed;
  const Options& options = session.options;
  if (options.arguments.size() != 1) {
    std::fputs("quorvel-cli actions: give one replay\n", stderr);
    return 2;
  }
  GeneralInfo info{};
  info.DataReader = session.reader.get();
  ParserData request{};
  request.GeneralInfo = &info;
  request.LogObject = session.log.get();
  request.TranslateTexts = 1;
  const bool parsed = session.vantrel.ParseReplay(&request, options.arguments[0]);
  for (const TextNode* node = info.Texts; node != nullptr; node = node->Next)
    std::printf("%s\n", Text(node->Text));
  const bool complete = parsed && info.ErrorText == nullptr;
  if (!complete) {
    std::fprintf(stderr, "quorvel-cli: %s: %s\n", options.arguments[0],
                 info.ErrorText != nullptr ? info.ErrorText : "not a replay file");
  }
  session.vantrel.FreeParserData(&info);
  return complete ? 0 : 1;
}

int PrintJson(const std::vector<const char*>& arguments) {
  Session session;
  if (const int failed = session.Open(arguments)) return failed;
  const Options& options = session.options;
  if (options.arguments.size() != 1) {
    std::fputs("quorvel-cli json: give one replay\n", stderr);
    return 2;
  }
  const char* file = options.arguments[0];
  GeneralInfo info{};
  info.DataReader = session.reader.get();
  ParserData request{};
  request.GeneralInfo = &info;
  request.LogObject = session.log.get();
  // The entry texts are made by the document itself, entry by entry.
  request.TranslateTexts = 0;
  const bool parsed = session.vantrel.ParseReplay(&request, file);
  quorvel::cli::Json document = quorvel::cli::Json::object();
  document["file"] = file;
  if (parsed) {
    document.update(quorvel::cli::ReplayJson(
        info, quorvel::cli::JsonRequest{options.actions, session.log.get()}));
  } else {
    document["error"] = info.ErrorText != nullptr ? info.ErrorText : "not a replay file";
  }
  const bool complete = parsed && info.ErrorText == nullptr;
  session.vantrel.FreeParserData(&info);
  std::printf("%s\n", quorvel::cli::JsonLine(document).c_str());
  return complete ? 0 : 1;
}

int ScanPaths(const std::vector<const char*>& arguments) {
  Options options;
  if (!ParseOptions(arguments, options)) return 2;
  if (options.arguments.empty()) {
    std::fputs("quorvel-cli scan: no folder or file given\n", stderr);
    return 2;
  }
  const std::vector<std::string> files =
      quorvel::cli::FindReplays({options.arguments.begin(), options.arguments.end()});
  const unsigned jobs =
      options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  // Progress only for a person watching: standard output stays the lines alone.
  const bool progress = isatty(STDERR_FILENO) != 0;
  quorvel::cli::ScanFiles(files, quorvel::cli::ScanRequest{jobs, options.quick},
                          [&](size_t index, const std::string& line) {
                            std::printf("%s\n", line.c_str());
                            if (progress)
                              std::fprintf(stderr, "\r%zu/%zu", index + 1, files.size());
                          });
  if (progress && !files.empty()) std::fputs("\n", stderr);
  std::fflush(stdout);
  return 0;
}

int RunBench(const std::vector<const char*>& arguments) {
  Options options;
  if (!ParseOptions(arguments, options)) return 2;
  if (options.arguments.empty()) {
    std::fputs("quorvel-cli bench: no replay given\n", stderr);
    return 2;
  }
  return quorvel::cli::Bench({options.arguments.begin(), options.arguments.end()}, options.rounds);
}

const char* TypeText(uint8_t type) {
  switch (type) {
    case kObjectBuilding:
      return "building";
    case kObjectHero:
      return "hero";
    case kObjectItem:
      return "item";
    case kObjectUnit:
      return "unit";
    case kObjectSkill:
      return "skill";
    case kObjectUpgrade:
      return "upgrade";
    default:
      return "?";
  }
}

void PrintObject(const ObjectEntry& entry, int group) {
  const char* name = GetProperty(&entry, "Name");
  const char* art = GetProperty(&entry, "Art");
  std::printf("%-4s  %d  %-8s  %3d  %s  %s\n", entry.Id, group, TypeText(entry.Type), entry.Race,
              name != nullptr ? name : "-", art != nullptr ? art : "-");
}

int Objects(const std::vector<const char*>& arguments) {
  Options options;
  if (!ParseOptions(arguments, options)) return 2;
  const std::unique_ptr<CLog> log =
      options.logFile.empty() ? nullptr : std::make_unique<CLog>(options.logFile.c_str());
  const std::unique_ptr<TMPQDataReader> reader = ReadGameData(options, log.get());
  std::printf("%-4s  %s  %-8s  %3s  %s  %s\n", "id", "g", "type", "race", "Name", "Art");
  if (options.arguments.empty()) {
    for (int group = 1; group < kRaceGroupCount; ++group) {
      const RaceGroup& g = reader->RaceGroups[group];
      const std::pair<const ObjectEntry*, uint32_t> lists[] = {
          {g.Heroes, g.HeroCount},      {g.Units, g.UnitCount},   {g.Buildings, g.BuildingCount},
          {g.Upgrades, g.UpgradeCount}, {g.Skills, g.SkillCount}, {g.Items, g.ItemCount}};
      for (const auto& [entries, count] : lists) {
        for (uint32_t i = 0; i < count; ++i)
          PrintObject(entries[i], group);
      }
    }
    return 0;
  }
  bool allFound = true;
  for (const char* id : options.arguments) {
    const ObjectEntry* entry = reader->FindObject(id);
    if (entry == nullptr) {
      std::printf("%-4s  not found\n", id);
      allFound = false;
      continue;
    }
    int group = 0;
    for (int g = 1; g < kRaceGroupCount; ++g) {
      if (reader->RaceGroups[g].RaceCode == entry->Race) group = g;
    }
    PrintObject(*entry, group != 0 ? group : kNeutralGroup);
  }
  return allFound ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  std::vector<const char*> arguments(argv + 2, argv + argc);
  if (command == "info") return Info(arguments);
  if (command == "objects") return Objects(arguments);
  if (command == "actions") return Actions(arguments);
  if (command == "json") return PrintJson(arguments);
  if (command == "scan") return ScanPaths(arguments);
  if (command == "bench") return RunBench(arguments);
  std::fprintf(stderr, "quorvel-cli: unknown command '%s'\n\n%s", command.c_str(), kUsage);
  return 2;
}
