#include "kts_reader_harness.h"

#include <algorithm>
#include <string_view>

#include "spectrum/kts_reader.h"
#include "spectrum/kts_writer.h"

namespace korva::fuzz {

namespace {

constexpr std::uint32_t kBeyondHalves = 0xA5A5A5A5;

std::string CheckLimits(const CSpectrum& spectrum) {
  if (spectrum.softSize < CSpectrum::kMinSize || spectrum.softSize > spectrum.hardSize ||
      spectrum.hardSize > CSpectrum::kMaxSize) {
    return "sizes outside 512 <= soft <= hard <= 4096";
  }
  if (spectrum.CompressionFactor() != static_cast<std::uint32_t>(spectrum.hardSize / spectrum.softSize)) {
    return "compression factor is not hard / soft";
  }
  for (std::size_t input = 0; input < kAnalyserInputs; ++input) {
    const std::int32_t points = spectrum.FileCalibration(input).pointCount;
    if (points < 0 || points > static_cast<std::int32_t>(CalibrationRecord::kMaxPoints))
      return "point count beyond 10";
  }
  for (std::size_t word = 2 * CSpectrum::kChannels; word < spectrum.image.spectrum.size(); ++word) {
    if (spectrum.image.spectrum[word] != kBeyondHalves) return "counts word beyond the halves written";
  }
  return {};
}

std::string CheckSecondTrip(const CSpectrum& first, const CSpectrum& second) {
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    if (first.Channel(i) != second.Channel(i)) return "channel " + std::to_string(i) + " changed";
    if ((first.roiMarks[i] != 0) != (second.roiMarks[i] != 0))
      return "ROI mark " + std::to_string(i) + " changed";
  }
  if (first.image.registers != second.image.registers) return "registers changed";
  if (first.softSize != second.softSize) return "soft size changed";
  if (first.image.serialNumber != second.image.serialNumber ||
      first.image.firmwareVersion != second.image.firmwareVersion ||
      first.image.temperature != second.image.temperature) {
    return "status values changed";
  }
  return {};
}

}  // namespace

// Every input goes the whole way: read, check, write, read again, compare.
std::string CheckKtsReader(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CSpectrum first;
  std::fill(first.image.spectrum.begin() + 2 * CSpectrum::kChannels, first.image.spectrum.end(),
            kBeyondHalves);
  ReadSpectrumText(first, text, "fuzz.kts");
  if (std::string fault = CheckLimits(first); !fault.empty()) return fault;

  CSpectrum second;
  std::fill(second.image.spectrum.begin() + 2 * CSpectrum::kChannels, second.image.spectrum.end(),
            kBeyondHalves);
  ReadSpectrumText(second, KtsFileText(first, KtsWriteContext{}), "again.kts");
  if (std::string fault = CheckLimits(second); !fault.empty()) return "second trip: " + fault;
  return CheckSecondTrip(first, second);
}

}  // namespace korva::fuzz
