#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decay/nuclide.h"

namespace korva {

// The nuclides of a data directory: one file per nuclide, named
// "<anything>.nuclide", read in the order of their mass numbers and names.
// A file that cannot be read is left out and named in `problems`; so is a
// second file with a name already known.
struct NuclideLibrary {
  std::filesystem::path directory;
  std::vector<Nuclide> nuclides;
  std::vector<std::string> problems;
};

NuclideLibrary LoadNuclideLibrary(const std::filesystem::path& directory);

// Where the program's nuclide files are: share/korva-tdcr/nuclides beside
// the installed program (../share from its bin directory), else the source
// tree's data/nuclides when the program runs from its build tree. Adding a
// file there adds a nuclide without a rebuild.
std::filesystem::path NuclideDataDirectory();

// The program's library, loaded once from NuclideDataDirectory().
const NuclideLibrary& ProgramNuclides();

std::span<const Nuclide> KnownNuclides();

// The nuclide of that name, compared without regard to case ("h-3" finds
// H-3); nullptr when the program does not know it.
const Nuclide* FindNuclide(std::string_view name);

// "H-3, C-14, ..." for messages.
std::string KnownNuclideNames();

}  // namespace korva
