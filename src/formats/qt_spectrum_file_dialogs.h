#pragma once

#include "formats/spectrum_file_dialogs.h"

class QWidget;

namespace korva {

// The spectrum file commands' questions as the program asks them: file
// dialogs, a message box and the "Tag" dialog, all modal over `parent`.
class QtSpectrumFileDialogs : public SpectrumFileDialogs {
 public:
  explicit QtSpectrumFileDialogs(QWidget* parent) : parent_(parent) {}

  std::optional<std::string> ChooseOpenTarget() override;
  std::optional<std::string> ChooseSaveTarget(SpectrumSaveKind kind) override;
  bool ConfirmOverwrite(std::string_view question) override;
  std::optional<std::string> EditTag(std::string_view tag) override;

 private:
  QWidget* parent_;
};

}  // namespace korva
