#include "analysis/report_plot.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace korva {

namespace {

struct Range {
  double low = 0.0;
  double high = 1.0;

  void Include(double v) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
  // A tenth more on each side, and some width for a single value.
  Range Widened() const {
    const double margin = std::max((high - low) * 0.1, std::max(std::abs(high) * 1e-3, 1e-9));
    return {low - margin, high + margin};
  }
};

Range XRange(const ResultPlotData& d) {
  Range r{d.points.front().x, d.points.front().x};
  for (const auto& p : d.points) r.Include(p.x);
  if (d.line) r.Include(0.0);  // the line's intercept is a result
  return r.Widened();
}

Range YRange(const ResultPlotData& d, const Range& x) {
  Range r{d.points.front().y, d.points.front().y};
  for (const auto& p : d.points) {
    r.Include(p.y - p.uncertainty);
    r.Include(p.y + p.uncertainty);
  }
  if (d.mean) {
    r.Include(*d.mean - d.band);
    r.Include(*d.mean + d.band);
  }
  if (d.line) {
    r.Include(d.line->intercept + d.line->slope * x.low);
    r.Include(d.line->intercept + d.line->slope * x.high);
  }
  return r.Widened();
}

QString AxisNumber(double v, const Range& r) {
  const double span = r.high - r.low;
  const int decimals = std::clamp(2 - static_cast<int>(std::floor(std::log10(span))), 0, 6);
  return QString::number(v, 'f', decimals);
}

}  // namespace

QImage ResultPlotImage(const ResultPlotData& d, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (d.points.empty()) return image;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font = painter.font();
  font.setPixelSize(std::max(10, size.height() / 22));
  painter.setFont(font);
  const int text = painter.fontMetrics().height();
  const QRectF frame(7 * text, text, size.width() - 8 * text, size.height() - 4 * text);
  painter.setPen(Qt::black);
  painter.drawRect(frame);
  const Range x = XRange(d);
  const Range y = YRange(d, x);
  const auto toX = [&](double v) { return frame.left() + frame.width() * (v - x.low) / (x.high - x.low); };
  const auto toY = [&](double v) { return frame.bottom() - frame.height() * (v - y.low) / (y.high - y.low); };
  const double pen = std::max(1.0, size.height() / 300.0);
  if (d.mean) {
    painter.fillRect(
        QRectF(QPointF(frame.left(), toY(*d.mean + d.band)), QPointF(frame.right(), toY(*d.mean - d.band))),
        QColor(70, 130, 220, 60));
    painter.setPen(QPen(QColor(40, 90, 200), 1.5 * pen));
    painter.drawLine(QPointF(frame.left(), toY(*d.mean)), QPointF(frame.right(), toY(*d.mean)));
  }
  if (d.line) {
    painter.setPen(QPen(QColor(40, 90, 200), 1.5 * pen));
    painter.drawLine(QPointF(toX(x.low), toY(d.line->intercept + d.line->slope * x.low)),
                     QPointF(toX(x.high), toY(d.line->intercept + d.line->slope * x.high)));
  }
  const double tick = 0.4 * text;
  for (const auto& p : d.points) {
    const QColor colour = p.flagged ? Qt::red : Qt::black;
    painter.setPen(QPen(colour, pen));
    const double px = toX(p.x);
    const double low = toY(p.y - p.uncertainty);
    const double high = toY(p.y + p.uncertainty);
    painter.drawLine(QPointF(px, low), QPointF(px, high));
    painter.drawLine(QPointF(px - tick, low), QPointF(px + tick, low));
    painter.drawLine(QPointF(px - tick, high), QPointF(px + tick, high));
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(px, toY(p.y)), tick * 0.7, tick * 0.7);
  }
  painter.setPen(Qt::black);
  const QRectF left(0, frame.top() - text / 2.0, frame.left() - text / 2.0, text);
  painter.drawText(left, Qt::AlignRight | Qt::AlignVCenter, AxisNumber(y.high, y));
  painter.drawText(left.translated(0, frame.height()), Qt::AlignRight | Qt::AlignVCenter,
                   AxisNumber(y.low, y));
  // 1.5 lines high, so an underscore below the baseline is not cut off.
  const QRectF below(frame.left(), frame.bottom() + text / 4.0, frame.width(), 1.5 * text);
  painter.drawText(below, Qt::AlignLeft | Qt::AlignTop, AxisNumber(x.low, x));
  painter.drawText(below, Qt::AlignRight | Qt::AlignTop, AxisNumber(x.high, x));
  painter.drawText(below.translated(0, text), Qt::AlignCenter, d.xLabel);
  painter.save();
  painter.translate(text, frame.center().y());
  painter.rotate(-90);
  painter.drawText(QRectF(-frame.height() / 2, -text, frame.height(), 2 * text), Qt::AlignCenter, d.yLabel);
  painter.restore();
  return image;
}

}  // namespace korva
