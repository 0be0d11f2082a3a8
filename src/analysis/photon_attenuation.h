#pragma once

#include <vector>

#include "analysis/scintillator.h"

namespace korva {

// The mass attenuation coefficient mu/rho in cm^2/g of a cocktail for
// photons of `energyKeV` (1 to 100 keV): the mass-fraction-weighted sum of
// its elements' coefficients, interpolated log-log in the tables of J. H.
// Hubbell and S. M. Seltzer, NISTIR 5632 (1995, the NIST X-ray attenuation
// tables) for H, C and O (an element without a table adds nothing). 0 for
// an energy outside the table.
double MassAttenuationCm2PerG(const Scintillator& cocktail, double energyKeV);

// An element of the cocktail as the atom that photo-absorbs an X-ray: its
// share of the cocktail's attenuation at that energy and the binding energy
// of the K shell the photoelectron leaves (hydrogen's: its 13.6 eV).
struct PhotoAbsorber {
  double share = 0.0;
  double kBindingKeV = 0.0;
};

// The cocktail's absorbers of a photon of `energyKeV`, shares summing to 1
// (none when no element of the cocktail has a table).
std::vector<PhotoAbsorber> PhotoAbsorbers(const Scintillator& cocktail, double energyKeV);

}  // namespace korva
