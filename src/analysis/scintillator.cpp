#include "analysis/scintillator.h"

namespace korva {

namespace {

constexpr double kCarbonAtomicWeight = 12.011;
constexpr double kHydrogenAtomicWeight = 1.008;

}  // namespace

Scintillator Toluene() {
  constexpr double electrons = 6.0 * kTolueneCarbonAtoms + 1.0 * kTolueneHydrogenAtoms;
  constexpr double mass =
      kCarbonAtomicWeight * kTolueneCarbonAtoms + kHydrogenAtomicWeight * kTolueneHydrogenAtoms;
  constexpr double electronWeightedZ =
      (6.0 * 6.0 * kTolueneCarbonAtoms + 1.0 * kTolueneHydrogenAtoms) / electrons;
  return {"toluene", kTolueneDensityGPerCm3, electrons / mass, kTolueneMeanExcitationEv, electronWeightedZ};
}

}  // namespace korva
