#pragma once

#include <optional>
#include <string_view>

namespace korva::sim {

// What the virtual counter's vial can hold: beta emitters, and Bi-207, a
// source of mono-energetic conversion electrons for calibrating the
// energy axis.
enum class Nuclide { kH3, kC14, kNi63, kBi207 };

// "H-3", "C-14", "Ni-63", "Bi-207".
std::string_view NuclideName(Nuclide nuclide);
// The nuclide of a name as NuclideName writes it, case ignored; none for
// any other text.
std::optional<Nuclide> NuclideOfName(std::string_view name);

// The vial the multichannel analyser looks at.
struct SpectrumSourceOptions {
  Nuclide nuclide = Nuclide::kH3;
  double kB = 0.010;           // Birks' ionisation-quenching parameter, cm/MeV
  double activityBq = 5000.0;  // decays per second
  // Photoelectrons per keV of quenched (light-equivalent) energy, all three
  // photomultipliers together.
  double photoelectronsPerKeV = 1.0;
};

}  // namespace korva::sim
