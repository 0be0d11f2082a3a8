#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/iso_time_text.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// The energy calibration the exchange formats carry: E = c0 + c1·ch + c2·ch²
// in keV, ch the channel number of the exported channels.
using KeVPolynomial = std::array<double, 3>;

// A spectrum as the N42 and IAEA SPE files hold it: what those formats
// have room for, independent of either of them.
struct ExchangeSpectrum {
  std::string maker;
  std::string model;
  std::string serialNumber;
  std::string firmwareVersion;
  std::string fpgaVersion;
  // The analyser input the counts come from ("PMT A - DPP").
  std::string inputName;
  std::string tag;
  std::vector<std::uint32_t> counts;
  double realSeconds = 0.0;
  double liveSeconds = 0.0;
  std::optional<ZonedTime> start;
  // "UTC", "SYSTEM" or "LOCAL": the clock the start follows; empty when
  // not known.
  std::string timeReference;
  // The NTP offset the UTC reference corrected the clock by.
  std::optional<double> ntpOffsetSeconds;
  std::optional<KeVPolynomial> calibration;
};

inline constexpr const char* kInstrumentMaker = "Korva";

// What an exported spectrum carries beside its record: the NTP offset of
// the time reference in force, when the program knows it.
struct ExchangeContext {
  std::optional<double> ntpOffsetSeconds;
};

// The active spectrum for export: the channels of its soft size (the sums
// the display shows), its times and start stamp as the acquisition view
// decodes them, the instrument's identity from its image, and the current
// input's calibration fitted as the calibration view fits it, in keV, when
// it is enabled and its unit is an energy.
ExchangeSpectrum ExchangeSpectrumOf(const CSpectrum& spectrum, const ExchangeContext& context);

// Fills the file spectrum from an imported one, as "Open Spectrum" fills it
// from a .kts file: a fresh record with the counts in the half its
// registers select, times and start in the register copy, the calibration
// as points on its curve (so a later .kts save keeps it), and the tag.
// Tag and caption name the file when the import has no tag. Returns what
// keeps the spectrum out (empty when it was loaded); then the record is
// left as it was.
std::string LoadExchangeSpectrum(CSpectrum& spectrum, const ExchangeSpectrum& imported,
                                 const std::string& fileName);

// The remarks both formats carry, one text each: "Tag: …", "Time reference:
// UTC", "NTP offset: 0.012 s"; and the reading of one of them back into a
// spectrum, which also knows the SPE export's "Analyser input: …" and
// instrument lines (other remarks are ignored).
std::vector<std::string> ExchangeRemarks(const ExchangeSpectrum& spectrum);
void ApplyExchangeRemark(ExchangeSpectrum& spectrum, std::string_view remark);

// The shortest text that reads back as the same double ("0.25", "1e-07").
std::string RoundTripText(double value);

}  // namespace korva
