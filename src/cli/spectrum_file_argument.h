#pragma once

#include <string>

namespace korva {

class CSpectrum;

// Loads the .kts file a command was given, as "Open Spectrum" loads it.
// On failure tells the user why on stderr and returns false.
bool LoadSpectrumArgument(CSpectrum& spectrum, const std::string& path);

}  // namespace korva
