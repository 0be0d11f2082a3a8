#include "analysis/nuclide.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korva {

namespace {

constexpr double kSecondsPerDay = 86400.0;
// The year of the nuclear data evaluations (DDEP: 1 a = 365.24219878 d).
constexpr double kSecondsPerYear = 365.24219878 * kSecondsPerDay;

constexpr double Years(double years) { return years * kSecondsPerYear; }
constexpr double Days(double days) { return days * kSecondsPerDay; }

// Endpoint energies and half-lives are the recommended values of the Decay
// Data Evaluation Project (DDEP, LNHB "Table de Radionucleides") where it
// has evaluated the nuclide, otherwise the ENSDF adopted values; the
// uncertainties are the evaluations' standard uncertainties.
constexpr std::array<Nuclide, 7> kNuclides = {{
    // DDEP: Q = 18.591(3) keV, T1/2 = 12.312(25) a. Superallowed 1/2+ -> 1/2+.
    {"H-3", 2, 3, 18.591, Years(12.312), Years(0.025), Forbiddenness::kAllowed, {}},
    // DDEP: Q = 156.476(4) keV, T1/2 = 5700(30) a. 0+ -> 1+ allowed; the
    // measured spectrum follows the allowed shape within 1 % above 3 keV.
    {"C-14", 7, 14, 156.476, Years(5700.0), Years(30.0), Forbiddenness::kAllowed, {}},
    // DDEP: Q = 66.977(15) keV, T1/2 = 101.2(15) a. 1/2- -> 3/2- allowed.
    {"Ni-63", 29, 63, 66.977, Years(101.2), Years(1.5), Forbiddenness::kAllowed, {}},
    // ENSDF: Q = 167.32 keV, T1/2 = 87.37(4) d. 3/2+ -> 3/2+ allowed.
    {"S-35", 17, 35, 167.32, Days(87.37), Days(0.04), Forbiddenness::kAllowed, {}},
    // ENSDF: Q = 248.5(11) keV, T1/2 = 25.35(11) d. 1/2+ -> 1/2+ allowed.
    {"P-33", 16, 33, 248.5, Days(25.35), Days(0.11), Forbiddenness::kAllowed, {}},
    // DDEP: Q = 1710.66(21) keV, T1/2 = 14.284(36) d. 1+ -> 0+ allowed.
    {"P-32", 16, 32, 1710.66, Days(14.284), Days(0.036), Forbiddenness::kAllowed, {}},
    // DDEP (2011): T1/2 = 2.6234(4) a; Q = 224.1(3) keV from the atomic mass
    // evaluation. 7/2+ -> 7/2- first forbidden non-unique, 99.99 % to the
    // ground state of Sm-147.
    {"Pm-147", 62, 147, 224.1, Years(2.6234), Years(0.0004), Forbiddenness::kFirstForbiddenNonUnique, {}},
}};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::span<const Nuclide> KnownNuclides() { return kNuclides; }

const Nuclide* FindNuclide(std::string_view name) {
  const auto found =
      std::ranges::find_if(kNuclides, [name](const Nuclide& n) { return SameIgnoringCase(n.name, name); });
  return found == kNuclides.end() ? nullptr : &*found;
}

std::string_view KnownNuclideNames() { return "H-3, C-14, Ni-63, S-35, P-33, P-32, Pm-147"; }

}  // namespace korva
