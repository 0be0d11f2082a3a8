#include "spectrum/spectrum_info.h"

#include <algorithm>
#include <cstdio>

#include "spectrum/calibration_gain.h"
#include "spectrum/spectrum_calibration.h"

namespace korva {

namespace {

std::string Formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

RoiAnalysis Analyse(const CSpectrum& spectrum, int cursor) {
  return AnalyseRoi(spectrum.image.compressed, spectrum.displayRoiMarks, spectrum.softSize, cursor);
}

}  // namespace

SpectrumInfo ReadSpectrumInfo(const CSpectrum& spectrum, int cursor) {
  const EnergyCurve curve = WorkingCurve(spectrum);
  const bool calibrated = spectrum.DisplayCalibration(spectrum.CurrentInput()).enabled != 0;
  SpectrumInfo info;
  info.position = Formatted(calibrated ? "%8.2f" : "%8.0f", curve.Energy(cursor));
  info.unit = UnitText(spectrum);
  const auto& compressed = spectrum.image.compressed;
  const unsigned long counts = cursor >= 0 && static_cast<std::size_t>(cursor) < compressed.size()
                                   ? compressed[static_cast<std::size_t>(cursor)]
                                   : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%10lu", counts);
  info.counts = text;
  info.roi = Analyse(spectrum, cursor);
  info.peak = PeakFieldTexts(info.roi, curve);
  info.staleCalibration = StaleCalibrationText(spectrum);
  return info;
}

std::vector<RoiAnalysis> AnalyseEveryRoi(const CSpectrum& spectrum) {
  std::vector<RoiAnalysis> rois;
  const int shown = std::min(spectrum.softSize, static_cast<int>(spectrum.displayRoiMarks.size()));
  for (int channel = 0; channel < shown; ++channel) {
    if (spectrum.displayRoiMarks[static_cast<std::size_t>(channel)] == 0) continue;
    rois.push_back(Analyse(spectrum, channel));
    channel = rois.back().last;
  }
  return rois;
}

}  // namespace korva
