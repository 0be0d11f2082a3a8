#include "analysis/scintillator.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "common/trimmed.h"

namespace korva {

namespace {

// Standard atomic weights (IUPAC 2013, conventional values).
constexpr double kHydrogenAtomicWeight = 1.008;
constexpr double kCarbonAtomicWeight = 12.011;
constexpr double kNitrogenAtomicWeight = 14.007;
constexpr double kOxygenAtomicWeight = 15.999;

// Mean excitation energies of the elements bound in organic compounds, the
// values ICRU Report 37 (1984), Table 2.11, gives for Bragg's additivity rule.
constexpr double kHydrogenBoundEv = 19.2;
constexpr double kCarbonBoundEv = 81.0;
constexpr double kNitrogenBoundEv = 82.0;
constexpr double kOxygenBoundEv = 106.0;

struct Element {
  int z;
  double atomicWeight;
  double boundExcitationEv;
};
constexpr std::array<Element, 4> kElements = {{{1, kHydrogenAtomicWeight, kHydrogenBoundEv},
                                               {6, kCarbonAtomicWeight, kCarbonBoundEv},
                                               {7, kNitrogenAtomicWeight, kNitrogenBoundEv},
                                               {8, kOxygenAtomicWeight, kOxygenBoundEv}}};

const Element& ElementOf(int z) {
  return *std::ranges::find_if(kElements, [z](const Element& e) { return e.z == z; });
}

// A molecule as counts of H, C, N, O atoms.
struct Formula {
  double h, c, n, o;
};

// A cocktail of the given composition by mass, with <Z/A> and the
// electron-weighted Z from it and I by Bragg's rule,
// ln I = sum(w Z/A ln I_i) / sum(w Z/A) (ICRU Report 37, Eq. 2.6).
Scintillator FromShares(std::string name, double density, std::vector<ElementShare> shares,
                        std::string source) {
  double electrons = 0.0, logI = 0.0, zSquared = 0.0;
  for (const ElementShare& s : shares) {
    const Element& e = ElementOf(s.z);
    const double perGram = s.massFraction * s.z / e.atomicWeight;
    electrons += perGram;
    logI += perGram * std::log(e.boundExcitationEv);
    zSquared += perGram * s.z;
  }
  return {std::move(name),      density,           electrons,        std::exp(logI / electrons),
          zSquared / electrons, std::move(shares), std::move(source)};
}

// Mass fractions of a mixture of molecules given by mass fraction.
std::vector<ElementShare> Mixture(std::initializer_list<std::pair<Formula, double>> parts) {
  std::array<double, 4> mass{};
  for (const auto& [f, fraction] : parts) {
    const std::array<double, 4> atoms = {f.h, f.c, f.n, f.o};
    double molar = 0.0;
    for (std::size_t i = 0; i < 4; ++i) molar += atoms[i] * kElements[i].atomicWeight;
    for (std::size_t i = 0; i < 4; ++i) mass[i] += fraction * atoms[i] * kElements[i].atomicWeight / molar;
  }
  std::vector<ElementShare> shares;
  for (std::size_t i = 0; i < 4; ++i) {
    if (mass[i] > 0.0) shares.push_back({kElements[i].z, mass[i]});
  }
  return shares;
}

// Solvents and surfactant, by formula.
constexpr Formula kToluene{8, 7, 0, 0};
constexpr Formula kDiisopropylnaphthalene{20, 16, 0, 0};  // C16H20
constexpr Formula kPseudocumene{12, 9, 0, 0};             // 1,2,4-trimethylbenzene C9H12
constexpr Formula kPhenylxylylethane{18, 16, 0, 0};       // PXE C16H18
// Nonylphenol ethoxylate with 9 ethylene oxide units, C33H60O10, the
// non-ionic surfactant of the emulsifying cocktails.
constexpr Formula kNonylphenolEthoxylate{60, 33, 0, 10};

std::vector<Scintillator> MakeCocktails() {
  std::vector<Scintillator> list;
  list.push_back(Toluene());
  // The emulsifying cocktails are taken as their solvent and the
  // surfactant their makers' safety data sheets name; the data sheets give
  // the shares only as ranges, so the shares here are an approximation, and
  // the budget's stopping-power term (the other low-energy form) does not
  // cover them. Densities from the makers' product data.
  list.push_back(FromShares("Ultima Gold", 0.98,
                            Mixture({{kDiisopropylnaphthalene, 0.70}, {kNonylphenolEthoxylate, 0.30}}),
                            "diisopropylnaphthalene with alkylphenol ethoxylate (maker's safety data sheet), "
                            "taken as 70/30 by mass; 0.98 g/mL (maker's product data)"));
  list.push_back(FromShares("Insta-Gel Plus", 0.88,
                            Mixture({{kPseudocumene, 0.60}, {kNonylphenolEthoxylate, 0.40}}),
                            "pseudocumene with alkylphenol ethoxylate (maker's safety data sheet), taken as "
                            "60/40 by mass; 0.88 g/mL (maker's product data)"));
  list.push_back(FromShares("Ecoscint", 0.985,
                            Mixture({{kPhenylxylylethane, 0.75}, {kNonylphenolEthoxylate, 0.25}}),
                            "phenylxylylethane with ethoxylate surfactant (maker's safety data sheet), taken "
                            "as 75/25 by mass; 0.985 g/mL (maker's product data)"));
  return list;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

Scintillator Toluene() {
  constexpr double electrons = 6.0 * kTolueneCarbonAtoms + 1.0 * kTolueneHydrogenAtoms;
  constexpr double mass =
      kCarbonAtomicWeight * kTolueneCarbonAtoms + kHydrogenAtomicWeight * kTolueneHydrogenAtoms;
  constexpr double electronWeightedZ =
      (6.0 * 6.0 * kTolueneCarbonAtoms + 1.0 * kTolueneHydrogenAtoms) / electrons;
  return {"toluene",
          kTolueneDensityGPerCm3,
          electrons / mass,
          kTolueneMeanExcitationEv,
          electronWeightedZ,
          Mixture({{kToluene, 1.0}}),
          "C7H8; density at 20 degrees C; I = 62.5 eV (ICRU Report 37)"};
}

std::span<const Scintillator> KnownCocktails() {
  static const std::vector<Scintillator> cocktails = MakeCocktails();
  return cocktails;
}

const Scintillator* FindCocktail(std::string_view name) {
  name = Trimmed(name);
  const auto cocktails = KnownCocktails();
  const auto found = std::ranges::find_if(
      cocktails, [name](const Scintillator& s) { return SameIgnoringCase(s.name, name); });
  return found == cocktails.end() ? nullptr : &*found;
}

const Scintillator& CocktailOfRecord(std::string_view text, std::string& warning) {
  if (const Scintillator* found = FindCocktail(text)) return *found;
  const Scintillator& fallback = KnownCocktails().front();
  if (!Trimmed(text).empty()) {
    warning = "unknown cocktail \"" + std::string(Trimmed(text)) + "\": analysed as " + fallback.name +
              "; known are " + KnownCocktailNames();
  }
  return fallback;
}

std::string KnownCocktailNames() {
  std::string names;
  for (const Scintillator& s : KnownCocktails()) names += (names.empty() ? "" : ", ") + s.name;
  return names;
}

}  // namespace korva
