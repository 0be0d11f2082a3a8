#pragma once

#include <string_view>

namespace korva {

// What the TDCR measurement needs from the view that hosts it.
class TdcrHost {
 public:
  virtual ~TdcrHost() = default;
  // A modal question with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(std::string_view question) = 0;
  // A modal message the user must acknowledge.
  virtual void Tell(std::string_view message) = 0;
  // SAVE: writes the measurement files and, once they are written, calls
  // TdcrMeasurement::CompleteSave.
  virtual void SaveMeasurement() = 0;
};

}  // namespace korva
