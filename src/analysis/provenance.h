#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korva {

class DeviceImage;
class TimeReferenceState;
struct TdcMeasurement;

// The instrument a result or a save came from, as it was read when the data
// were taken, and the clock their start times follow. Result files print
// it and the archive stores it with every entry. Empty texts are not known.
struct InstrumentProvenance {
  std::string model;  // "Veltra RQ3102"
  std::string serialNumber;
  std::string firmwareVersion;
  std::string fpgaVersion;
  // "UTC", "SYSTEM" or "LOCAL".
  std::string timeReference;
  // UTC only: the offset measured against the NTP server (computer clock
  // minus NTP time), and the server as the user named it.
  std::optional<double> ntpOffsetSeconds;
  std::string ntpServer;
};

// One file a result was computed from, with the SHA-256 of its bytes as
// lower-case hex (empty when the file could not be read).
struct ProvenanceInput {
  std::string path;
  std::string sha256;
};

// Where a result came from, as result files record it: the program's
// version, the instrument and clock, and the inputs.
struct Provenance {
  std::string programVersion;
  InstrumentProvenance instrument;
  std::vector<ProvenanceInput> inputs;
};

// The program's version; the instrument from a measurement file's header,
// the time reference from its first run's start-time label.
Provenance ProvenanceOf(const TdcMeasurement& measurement);
// The program's version; the instrument from an image (a spectrum's).
Provenance ProvenanceOf(const DeviceImage& image);

// The identity of the instrument whose registers `image` holds.
InstrumentProvenance InstrumentOf(const DeviceImage& image);

// The clock start stamps follow now: the reference's word and, for UTC, the
// offset and the server of the query it was chosen with.
void SetTimeReference(InstrumentProvenance& instrument, const TimeReferenceState& reference);

// Fills what `known` leaves empty from `fallback` (the connected instrument
// and the chosen time reference, for data that do not name them). An NTP
// offset and server are taken only for the same reference.
void FillInstrumentGaps(InstrumentProvenance& known, const InstrumentProvenance& fallback);

// "UTC" from "START TIME: UTC", and so on; empty for any other label.
std::string TimeReferenceOfLabel(const std::string& label);

// The block a plain-text report ends with: a "Provenance" heading and one
// "name: value" line each.
std::string ProvenanceText(const Provenance& provenance);

}  // namespace korva
