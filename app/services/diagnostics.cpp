#include "diagnostics.h"

#include <filesystem>

#include "platform/pe_version.h"
#include "platform/system_info.h"
#include "program_log.h"

namespace {

const char* ProcessorTypeText(int type) {
  switch (type) {
    case 386:
      return "PROCESSOR_INTEL_386";
    case 486:
      return "PROCESSOR_INTEL_486";
    case 586:
      return "PROCESSOR_INTEL_PENTIUM";
    case 4000:
      return "PROCESSOR_MIPS_R4000";
    case 21064:
      return "PROCESSOR_ALPHA_21064";
    default:
      return "...";
  }
}

std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator,
                                      size_t parts) {
  std::vector<std::string_view> result;
  while (result.size() + 1 < parts) {
    const size_t at = text.find(separator);
    if (at == std::string_view::npos) break;
    result.push_back(text.substr(0, at));
    text.remove_prefix(at + separator.size());
  }
  result.push_back(text);
  return result;
}

bool IsNumber(std::string_view text) {
  return !text.empty() && text.size() <= 9 &&
         text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::string BuildSystemInformation(CLog* log, const SystemFacts& facts) {
  if (log == nullptr) return {};
  std::string text = "\rИнформация о системе: \r";
  LogPrintf(log, "General: GetSystemInfo\n");
  LogPrintf(log, "SystemInfo: Screen - HORZSIZE: %i\n", facts.screen.width);
  LogPrintf(log, "SystemInfo: Screen - VERTSIZE: %i\n", facts.screen.height);
  LogPrintf(log, "SystemInfo: Screen - BITSPIXEL: %i\n", facts.screen.bitsPerPixel);
  LogPrintf(log, "SystemInfo: Screen - VREFRESH: %i\n", facts.screen.refreshRate);

  LogPrintf(log, "SystemInfo: WarCraft - Version: %s\n", facts.gameVersion.c_str());
  text += "WarCraft Version: " + facts.gameVersion + "\r";

  LogPrintf(log, "SystemInfo: CPU - Type: %s\n", ProcessorTypeText(facts.processorType));
  const std::string processor = facts.processorName.empty() ? "..." : facts.processorName;
  LogPrintf(log, "SystemInfo: CPU - Name: %s\n", processor.c_str());
  text += "CPU Name: " + processor + "\r";

  LogPrintf(log, "SystemInfo: OS: %s Version: %i,%i (build %i)\n", facts.osName.c_str(),
            facts.osMajor, facts.osMinor, facts.osBuild);
  text += "OS: " + facts.osName + " Version:" + std::to_string(facts.osMajor) + "," +
          std::to_string(facts.osMinor) + " build(" + std::to_string(facts.osBuild) + ")\r";

  // Memory sizes are 64-bit: a machine of more than 2 GB would print negative 32-bit numbers.
  LogPrintf(log, "SystemInfo: Memory - dwMemoryLoad: %u(%%)\n", facts.memoryLoad);
  LogPrintf(log, "SystemInfo: Memory - dwTotalPhys: %llu\n",
            static_cast<unsigned long long>(facts.totalMemory));
  LogPrintf(log, "SystemInfo: Memory - dwAvailPhys: %llu\n",
            static_cast<unsigned long long>(facts.availableMemory));
  text += "Memory Load: " + std::to_string(facts.memoryLoad) + "%\r";
  text += "Total Memory: " + std::to_string(facts.totalMemory) + " bytes\r";
  text += "Avail.Phys. Memory: " + std::to_string(facts.availableMemory) + " bytes\r";
  return text;
}

SystemFacts ReadSystemFacts(const ScreenFacts& screen, const std::string& warcraftFolder) {
  SystemFacts facts;
  facts.screen = screen;
  facts.gameVersion = GameVersionText(warcraftFolder);
  facts.processorType = static_cast<int>(platform::ProcessorType());
  facts.processorName = platform::ProcessorName();
  const platform::OsVersion os = platform::OperatingSystem();
  facts.osName = os.name;
  facts.osMajor = static_cast<int>(os.major);
  facts.osMinor = static_cast<int>(os.minor);
  facts.osBuild = static_cast<int>(os.build);
  const platform::MemoryStatus memory = platform::ReadMemoryStatus();
  facts.memoryLoad = memory.loadPercent;
  facts.totalMemory = memory.totalBytes;
  facts.availableMemory = memory.availableBytes;
  return facts;
}

std::string GameVersionText(const std::string& warcraftFolder) {
  std::string path = warcraftFolder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += "game.dll";
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return "...";
  const std::optional<std::string> fileVersion = platform::ReadFileVersionString(path);
  if (!fileVersion) return "...";
  // A version text of another form is shown as the file states it.
  return FormatGameVersion(*fileVersion).value_or(*fileVersion);
}

std::optional<std::string> FormatGameVersion(std::string_view fileVersion) {
  const std::vector<std::string_view> parts = SplitAt(fileVersion, ", ", 4);
  if (parts.size() != 4) return std::nullopt;
  const std::string_view build = parts[3].substr(0, parts[3].find(' '));
  if (!IsNumber(parts[0]) || !IsNumber(parts[1]) || !IsNumber(parts[2]) || !IsNumber(build)) {
    return std::nullopt;
  }
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz";
  const int patch = std::stoi(std::string(parts[2]));
  std::string text = std::string(parts[0]) + "." + std::string(parts[1]);
  if (patch > 0 && patch < static_cast<int>(kLetters.size())) text += kLetters[patch];
  text += " (" + std::string(build) + ")";
  return text;
}

const std::vector<std::string>& RequiredFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> list = {
        "ParserData/war3xlocal.mpq", "ParserData/war3x.mpq", "ParserData/war3Patch.mpq",
        "ParserData/war3.mpq",       "Quorvel.ini",          "libvantrel.so",
        "ParserData/libostrak.so",   "StandartMaps.qvh",
    };
    const auto add = [&](const char* folder, std::initializer_list<const char*> names) {
      for (const char* name : names)
        list.push_back(std::string("Skin/Tarnwick/") + folder + name);
    };
    add("RacesIcon/", {"Orcs.bmp", "Human.bmp", "Undead.bmp", "Elves.bmp", "Random.bmp",
                       "referee.bmp", "Win.bmp", "Loose.bmp"});
    add("ActionIcon/", {"Build.bmp", "Chat.bmp", "Hero.bmp", "Item.bmp", "Skill.bmp",
                        "Undefined.bmp", "Unit.bmp", "Upgrade.bmp"});
    add("OtherIcon/",
        {"cd.bmp", "File.bmp", "floppy.bmp", "Folder.bmp", "hdd.bmp", "up.bmp", "Star.bmp"});
    list.push_back("qhint.qvh");
    return list;
  }();
  return files;
}

bool CheckRequiredFile(const std::string& programFolder, const std::string& file, CLog* log,
                       Prompter& prompter) {
  std::string path = programFolder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += file;
  std::error_code error;
  if (std::filesystem::exists(path, error)) return true;
  LogPrintf(log, "File Control: Not found %s\n", path.c_str());
  PromptRequest question;
  question.text = "Отсутствует ключевой файл Анализатора реплеев. \rНе найдет файл: " + path +
                  "\rХотите продолжить загрузку программы?\rОтсутствие данного файла может "
                  "повредить работе анализатора.";
  question.caption = kProgramTitle;
  question.icon = PromptIcon::Warning;
  question.buttons = PromptButtons::YesNo;
  question.defaultAnswer = PromptAnswer::No;
  return prompter.Ask(question) == PromptAnswer::Yes;
}

void ReportError(Prompter& prompter, Desktop& desktop) {
  PromptRequest notice;
  notice.text = "Вложите в письмо файл quorvel.log, который находится в папке программы.";
  notice.caption = "quorvel";
  prompter.Ask(notice);
  desktop.OpenUrl(std::string("mailto:") + kSupportAddress +
                  "?subject=quorvel_bug&body=Доброго%20времени%20суток!%20%0AХочу%20сообщить%20"
                  "Вам%20об%20ошибке%20в%20программе.");
}
