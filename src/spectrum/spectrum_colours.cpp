#include "spectrum/spectrum_colours.h"

#include <string>

#include "common/settings_store.h"

namespace korva {

namespace {

std::string ValueName(bool bufferWindow, const char* colour) {
  return std::string(bufferWindow ? "Buffer" : "File") + colour + "Color";
}

}  // namespace

SpectrumColours LoadSpectrumColours(SettingsStore& store, bool bufferWindow) {
  const auto read = [&](const char* colour) {
    return store.ReadDword(settings_path::kSpectrum, ValueName(bufferWindow, colour));
  };
  const auto cursor = read("Cursor");
  const auto spectrum = read("Spectrum");
  const auto background = read("Bkg");
  const auto roi = read("ROI");
  if (!cursor || !spectrum || !background || !roi) return SpectrumColours{};
  return {*cursor, *spectrum, *background, *roi};
}

void SaveSpectrumColours(SettingsStore& store, bool bufferWindow, const SpectrumColours& colours) {
  store.WriteDword(settings_path::kSpectrum, ValueName(bufferWindow, "Cursor"), colours.cursor);
  store.WriteDword(settings_path::kSpectrum, ValueName(bufferWindow, "Spectrum"), colours.spectrum);
  store.WriteDword(settings_path::kSpectrum, ValueName(bufferWindow, "Bkg"), colours.background);
  store.WriteDword(settings_path::kSpectrum, ValueName(bufferWindow, "ROI"), colours.roi);
}

}  // namespace korva
