#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korva {

class DeviceImage;
struct TdcMeasurement;

// One file a result was computed from, with the SHA-256 of its bytes as
// lower-case hex (empty when the file could not be read).
struct ProvenanceInput {
  std::string path;
  std::string sha256;
};

// Where a result came from, as result files record it: the program's
// version, the instrument's identity as it was read when the data were
// taken, the clock the start times follow and the inputs.
struct Provenance {
  std::string programVersion;
  std::string instrumentModel;
  std::string serialNumber;
  std::string firmwareVersion;
  std::string fpgaVersion;
  // "UTC", "SYSTEM" or "LOCAL"; empty when the data do not say.
  std::string timeReference;
  // The measured offset of a UTC reference, and the server it came from
  // when that is known.
  std::optional<double> ntpOffsetSeconds;
  std::string ntpServer;
  std::vector<ProvenanceInput> inputs;
};

// The program's version; the instrument from a measurement file's header,
// the time reference from its first run's start-time label.
Provenance ProvenanceOf(const TdcMeasurement& measurement);
// The program's version; the instrument from an image (a spectrum's).
Provenance ProvenanceOf(const DeviceImage& image);

// "UTC" from "START TIME: UTC", and so on; empty for any other label.
std::string TimeReferenceOfLabel(const std::string& label);

// The block a plain-text report ends with: a "Provenance" heading and one
// "name: value" line each.
std::string ProvenanceText(const Provenance& provenance);

}  // namespace korva
