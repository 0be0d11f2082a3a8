#pragma once

#include <string_view>

namespace korva {

class CSpectrum;
class SettingsStore;

// The buffer spectrum's calibrations between sessions: the nine set-1
// records as the binary value "Calibration" under the spectrum settings key,
// and the gain each was fitted at as the value "CalibrationGain" beside it.
// Without a stored gain value the gains are not known.
inline constexpr std::string_view kCalibrationValueName = "Calibration";
// Beside it, so the 3240-byte value keeps the layout every release reads.
inline constexpr std::string_view kCalibrationGainValueName = "CalibrationGain";

// At start: the stored records replace the buffer spectrum's set 1, a
// record with more than ten points coming back without points. A missing
// value, or one of any other length than 3240 bytes, leaves set 1 alone.
void RestoreCalibration(SettingsStore& store, CSpectrum& buffer);

// At exit.
void SaveCalibration(SettingsStore& store, const CSpectrum& buffer);

}  // namespace korva
