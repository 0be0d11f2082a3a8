#include "analysis/provenance.h"

#include "common/program_version.h"
#include "common/trimmed.h"
#include "devicelink/hardware_identity.h"
#include "formats/spectrum_exchange.h"
#include "tdcr/measurement_tdc_reader.h"
#include "timesync/time_reference.h"

namespace korva {

namespace {

void FillGap(std::string& value, const std::string& fallback) {
  if (value.empty()) value = fallback;
}

}  // namespace

Provenance ProvenanceOf(const TdcMeasurement& measurement) {
  const TdcHeader& header = measurement.header;
  Provenance provenance;
  provenance.programVersion = ProgramVersionText();
  InstrumentProvenance& instrument = provenance.instrument;
  instrument.model = Trimmed(header.hardware);
  instrument.serialNumber = Trimmed(header.serialNumber);
  instrument.firmwareVersion = Trimmed(header.firmware);
  instrument.fpgaVersion = Trimmed(header.fpga);
  if (!measurement.runs.empty())
    instrument.timeReference = TimeReferenceOfLabel(measurement.runs.front().startLabel);
  return provenance;
}

Provenance ProvenanceOf(const DeviceImage& image) {
  Provenance provenance;
  provenance.programVersion = ProgramVersionText();
  provenance.instrument = InstrumentOf(image);
  return provenance;
}

InstrumentProvenance InstrumentOf(const DeviceImage& image) {
  InstrumentProvenance instrument;
  instrument.model = ModelName(image);
  instrument.serialNumber = SerialNumberText(image);
  instrument.firmwareVersion = Trimmed(FirmwareVersionText(image));
  instrument.fpgaVersion = Trimmed(FpgaVersionText(image));
  return instrument;
}

void SetTimeReference(InstrumentProvenance& instrument, const TimeReferenceState& reference) {
  instrument.timeReference = TimeReferenceOfLabel(reference.Label());
  instrument.ntpOffsetSeconds.reset();
  instrument.ntpServer.clear();
  if (!reference.IsUtc()) return;
  instrument.ntpOffsetSeconds = reference.ClockOffset();
  instrument.ntpServer = reference.NtpServer();
}

void FillInstrumentGaps(InstrumentProvenance& known, const InstrumentProvenance& fallback) {
  FillGap(known.model, fallback.model);
  FillGap(known.serialNumber, fallback.serialNumber);
  FillGap(known.firmwareVersion, fallback.firmwareVersion);
  FillGap(known.fpgaVersion, fallback.fpgaVersion);
  FillGap(known.timeReference, fallback.timeReference);
  // An offset belongs to a UTC stamp taken with the same reference only.
  if (!known.ntpOffsetSeconds && known.timeReference == fallback.timeReference) {
    known.ntpOffsetSeconds = fallback.ntpOffsetSeconds;
    FillGap(known.ntpServer, fallback.ntpServer);
  }
}

std::string TimeReferenceOfLabel(const std::string& label) {
  for (const char* reference : {"UTC", "SYSTEM", "LOCAL"}) {
    if (label == std::string("START TIME: ") + reference) return reference;
  }
  return {};
}

std::string ProvenanceText(const Provenance& provenance) {
  auto known = [](const std::string& text) { return text.empty() ? std::string("not known") : text; };
  const InstrumentProvenance& instrument = provenance.instrument;
  std::string text = "Provenance\n";
  text += "Program version: " + provenance.programVersion + "\n";
  text += "Instrument: " + known(instrument.model) + ", serial number " + known(instrument.serialNumber) +
          ", firmware " + known(instrument.firmwareVersion) + ", FPGA " + known(instrument.fpgaVersion) +
          "\n";
  text += "Time reference: " + known(instrument.timeReference);
  if (instrument.ntpOffsetSeconds) {
    text += ", NTP offset " + RoundTripText(*instrument.ntpOffsetSeconds) + " s from " +
            known(instrument.ntpServer);
  }
  text += "\n";
  for (const ProvenanceInput& input : provenance.inputs) {
    text += "Input: " + input.path + ", SHA-256 " + known(input.sha256) + "\n";
  }
  return text;
}

}  // namespace korva
