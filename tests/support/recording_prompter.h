#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "services/desktop.h"
#include "services/prompt.h"

namespace testsupport {

// Answers every message and question without a screen and keeps what was asked. Questions get
// the queued answers in turn, then `fallback` when it is set, else their default answer.
class RecordingPrompter : public Prompter {
 public:
  PromptAnswer Ask(const PromptRequest& request) override {
    asked.push_back(request);
    if (answers.empty()) {
      if (request.buttons == PromptButtons::Ok) return PromptAnswer::Ok;
      return fallback ? *fallback : request.defaultAnswer;
    }
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  // The texts asked, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const PromptRequest& request : asked)
      texts.push_back(request.text);
    return texts;
  }

  std::vector<PromptRequest> asked;
  std::deque<PromptAnswer> answers;
  std::optional<PromptAnswer> fallback;
};

// Keeps the URLs the program asks the desktop to open.
class RecordingDesktop : public Desktop {
 public:
  bool OpenUrl(const std::string& url) override {
    opened.push_back(url);
    return true;
  }
  std::vector<std::string> opened;
};

}  // namespace testsupport
