#include "spectrum/plot_columns.h"

#include <algorithm>

namespace korva {

void PlotColumns::Rebuild(std::span<const std::uint32_t> counts, std::span<const std::uint8_t> roiMarks,
                          const VisibleWindow& window, const VerticalScale& scale,
                          const PlotGeometry& geometry) {
  LayOut({window.First(), window.Span(), scale.Linear(), scale.Index(), geometry});
  ComputeBars(counts, roiMarks, scale);
}

bool PlotColumns::LaidOutFor(const VisibleWindow& window, const VerticalScale& scale,
                             const PlotGeometry& geometry) const {
  return layout_ == Layout{window.First(), window.Span(), scale.Linear(), scale.Index(), geometry};
}

void PlotColumns::LayOut(const Layout& layout) {
  layout_ = layout;
  columns_.clear();
  columnOfChannel_.assign(static_cast<std::size_t>(layout.span), 0);
  for (int i = 0; i < layout.span; ++i) {
    const int channel = layout.first + i;
    const int x = layout.geometry.ChannelX(channel, layout.first, layout.span);
    if (columns_.empty() || columns_.back().x != x)
      columns_.push_back({x, VerticalScale::kNoBar, false, channel});
    columnOfChannel_[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(columns_.size() - 1);
  }
}

// Channels beyond the ends of `counts` or `roiMarks` count as empty.
void PlotColumns::ComputeBars(std::span<const std::uint32_t> counts, std::span<const std::uint8_t> roiMarks,
                              const VerticalScale& scale) {
  const int plotHeight = layout_.geometry.Height();
  std::vector<std::int64_t> tallest(columns_.size(), VerticalScale::kNoBar - 1);
  highestBar_ = 0;
  for (std::size_t i = 0; i < columnOfChannel_.size(); ++i) {
    const auto channel = static_cast<std::size_t>(layout_.first) + i;
    const std::uint32_t value = channel < counts.size() ? counts[channel] : 0;
    const std::int64_t height = scale.BarHeight(value, plotHeight);
    highestBar_ = std::max(highestBar_, height);
    const std::uint32_t index = columnOfChannel_[i];
    if (height <= tallest[index]) continue;
    tallest[index] = height;
    PlotColumn& column = columns_[index];
    column.height = static_cast<int>(std::min<std::int64_t>(height, plotHeight));
    column.roi = channel < roiMarks.size() && roiMarks[channel] != 0;
    column.channel = static_cast<int>(channel);
  }
}

const std::vector<ColumnChange>& PlotColumns::Update(std::span<const std::uint32_t> counts,
                                                     std::span<const std::uint8_t> roiMarks,
                                                     const VerticalScale& scale) {
  previous_ = columns_;
  ComputeBars(counts, roiMarks, scale);
  changes_.clear();
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const bool same = columns_[i].height == previous_[i].height && columns_[i].roi == previous_[i].roi;
    if (!same) changes_.push_back({i, previous_[i], columns_[i]});
  }
  return changes_;
}

}  // namespace korva
