#include "spectrum/spectrum_calibration.h"

namespace korva {

namespace {

const CalibrationRecord& ShownCalibration(const CSpectrum& spectrum) {
  return spectrum.DisplayCalibration(spectrum.CurrentInput());
}

}  // namespace

LoadedCalibration LoadCurrentCalibration(CSpectrum& spectrum) {
  const std::size_t input = spectrum.CurrentInput();
  return LoadPointsIntoView(spectrum.FileCalibration(input), spectrum.DisplayCalibration(input),
                            static_cast<int>(spectrum.CompressionFactor()));
}

void CopyCalibration(const CSpectrum& from, CSpectrum& to) {
  const std::size_t source = from.CurrentInput();
  const std::size_t target = to.CurrentInput();
  to.FileCalibration(target) = from.FileCalibration(source);
  to.DisplayCalibration(target) = from.DisplayCalibration(source);
  to.calibrationGain[target] = from.calibrationGain[source];
}

bool IsCalibrated(const CSpectrum& spectrum) { return ShownCalibration(spectrum).enabled != 0; }

EnergyCurve WorkingCurve(const CSpectrum& spectrum) {
  const CalibrationRecord& set2 = ShownCalibration(spectrum);
  if (set2.enabled == 0) return {};
  return {set2.a, set2.b, set2.c};
}

std::string UnitText(const CSpectrum& spectrum) {
  const CalibrationRecord& set2 = ShownCalibration(spectrum);
  if (set2.enabled == 0 || set2.units < 0 || static_cast<std::size_t>(set2.units) >= kCalibrationUnits.size())
    return kCalibrationUnits[0];
  return kCalibrationUnits[static_cast<std::size_t>(set2.units)];
}

}  // namespace korva
