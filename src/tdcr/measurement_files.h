#pragma once

#include <string>

#include "tdcr/measurement_snapshot.h"

namespace korva {

// The three measurement files of one snapshot, byte for byte, with CR LF
// line ends. Every number is the text the TDCR views showed.

// The report: settings, then every counter, rate and live time of each run.
std::string TdcFileText(const MeasurementSnapshot& snapshot);
// The start, the settings, and one row of coincidence rates per run.
std::string CsvFileText(const MeasurementSnapshot& snapshot);
// Root element Veltra_Measurement: the start, the hardware, the settings,
// every run, and a dump of the register image.
std::string XmlFileText(const MeasurementSnapshot& snapshot);

}  // namespace korva
