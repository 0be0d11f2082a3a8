#include "formats/spe_writer.h"

#include "common/files_saved.h"
#include "common/format_text.h"
#include "common/safe_file_writer.h"

namespace korva {

namespace {

constexpr const char* kLineEnd = "\r\n";

class SpeText {
 public:
  void Line(std::string_view line) {
    text_ += line;
    text_ += kLineEnd;
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

// A free text kept to one line that cannot start a block.
std::string FreeTextLine(std::string_view text) {
  std::string line;
  for (const char c : text) line += c == '\r' || c == '\n' ? ' ' : c;
  if (line.starts_with('$')) line.insert(0, 1, ' ');
  return line;
}

void WriteRemarks(SpeText& out, const ExchangeSpectrum& spectrum) {
  out.Line("$SPEC_REM:");
  out.Line(FreeTextLine(spectrum.maker + " " + spectrum.model + ", serial number " + spectrum.serialNumber +
                        ", firmware " + spectrum.firmwareVersion + ", FPGA " + spectrum.fpgaVersion));
  out.Line(FreeTextLine("Analyser input: " + spectrum.inputName));
  for (const std::string& remark : ExchangeRemarks(spectrum)) out.Line(FreeTextLine(remark));
}

void WriteCalibration(SpeText& out, const KeVPolynomial& keV) {
  out.Line("$ENER_FIT:");
  out.Line(RoundTripText(keV[0]) + " " + RoundTripText(keV[1]));
  out.Line("$MCA_CAL:");
  out.Line("3");
  out.Line(RoundTripText(keV[0]) + " " + RoundTripText(keV[1]) + " " + RoundTripText(keV[2]) + " keV");
}

}  // namespace

std::string SpeFileText(const ExchangeSpectrum& spectrum) {
  SpeText out;
  out.Line("$SPEC_ID:");
  out.Line(FreeTextLine(spectrum.tag));
  WriteRemarks(out, spectrum);
  if (spectrum.start) {
    const CalendarTime& t = spectrum.start->wall;
    out.Line("$DATE_MEA:");
    out.Line(FormatText("%02u/%02u/%04u %02u:%02u:%02u", unsigned{t.month}, unsigned{t.day}, unsigned{t.year},
                        unsigned{t.hour}, unsigned{t.minute}, unsigned{t.second}));
  }
  out.Line("$MEAS_TIM:");
  out.Line(ExactSecondsText(spectrum.liveSeconds) + " " + ExactSecondsText(spectrum.realSeconds));
  out.Line("$DATA:");
  out.Line("0 " + std::to_string(spectrum.counts.empty() ? 0 : spectrum.counts.size() - 1));
  for (const std::uint32_t count : spectrum.counts) out.Line(std::to_string(count));
  if (spectrum.calibration) WriteCalibration(out, *spectrum.calibration);
  return out.Take();
}

SpectrumFileStatus SaveSpeFile(const ExchangeSpectrum& spectrum, const std::filesystem::path& path) {
  SafeFileWriter writer(path);
  if (!writer.Open()) return SpectrumFileStatus::kCannotCreate;
  if (!writer.Write(SpeFileText(spectrum)) || !writer.Finish() || !writer.Commit()) {
    return SpectrumFileStatus::kWriteFailed;
  }
  AnnounceSavedFiles(SavedKind::kSpectrumExport, {path});
  return SpectrumFileStatus::kDone;
}

}  // namespace korva
