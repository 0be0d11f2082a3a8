#pragma once

#include <string>
#include <vector>

#include "common/prompt.h"

namespace korva::test {

// A prompt that records what the program shows.
class RecordingPrompt : public Prompt {
 public:
  std::vector<std::string> errors;
  std::vector<std::string> messages;  // "title|text"
  std::vector<std::string> questions;
  bool answerYes = false;

  void ShowError(std::string_view message) override { errors.emplace_back(message); }
  void ShowMessage(std::string_view title, std::string_view message) override {
    messages.push_back(std::string(title) + "|" + std::string(message));
  }
  bool AskYesNo(std::string_view question) override {
    questions.emplace_back(question);
    return answerYes;
  }
};

}  // namespace korva::test
