#include "analysis/analysis_settings_store.h"

#include <cmath>
#include <string_view>

#include "analysis/birks_quenching.h"
#include "analysis/nuclide_library.h"
#include "common/settings_store.h"

namespace korva {

namespace {

constexpr std::string_view kPath = "\\Korva-TDCR\\Analysis";
// kB is kept as a whole number of micro-cm/MeV.
constexpr double kKbUnit = 1e-6;

}  // namespace

void SaveAnalysisSettings(SettingsStore& store, const AnalysisSettings& settings) {
  store.WriteString(kPath, "Nuclide", settings.nuclide);
  store.WriteString(kPath, "Cocktail", settings.cocktail);
  store.WriteDword(kPath, "KbMicro", static_cast<std::uint32_t>(std::lround(settings.kb / kKbUnit)));
  store.WriteDword(kPath, "Model", settings.model == DetectionModel::kAsymmetric ? 1 : 0);
  store.WriteDword(kPath, "Window", static_cast<std::uint32_t>(settings.window));
  store.WriteDword(kPath, "Extension", static_cast<std::uint32_t>(settings.extension));
}

AnalysisSettings LoadAnalysisSettings(SettingsStore& store) {
  AnalysisSettings settings;
  if (const auto nuclide = store.ReadString(kPath, "Nuclide"); nuclide && FindNuclide(*nuclide) != nullptr) {
    settings.nuclide = *nuclide;
  }
  if (const auto cocktail = store.ReadString(kPath, "Cocktail");
      cocktail && FindCocktail(*cocktail) != nullptr) {
    settings.cocktail = FindCocktail(*cocktail)->name;
  }
  if (const auto kb = store.ReadDword(kPath, "KbMicro")) {
    const double value = *kb * kKbUnit;
    if (value >= kMinKb && value <= kMaxKb) settings.kb = value;
  }
  if (store.ReadDword(kPath, "Model").value_or(0) == 1) settings.model = DetectionModel::kAsymmetric;
  if (const auto window = store.ReadDword(kPath, "Window"); window && *window <= kWiderWindow)
    settings.window = *window;
  if (const auto extension = store.ReadDword(kPath, "Extension"); extension && *extension <= 1) {
    settings.extension = *extension;
  }
  return settings;
}

}  // namespace korva
