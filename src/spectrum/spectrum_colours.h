#pragma once

#include <cstdint>

namespace korva {

class SettingsStore;

// The four colours of a spectrum window, each a 32-bit value with red in
// the lowest byte, then green, then blue.
struct SpectrumColours {
  std::uint32_t cursor = 3970815;  // red 255, green 150, blue 60
  std::uint32_t spectrum = 59120;  // red 240, green 230, blue 0
  std::uint32_t background = 0;    // black
  std::uint32_t roi = 14446120;    // red 40, green 110, blue 220

  bool operator==(const SpectrumColours&) const = default;
};

// The pen that shows `colour` when drawn in exclusive-or mode over the
// background, and erases itself when drawn again.
constexpr std::uint32_t ExclusiveOrPen(const SpectrumColours& colours, std::uint32_t colour) {
  return colours.background ^ colour;
}

// The colours a window kept at the last exit ("BufferCursorColor" ... or
// "FileCursorColor" ... under the spectrum settings key); the defaults
// unless all four can be read.
SpectrumColours LoadSpectrumColours(SettingsStore& store, bool bufferWindow);
void SaveSpectrumColours(SettingsStore& store, bool bufferWindow, const SpectrumColours& colours);

}  // namespace korva
