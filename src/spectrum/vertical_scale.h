#pragma once

#include <cstdint>
#include <string>

#include "spectrum/visible_window.h"

namespace korva {

// The vertical scale of a spectrum display. Linear: the plot height stands
// for 2^index counts (index 0-31). Logarithmic: log2 of the counts, the
// plot height standing for 2^16 (index 0) or 2^32 (index 1) counts. The
// automatic scale (linear only) moves the linear index after each drawing
// so that the highest bar fits.
class VerticalScale {
 public:
  static constexpr int kMaxLinearIndex = 31;
  static constexpr int kMaxLogIndex = 1;
  // A bar height for counts that have no bar: zero counts in the
  // logarithmic scale (their logarithm is not finite), so a channel without
  // counts leaves the plot empty there.
  static constexpr std::int64_t kNoBar = -1;

  bool Linear() const { return linear_; }
  bool Automatic() const { return automatic_; }
  int LinearIndex() const { return linearIndex_; }
  int LogIndex() const { return logIndex_; }
  // The index of the scale in use.
  int Index() const { return linear_ ? linearIndex_ : logIndex_; }

  // "Expand Vertical Scale", Up arrow, scroll up: index − 1.
  void Expand() { SetIndex(Index() - 1); }
  // "Compress Vertical Scale", Down arrow, scroll down: index + 1.
  void Compress() { SetIndex(Index() + 1); }
  // The mouse wheel: index + delta ÷ 120.
  void Wheel(int delta) { SetIndex(Index() + delta / 120); }
  // Sets the index of the scale in use, held within its range; the user
  // choosing a scale switches the automatic scale off.
  void SetIndex(int index);

  void SetLinear() { linear_ = true; }
  void SetLogarithmic();
  // On when off with the linear scale; otherwise off.
  void ToggleAutomatic() { automatic_ = !automatic_ && linear_; }

  // The height in pixels of a bar of `counts` on a plot `plotHeight` high,
  // not held within the plot; kNoBar for zero counts in the logarithmic
  // scale.
  std::int64_t BarHeight(std::uint32_t counts, int plotHeight) const;

  // After a drawing whose highest bar was `highestBar` pixels (unclamped):
  // a bar beyond the plot halves the scale until it fits, a highest bar
  // below a quarter of the plot doubles it until the bar reaches half the
  // plot. Only with the automatic linear scale. Returns whether the index
  // changed.
  bool AdjustAutomatic(std::int64_t highestBar, int plotHeight);

  // The top-left label: "%4.4s  " of the full-scale count ("  1k  ") or
  // "LOG  ".
  std::string Label() const;
  // Range 0 ... 31 (or 0 ... 1), position the index.
  ScrollBarState ScrollBar() const;

 private:
  bool linear_ = true;
  int linearIndex_ = 9;
  int logIndex_ = 0;
  bool automatic_ = false;
};

}  // namespace korva
