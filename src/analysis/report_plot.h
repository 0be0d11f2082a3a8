#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <vector>

namespace korva {

// What a result plot shows: points with error bars (flagged ones in red),
// and either a horizontal result line in a band of +- its uncertainty or a
// fitted straight line.
struct ResultPlotData {
  struct Point {
    double x = 0.0;
    double y = 0.0;
    double uncertainty = 0.0;
    bool flagged = false;
  };
  struct Line {
    double intercept = 0.0;
    double slope = 0.0;
  };
  std::vector<Point> points;
  std::optional<double> mean;
  double band = 0.0;
  std::optional<Line> line;
  QString xLabel;
  QString yLabel;
};

// The plot painted on a white image of `size` pixels; axis numbers at both
// ends of each axis.
QImage ResultPlotImage(const ResultPlotData& data, QSize size);

}  // namespace korva
