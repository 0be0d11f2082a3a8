#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "formats/spectrum_file_status.h"
#include "spectrum/acquisition_values.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// What a .kts file carries besides the spectrum record.
struct KtsWriteContext {
  // The model code the TDCR view last applied (register 15 bits 12-15).
  std::uint16_t modelCode = 0;
  AcquisitionValues acquisition;
};

// "Veltra RQ3102" for model code 3, else "Veltra RQ3101": the root element
// of the file (a name with a blank in it).
std::string KtsModelName(std::uint16_t modelCode);

// The whole .kts text of a spectrum, every line ended by one line feed: all
// 4096 channels of the selected half with their ROI marks (offset 0 for the
// lower half, 4096 for the upper), the acquisition times, the register
// copy, the set-1 calibration of the analyser input the register copy
// selects, and the instrument's status values. The hard size written is
// always 4096.
//
// The use flags of the calibration points are written as the record holds
// them: the calibration view copies its list's check states into both sets
// before a save.
std::string KtsFileText(const CSpectrum& spectrum, const KtsWriteContext& context);

// "Save Spectrum As...": sets the hard size to 4096 and writes the file.
// The text replaces the file at `path` only once all of it is on the disk;
// on any failure an earlier file there is left as it was.
SpectrumFileStatus SaveSpectrumFile(CSpectrum& spectrum, const std::filesystem::path& path,
                                    const KtsWriteContext& context);

}  // namespace korva
