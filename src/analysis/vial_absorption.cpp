#include "analysis/vial_absorption.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace korva {

namespace {

// 16-point Gauss-Legendre on [-1, 1] (the positive half; the rule is symmetric).
constexpr std::array<double, 8> kNodes = {0.0950125098376374, 0.2816035507792589, 0.4580167776572274,
                                          0.6178762444026438, 0.7554044083550030, 0.8656312023878318,
                                          0.9445750230732326, 0.9894009349916499};
constexpr std::array<double, 8> kWeights = {0.1894506104550685, 0.1826034150449236, 0.1691565193950025,
                                            0.1495959888165767, 0.1246289712555339, 0.0951585116824928,
                                            0.0622535239386479, 0.0271524594117541};
constexpr int kAzimuths = 32;

// Gauss-Legendre node i (0..15) and weight on [0, 1].
double Node(int i) { return 0.5 * (1.0 + (i < 8 ? -kNodes[7 - i] : kNodes[i - 8])); }
double Weight(int i) { return 0.5 * (i < 8 ? kWeights[7 - i] : kWeights[i - 8]); }

// The path from (r, 0, z) along the direction (sin t cos f, sin t sin f, cos t) to the cylinder's surface.
double PathCm(double r, double z, double cosTheta, double phi, double radius, double height) {
  const double sinTheta = std::sqrt(std::max(0.0, 1.0 - cosTheta * cosTheta));
  double path = std::numeric_limits<double>::infinity();
  if (sinTheta > 0.0) {
    const double dx = sinTheta * std::cos(phi);
    const double a = sinTheta * sinTheta;
    const double b = 2.0 * r * dx;
    const double c = r * r - radius * radius;
    path = (-b + std::sqrt(std::max(0.0, b * b - 4.0 * a * c))) / (2.0 * a);
  }
  if (cosTheta > 0.0) path = std::min(path, (height - z) / cosTheta);
  if (cosTheta < 0.0) path = std::min(path, -z / cosTheta);
  return path;
}

}  // namespace

double AbsorbedInVial(double muPerCm, const VialFilling& vial) {
  if (!(muPerCm > 0.0)) return 0.0;
  const double radius = vial.innerRadiusCm;
  const double height = vial.volumeMl / (std::numbers::pi * radius * radius);
  double escape = 0.0;
  for (int ir = 0; ir < 16; ++ir) {
    // Uniform in area: r = R sqrt(s), s on [0, 1].
    const double r = radius * std::sqrt(Node(ir));
    for (int iz = 0; iz < 16; ++iz) {
      const double z = height * Node(iz);
      for (int ic = 0; ic < 16; ++ic) {
        const double cosTheta = 2.0 * Node(ic) - 1.0;
        double sum = 0.0;
        for (int ia = 0; ia < kAzimuths; ++ia) {
          const double phi = 2.0 * std::numbers::pi * (ia + 0.5) / kAzimuths;
          sum += std::exp(-muPerCm * PathCm(r, z, cosTheta, phi, radius, height));
        }
        escape += Weight(ir) * Weight(iz) * Weight(ic) * sum / kAzimuths;
      }
    }
  }
  return 1.0 - escape;
}

}  // namespace korva
