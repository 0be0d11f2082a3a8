#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "devicelink/register_edit.h"

namespace korva {

// The numeric fields of the shaper form. The unfolding constants come in
// two sets, one for inputs A/B/C and one for input E.
enum class ShaperField {
  kSlowRise,
  kSlowFlatTop,
  kFastRise,
  kFastFlatTop,
  kLongTcAbc,
  kShortTcAbc,
  kLongTcE,
  kShortTcE,
  kSlowThreshold,
  kFastThreshold,
  kBlrSlow,
  kBlrFast,
  kFactor,
};
inline constexpr std::size_t kShaperFieldCount = 13;

struct ShaperFieldRange {
  int minimum;
  int maximum;
  int initial;
};
const ShaperFieldRange& RangeOf(ShaperField field);

// The check boxes of the shaper form.
enum class ShaperCheck { kPileUpOn, kEnhanced, kSlowSym, kAcc, kFastSym, kAuto, kFine };
inline constexpr std::size_t kShaperCheckCount = 7;

// The three lists whose drop-downs a refresh must leave alone while open.
enum class ShaperList { kSlowMargin, kFastMargin, kBdc };

// Everything the shaper form shows, ready for its controls.
struct ShaperControls {
  std::array<int, kShaperFieldCount> fields{};
  std::array<bool, kShaperCheckCount> checks{};
  std::array<int, 3> lists{};  // positions, by ShaperList
  int shape = 0;               // "TRAPEZOIDAL"
  // The unfolding set shown and enabled: input E, or A/B/C.
  bool unfoldingE = false;
  std::string unfoldingTitle;
  // The [us] and [ns] readings beside the times and the visible unfolding set.
  std::string slowRiseUs, slowFlatTopUs, fastRiseUs, fastFlatTopUs, longTcUs, shortTcNs;
  // A threshold of 0 shows "AUTO" and its margin list instead of the field.
  bool slowAuto = true;
  bool fastAuto = true;
  // "FACTOR" while normalisation AUTO is off; "FINE" and "BDC" while on.
  bool factorEnabled = false;
  bool fineEnabled = true;
  std::string estimatedSlow, estimatedFast;

  int Field(ShaperField field) const { return fields[static_cast<std::size_t>(field)]; }
  bool Check(ShaperCheck check) const { return checks[static_cast<std::size_t>(check)]; }
  int List(ShaperList list) const { return lists[static_cast<std::size_t>(list)]; }
};

// The shaper set-up: the view state of the shaper form, decoded from the
// active spectrum's registers by Refresh and encoded into the buffer
// spectrum's registers by Compose. A control change returns the block it is
// sent with (all registers for the shaper times and the unfolding constants,
// which lie below register 12; the settings block otherwise); before
// FirstUpdate handlers do nothing and return none.
class ShaperSetup {
 public:
  ShaperSetup();

  // Lists at their first entries, normalisation AUTO on and FINE off, both
  // thresholds 0 (AUTO), every field at its initial value, the A/B/C
  // unfolding set hidden. The next Refresh takes every register.
  void FirstUpdate();
  bool Initialised() const { return initialised_; }
  const ShaperControls& Controls() const { return controls_; }

  // The normalisation multipliers the thresholds are scaled with.
  std::uint32_t SlowMultiplier() const { return ns_; }
  std::uint32_t FastMultiplier() const { return nf_; }

  // Decodes `registers` (the active spectrum's, whose channel compression
  // is `compression`) into the form. A register equal to its copy from the
  // last compose or refresh is not taken again, and a threshold equal to
  // the one shown is not re-shown, unless a full refresh was marked.
  // Never writes the image.
  void Refresh(const RegisterImage& registers, std::uint32_t compression);
  // The next refresh shows every field again.
  void MarkFullRefresh();
  // The next refresh shows both thresholds again (the input class changed).
  void MarkThresholds();

  // Encodes the state into the buffer spectrum's registers: times, the
  // normalisation, register 13 bits 14/15, the trace viewer's compose,
  // derived registers, thresholds, margins and BDC, BLR, unfolding.
  void Compose(RegisterImage& registers, std::uint32_t compression,
               const std::function<void(RegisterImage&)>& traceCompose = {});
  // The gain normalisation factor F (registers 20/21) of `registers` from
  // the AUTO, FINE, BDC and FACTOR controls, the rise times and the input
  // class of register 18 bit 15; also sets the multipliers Ns = 4F and
  // Nf = 4G with G = register 4 x F / register 2 (kept when register 2 is 0).
  void ComposeNormalisation(RegisterImage& registers);

  // Shows the unfolding set of the input class.
  void SetUnfoldingSet(bool inputE);

  // A numeric field typed or stepped: clamped to its range (FACTOR is
  // limited by its spin only, and 0 becomes 1 in the compose).
  std::optional<RegisterBlock> SetField(ShaperField field, int value);
  std::optional<RegisterBlock> SetCheck(ShaperCheck check, bool ticked);
  // A list selection confirmed; it closes the list's drop-down.
  std::optional<RegisterBlock> SelectList(ShaperList list, int position);
  void SetDropDownOpen(ShaperList list, bool open);

  // The threshold copy between the shaper and PHA forms: the slow field
  // takes a value in displayed channels, 0 or less meaning automatic.
  void TakeSlowThreshold(int channels);
  // The PHA form edited the slow BLR value and its SYM flag.
  void TakeBlrSlow(int value, bool sym);

 private:
  // The state of a first update, not yet initialised.
  void Reset();
  int& FieldRef(ShaperField field) { return controls_.fields[static_cast<std::size_t>(field)]; }
  bool& CheckRef(ShaperCheck check) { return controls_.checks[static_cast<std::size_t>(check)]; }
  void ShowTimes();
  void ShowUnfolding();
  void ShowThresholdModes();
  void EnableNormalisation();
  void TakeMultipliers(const RegisterImage& registers, std::uint32_t factor);
  void RefreshTimes(const RegisterImage& registers);
  void RefreshNormalisation(const RegisterImage& registers);
  void RefreshThreshold(const RegisterImage& registers, bool slow, std::uint32_t compression);
  void RefreshMarginsAndBlr(const RegisterImage& registers);

  ShaperControls controls_;
  std::array<bool, 3> dropDownOpen_{};
  std::uint32_t ns_ = 4;
  std::uint32_t nf_ = 4;
  std::uint32_t fastFactor_ = 1;
  std::uint32_t composedFactor_ = 1;
  std::array<int, 2> thresholdCache_{};  // slow, fast
  bool fullRefresh_ = true;
  bool initialised_ = false;
  // Registers 2-5, 8-11, 30 and 31 as last composed or decoded.
  RegisterImage copies_{};
};

}  // namespace korva
