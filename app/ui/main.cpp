// The program: one running copy, the main window, the message loop.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "main_window.h"
#include "qt_prompter.h"
#include "single_instance.h"

namespace {

struct Arguments {
  std::string startArgument;  // the command line after the program name
  std::string screenshot;     // --screenshot FILE: save a picture of the window and end
};

// Without a user to answer (a screenshot run): messages go to standard error and every question
// is answered Yes, so that the window comes up whatever is missing.
class ConsolePrompter : public Prompter {
 public:
  PromptAnswer Ask(const PromptRequest& request) override {
    std::fprintf(stderr, "%s%s%s\n", request.caption.c_str(), request.caption.empty() ? "" : ": ",
                 request.text.c_str());
    return request.buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
  }
};

Arguments ReadArguments(const QStringList& list) {
  Arguments arguments;
  QStringList rest = list.mid(1);
  if (rest.size() >= 2 && rest[0] == "--screenshot") {
    arguments.screenshot = rest[1].toStdString();
    rest = rest.mid(2);
  }
  arguments.startArgument = rest.join(' ').toStdString();
  return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Quorvel");
  const Arguments arguments = ReadArguments(QApplication::arguments());
  QtPrompter windowPrompter;
  ConsolePrompter consolePrompter;
  Prompter& prompter =
      arguments.screenshot.empty() ? static_cast<Prompter&>(windowPrompter) : consolePrompter;
  QtDesktop desktop;

  const std::unique_ptr<QLockFile> lock = TakeInstanceLock();
  if (!lock) {
    ShowMessage(prompter, "Программа уже запущена!");
    return 0;
  }

  auto* window = new TForm1(prompter, desktop, arguments.startArgument);
  windowPrompter.setOwner(window);
  if (window->FormCreate() == StartupResult::ExitNow) std::_Exit(-1);
  // The options dialog, the warning dialog, the collection window and the map-click dialog
  // are created here, after the main window's start-up.
  if (!arguments.screenshot.empty()) {
    window->show();
    QApplication::processEvents();
    const bool saved = window->grab().save(QString::fromStdString(arguments.screenshot));
    delete window;
    return saved ? 0 : 1;
  }
  window->showMaximized();
  const int code = QApplication::exec();
  delete window;
  return code;
}
