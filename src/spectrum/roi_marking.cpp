#include "spectrum/roi_marking.h"

#include <algorithm>

namespace korva {

namespace {

// The hardware channels of displayed channel `channel`: [first, end).
struct Bin {
  std::size_t first;
  std::size_t end;
};

Bin BinOf(const CSpectrum& spectrum, int channel) {
  const std::size_t factor = spectrum.CompressionFactor();
  const std::size_t first = std::min(static_cast<std::size_t>(channel) * factor, CSpectrum::kChannels);
  return {first, std::min(first + factor, CSpectrum::kChannels)};
}

bool IsDisplayed(const CSpectrum& spectrum, int channel) {
  return channel >= 0 && channel < std::min<int>(spectrum.softSize, CSpectrum::kMaxSize);
}

}  // namespace

void MarkDisplayedChannel(CSpectrum& spectrum, int channel, bool mark) {
  if (!IsDisplayed(spectrum, channel)) return;
  const Bin bin = BinOf(spectrum, channel);
  std::fill(spectrum.roiMarks.begin() + static_cast<std::ptrdiff_t>(bin.first),
            spectrum.roiMarks.begin() + static_cast<std::ptrdiff_t>(bin.end), mark ? 1 : 0);
  spectrum.displayRoiMarks[static_cast<std::size_t>(channel)] = mark ? 1 : 0;
}

void CopyRoi(const CSpectrum& from, CSpectrum& to) {
  to.roiMarks = from.roiMarks;
  to.RebuildDisplayRoiMarks();
}

void RoiDrag::Begin(CSpectrum& spectrum, int start, bool marking, RoiMode mode) {
  active_ = true;
  marking_ = marking;
  mode_ = mode;
  start_ = std::clamp(start, 0, std::max(std::min<int>(spectrum.softSize, CSpectrum::kMaxSize) - 1, 0));
  touchedLow_ = touchedHigh_ = start_;
  roiBefore_ = spectrum.roiMarks;
  displayBefore_ = spectrum.displayRoiMarks;
  MoveTo(spectrum, start_);
}

void RoiDrag::MoveTo(CSpectrum& spectrum, int cursor) {
  if (!active_) return;
  cursor = std::clamp(cursor, 0, std::max(std::min<int>(spectrum.softSize, CSpectrum::kMaxSize) - 1, 0));
  const bool following = marking_ && mode_ == RoiMode::kFromCursor;
  const int reach = following ? ReachToward(cursor) : cursor;
  const int low = std::min(start_, reach);
  const int high = std::max(start_, reach);
  if (following) {
    for (int channel = touchedLow_; channel <= touchedHigh_; ++channel) {
      if (channel < low || channel > high) Restore(spectrum, channel);
    }
  }
  for (int channel = low; channel <= high; ++channel) MarkDisplayedChannel(spectrum, channel, marking_);
  touchedLow_ = std::min(touchedLow_, low);
  touchedHigh_ = std::max(touchedHigh_, high);
}

int RoiDrag::ReachToward(int cursor) const {
  const int step = cursor < start_ ? -1 : 1;
  // The start's own region, which the drag may run through and extend.
  bool ownRegion = displayBefore_[static_cast<std::size_t>(start_)] != 0;
  int reach = start_;
  for (int channel = start_ + step; channel != cursor + step; channel += step) {
    const bool marked = displayBefore_[static_cast<std::size_t>(channel)] != 0;
    if (marked && !ownRegion) break;
    ownRegion = ownRegion && marked;
    reach = channel;
  }
  return reach;
}

void RoiDrag::Restore(CSpectrum& spectrum, int channel) const {
  if (!IsDisplayed(spectrum, channel)) return;
  const Bin bin = BinOf(spectrum, channel);
  std::copy(roiBefore_.begin() + static_cast<std::ptrdiff_t>(bin.first),
            roiBefore_.begin() + static_cast<std::ptrdiff_t>(bin.end),
            spectrum.roiMarks.begin() + static_cast<std::ptrdiff_t>(bin.first));
  spectrum.displayRoiMarks[static_cast<std::size_t>(channel)] =
      displayBefore_[static_cast<std::size_t>(channel)];
}

}  // namespace korva
