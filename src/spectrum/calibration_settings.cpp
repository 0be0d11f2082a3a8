#include "spectrum/calibration_settings.h"

#include "common/settings_store.h"
#include "spectrum/calibration_value.h"
#include "spectrum/spectrum_record.h"

namespace korva {

void RestoreCalibration(SettingsStore& store, CSpectrum& buffer) {
  const std::optional<std::vector<std::uint8_t>> stored =
      store.ReadBinary(settings_path::kSpectrum, kCalibrationValueName);
  if (!stored) return;
  const DecodedCalibration decoded = DecodeCalibrationValue(*stored);
  if (!decoded.error.empty()) return;
  for (std::size_t input = 0; input < kAnalyserInputs; ++input) {
    buffer.FileCalibration(input) = decoded.records[input];
  }
  const std::optional<std::vector<std::uint8_t>> gains =
      store.ReadBinary(settings_path::kSpectrum, kCalibrationGainValueName);
  buffer.calibrationGain = gains ? DecodeCalibrationGainValue(*gains) : CalibrationGains{};
}

void SaveCalibration(SettingsStore& store, const CSpectrum& buffer) {
  CalibrationSet records;
  for (std::size_t input = 0; input < kAnalyserInputs; ++input)
    records[input] = buffer.FileCalibration(input);
  store.WriteBinary(settings_path::kSpectrum, kCalibrationValueName, EncodeCalibrationValue(records));
  store.WriteBinary(settings_path::kSpectrum, kCalibrationGainValueName,
                    EncodeCalibrationGainValue(buffer.calibrationGain));
}

}  // namespace korva
