#include "acquisition/acquisition_run.h"

#include "devicelink/register_map.h"
#include "spectrum/acquisition_start_stamp.h"

namespace korva {

namespace {

constexpr std::uint16_t kRunBits = reg::control::kRun | reg::control::kRunCompanion;

bool Running(std::uint16_t control) { return (control & reg::control::kRun) != 0; }

bool Connected(const CommandEngine& engine) { return engine.DeviceAnswered(); }

}  // namespace

void ApplyStartStamp(RegisterImage& registers, const StartTime& stamp) {
  registers[reg::kControl] =
      static_cast<std::uint16_t>(WithStartReference(registers[reg::kControl], stamp.reference) | kRunBits);
  registers[reg::kStartDate] = StartDateRegister(stamp.calendar);
  registers[reg::kStartTime] = StartTimeRegister(stamp.calendar);
}

void ApplyStop(RegisterImage& registers) {
  registers[reg::kControl] = static_cast<std::uint16_t>(registers[reg::kControl] & ~kRunBits);
}

void ApplyEraseRequest(RegisterImage& registers) {
  const unsigned set = reg::control::kEraseRequest | reg::control::kEraseArmed;
  registers[reg::kControl] =
      static_cast<std::uint16_t>((registers[reg::kControl] | set) & ~unsigned{reg::control::kEraseDone});
}

bool CanStartAcquisition(bool connected, std::uint16_t bufferControl, bool bufferActive) {
  return connected && bufferActive && !Running(bufferControl);
}

bool CanStopAcquisition(bool connected, std::uint16_t bufferControl, bool bufferActive) {
  return connected && bufferActive && Running(bufferControl);
}

namespace {

// A start on a fresh spectrum: the reference is chosen when one is due,
// and nothing starts when the user closes the dialog without a choice.
std::optional<StartTexts> StampedStart(AcquisitionRunContext& context) {
  DeviceImage& image = context.engine.Image();
  const CommandEngine::ReadBackHold hold(context.engine);
  if (context.reference.NeedsTimeReferenceChoice()) context.chooseReference();
  if (context.reference.NeedsTimeReferenceChoice()) return std::nullopt;
  if (!Connected(context.engine)) {
    return StartTexts{StartReferenceLabel(image.registers[reg::kControl]), kHardwareNotConnectedText};
  }
  const StartTime stamp = AwaitStampSecond([&] { return context.reference.StartTimeNow(); }, context.sleep);
  ApplyStartStamp(image.registers, stamp);
  context.engine.SendSettingsRegisters();
  context.log.AddLine("Start Spectrum Acquisition");
  return StartTexts{StartReferenceLabel(image.registers[reg::kControl]), StartStampText(image.registers)};
}

// A stopped acquisition that kept its spectrum goes on counting REAL from
// its first start, so it keeps that start's stamp.
std::optional<StartTexts> ResumedStart(AcquisitionRunContext& context) {
  DeviceImage& image = context.engine.Image();
  const CommandEngine::ReadBackHold hold(context.engine);
  image.registers[reg::kControl] = static_cast<std::uint16_t>(image.registers[reg::kControl] | kRunBits);
  context.engine.SendSettingsRegisters();
  context.log.AddLine("Start Spectrum Acquisition");
  return StartTexts{StartReferenceLabel(image.registers[reg::kControl]), StartStampText(image.registers)};
}

bool HoldsEarlierRun(const RegisterImage& registers) {
  const bool counted = registers[reg::kRealTimeLow] != 0 || registers[reg::kRealTimeLow + 1] != 0;
  return HasStartStamp(registers) && counted;
}

}  // namespace

std::optional<StartTexts> StartAcquisition(AcquisitionRunContext& context) {
  if (Connected(context.engine) && HoldsEarlierRun(context.engine.Image().registers)) {
    return ResumedStart(context);
  }
  return StampedStart(context);
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
  if (Running(image.registers[reg::kControl])) return StampedStart(context);
  image.registers[reg::kStartDate] = 0;
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
