#pragma once

#include <filesystem>
#include <string>

#include "formats/spectrum_exchange.h"
#include "formats/spectrum_file_status.h"

namespace korva {

// The N42.42 (2012) document of one spectrum, in the schema's element order:
// the instrument with its firmware, FPGA and program versions, one detector
// for the analyser input, the energy calibration as keV coefficients when
// the spectrum has one, and one measurement holding the tag, the time
// reference and the NTP offset as remarks, the start, the real and live
// times and all channels. `creator` names the program that wrote it.
std::string N42FileText(const ExchangeSpectrum& spectrum, const std::string& creator);

// Writes the document through a temporary file renamed into place.
SpectrumFileStatus SaveN42File(const ExchangeSpectrum& spectrum, const std::filesystem::path& path);

}  // namespace korva
