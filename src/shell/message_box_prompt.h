#pragma once

#include "common/prompt.h"

class QWidget;

namespace korva {

// The program's prompt: modal message boxes over the main window.
class MessageBoxPrompt : public Prompt {
 public:
  explicit MessageBoxPrompt(QWidget* parent) : parent_(parent) {}
  void ShowError(std::string_view message) override;
  void ShowCaptionedError(std::string_view caption, std::string_view message) override;
  void ShowMessage(std::string_view title, std::string_view message) override;
  bool AskYesNo(std::string_view question) override;
  bool AskOkCancel(std::string_view question) override;

 private:
  QWidget* parent_;
};

}  // namespace korva
