#pragma once

#include <cstdint>

#include "formats/exchange_file.h"
#include "formats/spectrum_file_dialogs.h"
#include "spectrum/spectrum_record.h"

namespace korva {

class Prompt;

inline constexpr const char* kOverwriteQuestion = "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?";

// "Open Spectrum": asks for a file and reads it into the file spectrum
// (a .n42 or .spe file is imported, anything else read as .kts).
// Returns true when a file was read; showing the FILE tab at soft size
// 4096 and activating it are the window's. A file that cannot be opened or
// read is reported through `prompt` and leaves the record as it was.
bool OpenSpectrum(CSpectrum& file, SpectrumFileDialogs& dialogs, Prompt& prompt);

// "Save Spectrum As..." on the active spectrum: asks for the target
// (".kts" added to a name without an extension), asks before replacing an
// existing file, asks for the tag (Cancel gives the acquisition's start
// date-time as the tag) and writes the file. Returns true when written;
// a failure is reported through `prompt`.
bool SaveSpectrumAs(CSpectrum& active, std::uint16_t modelCode, SpectrumFileDialogs& dialogs, Prompt& prompt);

// Export Spectrum To > CSV File > "Hard Size" (`hardSize`) or "Soft Size":
// the same questions, then the CSV export of the active spectrum.
bool ExportSpectrumAs(CSpectrum& active, bool hardSize, SpectrumFileDialogs& dialogs, Prompt& prompt);

// Export Spectrum To > "N42..." or "IAEA SPE..." (`format`): the same
// questions (".n42" or ".spe" added to a name without an extension), then
// the exchange file of the active spectrum.
bool ExportSpectrumExchange(CSpectrum& active, ExchangeFormat format, const ExchangeContext& context,
                            SpectrumFileDialogs& dialogs, Prompt& prompt);

}  // namespace korva
