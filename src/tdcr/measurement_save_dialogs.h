#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korva {

// The questions saving a TDCR measurement asks. The program shows dialogs;
// the headless tool answers from its options; tests script the answers.
class MeasurementSaveDialogs {
 public:
  virtual ~MeasurementSaveDialogs() = default;
  // The "Save TDCR" file dialog: the chosen file name, or none on Cancel.
  virtual std::optional<std::string> ChooseSaveTarget() = 0;
  // `question` with Yes and No and the stop icon; true for Yes.
  virtual bool ConfirmOverwrite(std::string_view question) = 0;
  // The tag dialog CDialogTag over `tag`: the edited text on OK, none on
  // Cancel.
  virtual std::optional<std::string> EditTag(std::string_view tag) = 0;
};

}  // namespace korva
