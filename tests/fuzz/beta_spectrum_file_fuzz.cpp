// libFuzzer harness of the reader of a user's tabulated beta spectrum.
// Besides never crashing or hanging, a table it accepts has at least two
// points, energies rising from 0 or more, densities finite and not
// negative and not all 0; a refusal names the file and line.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "analysis/spectrum_file.h"

namespace {

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const korva::Checked<korva::TabulatedSpectrum> read = korva::ReadSpectrumText(text, "fuzz.txt");
  if (!read) {
    Require(read.error.rfind("fuzz.txt:", 0) == 0);
    return 0;
  }
  const auto& e = read->energyKeV;
  const auto& d = read->density;
  Require(e.size() >= 2 && e.size() == d.size() && e.front() >= 0.0);
  Require(std::ranges::adjacent_find(e, [](double a, double b) { return !(b > a); }) == e.end());
  Require(std::ranges::all_of(d, [](double x) { return std::isfinite(x) && x >= 0.0; }));
  Require(std::ranges::any_of(d, [](double x) { return x > 0.0; }));
  return 0;
}
