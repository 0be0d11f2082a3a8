#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tdcr/measurement_save_dialogs.h"

namespace korva::test {

// Answers the save's questions from a script and records them in order.
struct ScriptedSaveDialogs : MeasurementSaveDialogs {
  std::optional<std::string> target;
  bool overwrite = false;
  std::optional<std::string> tag = "Vial 7";
  std::vector<std::string> asked;
  // Runs when the tag is asked for: after the files were opened, before
  // they are written.
  std::function<void()> onTag;

  std::optional<std::string> ChooseSaveTarget() override {
    asked.emplace_back("Save TDCR");
    return target;
  }
  bool ConfirmOverwrite(std::string_view question) override {
    asked.emplace_back(question);
    return overwrite;
  }
  std::optional<std::string> EditTag(std::string_view initial) override {
    asked.push_back("Tag: " + std::string(initial));
    if (onTag) onTag();
    return tag;
  }
};

}  // namespace korva::test
