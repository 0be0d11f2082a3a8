#include "analysis/limits_report.h"

#include <cstdio>

#include "analysis/gum_rounding.h"

namespace korva {

namespace {

std::string Bq(double value) { return SignificantText(value, 3) + " Bq"; }

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

std::string LimitsHeading(const CharacteristicLimits& limits) {
  const LimitSettings& s = limits.settings;
  return "Characteristic limits (ISO 11929-1:2019; k(1-alpha) = " + Number(s.kAlpha) +
         ", k(1-beta) = " + Number(s.kBeta) + ", gamma = " + Number(s.gamma) + ")";
}

std::vector<std::pair<std::string, std::string>> LimitsRows(const CharacteristicLimits& limits) {
  const RoundedResult y = RoundedToUncertainty(limits.primaryEstimate, limits.standardUncertainty);
  std::vector<std::pair<std::string, std::string>> rows = {
      {"primary estimate", y.value + " Bq, u = " + y.uncertainty + " Bq"},
      {"decision threshold", Bq(limits.decisionThreshold)},
      {"detection limit", limits.detectionLimit ? Bq(*limits.detectionLimit)
                                                : std::string("does not exist (k(1-beta) u_rel(w) >= 1)")},
  };
  if (limits.detected) {
    rows.emplace_back("coverage interval (" + Number(100.0 * (1.0 - limits.settings.gamma)) + " %)",
                      Bq(limits.lowerLimit) + " to " + Bq(limits.upperLimit));
  }
  rows.emplace_back("result", DetectionText(limits));
  return rows;
}

std::string LimitsText(const CharacteristicLimits& limits) {
  std::string text = LimitsHeading(limits) + ":\n";
  for (const auto& [label, value] : LimitsRows(limits)) {
    char line[256];
    std::snprintf(line, sizeof line, "  %-36s %s\n", label.c_str(), value.c_str());
    text += line;
  }
  return text;
}

}  // namespace korva
