// libFuzzer harness of the nuclide data file reader. Besides never crashing
// or hanging, the reader must give the same answer when it reads a text
// twice, and a nuclide it accepts must be one the analysis can use: a
// positive half-life, branch probabilities in (0, 1], endpoints in range and
// capture probabilities that sum to 1.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "analysis/nuclide_file.h"

namespace {

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

void RequireUsable(const korva::Nuclide& n) {
  Require(!n.name.empty() && n.halfLifeSeconds > 0.0 && n.halfLifeUncertaintySeconds < n.halfLifeSeconds);
  Require(!n.betas.empty() || !n.captures.empty());
  for (const korva::BetaBranch& b : n.betas) {
    Require(b.probability > 0.0 && b.probability <= 1.0 && b.endpointKeV > 0.0 && b.daughterZ > 0);
  }
  for (const korva::CaptureBranch& c : n.captures) {
    const korva::CaptureAtom& a = c.atom;
    Require(std::abs(a.pK + a.pL + a.pM - 1.0) < 0.01 && a.kXrayKeV < a.kBindingKeV &&
            a.kBindingKeV < c.qKeV);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const korva::Checked<korva::Nuclide> first = korva::ReadNuclideText(text, "fuzz.nuclide");
  const korva::Checked<korva::Nuclide> second = korva::ReadNuclideText(text, "fuzz.nuclide");
  Require(first.error == second.error && static_cast<bool>(first) == static_cast<bool>(second));
  Require(first || first.error.rfind("fuzz.nuclide:", 0) == 0);
  if (first) RequireUsable(*first);
  return 0;
}
