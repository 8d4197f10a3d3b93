#include "replay_scan.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>

#include "json_output.h"
#include "replay_parser.h"

namespace fs = std::filesystem;

namespace quorvel::cli {
namespace {

bool IsReplayName(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".w3g";
}

// The identity of a file for the "each file once" rule: its canonical path when it has one.
std::string Identity(const fs::path& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? path.lexically_normal().string() : canonical.string();
}

}  // namespace

std::vector<std::string> FindReplays(const std::vector<std::string>& paths) {
  std::vector<std::string> found;
  std::set<std::string> seen;
  const auto add = [&](const fs::path& path) {
    if (seen.insert(Identity(path)).second) found.push_back(path.string());
  };
  for (const std::string& given : paths) {
    std::error_code error;
    if (!fs::is_directory(given, error)) {
      add(given);
      continue;
    }
    // Unreadable folders are passed over: a scan reports replays, not the state of the disk.
    fs::recursive_directory_iterator it(given, fs::directory_options::skip_permission_denied,
                                        error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      std::error_code typeError;
      if (it->is_regular_file(typeError) && IsReplayName(it->path())) add(it->path());
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::string ScanFile(vantrel::ReplayParser& parser, const std::string& file, bool quick) {
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  request.ParseMode = quick ? VANTREL_PARSE_GAME_START : VANTREL_PARSE_FULL;
  Json line = Json::object();
  line["file"] = file;
  if (parser.ParseReplay(&request, file.c_str())) {
    line.update(ScanRecord(info, quick));
  } else {
    line["error"] = info.ErrorText != nullptr ? info.ErrorText : "not a replay file";
  }
  return JsonLine(line);
}

void ScanFiles(const std::vector<std::string>& files, const ScanRequest& request,
               const std::function<void(size_t, const std::string&)>& emit) {
  const size_t jobs = std::clamp<size_t>(request.jobs, 1, std::max<size_t>(files.size(), 1));
  std::vector<std::optional<std::string>> lines(files.size());
  std::mutex mutex;
  std::condition_variable done;
  std::atomic<size_t> next{0};

  const auto work = [&] {
    vantrel::ReplayParser parser;
    for (size_t i = next++; i < files.size(); i = next++) {
      std::string line = ScanFile(parser, files[i], request.quick);
      {
        const std::lock_guard lock(mutex);
        lines[i] = std::move(line);
      }
      done.notify_one();
    }
  };
  std::vector<std::jthread> workers;
  for (size_t i = 0; i < jobs; ++i)
    workers.emplace_back(work);

  for (size_t i = 0; i < files.size(); ++i) {
    std::string line;
    {
      std::unique_lock lock(mutex);
      done.wait(lock, [&] { return lines[i].has_value(); });
      line = std::move(*lines[i]);
      lines[i].reset();
    }
    emit(i, line);
  }
}

}  // namespace quorvel::cli
