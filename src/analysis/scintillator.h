#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// The share of one element in a cocktail, by mass.
struct ElementShare {
  int z = 0;
  double massFraction = 0.0;
};

// What the stopping power and the X-ray absorption need to know about a
// liquid scintillator.
struct Scintillator {
  std::string name;
  double densityGPerCm3 = 0.0;
  double electronsPerMass = 0.0;  // <Z/A>, mol of electrons per gram
  double meanExcitationEv = 0.0;
  // The electron-weighted mean atomic number sum(n Z^2) / sum(n Z), for the
  // Z-dependent constant of the low-energy stopping power.
  double meanAtomicNumber = 0.0;
  std::vector<ElementShare> elements;
  std::string source;  // where its composition and density come from
};

// A toluene-based cocktail, taken as toluene C7H8: the solvent is well over
// 95 % of the cocktail's mass, and the solutes change <Z/A> and I by far
// less than the uncertainty of kB does.
inline constexpr int kTolueneCarbonAtoms = 7;
inline constexpr int kTolueneHydrogenAtoms = 8;
inline constexpr double kTolueneDensityGPerCm3 = 0.8669;  // at 20 degrees C
inline constexpr double kTolueneMeanExcitationEv = 62.5;  // ICRU Report 37

Scintillator Toluene();

// The cocktails the program knows, toluene first (the default).
std::span<const Scintillator> KnownCocktails();

// The cocktail of that name without regard to case ("ultima gold" finds
// "Ultima Gold"); nullptr for a name the program does not know.
const Scintillator* FindCocktail(std::string_view name);

// The cocktail a measurement record's cocktail text names; the default
// (toluene) with `warning` set when the text is not empty and names none
// the program knows.
const Scintillator& CocktailOfRecord(std::string_view text, std::string& warning);

// "toluene, Ultima Gold, ..." for messages.
std::string KnownCocktailNames();

}  // namespace korva
