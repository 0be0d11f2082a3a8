#include "spectrum/spectrum_readouts.h"

#include <cstdio>

#include "common/format_text.h"
#include "spectrum/spectrum_calibration.h"

namespace korva {

namespace {

bool Marked(const CSpectrum& spectrum, int channel) {
  return channel >= 0 && channel < spectrum.softSize &&
         spectrum.displayRoiMarks[static_cast<std::size_t>(channel)] != 0;
}

}  // namespace

std::string CursorPaneText(const CSpectrum& spectrum, int cursor) {
  const auto& compressed = spectrum.image.compressed;
  const unsigned long counts = cursor >= 0 && static_cast<std::size_t>(cursor) < compressed.size()
                                   ? compressed[static_cast<std::size_t>(cursor)]
                                   : 0;
  if (!IsCalibrated(spectrum)) return FormatText("CURSOR: %-6d  COUNTS: %-10lu", cursor, counts);
  const std::string energy =
      FormatText("%.2f %s", WorkingCurve(spectrum).Energy(cursor), UnitText(spectrum).c_str());
  return FormatText("CURSOR: %-6d = %-14s  COUNTS: %-10lu", cursor, energy.c_str(), counts);
}

std::string RoiPaneText(const CSpectrum& spectrum, int cursor) {
  if (!Marked(spectrum, cursor)) return " ";
  int first = cursor;
  int last = cursor;
  while (Marked(spectrum, first - 1)) --first;
  while (Marked(spectrum, last + 1)) ++last;
  char text[64];
  std::snprintf(text, sizeof text, "ROI: %6d to %-6d  W: %-6d", first, last, last - first);
  return text;
}

}  // namespace korva
