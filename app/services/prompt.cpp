#include "prompt.h"

void ShowMessage(Prompter& prompter, const std::string& text) {
  PromptRequest request;
  request.text = text;
  request.caption = kProgramTitle;
  prompter.Ask(request);
}
