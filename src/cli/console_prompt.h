#pragma once

#include <iostream>

#include "shell/prompt.h"

namespace korva {

// The headless tool's prompt: messages go to standard error, and each one
// that reports a failure is remembered so the tool can end with exit 1.
class ConsolePrompt : public Prompt {
 public:
  void ShowError(std::string_view message) override {
    std::cerr << message << '\n';
    failed_ = true;
  }
  void ShowMessage(std::string_view title, std::string_view message) override {
    std::cerr << title << ": " << message << '\n';
  }
  bool Failed() const { return failed_; }

 private:
  bool failed_ = false;
};

}  // namespace korva
