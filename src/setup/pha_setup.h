#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "devicelink/register_edit.h"

namespace korva {

// Everything the PHA OPTIONS form shows.
struct PhaControls {
  bool useInternalBlr = false;
  bool tdcrTriggered = false;
  int phaSlow = 500;  // the slow BLR value, 0..1023
  bool sym = false;
  // The LLD threshold in displayed channels; 0 is automatic and shows
  // "AUTO" and the margin list instead of the edit.
  int threshold = 0;
  bool thresholdAuto = true;
  int margin = 0;  // position in the "Auto Margin" list
  std::string estimatedLld;
  // "PHA/SLOW", its spin and "SYM" follow "USE INTERNAL BLR".
  bool blrControlsEnabled = false;
};

// The pulse-height-analysis options: decoded from the active spectrum's
// registers by Decode and encoded into the buffer spectrum's by Encode.
// Register 30 is shared with the shaper: bits 0-13 and 15 are this form's
// PHA/SLOW and SYM, bit 14 (the shaper's ACC) is carried as decoded.
class PhaSetup {
 public:
  // Both check boxes clear, the threshold automatic.
  void FirstUpdate();
  bool Initialised() const { return initialised_; }
  const PhaControls& Controls() const { return controls_; }

  // Decodes `registers` of a spectrum whose channel compression is
  // `compression`. The threshold is re-shown only when the register pair's
  // value changed, or after MarkThreshold.
  void Decode(const RegisterImage& registers, std::uint32_t compression);
  void Encode(RegisterImage& registers, std::uint32_t compression) const;
  void MarkThreshold();

  // Control changes; each returns whether the settings are to be applied
  // (never before the first update).
  bool SetUseInternalBlr(bool checked);
  bool SetTdcrTriggered(bool checked);
  bool SetPhaSlow(int value);  // clamped to 0..1023
  bool SetSym(bool checked);
  bool SetThreshold(int channels);  // clamped to 0..2048
  bool SelectMargin(int position);  // closes the drop-down
  void SetDropDownOpen(bool open) { marginOpen_ = open; }

  // The threshold copy from the shaper's slow field, in displayed channels,
  // 0 or less meaning automatic.
  void TakeThreshold(int channels);

 private:
  PhaControls controls_;
  bool acc_ = false;
  // The full-resolution threshold last decoded (-1 automatic); -100 before any.
  int thresholdCache_ = -100;
  bool marginOpen_ = false;
  bool initialised_ = false;
};

}  // namespace korva
