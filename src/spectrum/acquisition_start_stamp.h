#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "devicelink/register_edit.h"
#include "timesync/calendar_time.h"
#include "timesync/time_reference.h"

namespace korva {

// The start of a spectrum acquisition as the instrument keeps it: the date
// in register 22 (day + 32 x month + 512 x (year - 2000)) and the time in
// register 23 (second / 2 + 32 x minute + 2048 x hour), so seconds are held
// in steps of 2. Years outside 2000..2127 are taken at the nearest end of
// what the register holds.
std::uint16_t StartDateRegister(const CalendarTime& time);
std::uint16_t StartTimeRegister(const CalendarTime& time);

inline constexpr const char* kWaitingForStartText = "WAITING FOR START";
inline constexpr const char* kHardwareNotConnectedText = "Hardware Not Connected";

// Register 22 holds a start date (it is 512 or more).
bool HasStartStamp(const RegisterImage& registers);
// The start registers 22 and 23 hold as a calendar time; none before a
// start or when they hold no possible date.
std::optional<CalendarTime> StartStampCalendar(const RegisterImage& registers);
// The date-time field: "WAITING FOR START" while register 22 is below 512,
// else "DD/MM/YYYY  HH:MM:SS" from registers 22 and 23.
std::string StartStampText(const RegisterImage& registers);
// "DD/MM/YYYY  HH:MM:SS", the date-time field's form of a start.
std::string StartStampText(const CalendarTime& start);
// The start-time label from register 16 bits 10 (UTC) and 11 (SYSTEM).
std::string StartReferenceLabel(std::uint16_t control);
// Register 16 with bits 10 and 11 telling the reference of the stamp.
std::uint16_t WithStartReference(std::uint16_t control, TimeReferenceKind reference);

// Whether `reading` may be stamped: its second differs from the first
// reading's and is even, so the stamp falls on a second the instrument
// can hold and no earlier than the start was asked for.
bool IsStampSecond(const CalendarTime& first, const CalendarTime& reading);

// Reads the time until IsStampSecond holds, sleeping until the next
// candidate second between readings instead of spinning. A clock that does
// not move within 3 s of sleeping ends the wait with its last reading.
StartTime AwaitStampSecond(const std::function<StartTime()>& read,
                           const std::function<void(std::chrono::milliseconds)>& sleep);

}  // namespace korva
