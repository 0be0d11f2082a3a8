#include "spectrum/plot_geometry.h"

#include <algorithm>

namespace korva {

PlotGeometry::PlotGeometry(const ClientRect& client)
    : left_(client.left + 20),
      right_(client.right - 10),
      // A window too narrow for the margins still maps channels somewhere.
      width_(std::max(client.right - client.left - 30, 1)),
      top_(client.top + 20),
      baseline_(client.bottom - 25),
      height_(std::max(client.bottom - 25 - (client.top + 20), 4)) {
  right_ = std::max(right_, left_);
}

int PlotGeometry::ChannelX(int channel, int first, int span) const {
  if (span <= 0) return left_;
  const std::int64_t x =
      left_ + PixelsPerChannel(span) + static_cast<std::int64_t>(channel - first) * width_ / span;
  return static_cast<int>(std::clamp<std::int64_t>(x, left_, right_));
}

int PlotGeometry::CursorX(int cursor, int first, int span) const {
  if (span <= 0) return left_;
  return left_ + PixelsPerChannel(span) / 2 +
         static_cast<int>(static_cast<std::int64_t>(cursor - first) * width_ / span);
}

int PlotGeometry::ChannelAtX(int x, int first, int span) const {
  const std::int64_t offset = x - (left_ + PixelsPerChannel(span) / 2);
  return static_cast<int>(offset * span / width_) + first;
}

}  // namespace korva
