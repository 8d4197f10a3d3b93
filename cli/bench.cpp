#include "bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "platform/mapped_file.h"
#include "replay_container.h"
#include "replay_parser.h"
#include "replay_scan.h"

namespace quorvel::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The best (shortest) of `rounds` runs of `step`, in milliseconds. The best round is the one
// least disturbed by the rest of the machine.
double BestOf(unsigned rounds, const std::function<void()>& step) {
  double best = 0;
  for (unsigned i = 0; i < rounds; ++i) {
    const Clock::time_point start = Clock::now();
    step();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (i == 0 || ms < best) best = ms;
  }
  return best;
}

// Inflates every block of `file` and nothing else. Returns the decompressed size, 0 when the
// file is not a replay that inflates.
size_t InflateOnly(const std::string& file) {
  platform::MappedFile mapped;
  if (mapped.Open(file.c_str()) != platform::MappedFile::Status::Ok) return 0;
  GeneralInfo info{};
  size_t blocksOffset = 0;
  vantrel::ContainerResult result =
      vantrel::ReadReplayHeaders(mapped.data(), mapped.size(), info, blocksOffset);
  vantrel::InflatedReplay game;
  if (result.ok)
    result = vantrel::InflateBlocks(mapped.data(), mapped.size(), blocksOffset, info, game);
  return result.ok ? game.size : 0;
}

// Bytes the pool of `parser` holds.
size_t PoolBytes(vantrel::ReplayParser& parser) {
  size_t used = 0;
  for (const MemoryBlock* block = parser.pool().Blocks; block != nullptr; block = block->Next)
    used += block->Used;
  return used;
}

}  // namespace

int Bench(const std::vector<std::string>& files, unsigned rounds) {
  rounds = std::max(rounds, 1u);
  size_t decompressed = 0;
  size_t largest = 0;
  std::string largestFile;
  for (const std::string& file : files) {
    const size_t size = InflateOnly(file);
    if (size == 0) std::fprintf(stderr, "quorvel-cli bench: %s does not inflate\n", file.c_str());
    decompressed += size;
    if (size > largest) {
      largest = size;
      largestFile = file;
    }
  }
  if (decompressed == 0) {
    std::fputs("quorvel-cli bench: no replay to measure\n", stderr);
    return 1;
  }

  vantrel::ReplayParser parser;
  const auto parseAll = [&](uint8_t mode, bool texts) {
    return [&parser, &files, mode, texts] {
      for (const std::string& file : files) {
        GeneralInfo info{};
        ParserData request{};
        request.GeneralInfo = &info;
        request.ParseMode = mode;
        request.TranslateTexts = texts ? 1 : 0;
        parser.ParseReplay(&request, file.c_str());
      }
    };
  };
  const auto scanOn = [&files](unsigned jobs) {
    return [&files, jobs] {
      ScanFiles(files, ScanRequest{jobs, false}, [](size_t, const std::string&) {});
    };
  };
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());

  std::printf("%zu replays, %.2f MB decompressed, best of %u rounds\n", files.size(),
              decompressed / 1e6, rounds);
  std::printf("%-28s %10s %10s %8s\n", "step", "ms", "MB/s", "x floor");
  const double floor = BestOf(rounds, [&files] {
    for (const std::string& file : files)
      InflateOnly(file);
  });
  const auto row = [&](const std::string& name, double ms) {
    std::printf("%-28s %10.2f %10.1f %8.2f\n", name.c_str(), ms,
                ms > 0 ? decompressed / 1e3 / ms : 0.0, floor > 0 ? ms / floor : 0.0);
  };
  row("inflate floor", floor);
  row("parse mode 1 (game start)", BestOf(rounds, parseAll(VANTREL_PARSE_GAME_START, false)));
  row("parse mode 0, no texts", BestOf(rounds, parseAll(VANTREL_PARSE_FULL, false)));
  row("parse mode 0, texts", BestOf(rounds, parseAll(VANTREL_PARSE_FULL, true)));
  row("scan, 1 job", BestOf(rounds, scanOn(1)));
  row("scan, " + std::to_string(cores) + " jobs", BestOf(rounds, scanOn(cores)));

  // What one parse keeps: the decompressed buffer (freed at the end of the parse) and the pool
  // with every result, texts included.
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  request.TranslateTexts = 1;
  parser.ParseReplay(&request, largestFile.c_str());
  const size_t pool = PoolBytes(parser);
  std::printf(
      "largest replay %s: %.2f MB decompressed, pool %.2f MB after a parse with texts, "
      "peak %.2f x decompressed\n",
      largestFile.c_str(), largest / 1e6, pool / 1e6,
      static_cast<double>(pool + largest) / largest);
  return 0;
}

}  // namespace quorvel::cli
