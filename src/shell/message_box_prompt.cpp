#include "shell/message_box_prompt.h"

#include <QApplication>
#include <QMessageBox>

#include "qtadapters/qt_text.h"

namespace korva {

void MessageBoxPrompt::ShowError(std::string_view message) {
  QMessageBox::critical(parent_, QApplication::applicationDisplayName(), QtText(message));
}

void MessageBoxPrompt::ShowCaptionedError(std::string_view caption, std::string_view message) {
  QMessageBox::critical(parent_, QtText(caption), QtText(message));
}

void MessageBoxPrompt::ShowMessage(std::string_view title, std::string_view message) {
  QMessageBox::information(parent_, QtText(title), QtText(message));
}

bool MessageBoxPrompt::AskYesNo(std::string_view question) {
  return QMessageBox::question(parent_, QApplication::applicationDisplayName(), QtText(question),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool MessageBoxPrompt::AskOkCancel(std::string_view question) {
  return QMessageBox::question(parent_, QApplication::applicationDisplayName(), QtText(question),
                               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace korva
