#include "exchange_reader_harness.h"

#include <string_view>

#include "formats/spectrum_exchange.h"

namespace korva::fuzz {

namespace {

std::string CheckRecord(const CSpectrum& spectrum, const ExchangeSpectrum& imported) {
  if (spectrum.hardSize != CSpectrum::kMaxSize || spectrum.softSize != CSpectrum::kMaxSize)
    return "an import is not shown at hard and soft size 4096";
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    const std::uint32_t expected = i < imported.counts.size() ? imported.counts[i] : 0;
    if (spectrum.Channel(i) != expected) return "channel " + std::to_string(i) + " is not the file's count";
  }
  const std::int32_t points = spectrum.FileCalibration(spectrum.CurrentInput()).pointCount;
  if (points < 0 || points > static_cast<std::int32_t>(CalibrationRecord::kMaxPoints))
    return "point count beyond 10";
  return {};
}

}  // namespace

std::string CheckExchangeReader(const std::uint8_t* data, std::size_t size,
                                ExchangeRead (*read)(std::string_view),
                                std::string (*write)(const ExchangeSpectrum&)) {
  const ExchangeRead first = read(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!first.spectrum) return first.error.empty() ? "refused without a reason" : std::string();
  CSpectrum spectrum;
  if (!LoadExchangeSpectrum(spectrum, *first.spectrum, "fuzz").empty()) return {};
  if (std::string fault = CheckRecord(spectrum, *first.spectrum); !fault.empty()) return fault;

  const ExchangeRead second = read(write(ExchangeSpectrumOf(spectrum, {})));
  if (!second.spectrum) return "the written file is refused: " + second.error;
  for (std::size_t i = 0; i < first.spectrum->counts.size(); ++i) {
    if (second.spectrum->counts[i] != first.spectrum->counts[i])
      return "channel " + std::to_string(i) + " changed";
  }
  return {};
}

}  // namespace korva::fuzz
