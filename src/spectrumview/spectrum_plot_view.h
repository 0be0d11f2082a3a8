#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <span>
#include <string>
#include <vector>

#include "spectrum/spectrum_colours.h"
#include "spectrum/spectrum_display.h"

namespace korva {

// One spectrum window: the bar plot of a spectrum record with its cursor,
// channel labels, scale label and scroll bars, driven by keys, mouse, wheel
// and the Spectrum commands.
//
// The plot is drawn into a cached image with ordinary painting; the cursor
// line is painted over the image, so moving it repaints two one-pixel
// strips. After a spectrum read only the changed columns are drawn again.
class SpectrumPlotView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // The view does not own the record; `roiMode` is shared by both windows.
  SpectrumPlotView(CSpectrum& spectrum, const RoiMode& roiMode, bool bufferWindow, QWidget* parent = nullptr);

  SpectrumDisplay& Display() { return display_; }
  CSpectrum& Spectrum() { return display_.Spectrum(); }
  bool IsBufferWindow() const { return bufferWindow_; }

  const SpectrumColours& Colours() const { return colours_; }
  void SetColours(const SpectrumColours& colours);

  // Carries out what a display input or command asks to be painted again.
  void Apply(Repaint repaint);
  // SetSpectrumSizes of the window, followed by a full redraw.
  void SetSpectrumSizes(std::int32_t hard, std::int32_t soft, bool force = false);
  // The counts or marks changed: draws the columns that changed, or
  // everything when the layout moved.
  void RefreshBars();
  // Brings the cached plot up to date now instead of at the next paint.
  void RenderNow();
  const QImage& PlotImage() const { return image_; }
  // Where the channel (or energy) labels under the axis are drawn, left to
  // right: the rectangles their glyphs cover. A label that would run into
  // its neighbour is left out.
  std::vector<QRect> LabelBounds() const;

  std::string CursorText();
  std::string RoiText();

 signals:
  // The cursor, the counts under it or the marks changed.
  void ReadoutsChanged();
  // The window got the keyboard focus and wants to be the active spectrum.
  void FocusGained();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void DrawFull();
  void DrawAxesAndLabels(QPainter& painter);
  // Draws the runs of changed columns over a cleared strip each.
  void DrawChanges(std::span<const ColumnChange> changes);
  void DrawRun(QPainter& painter, std::span<const PlotColumn> columns, std::size_t first, std::size_t last);
  void DrawColumn(QPainter& painter, std::span<const PlotColumn> columns, std::size_t index);
  void ClearPlotStrip(QPainter& painter, int x0, int x1);
  void FillPixels(const QRect& area, const QColor& colour);
  QRect CursorStrip(int x) const;
  void SyncScrollBars();
  void OnHorizontalAction(int action);
  void OnVerticalAction(int action);
  void UpdatePointer();

  SpectrumDisplay display_;
  bool bufferWindow_;
  SpectrumColours colours_;
  QImage image_;
  bool imageStale_ = true;
  int shownCursorX_ = -1;
};

// A colour value of the record (red in the lowest byte) as Qt takes it.
QColor ToQColor(std::uint32_t colour);
std::uint32_t FromQColor(const QColor& colour);

}  // namespace korva
