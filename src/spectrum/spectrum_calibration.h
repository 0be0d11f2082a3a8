#pragma once

#include <string>

#include "spectrum/calibration_fit.h"
#include "spectrum/roi_analysis.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// The calibration of a spectrum's current input: the input its register
// copy selects, as the amplifier set-up derives it.

// LoadPointsIntoView on the current input's two records with the
// spectrum's channel compression factor; what the calibration view shows
// on every activation and what the headless analysis reports.
LoadedCalibration LoadCurrentCalibration(CSpectrum& spectrum);

// Copy Calibration: the set-1 and set-2 records of the source's current
// input, and the gain they were fitted at, replace those of the
// destination's current input. Reloading the
// destination when it is shown is the caller's.
void CopyCalibration(const CSpectrum& from, CSpectrum& to);

// Set 2's calibration of the current input is enabled.
bool IsCalibrated(const CSpectrum& spectrum);

// The curve the display and the readouts use: set 2's coefficients when
// its calibration is enabled, else EN = CH.
EnergyCurve WorkingCurve(const CSpectrum& spectrum);

// The unit text shown beside energies: set 2's unit list entry when its
// calibration is enabled, else "chn".
std::string UnitText(const CSpectrum& spectrum);

}  // namespace korva
