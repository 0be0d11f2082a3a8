#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "timesync/calendar_time.h"

namespace korva {

// A moment as the exchange formats write it: the wall time and, when known,
// how many minutes that wall time is ahead of UTC.
struct ZonedTime {
  CalendarTime wall;
  std::optional<int> utcOffsetMinutes;
};

// "2026-12-09T07:24:52Z", "2026-12-09T08:24:52+01:00", or without a zone
// when the offset is not known. Milliseconds are written only when not 0.
std::string IsoDateTimeText(const ZonedTime& time);
// Reads what IsoDateTimeText writes, with any number of fraction digits
// (kept to milliseconds); none for anything else, including impossible
// dates and times.
std::optional<ZonedTime> ParseIsoDateTime(std::string_view text);

// Seconds with the digits they need and no more ("5", "4.9000128"), exact
// to the fine time unit of the analyser (0.128 us); 0 for a negative or
// non-finite value.
std::string ExactSecondsText(double seconds);

// "PT5.0000128S": seconds as an xsd:duration, exact to the fine time unit
// of the analyser (0.128 us).
std::string IsoDurationText(double seconds);
// Reads an xsd:duration of days, hours, minutes and seconds ("P1DT2H3M4.5S",
// "PT300S"); none for negative, year or month durations and anything else.
std::optional<double> ParseIsoDuration(std::string_view text);

}  // namespace korva
