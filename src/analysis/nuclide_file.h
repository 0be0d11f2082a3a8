#pragma once

#include <string_view>
#include <utility>

#include "analysis/checked.h"
#include "decay/nuclide.h"

namespace korva {

// The nuclide a data file describes. The file is plain text, one value per
// line, a keyword first, the source of the value after a "|", comments
// after "#":
//
//   name Sr-90                       the name the program finds it by
//   version 2026-1                   the file's own version
//   source DDEP                      the evaluation, for listings
//   Z 38                             atomic number of the nuclide
//   A 90                             mass number
//   half-life 28.80 0.07 a | ...     value, standard uncertainty, unit s|min|h|d|a
//   beta- 1 545.9 first-forbidden-unique [39] | ...
//                                    probability per decay, endpoint in keV,
//                                    allowed | first-forbidden-non-unique |
//                                    first-forbidden-unique |
//                                    second-forbidden-non-unique |
//                                    second-forbidden-unique, and the daughter's
//                                    atomic number when it is not Z + 1
//   shape-factor a b c | ...         measured 1 + a W + b / W + c W^2 of the
//                                    beta- line before it
//   ec 0.0292 344.1 | ...            electron capture: probability, Q in keV
//   capture 0.885 0.101 0.014 [u] | ...  P_K P_L P_M of the ec line before
//                                    it, and optionally u(P_K)
//   fluorescence-k 0.321 [u] | ...   omega_K of the daughter, optionally u
//   k-xray 5.97 | ...                mean K X-ray energy, keV
//   k-auger 5.19 | ...               mean K Auger electron energy, keV
//   binding 6.539 0.69 0.07 | ...    K, mean L and mean M binding energies, keV
//
// A year is 365.24219878 d, as in the nuclear data evaluations. Any fault
// gives the failure "FILE:LINE: what is wrong" (line 0: the file as a whole).
Checked<Nuclide> ReadNuclideText(std::string_view text, std::string_view fileName);

// A half-life as the files write it, "VALUE [UNCERTAINTY] UNIT" (unit s,
// min, h, d or a): the value and its standard uncertainty (0 when not
// given) in seconds.
Checked<std::pair<double, double>> ParseHalfLife(std::string_view text);

}  // namespace korva
