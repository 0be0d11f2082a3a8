#include "cli/shaper_script.h"

#include <QJsonValue>
#include <QString>
#include <algorithm>
#include <climits>
#include <iostream>

#include "setup/shaper_registers.h"

namespace korva {

namespace {

// A value beyond what a form field holds reaches the form at the edge of
// int, which the form then clamps to the field's range.
int FieldValue(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

void NoteClamped(const WholeOption& option, int used) {
  if (option.value == used) return;
  std::cerr << "note: --" << option.name << ' ' << option.text << " is outside its range; " << used
            << " is used\n";
}

// The form's readings ("%5.4f" of µs, list entries) as JSON numbers.
QJsonValue Number(const std::string& text) { return QString::fromStdString(text).toDouble(); }
QJsonValue Count(const std::string& text) { return QString::fromStdString(text).toLongLong(); }
QJsonValue Threshold(int field) {
  return field == 0 ? QJsonValue(QStringLiteral("AUTO")) : QJsonValue(field);
}

QJsonObject Time(int samples, const std::string& microseconds) {
  return {{"samples", samples}, {"us", Number(microseconds)}};
}

QJsonObject ShaperTimes(const ShaperControls& c, bool slow) {
  const ShaperField rise = slow ? ShaperField::kSlowRise : ShaperField::kFastRise;
  const ShaperField flatTop = slow ? ShaperField::kSlowFlatTop : ShaperField::kFastFlatTop;
  return {{"riseTime", Time(c.Field(rise), slow ? c.slowRiseUs : c.fastRiseUs)},
          {"flatTop", Time(c.Field(flatTop), slow ? c.slowFlatTopUs : c.fastFlatTopUs)}};
}

QJsonObject Unfolding(const ShaperControls& c) {
  const bool e = c.unfoldingE;
  const int longTc = c.Field(e ? ShaperField::kLongTcE : ShaperField::kLongTcAbc);
  const int shortTc = c.Field(e ? ShaperField::kShortTcE : ShaperField::kShortTcAbc);
  return {{"set", QString::fromStdString(c.unfoldingTitle)},
          {"longTc", QJsonObject{{"rel", longTc}, {"us", Number(c.longTcUs)}}},
          {"shortTc", QJsonObject{{"rel", shortTc}, {"ns", Number(c.shortTcNs)}}}};
}

QJsonObject Thresholds(const ShaperControls& c) {
  return {{"slow", Threshold(c.Field(ShaperField::kSlowThreshold))},
          {"slowMargin", Number(MarginText(c.List(ShaperList::kSlowMargin)))},
          {"fast", Threshold(c.Field(ShaperField::kFastThreshold))},
          {"fastMargin", Number(MarginText(c.List(ShaperList::kFastMargin)))},
          {"estimatedSlow", Count(c.estimatedSlow)},
          {"estimatedFast", Count(c.estimatedFast)}};
}

QJsonObject Blr(const ShaperControls& c) {
  return {{"slow", c.Field(ShaperField::kBlrSlow)},
          {"slowSym", c.Check(ShaperCheck::kSlowSym)},
          {"acc", c.Check(ShaperCheck::kAcc)},
          {"fast", c.Field(ShaperField::kBlrFast)},
          {"fastSym", c.Check(ShaperCheck::kFastSym)}};
}

QJsonObject Normalisation(const ShaperControls& c) {
  return {{"factor", c.Field(ShaperField::kFactor)},
          {"auto", c.Check(ShaperCheck::kAuto)},
          {"fine", c.Check(ShaperCheck::kFine)},
          {"bdc", Number(BdcText(c.List(ShaperList::kBdc)))}};
}

QJsonObject Pha(const PhaControls& c) {
  return {{"useInternalBlr", c.useInternalBlr},
          {"tdcrTriggered", c.tdcrTriggered},
          {"phaSlow", c.phaSlow},
          {"sym", c.sym},
          {"lld", Threshold(c.threshold)},
          {"lldMargin", Number(MarginText(c.margin))},
          {"estimatedLld", Count(c.estimatedLld)}};
}

// The unfolding options name the A/B/C field; input E has its own pair.
ShaperField UnfoldingFieldOf(ShaperField field, bool inputE) {
  if (!inputE) return field;
  if (field == ShaperField::kLongTcAbc) return ShaperField::kLongTcE;
  if (field == ShaperField::kShortTcAbc) return ShaperField::kShortTcE;
  return field;
}

// All registers when any change asks for them, else the settings block.
void Merge(std::optional<RegisterBlock>& block, std::optional<RegisterBlock> change) {
  if (change && (!block || *change == RegisterBlock::kAll)) block = change;
}

}  // namespace

ShaperScript::ShaperScript(const ShaperOptions& options) : options_(options) {
  session_.Engine().AddObserver(this);
}

ShaperScript::~ShaperScript() { session_.Engine().RemoveObserver(this); }

void ShaperScript::OnRegistersRead(bool phaMode) {
  phaMode_ = phaMode;
  ++reads_;
}

std::uint32_t ShaperScript::Compression() { return session_.Buffer().CompressionFactor(); }

// Spectrum polling stays off: only registers cross the line.
bool ShaperScript::ConnectAndDecode() {
  if (!session_.ConnectAndWait(options_.port, options_.baud)) return false;
  session_.Engine().SetSpectrumPolling(false);
  if (!session_.WaitUntil([this] { return reads_ > 0; }, kReplyWaitMs)) {
    return ReportFailure("The instrument's registers could not be read.");
  }
  CSpectrum& buffer = session_.Buffer();
  amplifier_.FirstUpdate(buffer.amplifier);
  shaper_.FirstUpdate();
  pha_.FirstUpdate();
  Decode();
  return true;
}

// Both forms decode every register, as after an activation: the amplifier
// tells the input class whose unfolding set the shaper shows.
void ShaperScript::Decode() {
  CSpectrum& buffer = session_.Buffer();
  const RegisterImage& registers = buffer.image.registers;
  amplifier_.Refresh(registers, buffer.amplifier);
  shaper_.SetUnfoldingSet(buffer.amplifier.inputE);
  shaper_.MarkFullRefresh();
  shaper_.Refresh(registers, Compression());
  pha_.MarkThreshold();
  pha_.Decode(registers, Compression());
}

bool ShaperScript::Apply() {
  CommandEngine& engine = session_.Engine();
  bool sent = false;
  if (const std::optional<RegisterBlock> block = ApplyShaperOptions()) {
    EditRegisters(
        engine, [this](RegisterImage& registers) { shaper_.Compose(registers, Compression()); }, *block);
    sent = true;
  }
  if (options_.ChangesPha()) {
    // Register 30 is shared: the PHA form takes what the shaper just composed.
    pha_.Decode(engine.Image().registers, Compression());
    ApplyPhaOptions();
    EditRegisters(engine, [this](RegisterImage& registers) { pha_.Encode(registers, Compression()); });
    sent = true;
  }
  if (!sent) return true;
  if (!ReadBack()) return ReportFailure("The settings could not be written.");
  Decode();
  return true;
}

std::optional<RegisterBlock> ShaperScript::ApplyShaperOptions() {
  std::optional<RegisterBlock> block;
  const bool inputE = session_.Buffer().amplifier.inputE;
  for (const ShaperFieldOption& option : options_.fields) {
    const ShaperField field = UnfoldingFieldOf(option.field, inputE);
    Merge(block, shaper_.SetField(field, FieldValue(option.number.value)));
    NoteClamped(option.number, shaper_.Controls().Field(field));
  }
  for (const auto& [check, ticked] : options_.checks) Merge(block, shaper_.SetCheck(check, ticked));
  for (const auto& [list, position] : options_.lists) Merge(block, shaper_.SelectList(list, position));
  Merge(block, ApplyNormalisation());
  return block;
}

// FACTOR unticks AUTO; "auto" and "fine" tick it and set FINE.
std::optional<RegisterBlock> ShaperScript::ApplyNormalisation() {
  const std::optional<NormalisationOption>& normalisation = options_.normalisation;
  if (!normalisation) return std::nullopt;
  using Mode = NormalisationOption::Mode;
  std::optional<RegisterBlock> block =
      shaper_.SetCheck(ShaperCheck::kAuto, normalisation->mode != Mode::kFactor);
  if (normalisation->mode == Mode::kFactor) {
    Merge(block, shaper_.SetField(ShaperField::kFactor, FieldValue(normalisation->factor.value)));
    NoteClamped(normalisation->factor, shaper_.Controls().Field(ShaperField::kFactor));
  } else {
    Merge(block, shaper_.SetCheck(ShaperCheck::kFine, normalisation->mode == Mode::kFine));
  }
  return block;
}

void ShaperScript::ApplyPhaOptions() {
  if (options_.internalBlr) pha_.SetUseInternalBlr(*options_.internalBlr);
  if (options_.tdcrTriggered) pha_.SetTdcrTriggered(*options_.tdcrTriggered);
  if (options_.lldMargin) pha_.SelectMargin(*options_.lldMargin);
  if (options_.lld) {
    pha_.SetThreshold(FieldValue(options_.lld->value));
    NoteClamped(*options_.lld, pha_.Controls().threshold);
  }
}

// Waits until the writes are on the line and answered, then reads every
// register again, so the decode shows what the instrument took.
bool ShaperScript::ReadBack() {
  CommandEngine& engine = session_.Engine();
  const bool written = session_.WaitUntil(
      [this, &engine] {
        return writes_ > 0 && !engine.WritePending() &&
               !(engine.IsBusy() && engine.Kind() == CommandEngine::TransactionKind::kRegisterWrite);
      },
      kReplyWaitMs);
  if (!written) return false;
  const int readsBefore = reads_;
  engine.RequestAllRegisters();
  return session_.WaitUntil([&] { return reads_ > readsBefore; }, kReplyWaitMs);
}

QJsonObject ShaperScript::State() const {
  const ShaperControls& c = shaper_.Controls();
  return {{"inputE", c.unfoldingE},
          {"phaMode", phaMode_},
          {"slowShaper", ShaperTimes(c, true)},
          {"fastShaper", ShaperTimes(c, false)},
          {"unfolding", Unfolding(c)},
          {"threshold", Thresholds(c)},
          {"blr", Blr(c)},
          {"pileUp", QJsonObject{{"on", c.Check(ShaperCheck::kPileUpOn)},
                                 {"enhanced", c.Check(ShaperCheck::kEnhanced)}}},
          {"normalization", Normalisation(c)},
          {"pha", Pha(pha_.Controls())}};
}

}  // namespace korva
