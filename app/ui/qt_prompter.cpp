#include "qt_prompter.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace {

QMessageBox::Icon IconOf(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Information:
      return QMessageBox::Information;
    case PromptIcon::Warning:
      return QMessageBox::Warning;
    case PromptIcon::Error:
      return QMessageBox::Critical;
    case PromptIcon::Question:
      return QMessageBox::Question;
    case PromptIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ButtonOf(PromptAnswer answer) {
  switch (answer) {
    case PromptAnswer::Yes:
      return QMessageBox::Yes;
    case PromptAnswer::No:
      return QMessageBox::No;
    case PromptAnswer::Cancel:
      return QMessageBox::Cancel;
    case PromptAnswer::Ok:
      break;
  }
  return QMessageBox::Ok;
}

}  // namespace

PromptAnswer QtPrompter::Ask(const PromptRequest& request) {
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  if (request.buttons == PromptButtons::YesNo) buttons = QMessageBox::Yes | QMessageBox::No;
  if (request.buttons == PromptButtons::OkCancel) buttons = QMessageBox::Ok | QMessageBox::Cancel;
  // The program's texts separate lines with "\r" as well as "\n".
  QString text = QString::fromStdString(request.text);
  text.replace("\n\r", "\n").replace('\r', '\n');
  QMessageBox box(IconOf(request.icon), QString::fromStdString(request.caption), text, buttons,
                  owner_);
  box.setDefaultButton(ButtonOf(request.defaultAnswer));
  switch (box.exec()) {
    case QMessageBox::Yes:
      return PromptAnswer::Yes;
    case QMessageBox::No:
      return PromptAnswer::No;
    case QMessageBox::Cancel:
      return PromptAnswer::Cancel;
    default:
      return PromptAnswer::Ok;
  }
}

bool QtDesktop::OpenUrl(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}
