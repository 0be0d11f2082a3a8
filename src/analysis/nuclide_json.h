#pragma once

#include <QJsonObject>

#include "analysis/nuclide_library.h"

namespace korva {

// The library as JSON: its directory, every nuclide with its half-life,
// branches, source, data file and version, and the files not read.
QJsonObject NuclideLibraryJson(const NuclideLibrary& library);

}  // namespace korva
