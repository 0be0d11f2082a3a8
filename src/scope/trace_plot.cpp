#include "scope/trace_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace korva {

namespace {

constexpr int kDivisions = 16;
constexpr int kLargeSide = 512;
constexpr int kSmallSide = 256;

// One pixel wide however far the plot is scaled.
QPen Line(const QColor& colour, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen(colour, 1, style);
  pen.setCosmetic(true);
  return pen;
}

void PaintGrid(QPainter& painter, int side, const TracePlotColours& colours) {
  painter.fillRect(0, 0, side, side, colours.background);
  const int division = side / kDivisions;
  painter.setPen(Line(colours.grid, Qt::DotLine));
  for (int k = 1; k < kDivisions; ++k) {
    painter.drawLine(k * division, 0, k * division, side - 1);
    painter.drawLine(0, k * division, side - 1, k * division);
  }
  const int centre = side / 2;
  painter.setPen(Line(colours.centre));
  painter.drawLine(centre, 0, centre, side - 1);
  painter.drawLine(0, centre, side - 1, centre);
  // Quarter-division ticks on both centre lines.
  const int quarter = division / 4;
  for (int t = quarter; t < side; t += quarter) {
    const int length = t % division == 0 ? 4 : 2;
    painter.drawLine(t, centre - length, t, centre + length);
    painter.drawLine(centre - length, t, centre + length, t);
  }
  painter.setPen(Line(colours.grid));
  painter.drawRect(0, 0, side - 1, side - 1);
}

// The samples that fit the drawn width, each `step` points apart.
int VisibleSamples(int side, int step) {
  return std::min<int>(static_cast<int>(kTraceSamples), (side - 1) / std::max(step, 1) + 1);
}

void PaintAnalog(QPainter& painter, int side, const TracePicture& picture, const QColor& colour) {
  const int step = TraceSampleStep(picture.timeBaseCode, side);
  const int count = VisibleSamples(side, step);
  const int centre = side / 2;
  QPainterPath path;
  for (int i = 0; i < count; ++i) {
    const QPointF point(i * step, centre + TraceOrdinate(picture.values[static_cast<std::size_t>(i)], side));
    if (i == 0) {
      path.moveTo(point);
    } else {
      path.lineTo(point);
    }
  }
  painter.setPen(Line(colour));
  painter.drawPath(path);
}

// Each logic line is a step line: low when clear, half a row higher when
// set, changing level at the sample where the bit changes.
void PaintLogicLines(QPainter& painter, int side, const TracePicture& picture,
                     const TracePlotColours& colours) {
  const int step = TraceSampleStep(picture.timeBaseCode, side);
  const int count = VisibleSamples(side, step);
  const int centre = side / 2;
  for (int line = 0; line < kTraceLines; ++line) {
    QPainterPath path;
    for (int i = 0; i < count; ++i) {
      const bool set = ((picture.lines[static_cast<std::size_t>(i)] >> line) & 1u) != 0;
      const double y = centre + LogicLineOrdinate(line, set, side);
      const double x = i * step;
      if (i == 0) {
        path.moveTo(x, y);
      } else {
        path.lineTo(x, path.currentPosition().y());
        path.lineTo(x, y);
      }
    }
    path.lineTo(std::min((count - 1) * step + step, side - 1), path.currentPosition().y());
    painter.setPen(Line(colours.lineColours[static_cast<std::size_t>(line)]));
    painter.drawPath(path);
  }
}

void PaintTriggerMark(QPainter& painter, int side, const TracePicture& picture, const QColor& colour) {
  const int x = picture.triggerSample * TraceSampleStep(picture.timeBaseCode, side);
  if (x < 0 || x >= side) return;
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  const QPointF marker[] = {QPointF(x - 5, 0), QPointF(x + 5, 0), QPointF(x, 7)};
  painter.drawPolygon(marker, 3);
  painter.setBrush(Qt::NoBrush);
}

}  // namespace

int TracePlotSide(int available) { return available >= kLargeSide ? kLargeSide : kSmallSide; }

int TracePlotPixels(int available) { return std::max(available, kSmallSide) / kDivisions * kDivisions; }

void PaintTracePlot(QPainter& painter, int pixels, const TracePicture& picture,
                    const TracePlotColours& colours) {
  const int side = TracePlotSide(pixels);
  painter.save();
  painter.setClipRect(0, 0, pixels, pixels);
  painter.scale(static_cast<double>(pixels) / side, static_cast<double>(pixels) / side);
  PaintGrid(painter, side, colours);
  PaintTriggerMark(painter, side, picture, colours.trigger);
  if (picture.hasTrace) {
    PaintLogicLines(painter, side, picture, colours);
    PaintAnalog(painter, side, picture, colours.analog);
  }
  painter.restore();
}

TracePlot::TracePlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Traces"));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TracePlot::Show(const TracePicture& picture) {
  picture_ = picture;
  update();
}

int TracePlot::Side() const { return TracePlotPixels(std::min(width(), height())); }

QSize TracePlot::sizeHint() const { return {kLargeSide, kLargeSide}; }
QSize TracePlot::minimumSizeHint() const { return {kSmallSide, kSmallSide}; }

void TracePlot::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit SideChanged(Side());
}

void TracePlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const int side = Side();
  // Whole pixels: the square starts on a pixel boundary.
  painter.translate(QPoint((width() - side) / 2, (height() - side) / 2));
  PaintTracePlot(painter, side, picture_, colours_);
}

}  // namespace korva
