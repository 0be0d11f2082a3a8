#include "formats/n42_reader.h"

#include <cmath>

#include "common/trimmed.h"
#include "formats/xml_tree.h"
#include "spectrum/plain_number.h"

namespace korva {

namespace {

// Channels an expanded spectrum may reach; the record's own limit is
// checked where the spectrum is loaded.
constexpr double kMaxExpandedChannels = 1 << 20;

std::string ChildText(const XmlElement& element, std::string_view name) {
  const XmlElement* child = element.Child(name);
  return child ? std::string(Trimmed(child->text)) : std::string();
}

// The blank-separated numbers of a list value; none when one is no number.
std::optional<std::vector<double>> Numbers(std::string_view text) {
  std::vector<double> numbers;
  std::size_t at = 0;
  while (true) {
    at = text.find_first_not_of(" \t\r\n", at);
    if (at == std::string_view::npos) return numbers;
    const std::size_t end = std::min(text.find_first_of(" \t\r\n", at), text.size());
    const std::string_view word = text.substr(at, end - at);
    const double value = LeadingReal(word);
    const std::string_view allowed = "+-.0123456789eE";
    if (word.find_first_not_of(allowed) != std::string_view::npos || !std::isfinite(value))
      return std::nullopt;
    numbers.push_back(value);
    at = end;
  }
}

std::string ReadChannels(const XmlElement& channelData, std::vector<std::uint32_t>& counts) {
  const std::optional<std::vector<double>> values = Numbers(channelData.text);
  if (!values) return "ChannelData holds something other than numbers";
  const bool countedZeroes = channelData.Attribute("compressionCode") == "CountedZeroes";
  for (std::size_t i = 0; i < values->size(); ++i) {
    const double value = (*values)[i];
    if (value < 0 || value > 4294967295.0 || value != std::floor(value)) {
      return "ChannelData holds a count that is negative, fractional or too large";
    }
    if (countedZeroes && value == 0) {
      const double zeroes = i + 1 < values->size() ? (*values)[++i] : -1;
      if (zeroes < 0 || zeroes != std::floor(zeroes) ||
          static_cast<double>(counts.size()) + zeroes > kMaxExpandedChannels) {
        return "ChannelData has a broken run of zeroes";
      }
      counts.insert(counts.end(), static_cast<std::size_t>(zeroes), 0);
      continue;
    }
    counts.push_back(static_cast<std::uint32_t>(value));
  }
  return {};
}

void ReadInstrument(const XmlElement& information, ExchangeSpectrum& spectrum) {
  spectrum.maker = ChildText(information, "RadInstrumentManufacturerName");
  spectrum.model = ChildText(information, "RadInstrumentModelName");
  spectrum.serialNumber = ChildText(information, "RadInstrumentIdentifier");
  for (const XmlElement* version : information.ChildrenNamed("RadInstrumentVersion")) {
    const std::string component = ChildText(*version, "RadInstrumentComponentName");
    if (component == "Firmware")
      spectrum.firmwareVersion = ChildText(*version, "RadInstrumentComponentVersion");
    if (component == "FPGA") spectrum.fpgaVersion = ChildText(*version, "RadInstrumentComponentVersion");
  }
}

// The analyser input this program's export names in the detector's
// description ("Liquid scintillator, analyser input PMT A+B+C-DPP").
void ReadDetector(const XmlElement& detector, ExchangeSpectrum& spectrum) {
  constexpr std::string_view kInputPart = "analyser input ";
  const std::string description = ChildText(detector, "RadDetectorDescription");
  const std::size_t at = description.find(kInputPart);
  if (at != std::string::npos) spectrum.inputName = description.substr(at + kInputPart.size());
}

const XmlElement* CalibrationFor(const XmlElement& root, const XmlElement& spectrum) {
  const std::vector<const XmlElement*> calibrations = root.ChildrenNamed("EnergyCalibration");
  const std::string reference = spectrum.Attribute("energyCalibrationReference");
  for (const XmlElement* calibration : calibrations) {
    if (!reference.empty() && calibration->Attribute("id") == reference) return calibration;
  }
  return calibrations.size() == 1 ? calibrations.front() : nullptr;
}

std::string ReadCalibration(const XmlElement* calibration, ExchangeSpectrum& spectrum) {
  const XmlElement* coefficients = calibration ? calibration->Child("CoefficientValues") : nullptr;
  if (!coefficients) return {};
  const std::optional<std::vector<double>> values = Numbers(coefficients->text);
  if (!values || values->empty()) return "CoefficientValues holds no coefficients";
  if (values->size() > 3) {
    for (std::size_t k = 3; k < values->size(); ++k) {
      if ((*values)[k] != 0.0) return "the energy calibration has terms beyond channel squared";
    }
  }
  KeVPolynomial keV{};
  for (std::size_t k = 0; k < std::min<std::size_t>(values->size(), 3); ++k) keV[k] = (*values)[k];
  spectrum.calibration = keV;
  return {};
}

std::string ReadTimes(const XmlElement& measurement, const XmlElement& spectrumElement,
                      ExchangeSpectrum& spectrum) {
  if (const XmlElement* start = measurement.Child("StartDateTime")) {
    spectrum.start = ParseIsoDateTime(Trimmed(start->text));
    if (!spectrum.start) return "StartDateTime is not a date-time";
  }
  const std::optional<double> real = ParseIsoDuration(ChildText(measurement, "RealTimeDuration"));
  if (!real) return "RealTimeDuration is missing or not a duration";
  spectrum.realSeconds = *real;
  const std::string live = ChildText(spectrumElement, "LiveTimeDuration");
  const std::optional<double> liveSeconds = live.empty() ? real : ParseIsoDuration(live);
  if (!liveSeconds) return "LiveTimeDuration is not a duration";
  spectrum.liveSeconds = *liveSeconds;
  return {};
}

// The first measurement with a spectrum, and that spectrum.
std::pair<const XmlElement*, const XmlElement*> FirstSpectrum(const XmlElement& root) {
  for (const XmlElement* measurement : root.ChildrenNamed("RadMeasurement")) {
    if (const XmlElement* spectrum = measurement->Child("Spectrum")) return {measurement, spectrum};
  }
  return {nullptr, nullptr};
}

}  // namespace

ExchangeRead ReadN42Text(std::string_view text) {
  XmlParse parse = ParseXmlTree(text);
  if (!parse.root) return {std::nullopt, "not an XML document: " + parse.error};
  const XmlElement& root = *parse.root;
  if (root.name != "RadInstrumentData")
    return {std::nullopt, "not an N42 document: the root is <" + root.name + ">"};
  const auto [measurement, spectrumElement] = FirstSpectrum(root);
  if (!measurement) return {std::nullopt, "the N42 document holds no spectrum"};
  const XmlElement* channelData = spectrumElement->Child("ChannelData");
  if (!channelData) return {std::nullopt, "the spectrum has no ChannelData"};

  ExchangeSpectrum spectrum;
  if (const XmlElement* information = root.Child("RadInstrumentInformation"))
    ReadInstrument(*information, spectrum);
  if (const XmlElement* detector = root.Child("RadDetectorInformation")) ReadDetector(*detector, spectrum);
  for (const XmlElement* remark : measurement->ChildrenNamed("Remark"))
    ApplyExchangeRemark(spectrum, Trimmed(remark->text));
  std::string error = ReadChannels(*channelData, spectrum.counts);
  if (error.empty()) error = ReadTimes(*measurement, *spectrumElement, spectrum);
  if (error.empty()) error = ReadCalibration(CalibrationFor(root, *spectrumElement), spectrum);
  if (!error.empty()) return {std::nullopt, error};
  return {std::move(spectrum), {}};
}

}  // namespace korva
