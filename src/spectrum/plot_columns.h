#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "spectrum/plot_geometry.h"
#include "spectrum/vertical_scale.h"
#include "spectrum/visible_window.h"

namespace korva {

// One pixel column of the spectrum plot: the tallest displayed channel
// that falls on it. Height is in pixels above the baseline, held within the
// plot; VerticalScale::kNoBar where nothing is drawn.
struct PlotColumn {
  int x = 0;
  int height = 0;
  bool roi = false;  // drawn with the ROI pen
  int channel = 0;   // the displayed channel whose bar this is

  bool operator==(const PlotColumn&) const = default;
};

// A column whose bar changed since it was last drawn: the painter draws the
// difference between the two (or erases the old bar and draws the new one
// when the pen changed).
struct ColumnChange {
  std::size_t index = 0;  // into PlotColumns::Columns()
  PlotColumn before;
  PlotColumn after;
};

// The plot of the visible window reduced to pixel columns, so that a view
// paints at most one bar per pixel column whatever the span, and an update
// after a spectrum read paints only the columns that changed.
class PlotColumns {
 public:
  // Lays out the columns of the window's channels and computes every bar.
  // `counts` and `roiMarks` are indexed by displayed channel.
  void Rebuild(std::span<const std::uint32_t> counts, std::span<const std::uint8_t> roiMarks,
               const VisibleWindow& window, const VerticalScale& scale, const PlotGeometry& geometry);
  // Recomputes the bars over the layout of the last Rebuild and returns the
  // columns whose height or pen changed.
  const std::vector<ColumnChange>& Update(std::span<const std::uint32_t> counts,
                                          std::span<const std::uint8_t> roiMarks, const VerticalScale& scale);

  // Whether the last Rebuild was for this window, scale and plot.
  bool LaidOutFor(const VisibleWindow& window, const VerticalScale& scale,
                  const PlotGeometry& geometry) const;

  std::span<const PlotColumn> Columns() const { return columns_; }
  // The tallest bar in pixels before it was held within the plot, for the
  // automatic scale.
  std::int64_t HighestBar() const { return highestBar_; }

 private:
  struct Layout {
    int first = 0;
    int span = 0;
    bool linear = true;
    int index = 0;
    PlotGeometry geometry;
    bool operator==(const Layout&) const = default;
  };

  // Fills columns_ for the layout; the column of each channel is found in
  // columnOfChannel_.
  void LayOut(const Layout& layout);
  void ComputeBars(std::span<const std::uint32_t> counts, std::span<const std::uint8_t> roiMarks,
                   const VerticalScale& scale);

  Layout layout_;
  std::vector<PlotColumn> columns_;
  std::vector<std::uint32_t> columnOfChannel_;
  std::vector<ColumnChange> changes_;
  std::vector<PlotColumn> previous_;
  std::int64_t highestBar_ = 0;
};

}  // namespace korva
