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
    "  info FILE...   the header of each replay: version, build, length, size, blocks\n"
    "  help           this text\n";

std::string LengthText(uint32_t milliseconds) {
  const uint32_t seconds = milliseconds / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

// Prints what the library read from one replay. Returns false when it could not be read.
bool PrintInfo(VantrelModule& vantrel, const char* file) {
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  request.ParseMode = VANTREL_PARSE_FULL;
  const bool parsed = vantrel.ParseReplay(&request, file);
  std::printf("%s\n", file);
  if (!parsed) {
    std::printf("  Error:         %s\n", info.ErrorText != nullptr ? info.ErrorText : "not a replay file");
    vantrel.FreeParserData(&info);
    return false;
  }
  std::printf("  Version:       1.%u\n", info.GameVersion);
  std::printf("  Build:         %u\n", info.BuildNumber);
  std::printf("  Length:        %s\n", LengthText(info.ReplayLength).c_str());
  std::printf("  Header:        version %u, %u bytes\n", info.HeaderVersion, info.HeaderSize);
  std::printf("  Decompressed:  %u bytes in %u blocks\n", info.DecompressedSize, info.BlockCount);
  if (info.ErrorText != nullptr) std::printf("  Error:         %s\n", info.ErrorText);
  vantrel.FreeParserData(&info);
  return info.ErrorText == nullptr;
}

int Info(const std::vector<const char*>& files) {
  if (files.empty()) {
    std::fputs("quorvel-cli info: no replay given\n", stderr);
    return 2;
  }
  VantrelModule vantrel;
  if (!vantrel.Load(platform::ProgramDirectory() + "libvantrel.so")) {
    std::fprintf(stderr, "quorvel-cli: %s\n", vantrel.error().c_str());
    return 3;
  }
  bool allRead = true;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i > 0) std::printf("\n");
    allRead = PrintInfo(vantrel, files[i]) && allRead;
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
