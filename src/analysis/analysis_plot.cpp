#include "analysis/analysis_plot.h"

#include <QPainter>
#include <algorithm>

namespace korva {

namespace {

constexpr int kLeft = 64;
constexpr int kRight = 12;
constexpr int kTop = 10;
constexpr int kBottom = 24;

struct Range {
  double low = 0.0;
  double high = 1.0;
};

// From the lowest to the highest error-bar end and band edge, widened by a
// tenth on each side so nothing touches the frame.
Range ActivityRange(const std::vector<AnalysisPlot::Point>& points, double mean, double band) {
  Range range{mean - band, mean + band};
  for (const AnalysisPlot::Point& p : points) {
    range.low = std::min(range.low, p.activity - p.uncertainty);
    range.high = std::max(range.high, p.activity + p.uncertainty);
  }
  const double margin = std::max((range.high - range.low) * 0.1, std::max(std::abs(mean) * 1e-3, 1e-9));
  return {range.low - margin, range.high + margin};
}

}  // namespace

AnalysisPlot::AnalysisPlot(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 140);
  setAutoFillBackground(true);
}

void AnalysisPlot::SetData(std::vector<Point> points, double mean, double meanUncertainty) {
  points_ = std::move(points);
  mean_ = mean;
  band_ = meanUncertainty;
  update();
}

void AnalysisPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame(kLeft, kTop, width() - kLeft - kRight, height() - kTop - kBottom);
  painter.fillRect(frame, Qt::white);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(frame);
  if (points_.empty()) return;

  const Range y = ActivityRange(points_, mean_, band_);
  const int lastRun = std::ranges::max(points_, {}, &Point::run).run;
  const auto toX = [&](double run) { return frame.left() + frame.width() * run / (lastRun + 1.0); };
  const auto toY = [&](double a) { return frame.bottom() - frame.height() * (a - y.low) / (y.high - y.low); };

  painter.fillRect(
      QRectF(QPointF(frame.left(), toY(mean_ + band_)), QPointF(frame.right(), toY(mean_ - band_))),
      QColor(70, 130, 220, 60));
  painter.setPen(QPen(QColor(40, 90, 200), 1.5));
  painter.drawLine(QPointF(frame.left(), toY(mean_)), QPointF(frame.right(), toY(mean_)));

  for (const Point& p : points_) {
    painter.setPen(QPen(p.flagged ? Qt::red : Qt::black, 1.2));
    const double x = toX(p.run);
    painter.drawLine(QPointF(x, toY(p.activity - p.uncertainty)),
                     QPointF(x, toY(p.activity + p.uncertainty)));
    painter.drawLine(QPointF(x - 3, toY(p.activity - p.uncertainty)),
                     QPointF(x + 3, toY(p.activity - p.uncertainty)));
    painter.drawLine(QPointF(x - 3, toY(p.activity + p.uncertainty)),
                     QPointF(x + 3, toY(p.activity + p.uncertainty)));
    painter.setBrush(p.flagged ? Qt::red : Qt::black);
    painter.drawEllipse(QPointF(x, toY(p.activity)), 2.5, 2.5);
  }

  painter.setPen(palette().color(QPalette::WindowText));
  const QRectF labels(0, frame.top() - 6, kLeft - 4, 12);
  painter.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, QString::number(y.high, 'f', 1));
  painter.drawText(labels.translated(0, frame.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(y.low, 'f', 1));
  painter.drawText(QRectF(frame.left(), frame.bottom() + 4, frame.width(), 16), Qt::AlignCenter,
                   QStringLiteral("run; activity from D [Bq]"));
}

}  // namespace korva
