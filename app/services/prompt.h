#pragma once

#include <string>

// Every message box and question of the program goes through one prompter: the window shows
// them, tests answer and record them.

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, YesNo, OkCancel };
enum class PromptAnswer { Ok, Yes, No, Cancel };

struct PromptRequest {
  std::string text;
  std::string caption;  // empty: no title
  PromptIcon icon = PromptIcon::None;
  PromptButtons buttons = PromptButtons::Ok;
  PromptAnswer defaultAnswer = PromptAnswer::Ok;
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows the request and waits for the answer.
  virtual PromptAnswer Ask(const PromptRequest& request) = 0;
};

// The program's title, the caption of plain messages.
inline constexpr char kProgramTitle[] = "Quorvel";

// A plain message: the text, the program's title, an OK button.
void ShowMessage(Prompter& prompter, const std::string& text);
