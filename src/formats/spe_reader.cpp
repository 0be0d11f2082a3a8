#include "formats/spe_reader.h"

#include <cctype>
#include <cmath>
#include <map>

#include "common/format_text.h"
#include "spectrum/plain_number.h"

namespace korva {

namespace {

// Channels a $DATA block may span; the record's own limit is checked where
// the spectrum is loaded.
constexpr std::uint64_t kMaxChannels = 1 << 20;

using Blocks = std::map<std::string, std::vector<std::string_view>, std::less<>>;

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  return line;
}

// Every block's lines by its name ("$DATA:"); a name seen twice keeps its
// first block.
Blocks SplitBlocks(std::string_view text) {
  Blocks blocks;
  std::vector<std::string_view>* current = nullptr;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = WithoutLineEnd(text.substr(at, end - at));
    at = end + 1;
    if (line.starts_with('$') && line.ends_with(':')) {
      const auto [entry, added] = blocks.try_emplace(std::string(line));
      current = added ? &entry->second : nullptr;
    } else if (current) {
      current->push_back(line);
    }
  }
  return blocks;
}

const std::vector<std::string_view>* Block(const Blocks& blocks, std::string_view name) {
  const auto found = blocks.find(name);
  return found == blocks.end() ? nullptr : &found->second;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t", at)) != std::string_view::npos) {
    const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

std::optional<double> Number(std::string_view word) {
  if (word.empty() || word.find_first_not_of("+-.0123456789eE") != std::string_view::npos)
    return std::nullopt;
  const double value = LeadingReal(word);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::uint64_t> Whole(std::string_view word) {
  const std::optional<double> value = Number(word);
  if (!value || *value < 0 || *value != std::floor(*value) || *value > 4294967295.0) return std::nullopt;
  return static_cast<std::uint64_t>(*value);
}

std::string ReadData(const std::vector<std::string_view>& lines, std::vector<std::uint32_t>& counts) {
  const std::vector<std::string_view> range =
      lines.empty() ? std::vector<std::string_view>{} : Words(lines[0]);
  const std::optional<std::uint64_t> first = range.size() == 2 ? Whole(range[0]) : std::nullopt;
  const std::optional<std::uint64_t> last = range.size() == 2 ? Whole(range[1]) : std::nullopt;
  if (!first || !last || *first > *last || *last >= kMaxChannels)
    return "$DATA does not start with the first and last channel";
  counts.assign(*first, 0);
  const std::uint64_t wanted = *last + 1;
  for (std::size_t k = 1; k < lines.size() && counts.size() < wanted; ++k) {
    for (const std::string_view word : Words(lines[k])) {
      const std::optional<std::uint64_t> count = Whole(word);
      if (!count) return "$DATA holds a count that is not a whole number of 0 or more";
      if (counts.size() < wanted) counts.push_back(static_cast<std::uint32_t>(*count));
    }
  }
  if (counts.size() < wanted) return "$DATA holds fewer counts than its channel range";
  return {};
}

std::optional<ZonedTime> ReadDate(std::string_view line) {
  unsigned values[6] = {};
  std::size_t field = 0;
  for (std::size_t at = 0; at < line.size() && field < 6;) {
    if (!std::isdigit(static_cast<unsigned char>(line[at]))) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < line.size() && end - at < 5 && std::isdigit(static_cast<unsigned char>(line[end]))) ++end;
    values[field++] = static_cast<unsigned>(LeadingInteger(line.substr(at, end - at)));
    at = end;
  }
  if (field != 6) return std::nullopt;
  const std::string iso = FormatText("%04u-%02u-%02uT%02u:%02u:%02u", values[2], values[0], values[1],
                                     values[3], values[4], values[5]);
  return ParseIsoDateTime(iso);
}

std::string ReadTimes(const std::vector<std::string_view>* lines, ExchangeSpectrum& spectrum) {
  const std::vector<std::string_view> words =
      lines && !lines->empty() ? Words(lines->front()) : std::vector<std::string_view>{};
  const std::optional<double> live = words.size() == 2 ? Number(words[0]) : std::nullopt;
  const std::optional<double> real = words.size() == 2 ? Number(words[1]) : std::nullopt;
  if (!live || !real || *live < 0 || *real < 0) return "$MEAS_TIM does not hold the live and the real time";
  spectrum.liveSeconds = *live;
  spectrum.realSeconds = *real;
  return {};
}

std::optional<double> KeVPer(std::string_view unit) {
  if (unit.empty() || unit == "keV" || unit == "KeV" || unit == "kev") return 1.0;
  if (unit == "MeV") return 1e3;
  if (unit == "eV") return 1e-3;
  return std::nullopt;
}

// $MCA_CAL: the number of coefficients, then the coefficients and a unit.
std::string ReadMcaCal(const std::vector<std::string_view>& lines, ExchangeSpectrum& spectrum) {
  const std::uint64_t count = lines.empty() ? 0 : Whole(WithoutLineEnd(lines[0])).value_or(0);
  const std::vector<std::string_view> words =
      lines.size() > 1 ? Words(lines[1]) : std::vector<std::string_view>{};
  if (count == 0 || words.size() < count) return "$MCA_CAL does not hold its coefficients";
  const std::optional<double> scale = KeVPer(words.size() > count ? words[count] : std::string_view());
  if (!scale) return "$MCA_CAL has a unit that is no energy";
  KeVPolynomial keV{};
  for (std::size_t k = 0; k < count; ++k) {
    const std::optional<double> value = Number(words[k]);
    if (!value) return "$MCA_CAL holds a coefficient that is no number";
    if (k >= 3 && *value != 0.0) return "the energy calibration has terms beyond channel squared";
    if (k < 3) keV[k] = *value * *scale;
  }
  spectrum.calibration = keV;
  return {};
}

std::string ReadEnerFit(const std::vector<std::string_view>& lines, ExchangeSpectrum& spectrum) {
  const std::vector<std::string_view> words =
      lines.empty() ? std::vector<std::string_view>{} : Words(lines[0]);
  const std::optional<double> offset = words.size() >= 2 ? Number(words[0]) : std::nullopt;
  const std::optional<double> slope = words.size() >= 2 ? Number(words[1]) : std::nullopt;
  if (!offset || !slope) return "$ENER_FIT does not hold an offset and a slope";
  spectrum.calibration = KeVPolynomial{*offset, *slope, 0.0};
  return {};
}

std::string ReadCalibration(const Blocks& blocks, ExchangeSpectrum& spectrum) {
  if (const auto* lines = Block(blocks, "$MCA_CAL:")) return ReadMcaCal(*lines, spectrum);
  if (const auto* lines = Block(blocks, "$ENER_FIT:")) return ReadEnerFit(*lines, spectrum);
  return {};
}

}  // namespace

ExchangeRead ReadSpeText(std::string_view text) {
  const Blocks blocks = SplitBlocks(text);
  const std::vector<std::string_view>* data = Block(blocks, "$DATA:");
  if (!data) return {std::nullopt, "not an IAEA SPE file: there is no $DATA block"};
  ExchangeSpectrum spectrum;
  if (const auto* id = Block(blocks, "$SPEC_ID:"); id && !id->empty()) spectrum.tag = id->front();
  if (const auto* remarks = Block(blocks, "$SPEC_REM:")) {
    for (const std::string_view remark : *remarks) ApplyExchangeRemark(spectrum, remark);
  }
  if (const auto* date = Block(blocks, "$DATE_MEA:"); date && !date->empty()) {
    spectrum.start = ReadDate(date->front());
    if (!spectrum.start) return {std::nullopt, "$DATE_MEA is not a date and time"};
    // The remarks say whether the stamp is UTC; SPE itself has no zone.
    if (spectrum.timeReference == "UTC" || spectrum.timeReference == "SYSTEM")
      spectrum.start->utcOffsetMinutes = 0;
  }
  std::string error = ReadData(*data, spectrum.counts);
  if (error.empty()) error = ReadTimes(Block(blocks, "$MEAS_TIM:"), spectrum);
  if (error.empty()) error = ReadCalibration(blocks, spectrum);
  if (!error.empty()) return {std::nullopt, error};
  return {std::move(spectrum), {}};
}

}  // namespace korva
