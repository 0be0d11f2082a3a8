#include "acquisition/acquisition_settings.h"

#include <algorithm>

#include "devicelink/register_map.h"
#include "spectrum/acquisition_start_stamp.h"
#include "spectrum/spectrum_start.h"
#include "tdcr/tdcr_settings.h"

namespace korva {

namespace {

namespace window_bits = reg::coincidence_window;

std::uint16_t Ticks(int ticks, int maximum) { return static_cast<std::uint16_t>(ClampTicks(ticks, maximum)); }

void WriteTdcrDelay(RegisterImage& registers, std::size_t first, std::size_t second, int ticks) {
  const TdcrDelayRegisters parts = SplitTdcrDelay(ticks);
  registers[first] = parts.first;
  registers[second] = parts.second;
}

}  // namespace

void WriteAcquisitionSettings(const AcquisitionSettings& settings, RegisterImage& registers) {
  std::uint16_t control = registers[reg::kControl];
  control = reg::WithBit(control, reg::control::kLiveTimer, settings.stopTimer == 1);
  control = reg::WithBit(control, reg::control::kPulserOff, !settings.digitalPulser);
  registers[reg::kControl] = control;
  WritePresetSeconds(registers, settings.presetSeconds);

  registers[reg::kCoincidenceDelay] = Ticks(settings.delay, kMaxCoincidenceDelay);
  registers[reg::kStrobeDelay] = Ticks(settings.strobeDelay, kMaxStrobeDelay);
  std::uint16_t window = Ticks(settings.windowWidth, kMaxWindowWidth);
  window = reg::WithBit(window, window_bits::kAnticoincidence, settings.mode == 1);
  registers[reg::kCoincidenceWindow] = reg::WithBit(window, window_bits::kWindowed, settings.window == 1);

  WriteTdcrDelay(registers, reg::kTdcrDelay1First, reg::kTdcrDelay1Second, settings.tdcrDelay[0]);
  WriteTdcrDelay(registers, reg::kTdcrDelay2First, reg::kTdcrDelay2Second, settings.tdcrDelay[1]);

  const auto secondSource = static_cast<unsigned>(std::clamp(settings.secondSource, 0, 3));
  registers[reg::kCoincidenceInput] = static_cast<std::uint16_t>(
      (registers[reg::kCoincidenceInput] & ~unsigned{reg::coincidence_input::kSecondSourceMask}) |
      secondSource);
  WriteCoincidenceSource(registers, settings.coincidenceSource);
}

AcquisitionSettings ReadAcquisitionSettings(const RegisterImage& registers) {
  const std::uint16_t control = registers[reg::kControl];
  const std::uint16_t window = registers[reg::kCoincidenceWindow];
  AcquisitionSettings settings;
  settings.stopTimer = (control & reg::control::kLiveTimer) != 0 ? 1 : 0;
  settings.presetSeconds = PresetSeconds(registers);
  settings.digitalPulser = (control & reg::control::kPulserOff) == 0;
  settings.coincidenceSource = CoincidenceSource(control, registers[reg::kCoincidenceInput]);
  settings.secondSource = registers[reg::kCoincidenceInput] & reg::coincidence_input::kSecondSourceMask;
  settings.window = (window & window_bits::kWindowed) != 0 ? 1 : 0;
  settings.mode = (window & window_bits::kAnticoincidence) != 0 ? 1 : 0;
  settings.delay = registers[reg::kCoincidenceDelay];
  settings.strobeDelay = registers[reg::kStrobeDelay];
  settings.windowWidth = window & window_bits::kWidthMask;
  settings.tdcrDelay[0] = TdcrDelay(registers[reg::kTdcrDelay1First], registers[reg::kTdcrDelay1Second]);
  settings.tdcrDelay[1] = TdcrDelay(registers[reg::kTdcrDelay2First], registers[reg::kTdcrDelay2Second]);
  return settings;
}

AcquisitionReadout ReadAcquisition(const CSpectrum& spectrum) {
  const RegisterImage& registers = spectrum.image.registers;
  AcquisitionReadout readout;
  readout.times = DecodeRunTimes(registers);
  readout.realTime = RunTimeText(readout.times.realSeconds);
  readout.liveTime = RunTimeText(readout.times.liveSeconds);
  readout.deadPercent = DeadPercentText(readout.times.deadPercent);
  readout.startLabel = StartReferenceLabel(registers[reg::kControl]);
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

int TdcrDelayExtension(const RegisterImage& registers, std::size_t signal) {
  return ExtensionPosition(registers[reg::kExtension1 + (signal == 0 ? 0 : 1)]);
}

}  // namespace korva
