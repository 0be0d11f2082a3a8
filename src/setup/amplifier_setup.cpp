#include "setup/amplifier_setup.h"

#include "devicelink/register_map.h"
#include "setup/amplifier_input.h"

namespace korva {

namespace {

constexpr int kFirstUpdateAdcOffset = 2000;
constexpr int kFirstUpdateAmplifierOffset = 10000;

}  // namespace

AmplifierSetup::AmplifierSetup() : coarseTable_(BuildCoarseGainTable()) {}

void AmplifierSetup::FirstUpdate(const AmplifierSpectrumFields& active) {
  controls_ = AmplifierControls{};
  inputNumber_ = 1;
  inputE_ = true;
  pha_ = false;
  controls_.autoOffset = true;
  controls_.adcOffset = kFirstUpdateAdcOffset;
  controls_.amplifierOffset = kFirstUpdateAmplifierOffset;
  ShowFine(0, true);
  EnableOffsets();
  controls_.stepsEnabled = false;
  ShowDigitalIo();
  initialised_ = true;
  inputDecoded_ = false;
  FillCoarseList(active);
}

void AmplifierSetup::FillCoarseList(const AmplifierSpectrumFields& active) {
  coarseTable_ = BuildCoarseGainTable();
  controls_.coarseTexts.clear();
  for (const CoarseGainEntry& entry : coarseTable_)
    controls_.coarseTexts.push_back(CoarseGainText(entry.factor));
  const int remembered = active.RememberedCoarse(pha_);
  controls_.coarse = remembered >= 0 && remembered < static_cast<int>(coarseTable_.size()) ? remembered : 0;
  ShowTotal();
}

bool AmplifierSetup::Refresh(const RegisterImage& registers, AmplifierSpectrumFields& active) {
  const int previousInput = inputNumber_;
  inputNumber_ = McaInputNumber(registers[reg::kTdcrControl]);
  // The first read-back after a first update takes every field, even one
  // that happens to equal a copy left from before (a reconnect).
  const bool takeAll = !inputDecoded_;

  if (takeAll || registers[reg::kFineGain] != register17Copy_) {
    register17Copy_ = registers[reg::kFineGain];
    ShowFine(FineOfRegister(register17Copy_), true);
  }

  const std::uint16_t register18 = registers[reg::kAmplifier];
  const bool inputChanged =
      !inputDecoded_ || register18 != active.register18Shadow || inputNumber_ != previousInput;
  if (inputChanged) {
    inputDecoded_ = true;
    active.register18Shadow = register18;
    TakeInputClass((register18 & reg::amplifier::kInputE) != 0, (register18 & reg::amplifier::kPhaMode) != 0,
                   active);
    active.coarseSteps = kCoarseGainSteps;
    active.RememberedCoarse(pha_) = CoarseIndexOfRegister(coarseTable_, register18, active.coarseSteps);
    FillCoarseList(active);
  }

  if (takeAll || registers[reg::kAmplifierOffset] != register12Copy_) {
    register12Copy_ = registers[reg::kAmplifierOffset];
    controls_.amplifierOffset = AmplifierOffsetOfRegister(register12Copy_, inputE_);
  }
  controls_.adcOffset = registers[reg::kAdcOffset];
  controls_.autoOffset = AutoOffset(registers[reg::kControl]);
  if (controls_.adcOffset == kDefaultAdcOffset) controls_.adcDefault = true;
  EnableOffsets();

  if (takeAll || registers[reg::kDigitalIoFlags] != register75Copy_) {
    register75Copy_ = registers[reg::kDigitalIoFlags];
    digitalIoFlags_ = static_cast<std::uint16_t>(register75Copy_ & reg::digital_io::kFlagMask);
  }
  if (takeAll || registers[reg::kDigitalIoFunctions] != register76Copy_) {
    register76Copy_ = registers[reg::kDigitalIoFunctions];
    for (std::size_t i = 0; i < kOutputLines.size(); ++i) {
      controls_.function[i] = FunctionPosition(register76Copy_, kOutputLines[i]);
    }
  }
  ShowDigitalIo();
  return inputChanged;
}

void AmplifierSetup::Compose(RegisterImage& registers, AmplifierSpectrumFields& buffer,
                             const AmplifierComposeHooks& hooks) {
  if (!initialised_) return;
  if (hooks.traceCompose) hooks.traceCompose(registers);

  const std::size_t coarse = static_cast<std::size_t>(controls_.coarse);
  const std::uint16_t code = coarse < coarseTable_.size() ? coarseTable_[coarse].code : 0;
  registers[reg::kAmplifier] =
      ComposeRegister18(registers[reg::kAmplifier], code, buffer.coarseSteps, inputE_, buffer.pha);
  registers[reg::kTdcrControl] = WithMcaInputNumber(registers[reg::kTdcrControl], inputNumber_);
  registers[reg::kFineGain] = FineRegister(controls_.fine);
  registers[reg::kAmplifierCleared] =
      static_cast<std::uint16_t>(registers[reg::kAmplifierCleared] & reg::kAmplifierClearedKept);
  registers[reg::kAdcOffset] = static_cast<std::uint16_t>(ClampAdcOffset(controls_.adcOffset));
  registers[reg::kControl] = WithAutoOffset(registers[reg::kControl], controls_.autoOffset);

  register12Copy_ = AmplifierOffsetRegister(controls_.amplifierOffset, inputE_);
  registers[reg::kAmplifierOffset] = register12Copy_;
  register76Copy_ = ComposeRegister76(controls_.function);
  registers[reg::kDigitalIoFunctions] = register76Copy_;
  register75Copy_ = ComposeRegister75(digitalIoFlags_);
  registers[reg::kDigitalIoFlags] = register75Copy_;

  buffer.register18Shadow = registers[reg::kAmplifier];
  // The shaper scales its normalisation to the gain just composed.
  if (hooks.normalisationCompose) hooks.normalisationCompose(registers);
}

std::optional<AmplifierChange> AmplifierSetup::SelectMcaInput(int listIndex,
                                                              AmplifierSpectrumFields& active) {
  if (!initialised_) return std::nullopt;
  const McaInput input = McaInputOfListIndex(listIndex);
  inputNumber_ = input.number;
  TakeInputClass(input.inputE, input.pha, active);
  active.coarseSteps = kCoarseGainSteps;
  FillCoarseList(active);
  return Changed(RegisterBlock::kSettings, true);
}

std::optional<AmplifierChange> AmplifierSetup::SelectCoarse(int index, AmplifierSpectrumFields& active) {
  if (!initialised_) return std::nullopt;
  if (index < 0 || index >= static_cast<int>(coarseTable_.size())) index = 0;
  controls_.coarse = index;
  ShowTotal();
  active.RememberedCoarse(pha_) = index;
  return Changed(RegisterBlock::kSettings);
}

std::optional<AmplifierChange> AmplifierSetup::SetFine(int fine) {
  if (!initialised_) return std::nullopt;
  ShowFine(ClampFine(fine), !fineTextFocused_);
  return Changed(RegisterBlock::kSettings);
}

// The typed factor moves the spin; the spin's own change then recomputes the
// factor from the integer but leaves the text being typed alone.
std::optional<AmplifierChange> AmplifierSetup::TypeFineFactor(std::string_view text) {
  if (!initialised_ || !fineTextFocused_) return std::nullopt;
  const std::optional<int> fine = FineOfTypedFactor(text);
  if (!fine) return std::nullopt;
  controls_.fineText = std::string(text);
  ShowFine(*fine, false);
  return Changed(RegisterBlock::kSettings);
}

std::optional<AmplifierChange> AmplifierSetup::SetFineTextFocus(bool focused) {
  const bool lost = fineTextFocused_ && !focused;
  fineTextFocused_ = focused;
  if (!lost) return std::nullopt;
  return SetFine(controls_.fine);
}

std::optional<AmplifierChange> AmplifierSetup::SetAdcOffset(int offset) {
  if (!initialised_) return std::nullopt;
  controls_.adcOffset = ClampAdcOffset(offset);
  return Changed(RegisterBlock::kAll);
}

std::optional<AmplifierChange> AmplifierSetup::ClickAdcDefault(bool ticked) {
  if (!initialised_) return std::nullopt;
  controls_.adcDefault = ticked;
  controls_.adcOffset = AdcOffsetAfterDefaultClick(ticked, controls_.adcOffset);
  controls_.adcEnabled = !ticked;
  return Changed(RegisterBlock::kAll);
}

std::optional<AmplifierChange> AmplifierSetup::SetAmplifierOffset(int offset) {
  if (!initialised_) return std::nullopt;
  controls_.amplifierOffset = ClampAmplifierOffset(offset);
  return Changed(RegisterBlock::kAll);
}

// A change of AUTO leaves a successive approximation's step as it is; the
// next "SAR" starts over.
std::optional<AmplifierChange> AmplifierSetup::ClickAuto(bool on) {
  if (!initialised_) return std::nullopt;
  controls_.autoOffset = on;
  controls_.amplifierEnabled = !on;
  controls_.sarEnabled = !on;
  controls_.stepsEnabled = false;
  return Changed(RegisterBlock::kAll);
}

std::optional<AmplifierChange> AmplifierSetup::StartSar() {
  if (!initialised_) return std::nullopt;
  controls_.amplifierOffset = sar_.Start();
  controls_.sarEnabled = false;
  controls_.stepsEnabled = true;
  return Changed(RegisterBlock::kAll);
}

std::optional<AmplifierChange> AmplifierSetup::PressSarStep(bool up) {
  if (!initialised_) return std::nullopt;
  controls_.amplifierOffset = sar_.Press(controls_.amplifierOffset, up);
  if (!sar_.Running()) {
    controls_.sarEnabled = true;
    controls_.stepsEnabled = false;
  }
  return Changed(RegisterBlock::kAll);
}

std::optional<AmplifierChange> AmplifierSetup::SelectRin(int position) {
  if (!initialised_) return std::nullopt;
  digitalIoFlags_ = WithRinPosition(digitalIoFlags_, position);
  ShowDigitalIo();
  return Changed(RegisterBlock::kAll);
}

std::optional<AmplifierChange> AmplifierSetup::SelectDrive(OutputLine line, int position) {
  if (!initialised_) return std::nullopt;
  digitalIoFlags_ = WithDrivePosition(digitalIoFlags_, line, position);
  ShowDigitalIo();
  return Changed(RegisterBlock::kAll);
}

std::optional<AmplifierChange> AmplifierSetup::SelectFunction(OutputLine line, int position) {
  if (!initialised_) return std::nullopt;
  controls_.function[Slot(line)] = position >= 0 && position < 4 ? position : 0;
  return Changed(RegisterBlock::kAll);
}

std::size_t AmplifierSetup::Slot(OutputLine line) {
  switch (line) {
    case OutputLine::kS:
      return 1;
    case OutputLine::kT:
      return 2;
    case OutputLine::kRout:
      break;
  }
  return 0;
}

std::optional<AmplifierChange> AmplifierSetup::Changed(RegisterBlock send, bool inputChanged) const {
  return AmplifierChange{send, inputChanged};
}

void AmplifierSetup::ShowFine(int fine, bool writeText) {
  controls_.fine = fine;
  fineFactor_ = FineFactor(fine);
  if (writeText) controls_.fineText = GainText(fineFactor_);
  ShowTotal();
}

void AmplifierSetup::ShowTotal() {
  const std::size_t coarse = static_cast<std::size_t>(controls_.coarse);
  const double factor = coarse < coarseTable_.size() ? coarseTable_[coarse].factor : 1.0;
  controls_.totalText = GainText(factor * fineFactor_);
}

void AmplifierSetup::TakeInputClass(bool inputE, bool pha, AmplifierSpectrumFields& active) {
  inputE_ = inputE;
  pha_ = pha;
  active.inputE = inputE;
  active.pha = pha;
  controls_.mcaInput = ListIndexOfMcaInput({inputNumber_, pha, inputE});
  active.inputLabel = kMcaInputTexts[static_cast<std::size_t>(controls_.mcaInput)];
}

void AmplifierSetup::ShowDigitalIo() {
  controls_.dinFunction = 0;
  controls_.rinFunction = RinPosition(digitalIoFlags_);
  for (std::size_t i = 0; i < kOutputLines.size(); ++i) {
    controls_.drive[i] = DrivePosition(digitalIoFlags_, kOutputLines[i]);
  }
}

// "SAR" is offered only between runs; a running approximation keeps its
// buttons as they are.
void AmplifierSetup::EnableOffsets() {
  controls_.adcEnabled = !controls_.adcDefault;
  controls_.amplifierEnabled = !controls_.autoOffset;
  if (!sar_.Running()) controls_.sarEnabled = !controls_.autoOffset;
}

void SendAmplifierChange(CommandEngine& engine, AmplifierSetup& setup, AmplifierSpectrumFields& buffer,
                         bool bufferActive, RegisterBlock block, const AmplifierComposeHooks& hooks) {
  if (!bufferActive) return;
  EditRegisters(
      engine, [&](RegisterImage& registers) { setup.Compose(registers, buffer, hooks); }, block);
}

}  // namespace korva
