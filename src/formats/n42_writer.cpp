#include "formats/n42_writer.h"

#include <cstdint>

#include "common/files_saved.h"
#include "common/format_text.h"
#include "common/program_version.h"
#include "common/safe_file_writer.h"
#include "common/xml_text.h"

namespace korva {

namespace {

constexpr const char* kN42Namespace = "http://physics.nist.gov/N42/2011/N42";
constexpr const char* kDetectorId = "RadDetectorInformation-1";
constexpr const char* kCalibrationId = "EnergyCalibration-1";
constexpr std::size_t kCountsPerLine = 16;

class N42Text {
 public:
  void Open(std::string_view element, std::size_t depth, std::string_view attributes = {}) {
    text_.append(2 * depth, ' ');
    text_ += '<';
    text_ += element;
    if (!attributes.empty()) text_ += ' ';
    text_ += attributes;
    text_ += ">\n";
  }
  void Close(std::string_view element, std::size_t depth) {
    text_.append(2 * depth, ' ');
    text_ += "</";
    text_ += element;
    text_ += ">\n";
  }
  void Element(std::string_view element, std::string_view value, std::size_t depth) {
    text_.append(2 * depth, ' ');
    text_ += '<';
    text_ += element;
    text_ += '>';
    text_ += XmlElementText(value);
    text_ += "</";
    text_ += element;
    text_ += ">\n";
  }
  void Raw(std::string_view text) { text_ += text; }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

// A document id in the UUID form the schema asks for, derived from the
// document's content so the same spectrum always gives the same id.
std::string DocumentId(std::string_view content) {
  std::uint64_t high = 14695981039346656037ull;
  std::uint64_t low = 1099511628211ull * 31;
  for (const char c : content) {
    high = (high ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    low = (low ^ static_cast<unsigned char>(c)) * 0x100000001b3ull + 7;
  }
  return FormatText("%08x-%04x-4%03x-8%03x-%012llx", static_cast<unsigned>(high >> 32),
                    static_cast<unsigned>(high >> 16 & 0xFFFF), static_cast<unsigned>(high & 0xFFF),
                    static_cast<unsigned>(low >> 52 & 0xFFF),
                    static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
}

void WriteVersion(N42Text& out, std::string_view component, std::string_view version) {
  out.Open("RadInstrumentVersion", 2);
  out.Element("RadInstrumentComponentName", component, 3);
  out.Element("RadInstrumentComponentVersion", version, 3);
  out.Close("RadInstrumentVersion", 2);
}

void WriteInstrument(N42Text& out, const ExchangeSpectrum& spectrum, const std::string& creator) {
  out.Open("RadInstrumentInformation", 1, "id=\"RadInstrumentInformation-1\"");
  out.Element("RadInstrumentManufacturerName", spectrum.maker, 2);
  out.Element("RadInstrumentIdentifier", spectrum.serialNumber, 2);
  out.Element("RadInstrumentModelName", spectrum.model, 2);
  out.Element("RadInstrumentDescription", "Digital TDCR liquid-scintillation counter", 2);
  out.Element("RadInstrumentClassCode", "Other", 2);
  WriteVersion(out, "Firmware", spectrum.firmwareVersion);
  WriteVersion(out, "FPGA", spectrum.fpgaVersion);
  WriteVersion(out, "Software", creator);
  out.Close("RadInstrumentInformation", 1);
}

void WriteDetector(N42Text& out, const ExchangeSpectrum& spectrum) {
  out.Open("RadDetectorInformation", 1, std::string("id=\"") + kDetectorId + "\"");
  out.Element("RadDetectorCategoryCode", "Beta", 2);
  out.Element("RadDetectorKindCode", "Other", 2);
  out.Element("RadDetectorDescription", "Liquid scintillator, analyser input " + spectrum.inputName, 2);
  out.Close("RadDetectorInformation", 1);
}

void WriteCalibration(N42Text& out, const KeVPolynomial& keV) {
  out.Open("EnergyCalibration", 1, std::string("id=\"") + kCalibrationId + "\"");
  out.Element("CoefficientValues",
              RoundTripText(keV[0]) + " " + RoundTripText(keV[1]) + " " + RoundTripText(keV[2]), 2);
  out.Close("EnergyCalibration", 1);
}

void WriteChannelData(N42Text& out, const std::vector<std::uint32_t>& counts) {
  out.Raw("      <ChannelData compressionCode=\"None\">");
  for (std::size_t i = 0; i < counts.size(); ++i) {
    out.Raw(i % kCountsPerLine == 0 ? "\n        " : " ");
    out.Raw(std::to_string(counts[i]));
  }
  out.Raw("\n      </ChannelData>\n");
}

void WriteMeasurement(N42Text& out, const ExchangeSpectrum& spectrum) {
  out.Open("RadMeasurement", 1, "id=\"RadMeasurement-1\"");
  for (const std::string& remark : ExchangeRemarks(spectrum)) out.Element("Remark", remark, 2);
  out.Element("MeasurementClassCode", "Foreground", 2);
  if (spectrum.start) out.Element("StartDateTime", IsoDateTimeText(*spectrum.start), 2);
  out.Element("RealTimeDuration", IsoDurationText(spectrum.realSeconds), 2);
  std::string references =
      std::string("id=\"Spectrum-1\" radDetectorInformationReference=\"") + kDetectorId + "\"";
  if (spectrum.calibration)
    references += std::string(" energyCalibrationReference=\"") + kCalibrationId + "\"";
  out.Open("Spectrum", 2, references);
  out.Element("LiveTimeDuration", IsoDurationText(spectrum.liveSeconds), 3);
  WriteChannelData(out, spectrum.counts);
  out.Close("Spectrum", 2);
  out.Close("RadMeasurement", 1);
}

}  // namespace

std::string N42FileText(const ExchangeSpectrum& spectrum, const std::string& creator) {
  N42Text body;
  body.Element("RadInstrumentDataCreatorName", creator, 1);
  WriteInstrument(body, spectrum, creator);
  WriteDetector(body, spectrum);
  if (spectrum.calibration) WriteCalibration(body, *spectrum.calibration);
  WriteMeasurement(body, spectrum);
  const std::string content = body.Take();
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<RadInstrumentData xmlns=\"") +
         kN42Namespace + "\" n42DocUUID=\"" + DocumentId(content) + "\">\n" + content +
         "</RadInstrumentData>\n";
}

SpectrumFileStatus SaveN42File(const ExchangeSpectrum& spectrum, const std::filesystem::path& path) {
  SafeFileWriter writer(path);
  if (!writer.Open()) return SpectrumFileStatus::kCannotCreate;
  const std::string text = N42FileText(spectrum, "Korva-TDCR " + ProgramVersionText());
  if (!writer.Write(text) || !writer.Finish() || !writer.Commit()) return SpectrumFileStatus::kWriteFailed;
  AnnounceSavedFiles(SavedKind::kSpectrumExport, {path});
  return SpectrumFileStatus::kDone;
}

}  // namespace korva
