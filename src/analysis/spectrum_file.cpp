#include "analysis/spectrum_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "analysis/data_text.h"
#include "analysis/nuclide_file.h"
#include "analysis/nuclide_library.h"

namespace korva {

namespace {

// A spectrum code writes a few thousand points; far more is not a spectrum.
constexpr std::size_t kMaxPoints = 100000;
constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

// The line with "," and ";" read as blanks.
std::string Separated(std::string_view text) {
  std::string s(text);
  std::ranges::replace(s, ',', ' ');
  std::ranges::replace(s, ';', ' ');
  return s;
}

}  // namespace

Checked<TabulatedSpectrum> ReadSpectrumText(std::string_view text, std::string_view fileName) {
  using Result = Checked<TabulatedSpectrum>;
  const std::string separated = Separated(text);
  TabulatedSpectrum spectrum;
  for (const DataLine& line : DataLines(separated)) {
    if (line.fields.size() != 2 || !line.note.empty()) {
      return Result::Failure(
          AtLine(fileName, line.number, "expected two columns: energy in keV and density"));
    }
    const auto energy = FieldNumber(line.fields[0]);
    const auto density = FieldNumber(line.fields[1]);
    if (!energy || !density) return Result::Failure(AtLine(fileName, line.number, "not a number"));
    if (*energy < 0.0 || *density < 0.0) {
      return Result::Failure(AtLine(fileName, line.number, "energies and densities must not be negative"));
    }
    if (!spectrum.energyKeV.empty() && !(*energy > spectrum.energyKeV.back())) {
      return Result::Failure(AtLine(fileName, line.number, "the energies must rise from line to line"));
    }
    if (spectrum.energyKeV.size() == kMaxPoints) {
      return Result::Failure(AtLine(fileName, line.number, "more than 100000 points"));
    }
    spectrum.energyKeV.push_back(*energy);
    spectrum.density.push_back(*density);
  }
  if (spectrum.energyKeV.size() < 2) return Result::Failure(AtLine(fileName, 0, "fewer than two points"));
  if (std::ranges::all_of(spectrum.density, [](double d) { return d == 0.0; })) {
    return Result::Failure(AtLine(fileName, 0, "every density is 0"));
  }
  return Success(std::move(spectrum));
}

Nuclide NuclideWithSpectrum(TabulatedSpectrum spectrum, std::string name, std::string file,
                            double halfLifeSeconds, double halfLifeUncertaintySeconds) {
  Nuclide n;
  n.name = std::move(name);
  n.halfLifeSeconds = halfLifeSeconds;
  n.halfLifeUncertaintySeconds = halfLifeUncertaintySeconds;
  BetaBranch b;
  b.endpointKeV = spectrum.energyKeV.back();
  b.tabulated = std::move(spectrum);
  n.betas.push_back(std::move(b));
  n.source = "user's spectrum";
  n.file = std::move(file);
  n.version = "user's file";
  return n;
}

}  // namespace korva

namespace korva {

Checked<Nuclide> LoadOwnSpectrum(const std::filesystem::path& file, std::string_view halfLife) {
  using Result = Checked<Nuclide>;
  std::pair<double, double> life;
  std::string name = file.stem().string();
  if (const Nuclide* known = FindNuclide(halfLife)) {
    life = {known->halfLifeSeconds, known->halfLifeUncertaintySeconds};
    name = known->name;
  } else {
    const auto parsed = ParseHalfLife(halfLife);
    if (!parsed)
      return Result::Failure("\"" + std::string(halfLife) +
                             "\" is neither a known nuclide nor a half-life: " + parsed.error);
    life = *parsed;
  }
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kMaxFileBytes) {
    return Result::Failure(file.string() + ": " + (error ? error.message() : "larger than 16 MB"));
  }
  std::ifstream in(file, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Checked<TabulatedSpectrum> spectrum = ReadSpectrumText(text, file.string());
  if (!spectrum) return Result::Failure(spectrum.error);
  return Success(
      NuclideWithSpectrum(std::move(*spectrum.value), name, file.string(), life.first, life.second));
}

}  // namespace korva
