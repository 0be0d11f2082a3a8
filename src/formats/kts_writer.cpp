#include "formats/kts_writer.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "common/files_saved.h"
#include "common/safe_file_writer.h"
#include "devicelink/device_image.h"
#include "formats/kts_tag.h"
#include "spectrum/plain_number.h"

namespace korva {

namespace {

static_assert(kKtsPointLetters.size() == CalibrationRecord::kMaxPoints);

class KtsText {
 public:
  KtsText() { text_.reserve(std::size_t{64} * 1024); }

  void Line(std::string_view line) {
    text_ += line;
    text_ += '\n';
  }
  // "  <name>value</name>", indented by `indent` blanks.
  void Element(std::string_view name, std::string_view value, std::size_t indent = 2) {
    text_.append(indent, ' ');
    text_ += '<';
    text_ += name;
    text_ += '>';
    text_ += value;
    text_ += "</";
    text_ += name;
    text_ += ">\n";
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

std::string YesNo(std::int32_t flag) { return flag != 0 ? "YES" : "NO"; }

std::string SerialNumberText(std::uint16_t serialNumber) {
  char text[8];
  std::snprintf(text, sizeof text, "%05u", static_cast<unsigned>(serialNumber));
  return text;
}

void WriteSpectrum(KtsText& out, const CSpectrum& spectrum) {
  const std::size_t offset = spectrum.HalfOffset();
  out.Line("<spectrum>");
  out.Element("tag", KtsTagText(spectrum.tag));
  out.Element("hardsize", std::to_string(CSpectrum::kMaxSize));
  out.Element("softsize", std::to_string(spectrum.softSize));
  out.Element("offset", std::to_string(offset));
  out.Line("  <data>");
  // Formatted in place: a file has 4096 of these lines.
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    std::array<char, 16> line;  // "+", ten digits at most
    char* end = line.data();
    if (spectrum.roiMarks[i] != 0) *end++ = '+';
    end = std::to_chars(end, line.data() + line.size(), spectrum.image.spectrum[offset + i]).ptr;
    out.Line(std::string_view(line.data(), static_cast<std::size_t>(end - line.data())));
  }
  out.Line("  </data>");
  out.Line("</spectrum>");
}

void WriteTime(KtsText& out, const AcquisitionValues& acquisition) {
  out.Line("<time>");
  out.Element("real", FixedText(acquisition.realTime, 10, 4));
  out.Element("live", FixedText(acquisition.liveTime, 10, 4));
  out.Element("dead", FixedText(acquisition.deadPercent, 10, 4));
  out.Element("date", KtsTagText(acquisition.startDateTime));
  out.Line("</time>");
}

void WriteRegisters(KtsText& out, const CSpectrum& spectrum) {
  out.Line("<registers>");
  out.Element("size", std::to_string(spectrum.image.registers.size()));
  out.Line("  <data>");
  for (const std::uint16_t value : spectrum.image.registers) out.Line(std::to_string(value));
  out.Line("  </data>");
  out.Line("</registers>");
}

void WriteCalibration(KtsText& out, const CalibrationRecord& record) {
  out.Line("<calibration>");
  out.Element("enabled", YesNo(record.enabled));
  out.Element("units", std::to_string(record.units));
  for (std::size_t k = 0; k < record.UsablePointCount(); ++k) {
    const char letter = kKtsPointLetters[k];
    out.Element(std::string("channel") + letter, FixedText(record.channel[k], 10, 4));
    out.Element(std::string("energy") + letter, FixedText(record.energy[k], 10, 4));
    out.Element(std::string("use") + letter, std::to_string(record.use[k]));
  }
  out.Element("useall", YesNo(record.useAll));
  out.Line("</calibration>");
}

void WriteVolatile(KtsText& out, const DeviceImage& image) {
  out.Line("<volatile>");
  out.Element("firmware", FixedText(image.firmwareVersion / 100.0, 5, 2));
  out.Element("intemp", std::to_string(image.temperature));
  out.Element("slowadc", FixedText(image.slowAdc, 5, 2));
  out.Line("</volatile>");
}

}  // namespace

std::string KtsModelName(std::uint16_t modelCode) {
  return modelCode == DeviceImage::kModelCodeRQ3102 ? "Veltra RQ3102" : "Veltra RQ3101";
}

std::string KtsFileText(const CSpectrum& spectrum, const KtsWriteContext& context) {
  const std::string model = KtsModelName(context.modelCode);
  KtsText out;
  out.Line("<?xml version=\"1.0\"?>");
  out.Line("<" + model + ">");
  out.Element("serialnumber", SerialNumberText(spectrum.image.serialNumber), 1);
  WriteSpectrum(out, spectrum);
  WriteTime(out, context.acquisition);
  WriteRegisters(out, spectrum);
  WriteCalibration(out, spectrum.FileCalibration(spectrum.CurrentInput()));
  WriteVolatile(out, spectrum.image);
  out.Line("</" + model + ">");
  return out.Take();
}

SpectrumFileStatus SaveSpectrumFile(CSpectrum& spectrum, const std::filesystem::path& path,
                                    const KtsWriteContext& context) {
  SafeFileWriter writer(path);
  if (!writer.Open()) return SpectrumFileStatus::kCannotCreate;
  spectrum.hardSize = CSpectrum::kMaxSize;
  if (!writer.Write(KtsFileText(spectrum, context)) || !writer.Finish() || !writer.Commit()) {
    return SpectrumFileStatus::kWriteFailed;
  }
  AnnounceSavedFiles(SavedKind::kSpectrum, {path});
  return SpectrumFileStatus::kDone;
}

}  // namespace korva
