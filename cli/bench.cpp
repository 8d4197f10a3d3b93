#include "bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "game_bytes.h"
#include "platform/mapped_file.h"
#include "replay_container.h"
#include "replay_parser.h"
#include "replay_scan.h"

namespace quorvel::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The best (shortest) of `rounds` runs of each step, in milliseconds. The best round is the one
// least disturbed by the rest of the machine. Every round runs every step once, so that a
// stretch of time when the machine is slower (or faster) touches all steps alike instead of
// the one measured then.
std::vector<double> BestOf(unsigned rounds, const std::vector<std::function<void()>>& steps) {
  std::vector<double> best(steps.size(), 0);
  for (unsigned i = 0; i < rounds; ++i) {
    for (size_t step = 0; step < steps.size(); ++step) {
      const Clock::time_point start = Clock::now();
      steps[step]();
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      if (i == 0 || ms < best[step]) best[step] = ms;
    }
  }
  return best;
}

// Inflates every block of `file` and nothing else, through the window a parse reads the game
// from. Returns the decompressed size, 0 when the file is not a replay that inflates.
size_t InflateOnly(const std::string& file, vantrel::BlockReader::Inflation inflation) {
  platform::MappedFile mapped;
  if (mapped.Open(file.c_str()) != platform::MappedFile::Status::Ok) return 0;
  GeneralInfo info{};
  size_t blocksOffset = 0;
  if (!vantrel::ReadReplayHeaders(mapped.data(), mapped.size(), info, blocksOffset).ok) return 0;
  try {
    vantrel::BlockReader blocks(mapped.data(), mapped.size(), blocksOffset, info, inflation);
    vantrel::GameBytes game(blocks);
    game.ReadToEnd();
  } catch (const vantrel::InflateFailure&) {
    return 0;
  }
  return info.DecompressedSize;
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
    const size_t size = InflateOnly(file, vantrel::BlockReader::Inflation::ZlibOnly);
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
  const auto inflateAll = [&files](vantrel::BlockReader::Inflation inflation) {
    return [&files, inflation] {
      for (const std::string& file : files)
        InflateOnly(file, inflation);
    };
  };
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());

  std::printf("%zu replays, %.2f MB decompressed, best of %u rounds\n", files.size(),
              decompressed / 1e6, rounds);
  std::printf("%-28s %10s %10s %8s\n", "step", "ms", "MB/s", "x floor");
  const std::vector<std::string> names = {"inflate floor (zlib)",
                                          "inflate as the parser does",
                                          "parse mode 1 (game start)",
                                          "parse mode 0, no texts",
                                          "parse mode 0, texts",
                                          "scan, 1 job",
                                          "scan, " + std::to_string(cores) + " jobs"};
  const std::vector<double> best = BestOf(
      rounds, {inflateAll(vantrel::BlockReader::Inflation::ZlibOnly),
               inflateAll(vantrel::BlockReader::Inflation::Fast),
               parseAll(VANTREL_PARSE_GAME_START, false), parseAll(VANTREL_PARSE_FULL, false),
               parseAll(VANTREL_PARSE_FULL, true), scanOn(1), scanOn(cores)});
  const double floor = best[0];
  for (size_t step = 0; step < names.size(); ++step) {
    const double ms = best[step];
    std::printf("%-28s %10.2f %10.1f %8.2f\n", names[step].c_str(), ms,
                ms > 0 ? decompressed / 1e3 / ms : 0.0, floor > 0 ? ms / floor : 0.0);
  }

  // What one parse of the largest replay keeps - the pool with every result - and the most it
  // held at once: the pool and the window over the game, which is given back before the texts
  // are made.
  std::printf("largest replay %s: %.2f MB decompressed\n", largestFile.c_str(), largest / 1e6);
  for (const bool texts : {false, true}) {
    GeneralInfo info{};
    ParserData request{};
    request.GeneralInfo = &info;
    request.TranslateTexts = texts ? 1 : 0;
    parser.ParseReplay(&request, largestFile.c_str());
    std::printf("  mode 0, %-8s pool %6.2f MB, peak %6.2f MB = %.2f x decompressed\n",
                texts ? "texts:" : "no texts:", PoolBytes(parser) / 1e6, parser.PeakBytes() / 1e6,
                static_cast<double>(parser.PeakBytes()) / largest);
  }
  return 0;
}

}  // namespace quorvel::cli
