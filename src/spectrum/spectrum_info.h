#pragma once

#include <array>
#include <string>
#include <vector>

#include "spectrum/roi_analysis.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// What the spectrum info view shows of the cursor and the region of
// interest under it, for the active spectrum's compressed spectrum and
// display ROI marks.
struct SpectrumInfo {
  // POSITION: the cursor's energy "%8.2f" when the calibration is enabled,
  // else its channel "%8.0f".
  std::string position;
  // Beside POSITION, CENTROID, FWHM and FWTM: "chn" or the calibration unit.
  std::string unit;
  std::string counts;  // "%10lu"
  RoiAnalysis roi;
  // INTEGRAL, AREA, CENTROID, FWHM, FWTM, RESOLUTION %.
  std::array<std::string, 6> peak;
  // Shown beside the energies when the calibration was fitted at another
  // gain or input than the spectrum's; empty otherwise.
  std::string staleCalibration;
};

SpectrumInfo ReadSpectrumInfo(const CSpectrum& spectrum, int cursor);

// The analysis of every region of interest of the displayed spectrum, one
// per contiguous run of marked displayed channels, left to right, each as
// the info view shows it with the cursor inside the run.
std::vector<RoiAnalysis> AnalyseEveryRoi(const CSpectrum& spectrum);

}  // namespace korva
