#pragma once

#include <string>

#include "analysis/nuclide_library.h"
#include "decay/nuclide.h"

namespace korva {

// "12.312 a", "87.37 d": a half-life in the unit it reads best in.
std::string HalfLifeText(double seconds);

// One line a chooser shows for a nuclide: "Sr-90+Y-90  beta- (2 branches)  DDEP".
std::string NuclideChoiceText(const Nuclide& nuclide);

// The library as a table: name, decay mode, half-life, source, data file
// and version, one nuclide a line, then the files that could not be read.
std::string NuclideListText(const NuclideLibrary& library);

}  // namespace korva
