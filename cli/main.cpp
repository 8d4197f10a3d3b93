// quorvel-cli: the replay parser from the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/program_dir.h"
#include "vantrel_module.h"

namespace {

const char kUsage[] =
    "Usage: quorvel-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  info [--quick] FILE...   what each replay holds: header, game, settings, players, chat\n"
    "                           (--quick: header and game start only)\n"
    "  help                     this text\n";

std::string LengthText(uint32_t milliseconds) {
  const uint32_t seconds = milliseconds / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

std::string TimeText(const GameTime& time) {
  char text[48];
  std::snprintf(text, sizeof text, "%d:%.2d:%.2d.%.3d", time.Hours, time.Minutes, time.Seconds,
                time.Milliseconds);
  return text;
}

// The race of a slot: the first race flag that is set.
const char* RaceText(uint32_t flags) {
  if (flags & 0x01) return "Human";
  if (flags & 0x02) return "Orc";
  if (flags & 0x04) return "NightElf";
  if (flags & 0x08) return "Undead";
  if (flags & 0x20) return "Random";
  return "Undefined";
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
      return "?";
  }
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
                slot->TeamNumber, slot->ColorNumber, RaceText(slot->Race),
                SlotStatusText(slot->SlotStatus), slot->IsHuman ? "human" : "computer",
                slot->PlayerHandicap);
  }
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    if (player->Slot == nullptr)
      std::printf("    %-3d %-16s (no slot)\n", player->PlayerID, Text(player->PlayerName));
  }
}

void PrintChat(const VantrelModule& vantrel, const GeneralInfo& info) {
  bool any = false;
  for (const ActionRecord* action = info.Actions; action != nullptr; action = action->Next) {
    if (action->Kind != VANTREL_KIND_CHAT || action->Data == nullptr) continue;
    if (!any) std::printf("  Chat:\n");
    any = true;
    const auto* chat = static_cast<const ChatData*>(action->Data);
    std::printf("    %s %s (%s): %s\n", TimeText(action->Time).c_str(),
                vantrel.GetPlayerNameByID(&info, action->PlayerID),
                vantrel.ChatModeToStr(static_cast<int32_t>(chat->ChatMode)), Text(chat->Text));
  }
}

// Prints what the library read from one replay. Returns false when it could not be read
// completely.
bool PrintInfo(VantrelModule& vantrel, const char* file, bool quick) {
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  request.ParseMode = quick ? VANTREL_PARSE_GAME_START : VANTREL_PARSE_FULL;
  const bool parsed = vantrel.ParseReplay(&request, file);
  std::printf("%s\n", file);
  if (!parsed) {
    std::printf("  Error:         %s\n",
                info.ErrorText != nullptr ? info.ErrorText : "not a replay file");
    vantrel.FreeParserData(&info);
    return false;
  }
  std::printf("  Version:       1.%u\n", info.GameVersion);
  std::printf("  Build:         %u\n", info.BuildNumber);
  std::printf("  Length:        %s\n", LengthText(info.ReplayLength).c_str());
  std::printf("  Header:        version %u, %u bytes\n", info.HeaderVersion, info.HeaderSize);
  std::printf("  Decompressed:  %u bytes in %u blocks\n", info.DecompressedSize, info.BlockCount);
  if (info.PlayerCount >= 0) PrintGame(vantrel, info);
  if (!quick) PrintChat(vantrel, info);
  const bool complete = info.ErrorText == nullptr;
  if (!complete) std::printf("  Error:         %s\n", info.ErrorText);
  vantrel.FreeParserData(&info);
  return complete;
}

int Info(std::vector<const char*> arguments) {
  bool quick = false;
  if (!arguments.empty() && std::strcmp(arguments.front(), "--quick") == 0) {
    quick = true;
    arguments.erase(arguments.begin());
  }
  if (arguments.empty()) {
    std::fputs("quorvel-cli info: no replay given\n", stderr);
    return 2;
  }
  VantrelModule vantrel;
  if (!vantrel.Load(platform::ProgramDirectory() + "libvantrel.so")) {
    std::fprintf(stderr, "quorvel-cli: %s\n", vantrel.error().c_str());
    return 3;
  }
  bool allRead = true;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) std::printf("\n");
    allRead = PrintInfo(vantrel, arguments[i], quick) && allRead;
  }
  return allRead ? 0 : 1;
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
  std::fprintf(stderr, "quorvel-cli: unknown command '%s'\n\n%s", command.c_str(), kUsage);
  return 2;
}
