#include "spectrum/spectrum_display.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "spectrum/calibration_fit.h"
#include "spectrum/plain_number.h"

namespace korva {

namespace {

constexpr int kMaxRepeats = 255;

std::string IntegerLabel(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// "%9.2f " right-aligned, or "%-9.2f " left-aligned.
// A calibrated label carries its unit ("661.66 keV"), so the axis never
// shows energies that could be read as channels.
std::string EnergyLabel(double energy, bool leftAligned, std::string_view unit) {
  std::string text = FixedText(energy, leftAligned ? 0 : 9, 2) + " " + std::string(unit);
  const std::size_t width = 10 + unit.size();
  if (leftAligned && text.size() < width) text.append(width - text.size(), ' ');
  return text + " ";
}

std::string_view UnitOf(const CalibrationRecord& calibration) {
  const auto index = static_cast<std::size_t>(calibration.units);
  std::string_view unit = index < kCalibrationUnits.size() ? kCalibrationUnits[index] : kCalibrationUnits[0];
  return unit.substr(unit.find_first_not_of(' '));
}

}  // namespace

SpectrumDisplay::SpectrumDisplay(CSpectrum& spectrum, const RoiMode& roiMode)
    : spectrum_(spectrum), roiMode_(roiMode) {
  FollowSoftSize();
}

SpectrumDisplay::State SpectrumDisplay::Snapshot() const {
  return {window_.First(), window_.Span(), window_.Cursor(), window_.SoftSize(),
          scale_.Index(),  drawStyle_,     scale_.Linear()};
}

Repaint SpectrumDisplay::Compare(const State& before, bool barsChanged) const {
  const State now = Snapshot();
  if (now.first != before.first || now.span != before.span || now.softSize != before.softSize ||
      now.scaleIndex != before.scaleIndex || now.linear != before.linear ||
      now.drawStyle != before.drawStyle) {
    return Repaint::kFull;
  }
  if (barsChanged) return Repaint::kBars;
  return now.cursor != before.cursor ? Repaint::kCursor : Repaint::kNone;
}

void SpectrumDisplay::FollowSoftSize() {
  if (window_.SoftSize() != spectrum_.softSize) window_.Reset(spectrum_.softSize);
}

Repaint SpectrumDisplay::SetSpectrumSizes(std::int32_t hard, std::int32_t soft, bool force) {
  if (spectrum_.SetSizes(hard, soft, force)) window_.Reset(spectrum_.softSize);
  FollowSoftSize();
  return Repaint::kFull;
}

Repaint SpectrumDisplay::SetClientRect(const ClientRect& client) {
  geometry_ = PlotGeometry(client);
  return Repaint::kFull;
}

Repaint SpectrumDisplay::ExpandAroundCursor() {
  const State before = Snapshot();
  window_.ExpandAroundCursor();
  return Compare(before);
}

Repaint SpectrumDisplay::CompressAroundCursor() {
  const State before = Snapshot();
  window_.CompressAroundCursor();
  return Compare(before);
}

Repaint SpectrumDisplay::ExpandFromLeft() {
  const State before = Snapshot();
  window_.ExpandFromLeft();
  return Compare(before);
}

Repaint SpectrumDisplay::CompressFromLeft() {
  const State before = Snapshot();
  window_.CompressFromLeft();
  return Compare(before);
}

Repaint SpectrumDisplay::ShowFullSpectrum() {
  const State before = Snapshot();
  window_.ShowFullSpectrum();
  return Compare(before);
}

Repaint SpectrumDisplay::ExpandVerticalScale() {
  scale_.Expand();
  return Repaint::kFull;
}

Repaint SpectrumDisplay::CompressVerticalScale() {
  scale_.Compress();
  return Repaint::kFull;
}

Repaint SpectrumDisplay::ToggleAutomaticScale() {
  scale_.ToggleAutomatic();
  return Repaint::kFull;
}

Repaint SpectrumDisplay::SetLinearScale() {
  scale_.SetLinear();
  return Repaint::kFull;
}

Repaint SpectrumDisplay::SetLogarithmicScale() {
  scale_.SetLogarithmic();
  return Repaint::kFull;
}

Repaint SpectrumDisplay::HorizontalScroll(ScrollAction action, int thumb) {
  const State before = Snapshot();
  switch (action) {
    case ScrollAction::kLineBack:
      window_.ScrollLine(-1);
      break;
    case ScrollAction::kLineForward:
      window_.ScrollLine(1);
      break;
    case ScrollAction::kPageBack:
      window_.ScrollPage(-1);
      break;
    case ScrollAction::kPageForward:
      window_.ScrollPage(1);
      break;
    case ScrollAction::kThumb:
      window_.ScrollTo(thumb);
      break;
  }
  return Compare(before);
}

Repaint SpectrumDisplay::VerticalScroll(ScrollAction action, int thumb) {
  if (action == ScrollAction::kThumb) {
    scale_.SetIndex(thumb);
  } else if (action == ScrollAction::kLineBack || action == ScrollAction::kPageBack) {
    scale_.Expand();
  } else {
    scale_.Compress();
  }
  return Repaint::kFull;
}

Repaint SpectrumDisplay::Wheel(int delta) {
  scale_.Wheel(delta);
  return Repaint::kFull;
}

Repaint SpectrumDisplay::KeyDown(SpectrumKey key, KeyModifiers modifiers) {
  if (key == SpectrumKey::kLeft || key == SpectrumKey::kRight) {
    return ArrowKey(key == SpectrumKey::kLeft ? -1 : 1, modifiers);
  }
  repeats_ = 0;
  switch (key) {
    case SpectrumKey::kUp:
      return ExpandVerticalScale();
    case SpectrumKey::kDown:
      return CompressVerticalScale();
    case SpectrumKey::kHome:
      return ShowFullSpectrum();
    case SpectrumKey::kI:
      return ExpandAroundCursor();
    case SpectrumKey::kO:
      return CompressAroundCursor();
    case SpectrumKey::kSpace:
      drawStyle_ = (drawStyle_ + 1) % kDrawStyles;
      return Repaint::kFull;
    default:
      return Repaint::kNone;
  }
}

// The cursor moves by one channel more for every 16 auto-repeats of the
// key. Shift marks and Ctrl unmarks from where the cursor stood at the
// first such key press.
Repaint SpectrumDisplay::ArrowKey(int direction, KeyModifiers modifiers) {
  const State before = Snapshot();
  const int step = repeats_ / 16 + 1;
  repeats_ = std::min(repeats_ + 1, kMaxRepeats);
  const bool marking = modifiers.shift || modifiers.control;
  if (marking && !drag_.Active()) {
    drag_.Begin(spectrum_, window_.Cursor(), modifiers.shift, roiMode_);
    keyDrag_ = true;
  }
  window_.MoveCursorBy(direction * step);
  if (drag_.Active()) drag_.MoveTo(spectrum_, window_.Cursor());
  return Compare(before, drag_.Active());
}

Repaint SpectrumDisplay::KeyUp() {
  repeats_ = 0;
  if (!keyDrag_) return Repaint::kNone;
  keyDrag_ = false;
  drag_.End();
  return Repaint::kNone;
}

// Left then right starts a marking drag, right then left an unmarking one,
// both at the cursor.
Repaint SpectrumDisplay::ButtonDown(MouseButton button, int x) {
  const State before = Snapshot();
  held_[button == MouseButton::kLeft ? 0 : 1] = true;
  CursorToMouse(x, false);
  const bool both = Held(MouseButton::kLeft) && Held(MouseButton::kRight);
  if (both && !drag_.Active()) {
    drag_.Begin(spectrum_, window_.Cursor(), button == MouseButton::kRight, roiMode_);
    keyDrag_ = false;
  }
  return Compare(before, drag_.Active());
}

Repaint SpectrumDisplay::ButtonUp(MouseButton button) {
  held_[button == MouseButton::kLeft ? 0 : 1] = false;
  if (drag_.Active() && !keyDrag_) drag_.End();
  return Repaint::kNone;
}

Repaint SpectrumDisplay::MouseMove(int x) {
  if (!PointerHidden()) return Repaint::kNone;
  const State before = Snapshot();
  CursorToMouse(x, true);
  if (drag_.Active()) drag_.MoveTo(spectrum_, window_.Cursor());
  return Compare(before, drag_.Active());
}

Repaint SpectrumDisplay::DoubleClick(MouseButton button) {
  return button == MouseButton::kLeft ? ExpandAroundCursor() : CompressAroundCursor();
}

// Beyond the plot's left or right edge a held mouse scrolls the window by
// span ÷ 64 channels (at least one) per movement, taking the cursor along
// at the window's edge.
void SpectrumDisplay::CursorToMouse(int x, bool scrollAtEdges) {
  FollowSoftSize();
  const int step = std::max(window_.Span() / 64, 1);
  if (scrollAtEdges && x < geometry_.Left()) {
    window_.ScrollTo(window_.First() - step);
    window_.MoveCursorTo(window_.First());
  } else if (scrollAtEdges && x > geometry_.Right()) {
    window_.ScrollTo(window_.First() + step);
    window_.MoveCursorTo(window_.Last());
  } else {
    const int channel = geometry_.ChannelAtX(x, window_.First(), window_.Span());
    window_.MoveCursorTo(std::clamp(channel, window_.First(), window_.Last()));
  }
}

std::span<const PlotColumn> SpectrumDisplay::Columns() {
  FollowSoftSize();
  const std::span<const std::uint32_t> counts(spectrum_.image.compressed);
  columns_.Rebuild(counts, spectrum_.displayRoiMarks, window_, scale_, geometry_);
  if (scale_.AdjustAutomatic(columns_.HighestBar(), geometry_.Height())) {
    columns_.Rebuild(counts, spectrum_.displayRoiMarks, window_, scale_, geometry_);
  }
  return columns_.Columns();
}

std::optional<std::span<const ColumnChange>> SpectrumDisplay::ColumnChanges() {
  FollowSoftSize();
  if (!columns_.LaidOutFor(window_, scale_, geometry_)) return std::nullopt;
  const std::vector<ColumnChange>& changes =
      columns_.Update(spectrum_.image.compressed, spectrum_.displayRoiMarks, scale_);
  if (scale_.AdjustAutomatic(columns_.HighestBar(), geometry_.Height())) return std::nullopt;
  return std::span<const ColumnChange>(changes);
}

AxisLabels SpectrumDisplay::Labels(const CalibrationRecord& calibration) const {
  const int first = window_.First();
  const int middle = first + window_.Span() / 2;
  const int last = window_.Last();
  if (calibration.enabled == 0) {
    return {IntegerLabel("%-6d ", first), IntegerLabel("%6d ", middle), IntegerLabel("%6d ", last)};
  }
  const auto energy = [&](int x) { return calibration.a * x * x + calibration.b * x + calibration.c; };
  const std::string_view unit = UnitOf(calibration);
  return {EnergyLabel(energy(first), true, unit), EnergyLabel(energy(middle), false, unit),
          EnergyLabel(energy(last), false, unit)};
}

int SpectrumDisplay::PenWidth() const {
  return drawStyle_ == 0 ? std::clamp(geometry_.PixelsPerChannel(window_.Span()), 1, 20) : 1;
}

}  // namespace korva
