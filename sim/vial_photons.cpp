#include "sim/vial_photons.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "sim/fast_draws.h"

namespace korva::sim {

namespace {

// The path from the point (x, 0, z) of the liquid cylinder along the unit
// vector (ux, uy, uz) to its surface.
double PathToSurfaceCm(double x, double z, double ux, double uy, double uz) {
  const double height = kVialFillingMl / (std::numbers::pi * kVialInnerRadiusCm * kVialInnerRadiusCm);
  double path = std::numeric_limits<double>::infinity();
  // The wall: |(x + s ux, s uy)| = R, the positive root of a s^2 + b s + c = 0.
  const double a = ux * ux + uy * uy;
  if (a > 0.0) {
    const double b = 2.0 * x * ux;
    const double c = x * x - kVialInnerRadiusCm * kVialInnerRadiusCm;
    path = (-b + std::sqrt(std::max(0.0, b * b - 4.0 * a * c))) / (2.0 * a);
  }
  if (uz > 0.0) path = std::min(path, (height - z) / uz);
  if (uz < 0.0) path = std::min(path, -z / uz);
  return path;
}

}  // namespace

bool PhotonStopsInVial(double muPerCm, std::mt19937& random) {
  if (!(muPerCm > 0.0)) return false;
  const double height = kVialFillingMl / (std::numbers::pi * kVialInnerRadiusCm * kVialInnerRadiusCm);
  // Uniform over the cross-section: r = R sqrt(u); the azimuth of the point
  // is that of the x axis, the cylinder being symmetric about its axis.
  const double x = kVialInnerRadiusCm * std::sqrt(UnitUniform(random));
  const double z = height * UnitUniform(random);
  const double uz = 2.0 * UnitUniform(random) - 1.0;
  const double sine = std::sqrt(std::max(0.0, 1.0 - uz * uz));
  const double phi = 2.0 * std::numbers::pi * UnitUniform(random);
  return DrawExponential(1.0 / muPerCm, random) <
         PathToSurfaceCm(x, z, sine * std::cos(phi), sine * std::sin(phi), uz);
}

}  // namespace korva::sim
