#include "shell/message_box_prompt.h"

#include <QApplication>
#include <QMessageBox>

namespace korva {

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void MessageBoxPrompt::ShowError(std::string_view message) {
  QMessageBox::critical(parent_, QApplication::applicationDisplayName(), Text(message));
}

void MessageBoxPrompt::ShowCaptionedError(std::string_view caption, std::string_view message) {
  QMessageBox::critical(parent_, Text(caption), Text(message));
}

void MessageBoxPrompt::ShowMessage(std::string_view title, std::string_view message) {
  QMessageBox::information(parent_, Text(title), Text(message));
}

bool MessageBoxPrompt::AskYesNo(std::string_view question) {
  return QMessageBox::question(parent_, QApplication::applicationDisplayName(), Text(question),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool MessageBoxPrompt::AskOkCancel(std::string_view question) {
  return QMessageBox::question(parent_, QApplication::applicationDisplayName(), Text(question),
                               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace korva
