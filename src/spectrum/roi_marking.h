#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "spectrum/spectrum_record.h"

namespace korva {

// How a marking drag treats the channels it passes (one setting shared by
// both spectrum windows).
enum class RoiMode {
  kMarkOver,    // "Mark Over": every channel passed over stays marked
  kFromCursor,  // "From Cursor": the marked range follows the cursor
};

// Marks or unmarks displayed channel `channel` (below the soft size): its
// display mark and the ROI marks of all its hardware channels.
void MarkDisplayedChannel(CSpectrum& spectrum, int channel, bool mark);

// Copy ROI "File to Buffer" / "Buffer to File": all 4096 ROI marks, then
// the destination's display marks are rebuilt.
void CopyRoi(const CSpectrum& from, CSpectrum& to);

// One marking or unmarking drag, by mouse or by keys, from the channel the
// cursor stood on when it began to wherever the cursor is now.
//
// Unmarking, and marking in "Mark Over", set every channel between the
// start and the cursor; moving back changes nothing. Marking "From Cursor"
// marks the channels between the start and the cursor only: it stops before
// a channel of another region (one the start did not already belong to),
// and channels it marked are given back their earlier state as the cursor
// moves back toward the start.
class RoiDrag {
 public:
  // Marks (or unmarks) the start channel.
  void Begin(CSpectrum& spectrum, int start, bool marking, RoiMode mode);
  void MoveTo(CSpectrum& spectrum, int cursor);
  void End() { active_ = false; }

  bool Active() const { return active_; }
  bool Marking() const { return marking_; }

 private:
  // The range "From Cursor" may mark from the start toward `cursor`.
  int ReachToward(int cursor) const;
  void Restore(CSpectrum& spectrum, int channel) const;

  bool active_ = false;
  bool marking_ = true;
  RoiMode mode_ = RoiMode::kMarkOver;
  int start_ = 0;
  // Channels the drag has touched, for giving them back.
  int touchedLow_ = 0;
  int touchedHigh_ = 0;
  // Both kinds of marks as they were when the drag began.
  std::array<std::uint8_t, CSpectrum::kChannels> roiBefore_{};
  std::array<std::uint8_t, CSpectrum::kChannels> displayBefore_{};
};

}  // namespace korva
