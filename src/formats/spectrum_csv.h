#pragma once

#include <filesystem>
#include <string>

#include "formats/spectrum_file_status.h"
#include "spectrum/acquisition_values.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// What the CSV export writes besides the counts.
struct SpectrumCsvContext {
  // The amplifier's input list text of the current input, e.g. "PMT A - DPP".
  std::string inputName;
  AcquisitionValues acquisition;
};

// Export Spectrum To > CSV File > "Hard Size" (`hardSize` true) or "Soft
// Size": a short header, then one "index, counts" row per channel of the
// spectrum (hard size rows) or per sum of the compressed spectrum (soft size
// rows), every line ended by one line feed.
//
// Both sizes are first held within 512-4096 (and stored back), and the
// compressed spectrum is rebuilt from the counts as they are now, so the
// sums are current even where no window keeps them up to date.
std::string SpectrumCsvText(CSpectrum& spectrum, bool hardSize, const SpectrumCsvContext& context);

// Writes the CSV file; it replaces the file at `path` only once all of it is
// on the disk, and on any failure an earlier file there is left as it was.
SpectrumFileStatus ExportSpectrumCsv(CSpectrum& spectrum, const std::filesystem::path& path, bool hardSize,
                                     const SpectrumCsvContext& context);

}  // namespace korva
