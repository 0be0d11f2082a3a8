#pragma once

#include <array>
#include <random>
#include <span>
#include <string_view>

namespace korva::sim {

// A line of mono-energetic conversion electrons: the electron's kinetic
// energy and how many such electrons one decay gives on average.
struct ConversionLine {
  double energyKeV = 0.0;
  double perDecay = 0.0;
};

// The K, L and M lines of one nuclear transition. A decay converts the
// transition in one shell at most, so its lines exclude one another.
struct ConversionTransition {
  std::array<ConversionLine, 3> lines;
};

// The converted transitions of the nuclide named as the --nuclide option
// names it ("Bi-207"); empty for a pure beta emitter.
std::span<const ConversionTransition> ConversionTransitionsOf(std::string_view nuclide);

// The most energetic line; 0 without any.
double HighestConversionKeV(std::span<const ConversionTransition> transitions);

// What the conversion electrons of one decay deposit: their summed kinetic
// energy and their summed light, each electron quenched on its own by
// `quench` (keV to quenched keV). Each transition fires independently.
struct ConversionDeposit {
  double energyKeV = 0.0;
  double quenchedKeV = 0.0;
};

template <typename Quench>
ConversionDeposit DrawConversionElectrons(std::span<const ConversionTransition> transitions,
                                          std::mt19937& random, Quench quench) {
  ConversionDeposit deposit;
  for (const ConversionTransition& transition : transitions) {
    double draw = std::uniform_real_distribution<double>(0.0, 1.0)(random);
    for (const ConversionLine& line : transition.lines) {
      if (draw < line.perDecay) {
        deposit.energyKeV += line.energyKeV;
        deposit.quenchedKeV += quench(line.energyKeV);
        break;
      }
      draw -= line.perDecay;
    }
  }
  return deposit;
}

}  // namespace korva::sim
