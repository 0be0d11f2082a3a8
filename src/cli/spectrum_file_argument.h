#pragma once

#include <string>

namespace korva {

class CSpectrum;

// Loads the spectrum file a command was given (.kts, .n42 or .spe), as
// "Open Spectrum" loads it.
// On failure tells the user why on stderr and returns false.
bool LoadSpectrumArgument(CSpectrum& spectrum, const std::string& path);

}  // namespace korva
