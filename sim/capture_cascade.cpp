#include "sim/capture_cascade.h"

#include "sim/fast_draws.h"
#include "sim/vial_photons.h"

namespace korva::sim {

namespace {

constexpr double kCarbonKBindingKeV = 0.2842;  // Bearden and Burr (1967)

void AddXray(const KXrayLine& line, CaptureElectrons& electrons, std::mt19937& random) {
  if (!PhotonStopsInVial(line.attenuationPerCm, random)) return;
  electrons.Add(line.energyKeV - kCarbonKBindingKeV);
  electrons.Add(kCarbonKBindingKeV);
}

// The Auger electron of a K vacancy and the cascades of the two vacancies it leaves.
void AddKAuger(const CaptureAtom& atom, CaptureElectrons& electrons, std::mt19937& random) {
  const double total = atom.augerShares[0] + atom.augerShares[1] + atom.augerShares[2];
  const double u = UnitUniform(random) * total;
  const double first = u < atom.augerShares[0] + atom.augerShares[1] ? atom.l23BindingKeV : atom.mBindingKeV;
  const double second = u < atom.augerShares[0] ? atom.l23BindingKeV : atom.mBindingKeV;
  electrons.Add(atom.kBindingKeV - first - second);
  electrons.Add(first);
  electrons.Add(second);
}

void FillK(const CaptureAtom& atom, CaptureElectrons& electrons, std::mt19937& random) {
  const double u = UnitUniform(random);
  const KXrayLine& alpha = atom.xrays[0];
  const KXrayLine& beta = atom.xrays[1];
  if (u < alpha.perKVacancy) {
    electrons.Add(atom.l23BindingKeV);
    AddXray(alpha, electrons, random);
  } else if (u < alpha.perKVacancy + beta.perKVacancy) {
    electrons.Add(atom.mBindingKeV);
    AddXray(beta, electrons, random);
  } else {
    AddKAuger(atom, electrons, random);
  }
}

}  // namespace

CaptureElectrons DrawCapture(const CaptureAtom& atom, std::mt19937& random) {
  CaptureElectrons electrons;
  const double u = UnitUniform(random);
  if (u < atom.pK) {
    FillK(atom, electrons, random);
  } else if (u < atom.pK + atom.pL) {
    electrons.Add(atom.l1BindingKeV);
  } else {
    electrons.Add(atom.mBindingKeV);
  }
  return electrons;
}

}  // namespace korva::sim
