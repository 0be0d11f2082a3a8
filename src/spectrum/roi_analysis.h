#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace korva {

// The peak analysis of the region of interest under the cursor, in
// displayed-channel units. A width or position the net counts do not
// determine (they never fall below the level before the ROI ends) is absent.
struct RoiAnalysis {
  enum class Result {
    kNoRoi,           // the cursor's channel is not marked
    kRoiWithoutPeak,  // an ROI of more than two channels, but no net count above 2 that
                      // stands out of the continuum's counting noise
    kPeak,
  };
  Result result = Result::kNoRoi;
  int first = 0;  // ROI bounds; 0 and soft size − 1 without an ROI
  int last = 0;
  double gross = 0.0;
  double area = 0.0;  // net counts above the background line, never below 0
  std::optional<double> centroid;
  std::optional<double> rightHalf;
  std::optional<double> leftHalf;
  std::optional<double> fwhm;
  std::optional<double> rightTenth;
  std::optional<double> leftTenth;
  std::optional<double> fwtm;
};

// Analyses the compressed spectrum around the cursor. `marks` are the
// display ROI marks; channels at or beyond the soft size count as unmarked.
RoiAnalysis AnalyseRoi(std::span<const std::uint32_t> compressed, std::span<const std::uint8_t> marks,
                       int softSize, int cursor);

// The curve EN = a·CH² + b·CH + c the readouts use: set 2's coefficients
// when its calibration is enabled, else the identity.
struct EnergyCurve {
  double a = 0.0;
  double b = 1.0;
  double c = 0.0;
  double Energy(double channel) const { return (a * channel + b) * channel + c; }
};

// The peak's values as the info view shows them, in energies of `curve`:
// the centroid, the widths between the half- and tenth-maximum positions,
// and the resolution FWHM × 100 ÷ centroid (0 when the centroid is not
// above 0). A value whose positions were not found is absent; so are all
// of them without a peak.
struct PeakValues {
  std::optional<double> centroid;
  std::optional<double> fwhm;
  std::optional<double> fwtm;
  std::optional<double> resolution;
};
PeakValues PeakValuesOf(const RoiAnalysis& analysis, const EnergyCurve& curve);

// The six peak fields of the info view in order INTEGRAL, AREA, CENTROID,
// FWHM, FWTM, RESOLUTION %; a field without a value holds "-----------",
// and CENTROID says "no peak" for an ROI without one.
inline constexpr const char* kNoValueText = "-----------";
inline constexpr const char* kNoPeakText = "    no peak";
std::array<std::string, 6> PeakFieldTexts(const RoiAnalysis& analysis, const EnergyCurve& curve);

}  // namespace korva
