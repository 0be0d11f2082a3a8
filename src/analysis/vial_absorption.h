#pragma once

namespace korva {

// The cocktail in its vial: a cylinder of liquid standing in the vial.
struct VialFilling {
  // A standard 20 mL glass scintillation vial: 25.4 mm inside diameter.
  double innerRadiusCm = 1.27;
  double volumeMl = 10.0;  // the cocktail with the sample
};

// The probability that a photon born uniformly in the liquid, in a random
// direction, interacts before it leaves: 1 - <exp(-mu L)> over the
// liquid's points and directions, L the path to the liquid's surface
// (walls, bottom and the free surface). mu in 1/cm. Computed by product
// quadrature (radius, height, cos theta by Gauss-Legendre, azimuth by the
// midpoint rule); for mu R >> 1 it tends to 1 - S / (4 mu V).
double AbsorbedInVial(double muPerCm, const VialFilling& vial = {});

}  // namespace korva
