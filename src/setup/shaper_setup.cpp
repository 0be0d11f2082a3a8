#include "setup/shaper_setup.h"

#include <algorithm>
#include <cmath>

#include "setup/shaper_registers.h"

namespace korva {

namespace {

constexpr int kUnshownThreshold = -100;

// Indexed by ShaperField.
constexpr std::array<ShaperFieldRange, kShaperFieldCount> kRanges = {{
    {1, 2040, 240},   // slow rise
    {1, 255, 1},      // slow flat top
    {1, 1020, 16},    // fast rise
    {1, 255, 1},      // fast flat top
    {0, 8191, 2000},  // long TC, A/B/C
    {0, 255, 16},     // short TC, A/B/C
    {0, 8191, 4000},  // long TC, E
    {0, 255, 32},     // short TC, E
    {0, 2048, 0},     // slow threshold
    {0, 2048, 0},     // fast threshold
    {0, 1023, 500},   // BLR slow
    {0, 255, 100},    // BLR fast
    {1, 270000, 1},   // normalisation factor
}};

// The fields that lie in registers 2-11, below the settings block.
bool BelowSettingsBlock(ShaperField field) { return field <= ShaperField::kShortTcE; }

struct FieldRegister {
  ShaperField field;
  std::size_t index;
};
constexpr std::array<FieldRegister, 8> kPlainRegisters = {{
    {ShaperField::kSlowRise, reg::kSlowRise},
    {ShaperField::kSlowFlatTop, reg::kSlowFlatTop},
    {ShaperField::kFastRise, reg::kFastRise},
    {ShaperField::kFastFlatTop, reg::kFastFlatTop},
    {ShaperField::kLongTcE, reg::kLongTcE},
    {ShaperField::kLongTcAbc, reg::kLongTcAbc},
    {ShaperField::kShortTcE, reg::kShortTcE},
    {ShaperField::kShortTcAbc, reg::kShortTcAbc},
}};

std::uint16_t Bit(bool on, std::uint16_t bit) { return on ? bit : std::uint16_t{0}; }

std::string Decimal(std::uint64_t value) { return std::to_string(value); }

}  // namespace

const ShaperFieldRange& RangeOf(ShaperField field) { return kRanges[static_cast<std::size_t>(field)]; }

ShaperSetup::ShaperSetup() { Reset(); }

void ShaperSetup::FirstUpdate() {
  Reset();
  initialised_ = true;
}

void ShaperSetup::Reset() {
  controls_ = ShaperControls{};
  for (std::size_t i = 0; i < kShaperFieldCount; ++i) controls_.fields[i] = kRanges[i].initial;
  CheckRef(ShaperCheck::kAuto) = true;
  dropDownOpen_ = {};
  thresholdCache_ = {kUnshownThreshold, kUnshownThreshold};
  ShowThresholdModes();
  EnableNormalisation();
  SetUnfoldingSet(true);
  ShowTimes();
  fullRefresh_ = true;
}

void ShaperSetup::MarkFullRefresh() { fullRefresh_ = true; }

void ShaperSetup::MarkThresholds() { thresholdCache_ = {kUnshownThreshold, kUnshownThreshold}; }

void ShaperSetup::Refresh(const RegisterImage& registers, std::uint32_t compression) {
  if (!initialised_) return;
  compression = std::max<std::uint32_t>(compression, 1);
  RefreshTimes(registers);
  CheckRef(ShaperCheck::kPileUpOn) = (registers[reg::kPileUp] & reg::pile_up::kOff) == 0;
  CheckRef(ShaperCheck::kEnhanced) = (registers[reg::kPileUp] & reg::pile_up::kEnhanced) != 0;
  RefreshNormalisation(registers);
  RefreshThreshold(registers, true, compression);
  RefreshThreshold(registers, false, compression);
  RefreshMarginsAndBlr(registers);
  controls_.estimatedSlow =
      Decimal(RegisterPair(registers, reg::kSlowEstimateLow) / (std::uint64_t{compression} * ns_));
  controls_.estimatedFast =
      Decimal(RegisterPair(registers, reg::kFastEstimateLow) / (std::uint64_t{compression} * nf_));
  fullRefresh_ = false;
}

void ShaperSetup::RefreshTimes(const RegisterImage& registers) {
  for (const auto& [field, index] : kPlainRegisters) {
    if (!fullRefresh_ && registers[index] == copies_[index]) continue;
    copies_[index] = registers[index];
    FieldRef(field) = registers[index];
  }
  ShowTimes();
  ShowUnfolding();
}

void ShaperSetup::RefreshNormalisation(const RegisterImage& registers) {
  const std::uint16_t high = registers[reg::kNormalisationHigh];
  std::uint32_t factor = registers[reg::kNormalisationLow] |
                         static_cast<std::uint32_t>(high & reg::normalisation::kHighMask) << 16;
  if (!dropDownOpen_[static_cast<std::size_t>(ShaperList::kBdc)]) {
    controls_.lists[static_cast<std::size_t>(ShaperList::kBdc)] = std::min(
        (registers[reg::kMargins] >> reg::margins::kBdcAt) & reg::margins::kCodeMask, kBdcEntries - 1);
  }
  CheckRef(ShaperCheck::kAuto) = (high & reg::normalisation::kAutomatic) != 0;
  CheckRef(ShaperCheck::kFine) = (high & reg::normalisation::kFine) != 0;
  EnableNormalisation();
  factor = std::max<std::uint32_t>(factor, 1);
  FieldRef(ShaperField::kFactor) = static_cast<int>(factor);
  TakeMultipliers(registers, factor);
}

// The instrument scales its thresholds with the factor it holds, so a
// decode takes the multipliers from the read-back factor.
void ShaperSetup::TakeMultipliers(const RegisterImage& registers, std::uint32_t factor) {
  composedFactor_ = factor;
  if (const std::uint16_t slowRise = registers[reg::kSlowRise]; slowRise != 0) {
    // A fast rise far above the slow one (a file's registers) would give a
    // fast factor beyond what the multiplier holds: it stops at the
    // largest factor.
    const double fast = std::trunc(static_cast<double>(registers[reg::kFastRise]) * factor / slowRise);
    fastFactor_ = std::max<std::uint32_t>(
        static_cast<std::uint32_t>(std::min(fast, double{reg::normalisation::kFactorMask})), 1);
  }
  fastFactor_ = std::max<std::uint32_t>(fastFactor_, 1);
  ns_ = 4 * factor;
  nf_ = 4 * fastFactor_;
}

void ShaperSetup::RefreshThreshold(const RegisterImage& registers, bool slow, std::uint32_t compression) {
  const std::size_t low = slow ? reg::kSlowThresholdLow : reg::kFastThresholdLow;
  const int threshold = DecodeThreshold(RegisterPair(registers, low), slow ? ns_ : nf_);
  int& cache = thresholdCache_[slow ? 0 : 1];
  if (!fullRefresh_ && threshold == cache) return;
  cache = threshold;
  FieldRef(slow ? ShaperField::kSlowThreshold : ShaperField::kFastThreshold) =
      ThresholdField(threshold, compression);
  ShowThresholdModes();
}

void ShaperSetup::RefreshMarginsAndBlr(const RegisterImage& registers) {
  const std::uint16_t margins = registers[reg::kMargins];
  for (const auto& [list, shift] : {std::pair{ShaperList::kSlowMargin, reg::margins::kSlowAt},
                                    std::pair{ShaperList::kFastMargin, reg::margins::kFastAt}}) {
    const auto slot = static_cast<std::size_t>(list);
    if (!dropDownOpen_[slot])
      controls_.lists[slot] = MarginPosition((margins >> shift) & reg::margins::kCodeMask);
  }
  const std::uint16_t slowBlr = registers[reg::kBlrSlow];
  const std::uint16_t fastBlr = registers[reg::kBlrFast];
  if (fullRefresh_ || (slowBlr & reg::blr::kSlowMask) != (copies_[reg::kBlrSlow] & reg::blr::kSlowMask))
    FieldRef(ShaperField::kBlrSlow) = slowBlr & reg::blr::kSlowMask;
  if (fullRefresh_ || (fastBlr & reg::blr::kFastMask) != (copies_[reg::kBlrFast] & reg::blr::kFastMask))
    FieldRef(ShaperField::kBlrFast) = fastBlr & reg::blr::kFastMask;
  copies_[reg::kBlrSlow] = slowBlr;
  copies_[reg::kBlrFast] = fastBlr;
  CheckRef(ShaperCheck::kSlowSym) = (slowBlr & reg::blr::kSym) != 0;
  CheckRef(ShaperCheck::kAcc) = (slowBlr & reg::blr::kAcc) != 0;
  CheckRef(ShaperCheck::kFastSym) = (fastBlr & reg::blr::kSym) != 0;
}

void ShaperSetup::Compose(RegisterImage& registers, std::uint32_t compression,
                          const std::function<void(RegisterImage&)>& traceCompose) {
  if (!initialised_) return;
  compression = std::max<std::uint32_t>(compression, 1);
  for (const auto& [field, index] : kPlainRegisters) {
    registers[index] = static_cast<std::uint16_t>(controls_.Field(field));
    copies_[index] = registers[index];
  }
  ComposeNormalisation(registers);
  registers[reg::kPileUp] =
      static_cast<std::uint16_t>((registers[reg::kPileUp] & ~(reg::pile_up::kOff | reg::pile_up::kEnhanced)) |
                                 Bit(!controls_.Check(ShaperCheck::kPileUpOn), reg::pile_up::kOff) |
                                 Bit(controls_.Check(ShaperCheck::kEnhanced), reg::pile_up::kEnhanced));
  if (traceCompose) traceCompose(registers);
  ComposeDerivedShaperRegisters(registers);
  SetRegisterPair(registers, reg::kSlowThresholdLow,
                  EncodeThreshold(controls_.Field(ShaperField::kSlowThreshold), compression, ns_));
  SetRegisterPair(registers, reg::kFastThresholdLow,
                  EncodeThreshold(controls_.Field(ShaperField::kFastThreshold), compression, nf_));
  registers[reg::kMargins] = static_cast<std::uint16_t>(
      (registers[reg::kMargins] & reg::margins::kKept) | MarginCode(controls_.List(ShaperList::kSlowMargin)) |
      MarginCode(controls_.List(ShaperList::kFastMargin)) << reg::margins::kFastAt |
      controls_.List(ShaperList::kBdc) << reg::margins::kBdcAt);
  registers[reg::kBlrSlow] =
      static_cast<std::uint16_t>((controls_.Field(ShaperField::kBlrSlow) & reg::blr::kSlowMask) |
                                 Bit(controls_.Check(ShaperCheck::kSlowSym), reg::blr::kSym) |
                                 Bit(controls_.Check(ShaperCheck::kAcc), reg::blr::kAcc));
  registers[reg::kBlrFast] =
      static_cast<std::uint16_t>((controls_.Field(ShaperField::kBlrFast) & reg::blr::kFastMask) |
                                 Bit(controls_.Check(ShaperCheck::kFastSym), reg::blr::kSym));
  copies_[reg::kBlrSlow] = registers[reg::kBlrSlow];
  copies_[reg::kBlrFast] = registers[reg::kBlrFast];
}

void ShaperSetup::ComposeNormalisation(RegisterImage& registers) {
  const bool inputE = (registers[reg::kAmplifier] & reg::amplifier::kInputE) != 0;
  const bool automatic = controls_.Check(ShaperCheck::kAuto);
  const bool fine = controls_.Check(ShaperCheck::kFine);
  double factor = controls_.Field(ShaperField::kFactor);
  if (automatic) {
    double b = registers[reg::kSlowRise] * 40960.0 / (inputE ? 16384.0 : 65536.0);
    const int longTc = controls_.Field(inputE ? ShaperField::kLongTcE : ShaperField::kLongTcAbc);
    if (fine && longTc != 0) b = b * longTc / (inputE ? 512.0 : 128.0);
    int& bdc = controls_.lists[static_cast<std::size_t>(ShaperList::kBdc)];
    if (bdc < 0 || bdc >= kBdcEntries) bdc = 0;
    factor = std::trunc(BdcValue(bdc) * b);
  }
  const auto f = std::clamp<std::uint32_t>(static_cast<std::uint32_t>(std::max(factor, 0.0)), 1,
                                           reg::normalisation::kFactorMask);
  if (automatic) FieldRef(ShaperField::kFactor) = static_cast<int>(f);
  registers[reg::kNormalisationLow] = static_cast<std::uint16_t>(f & 0xFFFF);
  registers[reg::kNormalisationHigh] = static_cast<std::uint16_t>(
      (f >> 16 & reg::normalisation::kHighMask) | Bit(automatic, reg::normalisation::kAutomatic) |
      Bit(fine, reg::normalisation::kFine));
  TakeMultipliers(registers, f);
}

void ShaperSetup::SetUnfoldingSet(bool inputE) {
  controls_.unfoldingE = inputE;
  controls_.unfoldingTitle = inputE ? "UNFOLDING Input E" : "UNFOLDING Input ABC";
  ShowUnfolding();
}

std::optional<RegisterBlock> ShaperSetup::SetField(ShaperField field, int value) {
  if (!initialised_) return std::nullopt;
  const ShaperFieldRange& range = RangeOf(field);
  FieldRef(field) = std::clamp(value, range.minimum, range.maximum);
  ShowTimes();
  ShowUnfolding();
  ShowThresholdModes();
  return BelowSettingsBlock(field) ? RegisterBlock::kAll : RegisterBlock::kSettings;
}

std::optional<RegisterBlock> ShaperSetup::SetCheck(ShaperCheck check, bool ticked) {
  if (!initialised_) return std::nullopt;
  CheckRef(check) = ticked;
  EnableNormalisation();
  return RegisterBlock::kSettings;
}

std::optional<RegisterBlock> ShaperSetup::SelectList(ShaperList list, int position) {
  if (!initialised_) return std::nullopt;
  const int entries = list == ShaperList::kBdc ? kBdcEntries : kMarginEntries;
  controls_.lists[static_cast<std::size_t>(list)] = position >= 0 && position < entries ? position : 0;
  dropDownOpen_[static_cast<std::size_t>(list)] = false;
  return RegisterBlock::kSettings;
}

void ShaperSetup::SetDropDownOpen(ShaperList list, bool open) {
  dropDownOpen_[static_cast<std::size_t>(list)] = open;
}

void ShaperSetup::TakeSlowThreshold(int channels) {
  FieldRef(ShaperField::kSlowThreshold) =
      std::clamp(channels, 0, RangeOf(ShaperField::kSlowThreshold).maximum);
  ShowThresholdModes();
}

void ShaperSetup::TakeBlrSlow(int value, bool sym) {
  FieldRef(ShaperField::kBlrSlow) = std::clamp(value, 0, RangeOf(ShaperField::kBlrSlow).maximum);
  CheckRef(ShaperCheck::kSlowSym) = sym;
}

void ShaperSetup::ShowTimes() {
  controls_.slowRiseUs = SampleTimeText(controls_.Field(ShaperField::kSlowRise));
  controls_.slowFlatTopUs = SampleTimeText(controls_.Field(ShaperField::kSlowFlatTop));
  controls_.fastRiseUs = SampleTimeText(controls_.Field(ShaperField::kFastRise));
  controls_.fastFlatTopUs = SampleTimeText(controls_.Field(ShaperField::kFastFlatTop));
}

void ShaperSetup::ShowUnfolding() {
  const bool e = controls_.unfoldingE;
  controls_.longTcUs = LongTcText(controls_.Field(e ? ShaperField::kLongTcE : ShaperField::kLongTcAbc));
  controls_.shortTcNs = ShortTcText(controls_.Field(e ? ShaperField::kShortTcE : ShaperField::kShortTcAbc));
}

void ShaperSetup::ShowThresholdModes() {
  controls_.slowAuto = controls_.Field(ShaperField::kSlowThreshold) == 0;
  controls_.fastAuto = controls_.Field(ShaperField::kFastThreshold) == 0;
}

void ShaperSetup::EnableNormalisation() {
  controls_.factorEnabled = !controls_.Check(ShaperCheck::kAuto);
  controls_.fineEnabled = controls_.Check(ShaperCheck::kAuto);
}

}  // namespace korva
