#include "spectrum/spectrum_start.h"

#include "devicelink/register_map.h"
#include "spectrum/acquisition_start_stamp.h"

namespace korva {

namespace {

// The exact start, when the registers still hold it: a new stamp, an
// erase or a register read of another run replaces what the record kept.
std::optional<CalendarTime> HeldExactStart(const CSpectrum& spectrum) {
  if (!spectrum.exactStart) return std::nullopt;
  const RegisterImage& registers = spectrum.image.registers;
  const bool held = registers[reg::kStartDate] == StartDateRegister(*spectrum.exactStart) &&
                    registers[reg::kStartTime] == StartTimeRegister(*spectrum.exactStart);
  if (!held || !StartStampCalendar(registers)) return std::nullopt;
  return spectrum.exactStart;
}

}  // namespace

std::optional<CalendarTime> SpectrumStart(const CSpectrum& spectrum) {
  if (const std::optional<CalendarTime> exact = HeldExactStart(spectrum)) return exact;
  return StartStampCalendar(spectrum.image.registers);
}

std::string SpectrumStartText(const CSpectrum& spectrum) {
  if (const std::optional<CalendarTime> exact = HeldExactStart(spectrum)) return StartStampText(*exact);
  return StartStampText(spectrum.image.registers);
}

}  // namespace korva
