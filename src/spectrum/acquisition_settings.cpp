#include "spectrum/acquisition_settings.h"

#include <algorithm>

#include "spectrum/acquisition_registers.h"
#include "spectrum/acquisition_start_stamp.h"
#include "spectrum/spectrum_start.h"

namespace korva {

namespace {

namespace r = acquisition_register;

constexpr std::uint16_t kWidthMask = 0x3FFF;
constexpr std::uint16_t kAnticoincidence = 1u << 14;
constexpr std::uint16_t kWindowed = 1u << 15;
constexpr std::uint16_t kSecondSourceMask = 0x0003;

std::uint16_t With(std::uint16_t value, std::uint16_t bit, bool on) {
  return static_cast<std::uint16_t>(on ? value | bit : value & ~bit);
}

std::uint16_t Ticks(int ticks, int maximum) { return static_cast<std::uint16_t>(ClampTicks(ticks, maximum)); }

void WriteTdcrDelay(RegisterImage& registers, std::size_t first, std::size_t second, int ticks) {
  const TdcrDelayRegisters parts = SplitTdcrDelay(ticks);
  registers[first] = parts.first;
  registers[second] = parts.second;
}

}  // namespace

void WriteAcquisitionSettings(const AcquisitionSettings& settings, RegisterImage& registers) {
  std::uint16_t control = registers[r::kControl];
  control = With(control, acquisition_bit::kLiveTimer, settings.stopTimer == 1);
  control = With(control, acquisition_bit::kPulserOff, !settings.digitalPulser);
  registers[r::kControl] = control;
  WritePresetSeconds(registers, settings.presetSeconds);

  registers[r::kCoincidenceDelay] = Ticks(settings.delay, kMaxCoincidenceDelay);
  registers[r::kStrobeDelay] = Ticks(settings.strobeDelay, kMaxStrobeDelay);
  std::uint16_t window = Ticks(settings.windowWidth, kMaxWindowWidth);
  window = With(window, kAnticoincidence, settings.mode == 1);
  registers[r::kCoincidenceWindow] = With(window, kWindowed, settings.window == 1);

  WriteTdcrDelay(registers, r::kTdcrDelay1First, r::kTdcrDelay1Second, settings.tdcrDelay[0]);
  WriteTdcrDelay(registers, r::kTdcrDelay2First, r::kTdcrDelay2Second, settings.tdcrDelay[1]);

  const auto secondSource = static_cast<unsigned>(std::clamp(settings.secondSource, 0, 3));
  registers[r::kCoincidenceInput] = static_cast<std::uint16_t>(
      (registers[r::kCoincidenceInput] & ~unsigned{kSecondSourceMask}) | secondSource);
  WriteCoincidenceSource(registers, settings.coincidenceSource);
}

AcquisitionSettings ReadAcquisitionSettings(const RegisterImage& registers) {
  const std::uint16_t control = registers[r::kControl];
  const std::uint16_t window = registers[r::kCoincidenceWindow];
  AcquisitionSettings settings;
  settings.stopTimer = (control & acquisition_bit::kLiveTimer) != 0 ? 1 : 0;
  settings.presetSeconds = PresetSeconds(registers);
  settings.digitalPulser = (control & acquisition_bit::kPulserOff) == 0;
  settings.coincidenceSource = CoincidenceSource(control, registers[r::kCoincidenceInput]);
  settings.secondSource = registers[r::kCoincidenceInput] & kSecondSourceMask;
  settings.window = (window & kWindowed) != 0 ? 1 : 0;
  settings.mode = (window & kAnticoincidence) != 0 ? 1 : 0;
  settings.delay = registers[r::kCoincidenceDelay];
  settings.strobeDelay = registers[r::kStrobeDelay];
  settings.windowWidth = window & kWidthMask;
  settings.tdcrDelay[0] = TdcrDelay(registers[r::kTdcrDelay1First], registers[r::kTdcrDelay1Second]);
  settings.tdcrDelay[1] = TdcrDelay(registers[r::kTdcrDelay2First], registers[r::kTdcrDelay2Second]);
  return settings;
}

AcquisitionReadout ReadAcquisition(const CSpectrum& spectrum) {
  const RegisterImage& registers = spectrum.image.registers;
  AcquisitionReadout readout;
  readout.times = DecodeRunTimes(registers);
  readout.realTime = RunTimeText(readout.times.realSeconds);
  readout.liveTime = RunTimeText(readout.times.liveSeconds);
  readout.deadPercent = DeadPercentText(readout.times.deadPercent);
  readout.startLabel = StartReferenceLabel(registers[r::kControl]);
  readout.startStamp = SpectrumStartText(spectrum);
  readout.temperature = TemperatureText(spectrum.image.temperature);
  readout.slowAdc = SlowAdcText(spectrum.image.slowAdc);
  readout.rates = DecodeCountingRates(registers);

  const AcquisitionSettings settings = ReadAcquisitionSettings(registers);
  readout.microseconds = {MicrosecondText(settings.delay), MicrosecondText(settings.strobeDelay),
                          MicrosecondText(settings.tdcrDelay[0]), MicrosecondText(settings.tdcrDelay[1]),
                          MicrosecondText(settings.windowWidth)};
  return readout;
}

}  // namespace korva
