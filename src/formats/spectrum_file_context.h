#pragma once

#include <string>

#include "formats/kts_writer.h"
#include "formats/spectrum_csv.h"
#include "spectrum/acquisition_values.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// The acquisition's times and start stamp as the acquisition view decodes
// them from a spectrum's register copy: real, live and dead time
// (registers 56-61), the start date-time (registers 22 and 23) and the
// start-time label (register 16).
AcquisitionValues AcquisitionValuesOf(const CSpectrum& spectrum);

// The amplifier's input list text of the analyser input a spectrum's
// registers select, e.g. "PMT A - DPP".
std::string InputNameOf(const CSpectrum& spectrum);

// What the .kts writer and the CSV export write beside the record.
// `modelCode` is the instrument model the TDCR view last applied.
KtsWriteContext KtsContextOf(const CSpectrum& spectrum, std::uint16_t modelCode);
SpectrumCsvContext CsvContextOf(const CSpectrum& spectrum);

}  // namespace korva
