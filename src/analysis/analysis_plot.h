#pragma once

#include <QWidget>
#include <vector>

namespace korva {

// Each used run's activity with its error bar (one standard uncertainty
// from counting), and the result as a line in a band of +- its standard
// uncertainty. Flagged runs are drawn in red.
class AnalysisPlot : public QWidget {
  Q_OBJECT

 public:
  struct Point {
    int run = 0;
    double activity = 0.0;
    double uncertainty = 0.0;
    bool flagged = false;
  };

  explicit AnalysisPlot(QWidget* parent = nullptr);

  // Nothing is drawn but the frame without points.
  void SetData(std::vector<Point> points, double mean, double meanUncertainty);
  const std::vector<Point>& Points() const { return points_; }

  QSize sizeHint() const override { return {360, 180}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<Point> points_;
  double mean_ = 0.0;
  double band_ = 0.0;
};

}  // namespace korva
