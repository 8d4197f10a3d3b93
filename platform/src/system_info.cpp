#include "platform/system_info.h"

#include <sys/utsname.h>

#include <iterator>
#include <limits>

#include "text_util.h"

namespace platform {
namespace {

// /proc/cpuinfo holds one block per processor; the names wanted are in the first block (or, on
// some ARM kernels, in the lines after the last one), well within this on any machine.
constexpr size_t kMaxCpuinfoSize = 1024 * 1024;
constexpr size_t kMaxMeminfoSize = 64 * 1024;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// Calls `visit(key, value)` for every "key: value" line, both trimmed.
template <typename Visit>
void ForEachField(std::string_view text, Visit visit) {
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(begin, end - begin);
    begin = end + 1;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    visit(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
  }
}

// The decimal number at the start of `text` and the count of its digits; false when there is
// none or it does not fit (`length` still counts all the digits).
bool LeadingNumber(std::string_view text, uint64_t& value, size_t& length) {
  value = 0;
  length = 0;
  bool fits = true;
  for (; length < text.size() && text[length] >= '0' && text[length] <= '9'; ++length) {
    const auto digit = static_cast<uint64_t>(text[length] - '0');
    fits = fits && value <= (std::numeric_limits<uint64_t>::max() - digit) / 10;
    if (fits) value = value * 10 + digit;
  }
  if (!fits) value = 0;
  return fits && length > 0;
}

// A /proc/meminfo amount ("16318440 kB") in bytes.
bool Kilobytes(std::string_view text, uint64_t& bytes) {
  uint64_t kilobytes = 0;
  size_t length = 0;
  if (!LeadingNumber(text, kilobytes, length)) return false;
  if (kilobytes > std::numeric_limits<uint64_t>::max() / 1024) return false;
  bytes = kilobytes * 1024;
  return true;
}

std::string ReadProcFile(const char* path, size_t limit) {
  std::string text;
  detail::ReadFileBounded(path, limit, text);
  return text;
}

}  // namespace

std::string ParseProcessorName(std::string_view cpuinfo) {
  constexpr std::string_view kKeys[] = {"model name", "Hardware", "cpu model"};
  std::string_view found[std::size(kKeys)];
  bool seen[std::size(kKeys)] = {};
  ForEachField(cpuinfo, [&](std::string_view key, std::string_view value) {
    for (size_t i = 0; i < std::size(kKeys); ++i) {
      if (!seen[i] && key == kKeys[i]) {
        seen[i] = true;
        found[i] = value;
      }
    }
  });
  for (size_t i = 0; i < std::size(kKeys); ++i)
    if (seen[i]) return std::string(found[i]);
  return {};
}

uint32_t ProcessorTypeOfMachine(std::string_view machine) {
  const bool x86 = machine == "x86_64" || machine == "amd64" || machine == "x86" ||
                   (machine.size() == 4 && machine[0] == 'i' && machine[1] >= '3' &&
                    machine[1] <= '6' && machine.substr(2) == "86");
  return x86 ? kProcessorIntelPentium : 0;
}

MemoryStatus ParseMemoryStatus(std::string_view meminfo) {
  bool haveTotal = false, haveAvailable = false;
  uint64_t total = 0, available = 0;
  uint64_t parts[3] = {};  // MemFree, Buffers, Cached: the estimate of old kernels
  bool haveParts[3] = {};
  ForEachField(meminfo, [&](std::string_view key, std::string_view value) {
    if (key == "MemTotal" && !haveTotal) {
      haveTotal = Kilobytes(value, total);
    } else if (key == "MemAvailable" && !haveAvailable) {
      haveAvailable = Kilobytes(value, available);
    } else {
      constexpr std::string_view kParts[] = {"MemFree", "Buffers", "Cached"};
      for (size_t i = 0; i < 3; ++i)
        if (key == kParts[i] && !haveParts[i]) haveParts[i] = Kilobytes(value, parts[i]);
    }
  });
  MemoryStatus status;
  if (!haveTotal || total == 0) return status;
  if (!haveAvailable) {
    for (const uint64_t part : parts)
      available = part > std::numeric_limits<uint64_t>::max() - available
                      ? std::numeric_limits<uint64_t>::max()
                      : available + part;
  }
  if (available > total) available = total;
  const uint64_t used = total - available;
  status.totalBytes = total;
  status.availableBytes = available;
  status.loadPercent = static_cast<uint32_t>(used <= std::numeric_limits<uint64_t>::max() / 100
                                                 ? used * 100 / total
                                                 : used / (total / 100));
  return status;
}

OsVersion ParseOsVersion(std::string_view sysname, std::string_view release) {
  OsVersion version;
  version.name = std::string(sysname);
  uint32_t* const numbers[] = {&version.major, &version.minor, &version.build};
  size_t at = 0;
  for (uint32_t* number : numbers) {
    uint64_t value = 0;
    size_t length = 0;
    const bool read = LeadingNumber(release.substr(at), value, length);
    if (length == 0) break;
    *number =
        read && value <= std::numeric_limits<uint32_t>::max() ? static_cast<uint32_t>(value) : 0;
    at += length;
    if (at >= release.size() || release[at] != '.') break;
    ++at;
  }
  return version;
}

std::string ProcessorName() {
  return ParseProcessorName(ReadProcFile("/proc/cpuinfo", kMaxCpuinfoSize));
}

uint32_t ProcessorType() {
  utsname names{};
  return uname(&names) == 0 ? ProcessorTypeOfMachine(names.machine) : 0;
}

MemoryStatus ReadMemoryStatus() {
  return ParseMemoryStatus(ReadProcFile("/proc/meminfo", kMaxMeminfoSize));
}

OsVersion OperatingSystem() {
  utsname names{};
  if (uname(&names) != 0) return {};
  return ParseOsVersion(names.sysname, names.release);
}

}  // namespace platform
