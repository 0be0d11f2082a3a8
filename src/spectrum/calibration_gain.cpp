#include "spectrum/calibration_gain.h"

#include <algorithm>
#include <cmath>

#include "common/format_text.h"
#include "common/settings_store.h"
#include "devicelink/register_map.h"
#include "spectrum/amplifier_gain.h"
#include "spectrum/analyser_input.h"
#include "spectrum/calibration_settings.h"
#include "spectrum/calibration_value.h"
#include "spectrum/spectrum_record.h"

namespace korva {

namespace {

double CoarseFactor(std::int32_t coarse) {
  const std::vector<CoarseGainEntry> table = BuildCoarseGainTable();
  if (coarse < 0 || static_cast<std::size_t>(coarse) >= table.size()) return table.front().factor;
  return table[static_cast<std::size_t>(coarse)].factor;
}

std::string CoarseText(std::int32_t coarse) { return FormatText("COARSE %.2f", CoarseFactor(coarse)); }
std::string FineText(std::int32_t fine) { return FormatText("FINE %.3f", FineFactor(fine)); }
std::string InputText(std::int32_t input) {
  const bool known = input >= 0 && static_cast<std::size_t>(input) < kMcaInputTexts.size();
  // The list entries start with a blank that lines them up in the list.
  std::string_view name = known ? kMcaInputTexts[static_cast<std::size_t>(input)] : "?";
  name.remove_prefix(std::min(name.find_first_not_of(' '), name.size()));
  return "INPUT " + std::string(name);
}

void PutInteger(std::vector<std::uint8_t>& out, std::int32_t value) {
  const auto word = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
}

std::int32_t GetInteger(std::span<const std::uint8_t> in, std::size_t at) {
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < 4; ++i) word |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
  return static_cast<std::int32_t>(word);
}

bool InRange(const CalibrationGain& gain) {
  return gain.coarse >= 0 && gain.coarse < kCoarseGainSteps && gain.fine >= 0 && gain.fine <= kMaxFine &&
         gain.input >= 0 && static_cast<std::size_t>(gain.input) < kAnalyserInputs &&
         gain.softSize >= CSpectrum::kMinSize && gain.softSize <= CSpectrum::kMaxSize;
}

// A spectrum file keeps channels and energies to four decimals.
constexpr double kFileRounding = 0.6e-4;

// The same calibration: the same points in the same unit, as far as a
// spectrum file keeps them. The selection flags are not compared, since a
// file read back is always fitted with all its points, nor set 1's
// coefficients, which are never fitted.
bool SamePoints(const CalibrationRecord& x, const CalibrationRecord& y) {
  if (x.UsablePointCount() != y.UsablePointCount() || x.units != y.units) return false;
  for (std::size_t i = 0; i < x.UsablePointCount(); ++i) {
    if (std::abs(x.channel[i] - y.channel[i]) > kFileRounding ||
        std::abs(x.energy[i] - y.energy[i]) > kFileRounding)
      return false;
  }
  return x.UsablePointCount() > 0;
}

}  // namespace

CalibrationGain CurrentGain(const CSpectrum& spectrum) {
  const auto& registers = spectrum.image.registers;
  const int steps = spectrum.amplifier.coarseSteps > 0 ? spectrum.amplifier.coarseSteps : kCoarseGainSteps;
  CalibrationGain gain;
  gain.coarse = CoarseIndexOfRegister(BuildCoarseGainTable(), registers[reg::kAmplifier], steps);
  gain.fine = ClampFine(FineOfRegister(registers[reg::kFineGain]));
  gain.input = static_cast<std::int32_t>(spectrum.CurrentInput());
  gain.softSize = spectrum.softSize;
  return gain;
}

void RememberCalibrationGain(CSpectrum& spectrum) {
  spectrum.calibrationGain[spectrum.CurrentInput()] = CurrentGain(spectrum);
}

std::string StaleCalibrationText(const CalibrationGain& at, const CalibrationGain& now) {
  const bool coarse = at.coarse != now.coarse;
  const bool fine = at.fine != now.fine;
  const bool input = at.input != now.input;
  if (!coarse && !fine && !input) return {};
  std::string text = "calibrated at " + CoarseText(at.coarse) + " " + FineText(at.fine);
  if (input) text += " " + InputText(at.input);
  text += ", now";
  if (coarse) text += " " + CoarseText(now.coarse);
  if (fine) text += " " + FineText(now.fine);
  if (input) text += " " + InputText(now.input);
  return text;
}

std::string StaleCalibrationText(const CSpectrum& spectrum) {
  const std::size_t input = spectrum.CurrentInput();
  const std::optional<CalibrationGain>& at = spectrum.calibrationGain[input];
  if (!at || spectrum.DisplayCalibration(input).enabled == 0) return {};
  return StaleCalibrationText(*at, CurrentGain(spectrum));
}

std::vector<std::uint8_t> EncodeCalibrationGainValue(const CalibrationGains& gains) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(kCalibrationGainValueBytes);
  for (const std::optional<CalibrationGain>& gain : gains) {
    const CalibrationGain fields = gain.value_or(CalibrationGain{});
    PutInteger(bytes, gain ? 1 : 0);
    PutInteger(bytes, fields.coarse);
    PutInteger(bytes, fields.fine);
    PutInteger(bytes, fields.input);
    PutInteger(bytes, fields.softSize);
  }
  return bytes;
}

CalibrationGains DecodeCalibrationGainValue(std::span<const std::uint8_t> bytes) {
  CalibrationGains gains{};
  if (bytes.size() != kCalibrationGainValueBytes) return gains;
  for (std::size_t i = 0; i < kAnalyserInputs; ++i) {
    const std::size_t at = i * kCalibrationGainEntryBytes;
    if (GetInteger(bytes, at) != 1) continue;
    const CalibrationGain gain{GetInteger(bytes, at + 4), GetInteger(bytes, at + 8),
                               GetInteger(bytes, at + 12), GetInteger(bytes, at + 16)};
    if (InRange(gain)) gains[i] = gain;
  }
  return gains;
}

std::string StaleStoredCalibrationText(SettingsStore& store, const CSpectrum& file) {
  const std::size_t input = file.CurrentInput();
  if (file.FileCalibration(input).enabled == 0) return {};
  const auto records = store.ReadBinary(settings_path::kSpectrum, kCalibrationValueName);
  const auto gains = store.ReadBinary(settings_path::kSpectrum, kCalibrationGainValueName);
  if (!records || !gains) return {};
  const DecodedCalibration decoded = DecodeCalibrationValue(*records);
  if (!decoded.error.empty() || !SamePoints(decoded.records[input], file.FileCalibration(input))) return {};
  const std::optional<CalibrationGain> at = DecodeCalibrationGainValue(*gains)[input];
  if (!at) return {};
  return StaleCalibrationText(*at, CurrentGain(file));
}

}  // namespace korva
