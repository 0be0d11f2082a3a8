#pragma once

#include <string>

#include "spectrum/spectrum_record.h"

namespace korva {

// The status bar's cursor pane: "CURSOR: %-6d  COUNTS: %-10lu" with the
// displayed channel under the cursor and its compressed sum; on a
// calibrated spectrum the channel is followed by "= <energy> <unit>".
std::string CursorPaneText(const CSpectrum& spectrum, int cursor);

// The status bar's ROI pane: " " when the cursor's displayed channel is not
// marked, else "ROI: %6d to %-6d  W: %-6d" with the first and last channel
// of the contiguous marked run around the cursor and their distance.
std::string RoiPaneText(const CSpectrum& spectrum, int cursor);

}  // namespace korva
