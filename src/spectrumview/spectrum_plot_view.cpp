#include "spectrumview/spectrum_plot_view.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <array>

#include "spectrum/spectrum_readouts.h"

namespace korva {

namespace {

// Bold Arial, 16 pixels high, for the channel labels and the scale label.
QFont LabelFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(16);
  font.setBold(true);
  return font;
}

constexpr int kAxisTick = 8;
constexpr int kLabelGap = 9;

// One label under the axis: its text, the point its baseline starts at and
// the rectangle its glyphs cover.
struct PlacedLabel {
  QString text;
  QPoint origin;
  QRect ink;
};

PlacedLabel LabelAt(const QString& text, const QFontMetrics& metrics, int baseline) {
  const QRect tight = metrics.tightBoundingRect(text);
  return {text, QPoint(-tight.left(), baseline), tight.translated(-tight.left(), baseline)};
}

void MoveInk(PlacedLabel& label, int dx) {
  label.origin.rx() += dx;
  label.ink.translate(dx, 0);
}

// The three labels with their glyphs' tops kLabelGap below the axis (higher
// when the window's bottom would cut them): the first starting 10 pixels
// left of the plot, the middle one centred, the last ending 6 pixels right
// of the plot, all within the window. A label that would touch its
// neighbour is left out, the middle one first.
std::vector<PlacedLabel> PlaceLabels(const AxisLabels& labels, const PlotGeometry& plot,
                                     const QFontMetrics& metrics, const QSize& window) {
  std::array<PlacedLabel, 3> placed;
  const std::array<std::string, 3> texts = {labels.left, labels.middle, labels.right};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    placed[i] = LabelAt(QString::fromStdString(texts[i]).trimmed(), metrics, 0);
  }
  const int inkBelow = std::max({placed[0].ink.bottom(), placed[1].ink.bottom(), placed[2].ink.bottom()});
  const int inkAbove = std::max({-placed[0].ink.top(), -placed[1].ink.top(), -placed[2].ink.top()});
  const int baseline = std::min(plot.Baseline() + kLabelGap + inkAbove, window.height() - 1 - inkBelow);
  const int lastX = std::min(plot.Right() + 6, window.width() - 1);
  for (PlacedLabel& label : placed) {
    label.origin.setY(baseline);
    label.ink.translate(0, baseline);
  }
  MoveInk(placed[0], std::max(plot.Left() - 10, 0));
  MoveInk(placed[1], plot.Left() + plot.Width() / 2 - placed[1].ink.width() / 2);
  MoveInk(placed[2], lastX - placed[2].ink.right());
  std::vector<PlacedLabel> shown = {placed[0]};
  const auto clear = [](const PlacedLabel& a, const PlacedLabel& b) {
    return a.ink.right() + 4 < b.ink.left();
  };
  if (clear(placed[0], placed[1]) && clear(placed[1], placed[2])) shown.push_back(placed[1]);
  if (clear(placed[0], placed[2])) shown.push_back(placed[2]);
  return shown;
}

// The labels of the display's visible window and calibration in a window
// of `size`.
std::vector<PlacedLabel> PlaceLabels(const SpectrumDisplay& display, const QSize& size) {
  const CSpectrum& record = display.Spectrum();
  const AxisLabels labels = display.Labels(record.DisplayCalibration(record.CurrentInput()));
  return PlaceLabels(labels, display.Geometry(), QFontMetrics(LabelFont()), size);
}

// The strip cleared before changed columns are drawn again reaches this far
// above the plot top, where a value mark at full height lies.
constexpr int kMarkOverhang = 2;

SpectrumKey KeyOf(int key) {
  switch (key) {
    case Qt::Key_Left:
      return SpectrumKey::kLeft;
    case Qt::Key_Right:
      return SpectrumKey::kRight;
    case Qt::Key_Up:
      return SpectrumKey::kUp;
    case Qt::Key_Down:
      return SpectrumKey::kDown;
    case Qt::Key_Home:
      return SpectrumKey::kHome;
    case Qt::Key_I:
      return SpectrumKey::kI;
    case Qt::Key_O:
      return SpectrumKey::kO;
    case Qt::Key_Space:
      return SpectrumKey::kSpace;
    default:
      return SpectrumKey::kOther;
  }
}

std::optional<MouseButton> ButtonOf(Qt::MouseButton button) {
  if (button == Qt::LeftButton) return MouseButton::kLeft;
  if (button == Qt::RightButton) return MouseButton::kRight;
  return std::nullopt;
}

std::optional<ScrollAction> ScrollActionOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      return ScrollAction::kLineBack;
    case QAbstractSlider::SliderSingleStepAdd:
      return ScrollAction::kLineForward;
    case QAbstractSlider::SliderPageStepSub:
      return ScrollAction::kPageBack;
    case QAbstractSlider::SliderPageStepAdd:
      return ScrollAction::kPageForward;
    case QAbstractSlider::SliderMove:
      return ScrollAction::kThumb;
    default:
      return std::nullopt;
  }
}

// A bar's top row; bars without a value (zero counts on the logarithmic
// scale) sit on the baseline in the outline and line styles.
int TopOf(const PlotColumn& column, int baseline) { return baseline - std::max(column.height, 0); }

}  // namespace

QColor ToQColor(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

std::uint32_t FromQColor(const QColor& colour) {
  return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8 |
         static_cast<std::uint32_t>(colour.blue()) << 16;
}

SpectrumPlotView::SpectrumPlotView(CSpectrum& spectrum, const RoiMode& roiMode, bool bufferWindow,
                                   QWidget* parent)
    : QAbstractScrollArea(parent), display_(spectrum, roiMode), bufferWindow_(bufferWindow) {
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &SpectrumPlotView::OnHorizontalAction);
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &SpectrumPlotView::OnVerticalAction);
  SyncScrollBars();
}

void SpectrumPlotView::SetColours(const SpectrumColours& colours) {
  colours_ = colours;
  Apply(Repaint::kFull);
}

void SpectrumPlotView::Apply(Repaint repaint) {
  switch (repaint) {
    case Repaint::kNone:
      return;
    case Repaint::kCursor:
      viewport()->update(CursorStrip(shownCursorX_));
      viewport()->update(CursorStrip(display_.CursorX()));
      break;
    case Repaint::kBars:
      RefreshBars();
      viewport()->update(CursorStrip(shownCursorX_));
      viewport()->update(CursorStrip(display_.CursorX()));
      break;
    case Repaint::kFull:
      imageStale_ = true;
      viewport()->update();
      break;
  }
  SyncScrollBars();
  emit ReadoutsChanged();
}

void SpectrumPlotView::SetSpectrumSizes(std::int32_t hard, std::int32_t soft, bool force) {
  Apply(display_.SetSpectrumSizes(hard, soft, force));
}

void SpectrumPlotView::RefreshBars() {
  if (imageStale_) {
    viewport()->update();
    return;
  }
  const std::optional<std::span<const ColumnChange>> changes = display_.ColumnChanges();
  if (!changes) {
    Apply(Repaint::kFull);
    return;
  }
  DrawChanges(*changes);
}

void SpectrumPlotView::RenderNow() {
  if (imageStale_) DrawFull();
}

std::string SpectrumPlotView::CursorText() { return CursorPaneText(Spectrum(), display_.Window().Cursor()); }

std::string SpectrumPlotView::RoiText() { return RoiPaneText(Spectrum(), display_.Window().Cursor()); }

void SpectrumPlotView::DrawFull() {
  const QSize size = viewport()->size();
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  imageStale_ = false;
  image_.fill(ToQColor(colours_.background));
  QPainter painter(&image_);
  DrawAxesAndLabels(painter);
  const std::span<const PlotColumn> columns = display_.Columns();
  if (!columns.empty()) DrawRun(painter, columns, 0, columns.size() - 1);
}

std::vector<QRect> SpectrumPlotView::LabelBounds() const {
  std::vector<QRect> bounds;
  for (const PlacedLabel& label : PlaceLabels(display_, viewport()->size())) bounds.push_back(label.ink);
  return bounds;
}

void SpectrumPlotView::DrawAxesAndLabels(QPainter& painter) {
  const PlotGeometry& plot = display_.Geometry();
  const QColor ink = ToQColor(colours_.spectrum);
  painter.setPen(ink);
  const int axisX = plot.Left() - 1;
  const int axisY = plot.Baseline() + 1;
  painter.drawLine(axisX, plot.Top(), axisX, plot.Baseline() + kAxisTick);
  painter.drawLine(plot.Left() - kAxisTick, axisY, plot.Right(), axisY);
  painter.drawLine(axisX - kAxisTick / 2, plot.Top(), axisX, plot.Top());
  for (int quarter = 1; quarter <= 4; ++quarter) {
    const int x = plot.Left() + plot.Width() * quarter / 4;
    painter.drawLine(x, axisY, x, plot.Baseline() + kAxisTick);
  }

  painter.setFont(LabelFont());
  for (const PlacedLabel& label : PlaceLabels(display_, viewport()->size())) {
    painter.drawText(label.origin, label.text);
  }
  const int halfWidth = std::max(plot.Width() / 2, 1);
  painter.drawText(QRect(plot.Left() + 2, 0, halfWidth, plot.Top()), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(display_.ScaleLabel()));
}

// Neighbouring changes are drawn as one run; each run clears its strip,
// from its left neighbour's column to its right neighbour's, and draws two
// columns more on either side within it, so that steps and lines joining
// the run to its neighbours are whole again.
void SpectrumPlotView::DrawChanges(std::span<const ColumnChange> changes) {
  if (changes.empty()) return;
  const std::span<const PlotColumn> columns = display_.LastColumns();
  QPainter painter(&image_);
  std::size_t runFirst = changes.front().index;
  std::size_t runLast = runFirst;
  auto flush = [&] {
    const int x0 = columns[runFirst > 0 ? runFirst - 1 : runFirst].x;
    const std::size_t right = std::min(runLast + 1, columns.size() - 1);
    const int x1 = right > runLast ? columns[right].x : columns[runLast].x + display_.PenWidth() - 1;
    ClearPlotStrip(painter, x0, x1);
    painter.setClipRect(QRect(x0, 0, x1 - x0 + 1, image_.height()));
    DrawRun(painter, columns, runFirst >= 2 ? runFirst - 2 : 0, std::min(runLast + 2, columns.size() - 1));
    painter.setClipping(false);
    viewport()->update(QRect(x0, 0, x1 - x0 + 1, display_.Geometry().Baseline() + 1));
  };
  for (const ColumnChange& change : changes.subspan(1)) {
    if (change.index > runLast + 2) {
      flush();
      runFirst = change.index;
    }
    runLast = change.index;
  }
  flush();
}

void SpectrumPlotView::ClearPlotStrip(QPainter& painter, int x0, int x1) {
  const PlotGeometry& plot = display_.Geometry();
  const int top = plot.Top() - kMarkOverhang;
  painter.fillRect(QRect(x0, top, x1 - x0 + 1, plot.Baseline() - top + 1), ToQColor(colours_.background));
}

void SpectrumPlotView::DrawRun(QPainter& painter, std::span<const PlotColumn> columns, std::size_t first,
                               std::size_t last) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (std::size_t i = first; i <= last; ++i) DrawColumn(painter, columns, i);
}

// Style 0 a short mark at the value, 1 a filled bar, 2 the outline of the
// bars (steps), 3 a line through the values.
void SpectrumPlotView::DrawColumn(QPainter& painter, std::span<const PlotColumn> columns, std::size_t index) {
  const PlotColumn& column = columns[index];
  const int baseline = display_.Geometry().Baseline();
  const QColor colour = ToQColor(column.roi ? colours_.roi : colours_.spectrum);
  const int pen = display_.PenWidth();
  switch (display_.DrawStyle()) {
    case 0: {
      if (column.height < 0) return;
      const int markHeight = pen == 1 ? 2 : 1;
      FillPixels(QRect(column.x, baseline - column.height - markHeight + 1, pen, markHeight), colour);
      return;
    }
    case 1:
      if (column.height > 0)
        FillPixels(QRect(column.x, baseline - column.height + 1, pen, column.height), colour);
      return;
    case 2: {
      const int top = TopOf(column, baseline);
      const int nextX = index + 1 < columns.size() ? columns[index + 1].x : column.x + 1;
      painter.setPen(colour);
      painter.drawLine(column.x, top, std::max(nextX - 1, column.x), top);
      const int previousTop = index > 0 ? TopOf(columns[index - 1], baseline) : baseline;
      if (previousTop != top) painter.drawLine(column.x, previousTop, column.x, top);
      return;
    }
    default: {
      painter.setPen(colour);
      const int top = TopOf(column, baseline);
      if (index == 0) {
        painter.drawPoint(column.x, top);
      } else {
        const PlotColumn& previous = columns[index - 1];
        painter.drawLine(previous.x, TopOf(previous, baseline), column.x, top);
      }
      return;
    }
  }
}

// Bars and marks are written straight into the image's rows: a painter's
// fill per column costs more than the pixels it sets. Drawing an unchanged
// bar again gives the same pixels, so no clipping is needed.
void SpectrumPlotView::FillPixels(const QRect& area, const QColor& colour) {
  const QRect inside = area.intersected(image_.rect());
  if (inside.isEmpty()) return;
  const QRgb value = colour.rgb();
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::fill(row + inside.left(), row + inside.right() + 1, value);
  }
}

QRect SpectrumPlotView::CursorStrip(int x) const {
  const PlotGeometry& plot = display_.Geometry();
  return QRect(x, plot.Top(), 1, plot.Baseline() - plot.Top() + 1);
}

void SpectrumPlotView::paintEvent(QPaintEvent* event) {
  if (imageStale_ || image_.size() != viewport()->size()) DrawFull();
  QPainter painter(viewport());
  painter.drawImage(event->rect(), image_, event->rect());
  shownCursorX_ = display_.CursorX();
  const PlotGeometry& plot = display_.Geometry();
  painter.setPen(ToQColor(colours_.cursor));
  painter.drawLine(shownCursorX_, plot.Baseline(), shownCursorX_, plot.Top());
}

void SpectrumPlotView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  const QSize size = viewport()->size();
  Apply(display_.SetClientRect({0, 0, size.width(), size.height()}));
}

void SpectrumPlotView::keyPressEvent(QKeyEvent* event) {
  const SpectrumKey key = KeyOf(event->key());
  if (key == SpectrumKey::kOther) {
    display_.KeyUp();
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  const KeyModifiers modifiers{event->modifiers().testFlag(Qt::ShiftModifier),
                               event->modifiers().testFlag(Qt::ControlModifier)};
  Apply(display_.KeyDown(key, modifiers));
}

void SpectrumPlotView::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) Apply(display_.KeyUp());
}

void SpectrumPlotView::mousePressEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (!button) return;
  setFocus(Qt::MouseFocusReason);
  Apply(display_.ButtonDown(*button, static_cast<int>(event->position().x())));
  UpdatePointer();
}

void SpectrumPlotView::mouseMoveEvent(QMouseEvent* event) {
  Apply(display_.MouseMove(static_cast<int>(event->position().x())));
}

void SpectrumPlotView::mouseReleaseEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (!button) return;
  Apply(display_.ButtonUp(*button));
  UpdatePointer();
}

void SpectrumPlotView::mouseDoubleClickEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (button) Apply(display_.DoubleClick(*button));
}

void SpectrumPlotView::wheelEvent(QWheelEvent* event) {
  Apply(display_.Wheel(event->angleDelta().y()));
  event->accept();
}

// The window taking the focus applies its sizes again, which rebuilds the
// compressed spectrum from the record, and asks to be the active spectrum.
void SpectrumPlotView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  SetSpectrumSizes(Spectrum().hardSize, Spectrum().softSize);
  emit FocusGained();
}

// The scroll bars move the window over the channels and the scale, never
// the viewport's pixels.
void SpectrumPlotView::scrollContentsBy(int, int) {}

void SpectrumPlotView::UpdatePointer() {
  if (display_.PointerHidden()) {
    viewport()->setCursor(Qt::BlankCursor);
  } else {
    viewport()->unsetCursor();
  }
}

void SpectrumPlotView::SyncScrollBars() {
  const ScrollBarState window = display_.Window().ScrollBar();
  QScrollBar* horizontal = horizontalScrollBar();
  {
    const QSignalBlocker block(horizontal);
    horizontal->setRange(window.minimum, std::max(window.maximum - window.page, window.minimum));
    horizontal->setPageStep(window.page);
    horizontal->setSingleStep(std::max(window.page / 16, 1));
    horizontal->setValue(window.position);
  }
  const ScrollBarState scale = display_.Scale().ScrollBar();
  QScrollBar* vertical = verticalScrollBar();
  const QSignalBlocker block(vertical);
  vertical->setRange(scale.minimum, scale.maximum);
  vertical->setPageStep(1);
  vertical->setValue(scale.position);
}

// A scroll bar action is applied to the display, and the bar is told the
// position the display settled on.
void SpectrumPlotView::OnHorizontalAction(int action) {
  QScrollBar* bar = horizontalScrollBar();
  const std::optional<ScrollAction> scroll = ScrollActionOf(action);
  if (!scroll) return;
  const Repaint repaint = display_.HorizontalScroll(*scroll, bar->sliderPosition());
  bar->setSliderPosition(display_.Window().First());
  Apply(repaint);
}

void SpectrumPlotView::OnVerticalAction(int action) {
  QScrollBar* bar = verticalScrollBar();
  const std::optional<ScrollAction> scroll = ScrollActionOf(action);
  if (!scroll) return;
  const Repaint repaint = display_.VerticalScroll(*scroll, bar->sliderPosition());
  bar->setSliderPosition(display_.Scale().Index());
  Apply(repaint);
}

}  // namespace korva
