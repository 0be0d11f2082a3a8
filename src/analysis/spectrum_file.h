#pragma once

#include <filesystem>
#include <string_view>

#include "analysis/checked.h"
#include "decay/nuclide.h"

namespace korva {

// A user's tabulated beta spectrum, as a beta-spectrum code writes it: two
// columns per line, the kinetic energy in keV and the probability density
// (any normalisation), separated by blanks, tabs, "," or ";"; "#" starts a
// comment. Energies rise strictly from 0 or more; densities are finite and
// not negative, and not all 0. Faults name the file and line.
Checked<TabulatedSpectrum> ReadSpectrumText(std::string_view text, std::string_view fileName);

// A nuclide with that spectrum as its one branch, under `name`, with the
// half-life (and its standard uncertainty) of the nuclide it belongs to.
Nuclide NuclideWithSpectrum(TabulatedSpectrum spectrum, std::string name, std::string file,
                            double halfLifeSeconds, double halfLifeUncertaintySeconds);

// The nuclide of a user's spectrum file: `halfLife` is the name of a known
// nuclide (its half-life and name are taken) or a half-life as the nuclide
// files write it, "VALUE [UNCERTAINTY] UNIT" (the nuclide is then named
// after the file). Failures name the file, its line or the half-life.
Checked<Nuclide> LoadOwnSpectrum(const std::filesystem::path& file, std::string_view halfLife);

}  // namespace korva
