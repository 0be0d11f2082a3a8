#include "analysis/nuclide_listing.h"

#include <array>
#include <cstdio>
#include <filesystem>

namespace korva {

namespace {

std::string Printed(const char* format, double value, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, format, value, unit);
  return text;
}

}  // namespace

std::string HalfLifeText(double seconds) {
  constexpr std::array<std::pair<double, const char*>, 4> kUnits = {
      {{kSecondsPerYear, "a"}, {kSecondsPerDay, "d"}, {3600.0, "h"}, {60.0, "min"}}};
  for (const auto& [size, unit] : kUnits) {
    if (seconds >= size) return Printed("%.6g %s", seconds / size, unit);
  }
  return Printed("%.6g %s", seconds, "s");
}

std::string NuclideChoiceText(const Nuclide& n) { return n.name + "  " + n.DecayMode() + "  " + n.source; }

std::string NuclideListText(const NuclideLibrary& library) {
  std::string text = "Nuclide data: " + library.directory.string() + "\n";
  char line[512];
  std::snprintf(line, sizeof line, "%-12s %-22s %-14s %-8s %s\n", "Nuclide", "Decay", "Half-life", "Source",
                "File (version)");
  text += line;
  for (const Nuclide& n : library.nuclides) {
    std::snprintf(line, sizeof line, "%-12s %-22s %-14s %-8s %s (%s)\n", n.name.c_str(),
                  n.DecayMode().c_str(), HalfLifeText(n.halfLifeSeconds).c_str(), n.source.c_str(),
                  std::filesystem::path(n.file).filename().string().c_str(), n.version.c_str());
    text += line;
  }
  for (const std::string& problem : library.problems) text += "Not read: " + problem + "\n";
  return text;
}

}  // namespace korva
