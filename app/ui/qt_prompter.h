#pragma once

#include <QWidget>

#include "services/desktop.h"
#include "services/prompt.h"

// Shows the program's messages and questions as message boxes owned by a window.
class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  PromptAnswer Ask(const PromptRequest& request) override;

 private:
  QWidget* owner_;
};

// Opens addresses with the desktop's applications.
class QtDesktop : public Desktop {
 public:
  bool OpenUrl(const std::string& url) override;
};
