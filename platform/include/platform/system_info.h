#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// What the diagnostics report about the machine. The Parse... functions take the text of the
// system file (or the uname field), so any text can be fed to them; the functions without
// arguments read this machine.

// The processor type code of the Windows convention.
constexpr uint32_t kProcessorIntelPentium = 586;

struct MemoryStatus {
  uint32_t loadPercent = 0;  // share of the physical memory in use, rounded down
  uint64_t totalBytes = 0;
  uint64_t availableBytes = 0;
};

struct OsVersion {
  std::string name;  // "Linux"
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

// The processor's name from the text of /proc/cpuinfo: the first "model name" line, else the
// first "Hardware" line, else the first "cpu model" line (the architectures name it
// differently); blanks around it are dropped. "" when there is none.
std::string ParseProcessorName(std::string_view cpuinfo);

// The processor type code for uname's machine name: kProcessorIntelPentium for every x86
// processor ("i386" to "i686", "x86_64", "amd64"), as Windows reports to 32-bit programs on them;
// 0 for any other.
uint32_t ProcessorTypeOfMachine(std::string_view machine);

// The memory status from the text of /proc/meminfo: MemTotal and MemAvailable (or, from kernels
// without it, MemFree + Buffers + Cached), given there in kB. All zero without a readable
// MemTotal; available memory is at most the total.
MemoryStatus ParseMemoryStatus(std::string_view meminfo);

// The system's name and the leading numbers of its release text: "6.1.0-18-amd64" gives 6, 1, 0
// and "6.8" gives 6, 8, 0. A number that is missing or too large for 32 bits is 0.
OsVersion ParseOsVersion(std::string_view sysname, std::string_view release);

std::string ProcessorName();
uint32_t ProcessorType();
MemoryStatus ReadMemoryStatus();
OsVersion OperatingSystem();

}  // namespace platform
