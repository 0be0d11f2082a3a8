#pragma once

#include <string>
#include <vector>

#include "common/prompt.h"

namespace korva::test {

// A prompt that records what the program shows.
class RecordingPrompt : public Prompt {
 public:
  std::vector<std::string> errors;
  std::vector<std::string> errorCaptions;  // kProgramCaption where the program's name stands
  std::vector<std::string> messages;       // "title|text"
  std::vector<std::string> questions;
  std::vector<std::string> questionButtons;  // "Yes/No" or "OK/Cancel", one per question
  bool answerYes = false;

  static constexpr const char* kProgramCaption = "(program name)";

  void ShowError(std::string_view message) override { ShowCaptionedError(kProgramCaption, message); }
  void ShowCaptionedError(std::string_view caption, std::string_view message) override {
    errors.emplace_back(message);
    errorCaptions.emplace_back(caption);
  }
  void ShowMessage(std::string_view title, std::string_view message) override {
    messages.push_back(std::string(title) + "|" + std::string(message));
  }
  bool AskYesNo(std::string_view question) override { return Ask(question, "Yes/No"); }
  bool AskOkCancel(std::string_view question) override { return Ask(question, "OK/Cancel"); }

 private:
  bool Ask(std::string_view question, const char* buttons) {
    questions.emplace_back(question);
    questionButtons.emplace_back(buttons);
    return answerYes;
  }
};

}  // namespace korva::test
