#include "spectrum/acquisition_run.h"

#include "spectrum/acquisition_registers.h"
#include "spectrum/acquisition_start_stamp.h"

namespace korva {

namespace {

namespace r = acquisition_register;
constexpr std::uint16_t kRunBits = acquisition_bit::kRun | acquisition_bit::kRunCompanion;

bool Running(std::uint16_t control) { return (control & acquisition_bit::kRun) != 0; }

bool Connected(const CommandEngine& engine) { return engine.DeviceAnswered(); }

}  // namespace

void ApplyStartStamp(RegisterImage& registers, const StartTime& stamp) {
  registers[r::kControl] =
      static_cast<std::uint16_t>(WithStartReference(registers[r::kControl], stamp.reference) | kRunBits);
  registers[r::kStartDate] = StartDateRegister(stamp.calendar);
  registers[r::kStartTime] = StartTimeRegister(stamp.calendar);
}

void ApplyStop(RegisterImage& registers) {
  registers[r::kControl] = static_cast<std::uint16_t>(registers[r::kControl] & ~kRunBits);
}

void ApplyEraseRequest(RegisterImage& registers) {
  const unsigned set = acquisition_bit::kEraseRequest | acquisition_bit::kEraseArmed;
  registers[r::kControl] =
      static_cast<std::uint16_t>((registers[r::kControl] | set) & ~unsigned{acquisition_bit::kEraseDone});
}

bool CanStartAcquisition(bool connected, std::uint16_t bufferControl, bool bufferActive) {
  return connected && bufferActive && !Running(bufferControl);
}

bool CanStopAcquisition(bool connected, std::uint16_t bufferControl, bool bufferActive) {
  return connected && bufferActive && Running(bufferControl);
}

StartTexts StartAcquisition(AcquisitionRunContext& context) {
  DeviceImage& image = context.engine.Image();
  const CommandEngine::ReadBackHold hold(context.engine);
  if (context.reference.NeedsTimeReferenceChoice()) context.chooseReference();
  if (!Connected(context.engine)) {
    return {StartReferenceLabel(image.registers[r::kControl]), kHardwareNotConnectedText};
  }
  const StartTime stamp = AwaitStampSecond([&] { return context.reference.StartTimeNow(); }, context.sleep);
  ApplyStartStamp(image.registers, stamp);
  context.engine.SendSettingsRegisters();
  context.log.AddLine("Start Spectrum Acquisition");
  return {StartReferenceLabel(image.registers[r::kControl]), StartStampText(image.registers)};
}

void StopAcquisition(AcquisitionRunContext& context) {
  DeviceImage& image = context.engine.Image();
  const CommandEngine::ReadBackHold hold(context.engine);
  ApplyStop(image.registers);
  if (!Connected(context.engine)) return;
  context.engine.SendSettingsRegisters();
  context.log.AddLine("Stop Spectrum Acquisition");
}

std::optional<StartTexts> EraseAcquisition(AcquisitionRunContext& context,
                                           const AcquisitionSettings& settings) {
  DeviceImage& image = context.engine.Image();
  const CommandEngine::ReadBackHold hold(context.engine);
  ApplyEraseRequest(image.registers);
  WriteAcquisitionSettings(settings, image.registers);
  if (!Connected(context.engine)) return std::nullopt;
  if (Running(image.registers[r::kControl])) return StartAcquisition(context);
  image.registers[r::kStartDate] = 0;
  context.engine.SendSettingsRegisters();
  return std::nullopt;
}

void ApplyAcquisitionSettings(CommandEngine& engine, const AcquisitionSettings& settings) {
  EditRegisters(engine, [&](RegisterImage& registers) { WriteAcquisitionSettings(settings, registers); });
}

void ClickAutoUpdate(CommandEngine& engine, bool ticked) {
  engine.SetSpectrumPolling(ticked);
  engine.RequestAllRegisters();
}

}  // namespace korva
