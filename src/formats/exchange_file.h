#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "formats/spectrum_exchange.h"
#include "formats/spectrum_file_status.h"

namespace korva {

// The spectrum files other programs read and write.
enum class ExchangeFormat {
  kNone,  // a .kts file, or anything else "Open Spectrum" reads as one
  kN42,   // N42.42 (2012), ".n42"
  kSpe,   // IAEA SPE, ".spe"
};

// The format a file name's extension (any case) says.
ExchangeFormat ExchangeFormatOf(const std::filesystem::path& path);

// "Open Spectrum" for every format: a .n42 or .spe file is imported into
// the file spectrum, anything else is read as a .kts file. Returns the
// message to show when the file was not read (empty when it was; a file
// that cannot be opened gets the system's reason on a second line); the
// record is then left as it was. `notes`, when given, receives what the
// .kts reader clamped.
std::string LoadAnySpectrumFile(CSpectrum& spectrum, const std::filesystem::path& path,
                                std::vector<std::string>* notes = nullptr);

// Writes `spectrum` as an N42 or SPE file (never kNone).
SpectrumFileStatus SaveExchangeFile(const ExchangeSpectrum& spectrum, ExchangeFormat format,
                                    const std::filesystem::path& path);

}  // namespace korva
