#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "spectrum/calibration_record.h"

namespace korva {

class CSpectrum;
class SettingsStore;

// The amplifier setting an energy calibration was fitted at: a channel
// number means an energy only at the gain and on the input it was measured
// with.
struct CalibrationGain {
  // Index into the COARSE list (0 = 1.00 ... 3 = 2.83).
  std::int32_t coarse = 0;
  // Fine gain 0-4095 (factor 1.0-1.2).
  std::int32_t fine = 0;
  // Analyser input 0-8, as in the amplifier's input list.
  std::int32_t input = 0;
  std::int32_t softSize = 4096;

  bool operator==(const CalibrationGain&) const = default;
};

// One per analyser input, beside the calibration records; empty where the
// gain is not known (a calibration read from a spectrum file, or stored by
// an earlier release).
using CalibrationGains = std::array<std::optional<CalibrationGain>, kAnalyserInputs>;

// The gain a spectrum's register copy selects now: the coarse entry of
// register 18, the fine gain of register 17, the analyser input and the
// soft size.
CalibrationGain CurrentGain(const CSpectrum& spectrum);

// A fit of the current input's calibration: remember the gain it was made
// at.
void RememberCalibrationGain(CSpectrum& spectrum);

// Empty when the calibration may be used as it is; otherwise what differs,
// "calibrated at COARSE 2.00 FINE 1.000, now COARSE 2.83", naming after
// "now" only what changed (an input change names both inputs). The soft
// size is not compared: calibration points are kept in full-resolution
// channels and the curve is fitted again at every soft size.
std::string StaleCalibrationText(const CalibrationGain& at, const CalibrationGain& now);

// The same for the spectrum's current input: empty when its calibration is
// switched off or its gain is not known.
std::string StaleCalibrationText(const CSpectrum& spectrum);

// The binary settings value "CalibrationGain", kept beside "Calibration":
// nine entries of five little-endian 4-byte integers each (known flag,
// coarse, fine, input, soft size).
inline constexpr std::size_t kCalibrationGainEntryBytes = std::size_t{5} * 4;
inline constexpr std::size_t kCalibrationGainValueBytes = kAnalyserInputs * kCalibrationGainEntryBytes;

std::vector<std::uint8_t> EncodeCalibrationGainValue(const CalibrationGains& gains);
// A value of any other length reads as no gains known; an entry whose
// fields lie outside their ranges reads as not known.
CalibrationGains DecodeCalibrationGainValue(std::span<const std::uint8_t> bytes);

// The headless analysis of a spectrum file: the file's calibration carries
// no gain, but when its current input's record is the one the settings
// store keeps for that input (the same points, to the four decimals a file
// keeps, in the same unit), it is the
// program's stored calibration and the stored gain describes it; compared
// with the gain the file's registers select. Empty when nothing is known or
// nothing differs.
std::string StaleStoredCalibrationText(SettingsStore& store, const CSpectrum& file);

}  // namespace korva
