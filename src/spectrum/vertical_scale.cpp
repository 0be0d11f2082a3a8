#include "spectrum/vertical_scale.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace korva {

namespace {

constexpr std::array<const char*, VerticalScale::kMaxLinearIndex + 1> kFullScaleTexts = {
    "1",  "2",  "4",   "8",   "16",  "32",   "64",   "128",  "256",  "512", "1k",
    "2k", "4k", "8k",  "16k", "32k", "65k",  "130k", "260k", "520k", "1M",  "2M",
    "4M", "8M", "17M", "33M", "67M", "134M", "270M", "540M", "1B",   "2B"};

}  // namespace

void VerticalScale::SetIndex(int index) {
  if (linear_) {
    linearIndex_ = std::clamp(index, 0, kMaxLinearIndex);
  } else {
    logIndex_ = std::clamp(index, 0, kMaxLogIndex);
  }
  automatic_ = false;
}

void VerticalScale::SetLogarithmic() {
  linear_ = false;
  automatic_ = false;
}

// Linear heights are exact in 64 bits: counts × height never overflows
// there, for any index.
std::int64_t VerticalScale::BarHeight(std::uint32_t counts, int plotHeight) const {
  if (linear_)
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(counts) * plotHeight) >> linearIndex_);
  if (counts == 0) return kNoBar;
  return static_cast<std::int64_t>(std::log2(static_cast<double>(counts)) * plotHeight / (16 << logIndex_));
}

bool VerticalScale::AdjustAutomatic(std::int64_t highestBar, int plotHeight) {
  if (!automatic_ || !linear_) return false;
  const int before = linearIndex_;
  if (highestBar > plotHeight) {
    for (std::int64_t h = highestBar; h > plotHeight && linearIndex_ < kMaxLinearIndex; h /= 2)
      ++linearIndex_;
  } else if (highestBar < plotHeight / 4) {
    for (std::int64_t h = std::max<std::int64_t>(highestBar, 1); h < plotHeight / 2 && linearIndex_ > 0;
         h *= 2) {
      --linearIndex_;
    }
  }
  return linearIndex_ != before;
}

std::string VerticalScale::Label() const {
  if (!linear_) return "LOG  ";
  char text[16];
  std::snprintf(text, sizeof text, "%4.4s  ", kFullScaleTexts[static_cast<std::size_t>(linearIndex_)]);
  return text;
}

ScrollBarState VerticalScale::ScrollBar() const {
  return {0, linear_ ? kMaxLinearIndex : kMaxLogIndex, 0, Index()};
}

}  // namespace korva
