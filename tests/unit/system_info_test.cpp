#include "platform/system_info.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

using platform::MemoryStatus;
using platform::OsVersion;

struct TextCase {
  const char* what;
  std::string text;
  std::string expected;
};

std::ostream& operator<<(std::ostream& out, const TextCase& c) {
  return out << c.what;
}

class ProcessorName : public ::testing::TestWithParam<TextCase> {};

TEST_P(ProcessorName, FromCpuinfo) {
  EXPECT_EQ(platform::ParseProcessorName(GetParam().text), GetParam().expected);
}

const char kX86[] =
    "processor\t: 0\n"
    "vendor_id\t: GenuineIntel\n"
    "cpu family\t: 6\n"
    "model\t\t: 142\n"
    "model name\t: Intel(R) Core(TM) i7-8550U CPU @ 1.80GHz\n"
    "stepping\t: 10\n"
    "\n"
    "processor\t: 1\n"
    "model name\t: Second Processor\n";

INSTANTIATE_TEST_SUITE_P(
    Cpuinfo, ProcessorName,
    ::testing::Values(
        TextCase{"x86_first_processor", kX86, "Intel(R) Core(TM) i7-8550U CPU @ 1.80GHz"},
        TextCase{"arm_hardware_line_after_the_processors",
                 "processor\t: 0\nBogoMIPS\t: 38.40\nFeatures\t: fp asimd\n\n"
                 "Hardware\t: BCM2835\nRevision\t: c03111\n",
                 "BCM2835"},
        TextCase{"mips_cpu_model",
                 "system type\t\t: MT7621\nprocessor\t\t: 0\ncpu model\t\t: MIPS 1004Kc V2.15\n",
                 "MIPS 1004Kc V2.15"},
        TextCase{"model_name_before_hardware", "Hardware\t: Board\nmodel name\t: ARMv7 rev 5\n",
                 "ARMv7 rev 5"},
        TextCase{"windows_line_ends_and_blanks", "model name  :   Some CPU  \r\n", "Some CPU"},
        TextCase{"none", "processor\t: 0\nisa\t\t: rv64imafdc\n", ""},
        TextCase{"empty_value", "model name\t:\n", ""},
        TextCase{"not_a_field", "model name without colon\n", ""}, TextCase{"empty_file", "", ""}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.what); });

TEST(SystemInfo, ProcessorTypeOfMachine) {
  for (const char* x86 : {"i386", "i486", "i586", "i686", "x86_64", "amd64", "x86"})
    EXPECT_EQ(platform::ProcessorTypeOfMachine(x86), 586u) << x86;
  for (const char* other : {"aarch64", "armv7l", "riscv64", "ppc64le", "mips", "i786", "", "x86_6"})
    EXPECT_EQ(platform::ProcessorTypeOfMachine(other), 0u) << other;
}

struct MemoryCase {
  const char* what;
  std::string meminfo;
  uint32_t load;
  uint64_t total;
  uint64_t available;
};

std::ostream& operator<<(std::ostream& out, const MemoryCase& c) {
  return out << c.what;
}

class MemoryStatusTest : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryStatusTest, FromMeminfo) {
  const MemoryCase& c = GetParam();
  const MemoryStatus status = platform::ParseMemoryStatus(c.meminfo);
  EXPECT_EQ(status.loadPercent, c.load);
  EXPECT_EQ(status.totalBytes, c.total);
  EXPECT_EQ(status.availableBytes, c.available);
}

INSTANTIATE_TEST_SUITE_P(
    Meminfo, MemoryStatusTest,
    ::testing::Values(
        MemoryCase{"usual",
                   "MemTotal:       16318440 kB\nMemFree:         1002848 kB\n"
                   "MemAvailable:    8975488 kB\nBuffers:          512000 kB\n",
                   44, 16318440ull * 1024, 8975488ull * 1024},
        // Kernels before 3.14 have no MemAvailable: free, buffers and page cache instead.
        MemoryCase{"old_kernel",
                   "MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n", 60,
                   1000 * 1024, 400 * 1024},
        MemoryCase{"rounded_down", "MemTotal: 3 kB\nMemAvailable: 1 kB\n", 66, 3 * 1024, 1024},
        MemoryCase{"available_above_total", "MemTotal: 100 kB\nMemAvailable: 200 kB\n", 0,
                   100 * 1024, 100 * 1024},
        MemoryCase{"all_used", "MemAvailable: 0 kB\nMemTotal: 8 kB\n", 100, 8 * 1024, 0},
        MemoryCase{"near_the_64_bit_limit", "MemTotal: 18014398509481983 kB\nMemAvailable: 0 kB\n",
                   100, 18014398509481983ull * 1024, 0},
        MemoryCase{"total_too_large", "MemTotal: 18014398509481984 kB\nMemAvailable: 0 kB\n", 0, 0,
                   0},
        MemoryCase{"total_not_a_number", "MemTotal: lots\nMemAvailable: 10 kB\n", 0, 0, 0},
        MemoryCase{"no_total", "MemAvailable: 10 kB\n", 0, 0, 0}, MemoryCase{"empty", "", 0, 0, 0}),
    [](const ::testing::TestParamInfo<MemoryCase>& info) { return std::string(info.param.what); });

TEST(SystemInfo, OsVersionFromRelease) {
  struct Case {
    const char* release;
    uint32_t major, minor, build;
  };
  const Case cases[] = {
      {"6.1.0-18-amd64", 6, 1, 0},
      {"5.15.133.1-microsoft-standard-WSL2", 5, 15, 133},
      {"6.8", 6, 8, 0},
      {"4", 4, 0, 0},
      {"6.10.0-rc1", 6, 10, 0},
      {"6.x.3", 6, 0, 0},
      {"99999999999.2.3", 0, 2, 3},
      {"99999999999999999999999.2.3", 0, 2, 3},
      {"", 0, 0, 0},
      {"generic", 0, 0, 0},
  };
  for (const Case& c : cases) {
    const OsVersion version = platform::ParseOsVersion("Linux", c.release);
    EXPECT_EQ(version.name, "Linux");
    EXPECT_EQ(version.major, c.major) << c.release;
    EXPECT_EQ(version.minor, c.minor) << c.release;
    EXPECT_EQ(version.build, c.build) << c.release;
  }
}

// The readers of this machine: the figures a running system always has.
TEST(SystemInfo, ThisMachine) {
  const MemoryStatus memory = platform::ReadMemoryStatus();
  EXPECT_GT(memory.totalBytes, 0u);
  EXPECT_LE(memory.availableBytes, memory.totalBytes);
  EXPECT_LE(memory.loadPercent, 100u);
  const OsVersion system = platform::OperatingSystem();
  EXPECT_FALSE(system.name.empty());
  EXPECT_GT(system.major, 0u);
}

}  // namespace
