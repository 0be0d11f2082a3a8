#include "analysis/provenance.h"

#include "common/program_version.h"
#include "devicelink/hardware_identity.h"
#include "spectrum/iso_time_text.h"
#include "spectrum/spectrum_exchange.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva {

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string()
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

Provenance ProvenanceOf(const TdcMeasurement& measurement) {
  const TdcHeader& header = measurement.header;
  Provenance provenance;
  if (!measurement.runs.empty())
    provenance.timeReference = TimeReferenceOfLabel(measurement.runs.front().startLabel);
  provenance.programVersion = ProgramVersionText();
  provenance.instrumentModel = Trimmed(header.hardware);
  provenance.serialNumber = Trimmed(header.serialNumber);
  provenance.firmwareVersion = Trimmed(header.firmware);
  provenance.fpgaVersion = Trimmed(header.fpga);
  return provenance;
}

Provenance ProvenanceOf(const DeviceImage& image) {
  Provenance provenance;
  provenance.programVersion = ProgramVersionText();
  provenance.instrumentModel = ModelName(image);
  provenance.serialNumber = SerialNumberText(image);
  provenance.firmwareVersion = Trimmed(FirmwareVersionText(image));
  provenance.fpgaVersion = Trimmed(FpgaVersionText(image));
  return provenance;
}

std::string TimeReferenceOfLabel(const std::string& label) {
  for (const char* reference : {"UTC", "SYSTEM", "LOCAL"}) {
    if (label == std::string("START TIME: ") + reference) return reference;
  }
  return {};
}

std::string ProvenanceText(const Provenance& provenance) {
  auto known = [](const std::string& text) { return text.empty() ? std::string("not known") : text; };
  std::string text = "Provenance\n";
  text += "Program version: " + provenance.programVersion + "\n";
  text += "Instrument: " + known(provenance.instrumentModel) + ", serial number " +
          known(provenance.serialNumber) + ", firmware " + known(provenance.firmwareVersion) + ", FPGA " +
          known(provenance.fpgaVersion) + "\n";
  text += "Time reference: " + known(provenance.timeReference);
  if (provenance.ntpOffsetSeconds) {
    text += ", NTP offset " + RoundTripText(*provenance.ntpOffsetSeconds) + " s from " +
            known(provenance.ntpServer);
  }
  text += "\n";
  for (const ProvenanceInput& input : provenance.inputs) {
    text += "Input: " + input.path + ", SHA-256 " + known(input.sha256) + "\n";
  }
  return text;
}

}  // namespace korva
