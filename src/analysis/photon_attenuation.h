#pragma once

#include "analysis/scintillator.h"

namespace korva {

// The mass attenuation coefficient mu/rho in cm^2/g of a cocktail for
// photons of `energyKeV` (1 to 100 keV): the mass-fraction-weighted sum of
// its elements' coefficients, interpolated log-log in the tables of J. H.
// Hubbell and S. M. Seltzer, NISTIR 5632 (1995, the NIST X-ray attenuation
// tables) for H, C and O (an element without a table adds nothing). 0 for
// an energy outside the table.
double MassAttenuationCm2PerG(const Scintillator& cocktail, double energyKeV);

}  // namespace korva
