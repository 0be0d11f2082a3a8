#include "spectrum/spectrum_record.h"

#include <algorithm>

#include "devicelink/register_map.h"
#include "spectrum/analyser_input.h"

namespace korva {

CSpectrum::CSpectrum() { image.registers[reg::kModel] = kInitialRegister15; }

std::uint32_t CSpectrum::CompressionFactor() const {
  return std::max<std::uint32_t>(image.compressionFactor, 1);
}

CalibrationRecord& CSpectrum::FileCalibration(std::size_t input) {
  return calibration[std::min(input, kAnalyserInputs - 1)];
}

const CalibrationRecord& CSpectrum::FileCalibration(std::size_t input) const {
  return calibration[std::min(input, kAnalyserInputs - 1)];
}

CalibrationRecord& CSpectrum::DisplayCalibration(std::size_t input) {
  return calibration[kAnalyserInputs + std::min(input, kAnalyserInputs - 1)];
}

const CalibrationRecord& CSpectrum::DisplayCalibration(std::size_t input) const {
  return calibration[kAnalyserInputs + std::min(input, kAnalyserInputs - 1)];
}

std::size_t CSpectrum::CurrentInput() const { return AnalyserInputIndex(image.registers); }

void CSpectrum::DeriveHalfSelector() { image.lowerHalfSelected = SelectsLowerHalf(image.registers); }

bool CSpectrum::SetSizes(std::int32_t hard, std::int32_t soft, bool force) {
  soft = std::clamp(soft, kMinSize, kMaxSize);
  hard = std::clamp(std::max(hard, soft), kMinSize, kMaxSize);
  const bool changed = force || hard != hardSize || soft != softSize;
  if (changed) {
    hardSize = hard;
    softSize = soft;
    image.compressionFactor = static_cast<std::uint32_t>(hard / soft);
  }
  RebuildCompressedSpectrum();
  RebuildDisplayRoiMarks();
  return changed;
}

void CSpectrum::RebuildDisplayRoiMarks() {
  const std::size_t factor = CompressionFactor();
  const std::size_t shown = static_cast<std::size_t>(std::clamp(softSize, 0, kMaxSize));
  displayRoiMarks.fill(0);
  for (std::size_t bin = 0; bin < shown && bin * factor < kChannels; ++bin) {
    const auto first = roiMarks.begin() + static_cast<std::ptrdiff_t>(bin * factor);
    const auto last = roiMarks.begin() + static_cast<std::ptrdiff_t>(std::min(kChannels, (bin + 1) * factor));
    displayRoiMarks[bin] = std::all_of(first, last, [](std::uint8_t mark) { return mark != 0; }) ? 1 : 0;
  }
}

}  // namespace korva
