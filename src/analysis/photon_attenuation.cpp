#include "analysis/photon_attenuation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korva {

namespace {

constexpr std::array<double, 17> kEnergiesKeV = {1,  1.5, 2,  3,  4,  5,  6,  8,  10,
                                                 15, 20,  30, 40, 50, 60, 80, 100};

struct Table {
  int z;
  // K-shell binding energy: J. A. Bearden and A. F. Burr, Rev. Mod. Phys. 39
  // (1967) 125 (C 0.2842, O 0.5431 keV); hydrogen's ionisation energy.
  double kBindingKeV;
  std::array<double, 17> muRho;  // cm^2/g, with coherent scattering
};

// Hubbell and Seltzer, NISTIR 5632, Table 3.
constexpr std::array<Table, 3> kTables = {{
    {1,
     0.0136,
     {7.217, 2.148, 1.059, 0.5612, 0.4546, 0.4193, 0.4042, 0.3914, 0.3854, 0.3764, 0.3695, 0.3570, 0.3458,
      0.3355, 0.3260, 0.3091, 0.2944}},
    {6,
     0.2842,
     {2211, 700.2, 302.6, 90.33, 37.78, 19.12, 10.95, 4.576, 2.373, 0.8071, 0.4420, 0.2562, 0.2076, 0.1871,
      0.1753, 0.1610, 0.1514}},
    {8,
     0.5431,
     {4590, 1549, 694.9, 217.1, 93.15, 47.90, 27.70, 11.63, 5.952, 1.836, 0.8651, 0.3779, 0.2585, 0.2132,
      0.1907, 0.1678, 0.1551}},
}};

double ElementMuRho(const Table& t, double energyKeV) {
  const auto above = std::ranges::upper_bound(kEnergiesKeV, energyKeV);
  const auto i = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(above - kEnergiesKeV.begin(), 1, 16));
  const double x =
      std::log(energyKeV / kEnergiesKeV[i - 1]) / std::log(kEnergiesKeV[i] / kEnergiesKeV[i - 1]);
  return std::exp(std::log(t.muRho[i - 1]) + x * std::log(t.muRho[i] / t.muRho[i - 1]));
}

const Table* TableOf(int z) {
  const auto table = std::ranges::find_if(kTables, [&](const Table& t) { return t.z == z; });
  return table == kTables.end() ? nullptr : &*table;
}

bool InTable(double energyKeV) {
  return energyKeV >= kEnergiesKeV.front() && energyKeV <= kEnergiesKeV.back();
}

}  // namespace

double MassAttenuationCm2PerG(const Scintillator& cocktail, double energyKeV) {
  if (!InTable(energyKeV)) return 0.0;
  double sum = 0.0;
  for (const ElementShare& e : cocktail.elements) {
    if (const Table* table = TableOf(e.z)) sum += e.massFraction * ElementMuRho(*table, energyKeV);
  }
  return sum;
}

std::vector<PhotoAbsorber> PhotoAbsorbers(const Scintillator& cocktail, double energyKeV) {
  const double total = MassAttenuationCm2PerG(cocktail, energyKeV);
  std::vector<PhotoAbsorber> absorbers;
  if (!(total > 0.0)) return absorbers;
  for (const ElementShare& e : cocktail.elements) {
    if (const Table* table = TableOf(e.z)) {
      absorbers.push_back({e.massFraction * ElementMuRho(*table, energyKeV) / total, table->kBindingKeV});
    }
  }
  return absorbers;
}

}  // namespace korva
