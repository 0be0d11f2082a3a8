#pragma once

#include <optional>
#include <string>

#include "spectrum/spectrum_record.h"
#include "timesync/calendar_time.h"

namespace korva {

// The start of a spectrum's acquisition as the program shows and exports
// it: the record's exact start while registers 22 and 23 still hold that
// start in their 2 s steps, else the start the registers hold; none before
// a start or when the registers hold no possible date.
std::optional<CalendarTime> SpectrumStart(const CSpectrum& spectrum);

// The acquisition view's date-time field for the spectrum: "DD/MM/YYYY
// HH:MM:SS" of SpectrumStart, else what the registers give
// (StartStampText).
std::string SpectrumStartText(const CSpectrum& spectrum);

}  // namespace korva
