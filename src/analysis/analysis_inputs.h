#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "analysis/measurement_analysis.h"

namespace korva {

// The program that made an analysis, as its reports and exports name it.
inline constexpr std::string_view kAnalysisProgram = "Korva-TDCR, Version 7.0";

// Everything an analysis was made from besides the measurements' numbers:
// where they came from and the user's choices.
struct AnalysisInputs {
  std::string sample;      // the .tdc file, or "live measurement"
  std::string background;  // the background .tdc file; empty without one
  AnalysisSettings settings;
};

// "YYYY-MM-DDThh:mm:ss", optionally with ".mmm"; none for any other text or
// for a date or time that does not exist.
std::optional<StampTime> ParseReferenceTime(std::string_view text);

// "YYYY-MM-DDThh:mm:ss.mmm".
std::string FormatReferenceTime(const StampTime& time);

}  // namespace korva
