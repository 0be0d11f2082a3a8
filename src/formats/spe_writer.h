#pragma once

#include <filesystem>
#include <string>

#include "formats/spectrum_exchange.h"
#include "formats/spectrum_file_status.h"

namespace korva {

// The IAEA SPE text of one spectrum: $SPEC_ID (the tag), $SPEC_REM (the
// instrument, the input and the remarks), $DATE_MEA (mm/dd/yyyy hh:mm:ss of
// the start, when there is one), $MEAS_TIM (live real), $DATA (first and
// last channel, then one count a line), and $ENER_FIT (offset slope) and
// $MCA_CAL (the three keV coefficients) when the spectrum is calibrated.
// Lines end with CR LF, as the format's own readers expect.
std::string SpeFileText(const ExchangeSpectrum& spectrum);

// Writes the text through a temporary file renamed into place.
SpectrumFileStatus SaveSpeFile(const ExchangeSpectrum& spectrum, const std::filesystem::path& path);

}  // namespace korva
