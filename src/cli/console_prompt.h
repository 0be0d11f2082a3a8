#pragma once

#include <iostream>

#include "common/prompt.h"

namespace korva {

// The headless tool's prompt: messages go to standard error.
class ConsolePrompt : public Prompt {
 public:
  void ShowError(std::string_view message) override { std::cerr << message << '\n'; }
  void ShowMessage(std::string_view title, std::string_view message) override {
    std::cerr << title << ": " << message << '\n';
  }
  // A script cannot answer: the safe answer is No.
  bool AskYesNo(std::string_view question) override {
    std::cerr << question << " No\n";
    return false;
  }
};

}  // namespace korva
