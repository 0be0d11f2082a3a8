#include "formats/kts_reader.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "formats/kts_tag.h"
#include "spectrum/plain_number.h"

namespace korva {

namespace {

// The highest counts word a data block may reach is 8191: offset + hard
// size never passes the end of the upper half.
constexpr std::int32_t kHalvesEnd = 2 * static_cast<std::int32_t>(CSpectrum::kChannels);

// One line as the file holds it and with every blank removed; the reader
// matches the packed form, except for the tag's text. Both look into the
// file's text unless the line has blanks to remove: the counts lines,
// thousands to a file, are read without a copy.
struct KtsLine {
  std::string_view raw;
  std::string_view packed;
  std::string blankless;  // what `packed` looks at when `raw` has blanks
};

// The file's lines, at most kKtsMaxLines of them. Line ends are line feeds;
// a carriage return before a line feed belongs to the line end, so a file
// edited into CR LF line ends reads the same.
class KtsLines {
 public:
  explicit KtsLines(std::string_view text) {
    text_.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t cr = text.find("\r\n"); cr != std::string_view::npos; cr = text.find("\r\n", from)) {
      text_ += text.substr(from, cr - from);
      from = cr + 1;
    }
    text_ += text.substr(from);
  }

  // The next line; false once the file or the line budget is used up.
  bool Next(KtsLine& line) {
    if (used_ == kKtsMaxLines || position_ >= text_.size()) return false;
    ++used_;
    // Looks no further than the line can reach, so a file without line
    // feeds costs no more than one with them.
    const std::string_view rest = std::string_view(text_).substr(position_, kKtsLineLength);
    line.raw = rest.substr(0, rest.find('\n'));
    line.packed = line.raw;
    if (line.raw.find(' ') != std::string_view::npos) {
      line.blankless.clear();
      std::copy_if(line.raw.begin(), line.raw.end(), std::back_inserter(line.blankless),
                   [](char c) { return c != ' '; });
      line.packed = line.blankless;
    }
    position_ += line.raw.size() + 1;  // the line feed, or the character after the longest line
    return true;
  }

 private:
  std::string text_;
  std::size_t position_ = 0;
  std::size_t used_ = 0;
};

// The text between a line's first "<" and the first ">" after it.
std::string_view ElementName(std::string_view line) {
  const std::size_t open = line.find('<');
  if (open == std::string_view::npos) return {};
  const std::size_t close = line.find('>', open + 1);
  if (close == std::string_view::npos) return {};
  return line.substr(open + 1, close - open - 1);
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The value of element `name` when its opening and closing tags both stand
// on the line: the line with the two tags taken out.
std::optional<std::string> ElementValue(std::string_view line, std::string_view name) {
  const std::string open = "<" + std::string(name) + ">";
  const std::string close = "</" + std::string(name) + ">";
  if (line.find(open) == std::string_view::npos || line.find(close) == std::string_view::npos)
    return std::nullopt;
  std::string value(line);
  value.erase(value.find(open), open.size());
  value.erase(value.find(close), close.size());
  return value;
}

// The tag's text from the line as written, so that its blanks survive.
std::string TagText(const KtsLine& line) {
  const std::size_t open = line.raw.find("<tag>");
  const std::size_t close = open == std::string_view::npos ? open : line.raw.find("</tag>", open);
  if (close != std::string_view::npos) return TagFromKtsText(line.raw.substr(open + 5, close - open - 5));
  return TagFromKtsText(ElementValue(line.packed, "tag").value_or(""));
}

std::uint16_t Low16(std::int32_t value) { return static_cast<std::uint16_t>(value & 0xFFFF); }

class KtsReader {
 public:
  KtsReader(CSpectrum& spectrum, std::string_view text) : spectrum_(spectrum), lines_(text) {}

  // The refusal (naming the file `fileName`) and the notes of the text read.
  KtsReading Verdict(const std::string& fileName) const {
    KtsReading reading{{}, notes_};
    if (!spectrumSeen_) {
      reading.refusal = fileName + " has no spectrum block";
    } else if (!countsSeen_) {
      reading.refusal = fileName + " has no counts in its spectrum block";
    } else if (countsShort_) {
      reading.refusal = fileName + " ends after " + std::to_string(countsShort_->first) + " of its " +
                        std::to_string(countsShort_->second) + " channels";
    }
    return reading;
  }

  void Read() {
    while (lines_.Next(line_)) {
      const std::string section = LowerCase(ElementName(line_.packed));
      if (section == "serialnumber") {
        if (const auto value = ElementValue(line_.packed, "serialnumber")) {
          spectrum_.image.serialNumber = Low16(LeadingInteger(*value));
        }
      } else if (section == "spectrum") {
        spectrumSeen_ = true;
        ReadSpectrum();
      } else if (section == "registers") {
        ReadRegisters();
      } else if (section == "calibration") {
        ReadCalibration();
      } else if (section == "volatile") {
        ReadVolatile();
      }
    }
  }

 private:
  // Reads the section's lines up to its closing line, handing each to
  // `handle` with its element name (a copy: a handler may read on).
  template <typename Handle>
  void ReadSection(std::string_view closing, Handle handle) {
    while (lines_.Next(line_) && line_.packed != closing) handle(std::string(ElementName(line_.packed)));
  }

  void ReadSpectrum() {
    spectrum_.softSize = CSpectrum::kMinSize;
    ReadSection("</spectrum>", [this](const std::string& name) {
      if (name == "tag" && ElementValue(line_.packed, "tag")) {
        spectrum_.tag = TagText(line_);
        spectrum_.caption = "FILE: " + spectrum_.caption + "  (" + spectrum_.tag + ")";
      } else if (name == "hardsize" || name == "softsize") {
        ReadSize(name);
      } else if (name == "offset") {
        if (const auto value = ElementValue(line_.packed, "offset")) {
          offset_ = LeadingInteger(*value);
          offsetSeen_ = true;
        }
      }
      if (offsetSeen_ && line_.packed.find("<data>") != std::string_view::npos) ReadCounts();
    });
  }

  void ReadSize(std::string_view name) {
    const auto value = ElementValue(line_.packed, name);
    if (!value) return;
    (name == "hardsize" ? spectrum_.hardSize : spectrum_.softSize) = LeadingInteger(*value);
    Clamp("hard size", spectrum_.hardSize, CSpectrum::kMinSize, CSpectrum::kMaxSize);
    Clamp("soft size", spectrum_.softSize, CSpectrum::kMinSize, spectrum_.hardSize);
  }

  // Holds `value` within low..high, noting a change.
  void Clamp(const char* what, std::int32_t& value, std::int32_t low, std::int32_t high) {
    const std::int32_t held = std::clamp(value, low, high);
    if (held != value)
      notes_.push_back(std::string(what) + " " + std::to_string(value) + " read as " + std::to_string(held));
    value = held;
  }

  // Up to 4097 lines after "<data>", ended early by "</data>"; the first
  // hard-size ones are channels, the rest are read past. Offsets other than
  // the 0 and 4096 this program writes are held so that the block ends
  // within the upper half. A block the file's end (or the line budget) cuts
  // before its hard-size counts is remembered for the verdict.
  void ReadCounts() {
    std::int32_t offset = offset_;
    Clamp("offset", offset, 0, kHalvesEnd - spectrum_.hardSize);
    countsSeen_ = true;
    for (std::int32_t j = 0; j <= CSpectrum::kMaxSize; ++j) {
      if (!lines_.Next(line_)) {
        if (j < spectrum_.hardSize) countsShort_ = {j, spectrum_.hardSize};
        return;
      }
      if (line_.packed == "</data>") return;
      if (j >= spectrum_.hardSize) continue;
      const auto channel = static_cast<std::size_t>(j);
      spectrum_.roiMarks[channel] = !line_.packed.empty() && line_.packed.front() == '+' ? 1 : 0;
      spectrum_.image.spectrum[static_cast<std::size_t>(offset) + channel] = LeadingUnsigned(line_.packed);
    }
  }

  void ReadRegisters() {
    std::int32_t count = 0;
    ReadSection("</registers>", [&](const std::string& name) {
      if (name == "size") {
        if (const auto value = ElementValue(line_.packed, "size")) {
          count = LeadingInteger(*value);
          Clamp("register count", count, 0, wire::kRegisterCount);
        }
      }
      if (line_.packed.find("<data>") == std::string_view::npos) return;
      for (std::int32_t j = 0; j <= count && lines_.Next(line_) && line_.packed != "</data>"; ++j) {
        if (j < count)
          spectrum_.image.registers[static_cast<std::size_t>(j)] = Low16(LeadingInteger(line_.packed));
      }
    });
  }

  // Into the set-1 record of the input the loaded registers select.
  void ReadCalibration() {
    CalibrationRecord& record = spectrum_.FileCalibration(spectrum_.CurrentInput());
    ReadSection("</calibration>", [&](const std::string& name) {
      if (name.empty()) return;
      const auto value = ElementValue(line_.packed, name);
      if (!value) return;
      if (name == "enabled") record.enabled = *value == "YES" ? 1 : 0;
      if (name == "units") record.units = LeadingInteger(*value);
      ReadPoint(record, name, *value);
    });
  }

  // "channelA" ... "useJ". Each channel line counts a point; the count
  // stays within the ten points a record holds.
  static void ReadPoint(CalibrationRecord& record, std::string_view name, const std::string& value) {
    const std::size_t k = kKtsPointLetters.find(name.back());
    if (k == std::string_view::npos) return;
    name.remove_suffix(1);
    if (name == "channel") {
      record.channel[k] = LeadingReal(value);
      record.pointCount = std::min<std::int32_t>(record.pointCount + 1, CalibrationRecord::kMaxPoints);
    } else if (name == "energy") {
      record.energy[k] = LeadingReal(value);
    } else if (name == "use") {
      record.use[k] = LeadingInteger(value);
    }
  }

  void ReadVolatile() {
    ReadSection("</volatile>", [this](const std::string& name) {
      if (name.empty()) return;
      const auto value = ElementValue(line_.packed, name);
      if (!value) return;
      if (name == "firmware") spectrum_.image.firmwareVersion = FirmwareVersion(LeadingReal(*value));
      if (name == "intemp") spectrum_.image.temperature = static_cast<std::int16_t>(LeadingInteger(*value));
      if (name == "slowadc") spectrum_.image.slowAdc = LeadingReal(*value);
    });
  }

  // The file holds the version in units ("%5.2f"); the record holds
  // hundredths. Rounded, not truncated: 0.29 × 100 is 28.999... in binary.
  static std::int16_t FirmwareVersion(double units) {
    const double hundredths = std::round(units * 100.0);
    if (std::isnan(hundredths)) return 0;
    return static_cast<std::int16_t>(std::clamp<double>(hundredths, std::numeric_limits<std::int16_t>::min(),
                                                        std::numeric_limits<std::int16_t>::max()));
  }

  CSpectrum& spectrum_;
  KtsLines lines_;
  KtsLine line_;
  std::int32_t offset_ = 0;
  bool offsetSeen_ = false;
  bool spectrumSeen_ = false;
  bool countsSeen_ = false;
  std::optional<std::pair<std::int32_t, std::int32_t>> countsShort_;  // counts read, hard size
  std::vector<std::string> notes_;
};

void ResetForLoad(CSpectrum& spectrum, const std::string& fileName) {
  spectrum.tag = fileName;
  spectrum.caption = fileName;
  spectrum.hardSize = CSpectrum::kMaxSize;
  std::fill(spectrum.image.compressed.begin(), spectrum.image.compressed.end(), 0u);
  std::fill_n(spectrum.image.spectrum.begin(), kHalvesEnd, 0u);
  spectrum.roiMarks.fill(0);
  spectrum.displayRoiMarks.fill(0);
  for (std::size_t input = 0; input < kAnalyserInputs; ++input) {
    CalibrationRecord& record = spectrum.FileCalibration(input);
    record.pointCount = 0;
    record.useAll = 1;
    std::fill_n(record.use.begin(), CalibrationRecord::kMaxPoints, 0);
  }
  // A spectrum file does not say what gain its calibration was fitted at,
  // and its start is the registers' own.
  spectrum.calibrationGain = {};
  spectrum.exactStart.reset();
}

}  // namespace

KtsReading ReadSpectrumText(CSpectrum& spectrum, std::string_view text, const std::string& fileName) {
  ResetForLoad(spectrum, fileName);
  KtsReader reader(spectrum, text);
  reader.Read();
  spectrum.softSize = std::max(spectrum.softSize, CSpectrum::kMinSize);
  if (spectrum.hardSize < CSpectrum::kMinSize) spectrum.hardSize = CSpectrum::kMaxSize;
  spectrum.DeriveHalfSelector();
  spectrum.SetSizes(spectrum.hardSize, spectrum.softSize, true);
  return reader.Verdict(fileName);
}

SpectrumFileStatus LoadSpectrumFile(CSpectrum& spectrum, const std::filesystem::path& path,
                                    KtsReading* reading) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return SpectrumFileStatus::kCannotOpen;
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return SpectrumFileStatus::kCannotOpen;
  // Enough for every line the reader looks at: its longest line, a
  // carriage return and a line feed each.
  constexpr std::size_t kMaxBytes = kKtsMaxLines * (kKtsLineLength + 2);
  std::string text;
  char block[64 * 1024];
  while (text.size() < kMaxBytes && file.read(block, sizeof block).gcount() > 0) {
    text.append(block, std::min(static_cast<std::size_t>(file.gcount()), kMaxBytes - text.size()));
  }
  CSpectrum loaded = spectrum;
  KtsReading read = ReadSpectrumText(loaded, text, path.filename().string());
  const bool refused = !read.refusal.empty();
  if (reading != nullptr) *reading = std::move(read);
  if (refused) return SpectrumFileStatus::kNotASpectrum;
  spectrum = std::move(loaded);
  return SpectrumFileStatus::kDone;
}

}  // namespace korva
