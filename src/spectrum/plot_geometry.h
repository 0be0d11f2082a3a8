#pragma once

#include <cstdint>

namespace korva {

// A widget's client rectangle in pixels (right and bottom exclusive, as
// Qt's QRect::right() + 1 and bottom() + 1).
struct ClientRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Where the spectrum plot lies in its window and how displayed channels
// map to pixel columns. The plot keeps margins of 20 pixels left and top,
// 10 right and 25 below the baseline for the channel labels.
class PlotGeometry {
 public:
  PlotGeometry() = default;
  explicit PlotGeometry(const ClientRect& client);

  int Left() const { return left_; }
  int Right() const { return right_; }
  int Width() const { return width_; }
  int Top() const { return top_; }
  int Baseline() const { return baseline_; }
  // At least 4 pixels, however small the window.
  int Height() const { return height_; }

  // Whole pixels per displayed channel (0 when more channels than pixels).
  int PixelsPerChannel(int span) const { return span > 0 ? width_ / span : 0; }
  // The column of displayed channel `channel` in a window starting at
  // `first`, held within the plot.
  int ChannelX(int channel, int first, int span) const;
  // The x of the cursor line.
  int CursorX(int cursor, int first, int span) const;
  // The displayed channel under a mouse x (not held within the window).
  int ChannelAtX(int x, int first, int span) const;

  bool operator==(const PlotGeometry&) const = default;

 private:
  int left_ = 20;
  int right_ = 21;
  int width_ = 1;
  int top_ = 20;
  int baseline_ = 24;
  int height_ = 4;
};

}  // namespace korva
