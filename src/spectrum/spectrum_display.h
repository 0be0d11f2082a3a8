#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "spectrum/plot_columns.h"
#include "spectrum/plot_geometry.h"
#include "spectrum/roi_marking.h"
#include "spectrum/spectrum_record.h"
#include "spectrum/vertical_scale.h"
#include "spectrum/visible_window.h"

namespace korva {

// The keys a spectrum window reacts to; every other key is kOther.
enum class SpectrumKey { kLeft, kRight, kUp, kDown, kHome, kI, kO, kSpace, kOther };
struct KeyModifiers {
  bool shift = false;
  bool control = false;
};
enum class MouseButton { kLeft, kRight };
enum class ScrollAction { kLineBack, kLineForward, kPageBack, kPageForward, kThumb };

// What a view has to paint again after an input or a command, from least to
// most: nothing; the cursor line (and the readouts that follow the cursor);
// the bars that changed (ColumnChanges) and the cursor; everything.
enum class Repaint { kNone, kCursor, kBars, kFull };

// The three channel numbers (or energies) below the axis.
// Calibrated labels are energies followed by the calibration's unit.
struct AxisLabels {
  std::string left;    // first displayed channel, "%-6d " or "%-9.2f <unit> "
  std::string middle;  // first + span ÷ 2, "%6d " or "%9.2f <unit> "
  std::string right;   // last displayed channel, "%6d " or "%9.2f <unit> "
};

// The display state of one spectrum window and everything it computes,
// without drawing: the view forwards its input here, repaints what the
// answer says, and paints the columns, cursor and labels it is given.
//
// Key releases that are auto-repeats are not forwarded: a real release
// ends keyboard marking and restarts the arrow keys' acceleration.
class SpectrumDisplay {
 public:
  static constexpr int kDrawStyles = 4;

  // The display does not own the spectrum; `roiMode` is the one setting
  // both windows share.
  SpectrumDisplay(CSpectrum& spectrum, const RoiMode& roiMode);

  CSpectrum& Spectrum() { return spectrum_; }
  const CSpectrum& Spectrum() const { return spectrum_; }
  const VisibleWindow& Window() const { return window_; }
  const VerticalScale& Scale() const { return scale_; }
  const PlotGeometry& Geometry() const { return geometry_; }
  int DrawStyle() const { return drawStyle_; }

  // SetSpectrumSizes: applies the sizes to the record (which rebuilds its
  // compressed spectrum and display ROI marks) and, when they changed or
  // `force` is set, shows the whole soft size with the cursor in its middle.
  Repaint SetSpectrumSizes(std::int32_t hard, std::int32_t soft, bool force = false);
  Repaint SetClientRect(const ClientRect& client);

  // Spectrum menu and toolbar commands.
  Repaint ExpandAroundCursor();
  Repaint CompressAroundCursor();
  Repaint ExpandFromLeft();
  Repaint CompressFromLeft();
  Repaint ShowFullSpectrum();
  Repaint ExpandVerticalScale();
  Repaint CompressVerticalScale();
  Repaint ToggleAutomaticScale();
  Repaint SetLinearScale();
  Repaint SetLogarithmicScale();

  Repaint HorizontalScroll(ScrollAction action, int thumb = 0);
  Repaint VerticalScroll(ScrollAction action, int thumb = 0);
  Repaint Wheel(int delta);

  Repaint KeyDown(SpectrumKey key, KeyModifiers modifiers = {});
  Repaint KeyUp();
  Repaint ButtonDown(MouseButton button, int x);
  Repaint ButtonUp(MouseButton button);
  Repaint MouseMove(int x);
  Repaint DoubleClick(MouseButton button);
  // The mouse pointer is hidden while a button is held.
  bool PointerHidden() const { return held_[0] || held_[1]; }

  // The bars of the visible window, computed afresh from the compressed
  // spectrum and the display ROI marks; the automatic scale has been
  // applied to them.
  std::span<const PlotColumn> Columns();
  // After a spectrum read or a marking step: the columns whose bars
  // changed since the last Columns or ColumnChanges, or nothing when the
  // layout changed (or the automatic scale moved) and a full redraw is due.
  std::optional<std::span<const ColumnChange>> ColumnChanges();
  // The columns as the last Columns or ColumnChanges left them.
  std::span<const PlotColumn> LastColumns() const { return columns_.Columns(); }

  int CursorX() const { return geometry_.CursorX(window_.Cursor(), window_.First(), window_.Span()); }
  std::string ScaleLabel() const { return scale_.Label(); }
  // Channel numbers, or energies when `calibration` (set 2 of the current
  // input) is enabled.
  AxisLabels Labels(const CalibrationRecord& calibration) const;
  // Bar pens: pixels per channel within 1-20 in style 0, else 1.
  int PenWidth() const;

 private:
  struct State {
    int first, span, cursor, softSize, scaleIndex, drawStyle;
    bool linear;
  };
  State Snapshot() const;
  Repaint Compare(const State& before, bool barsChanged = false) const;
  // The window follows a soft size the record was given elsewhere (a load).
  void FollowSoftSize();
  void CursorToMouse(int x, bool scrollAtEdges);
  Repaint ArrowKey(int direction, KeyModifiers modifiers);
  bool Held(MouseButton button) const { return held_[button == MouseButton::kLeft ? 0 : 1]; }

  CSpectrum& spectrum_;
  const RoiMode& roiMode_;
  VisibleWindow window_;
  VerticalScale scale_;
  PlotGeometry geometry_;
  PlotColumns columns_;
  RoiDrag drag_;
  bool keyDrag_ = false;
  int drawStyle_ = 1;
  int repeats_ = 0;
  std::array<bool, 2> held_{};
};

}  // namespace korva
