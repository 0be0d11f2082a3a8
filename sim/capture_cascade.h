#pragma once

#include <array>
#include <random>

namespace korva::sim {

// A K X-ray line of the daughter atom: its energy, how many of it one K
// vacancy gives, and the cocktail's attenuation coefficient for it (1/cm).
struct KXrayLine {
  double energyKeV = 0.0;
  double perKVacancy = 0.0;
  double attenuationPerCm = 0.0;
};

// What the virtual instrument knows of the daughter atom of an electron
// capture: the capture probabilities of its K and L shells (M and beyond
// take the rest), the binding energies of the shells its vacancies sit in,
// its K alpha and K beta lines (K alpha fills the vacancy from L2,3, K beta
// from M), and the shares of the K Auger groups KLL, KLX and KXY among the K
// vacancies that give no X-ray.
struct CaptureAtom {
  double pK = 0.0;
  double pL = 0.0;
  double kBindingKeV = 0.0;
  double l1BindingKeV = 0.0;   // 2s: the L capture's vacancy
  double l23BindingKeV = 0.0;  // 2p: K alpha's and the KLL Auger's
  double mBindingKeV = 0.0;
  std::array<KXrayLine, 2> xrays{};
  std::array<double, 3> augerShares{};  // KLL, KLX, KXY; any scale
};

// The electrons one capture sets moving in the cocktail, each to be
// quenched on its own.
struct CaptureElectrons {
  std::array<double, 4> energyKeV{};
  int count = 0;
  void Add(double keV) { energyKeV[static_cast<std::size_t>(count++)] = keV; }
};

// One capture and the atom's rearrangement after it, drawn event by event:
//   the captured shell by pK, pL (M otherwise);
//   a K vacancy gives K alpha or K beta by their yields, or else an Auger
//   electron of its group, E = B_K - B_X - B_Y, leaving vacancies X and Y;
//   each vacancy of the L or M shell left at the end fills by a cascade of
//   Auger electrons and soft X-rays that all stop within micrometres: one
//   electron of that shell's binding energy;
//   an X-ray is photo-absorbed in the vial (PhotonStopsInVial) by its
//   attenuation coefficient, in the cocktail's carbon, whose K shell is the
//   one that can take it: a photoelectron of E_X - B_K(C) and the carbon
//   atom's own cascade of B_K(C) = 0.2842 keV (J. A. Bearden and A. F. Burr,
//   Rev. Mod. Phys. 39 (1967) 125); otherwise it leaves.
// Apart from an escaping X-ray, the electrons carry the captured electron's
// binding energy.
CaptureElectrons DrawCapture(const CaptureAtom& atom, std::mt19937& random);

}  // namespace korva::sim
