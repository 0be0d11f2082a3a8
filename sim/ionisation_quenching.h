#pragma once

#include <vector>

namespace korva::sim {

// Birks' law for electrons in a toluene-like cocktail: the light an electron
// of energy E gives, as the energy a quench-free electron would need for the
// same light,
//   Q(E) = integral from 0 to E of dE' / (1 + kB S(E')),
// with S the electron's collision stopping power (Bethe, with the
// electron's exchange term; taken constant below 0.2 keV, where the formula
// no longer holds). kB is in cm/MeV.
class IonisationQuenching {
 public:
  IonisationQuenching(double kB, double highestKeV);

  // Collision stopping power in MeV/cm.
  static double StoppingPower(double energyKeV);
  // Quenched energy in keV, for 0 <= energy <= the highest energy given.
  double QuenchedKeV(double energyKeV) const;

 private:
  double step_;
  std::vector<double> quenched_;
};

}  // namespace korva::sim
