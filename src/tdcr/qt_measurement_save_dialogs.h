#pragma once

#include "tdcr/measurement_save_dialogs.h"

class QWidget;

namespace korva {

// The save's questions as the program asks them: the "Save TDCR" file
// dialog, a message box, and the tag dialog, all modal over `parent`.
class QtMeasurementSaveDialogs : public MeasurementSaveDialogs {
 public:
  explicit QtMeasurementSaveDialogs(QWidget* parent) : parent_(parent) {}

  std::optional<std::string> ChooseSaveTarget() override;
  bool ConfirmOverwrite(std::string_view question) override;
  std::optional<std::string> EditTag(std::string_view tag) override;

 private:
  QWidget* parent_;
};

}  // namespace korva
