#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <cstdint>

#include "scope/trace_record.h"
#include "scope/trace_settings.h"

class QPainter;

namespace korva {

// Colours of the plot; logic line k is drawn in lineColours[k], which the
// legend uses too.
struct TracePlotColours {
  QColor background{8, 20, 12};
  QColor grid{52, 84, 60};
  QColor centre{96, 140, 104};
  QColor analog{255, 236, 64};
  QColor trigger{255, 96, 96};
  std::array<QColor, kTraceLines> lineColours{
      QColor(80, 200, 255), QColor(64, 255, 128),  QColor(255, 160, 64),  QColor(255, 96, 200),
      QColor(255, 80, 80),  QColor(190, 150, 255), QColor(220, 220, 220), QColor(160, 255, 255)};
};

// What the plot draws: the display values of the analog line (0 on the
// centre, positive upwards, already clipped), the logic line words, and
// where the samples fall.
struct TracePicture {
  bool hasTrace = false;
  std::array<int, kTraceSamples> values{};
  std::array<std::uint16_t, kTraceSamples> lines{};
  int timeBaseCode = 8;
  int triggerSample = 0;  // the trigger delay in samples
};

// The side of the plot's geometry (sample steps, ordinates, logic line
// rows): 512 points where there is room, else 256.
int TracePlotSide(int available);
// The side in pixels the plot fills in a square of `available` pixels: at
// least 256, a whole number of pixels per division.
int TracePlotPixels(int available);

// Paints the 16 x 16 division grid and the picture into a square plot of
// `pixels` pixels at the painter's origin: the geometry of a plot of
// TracePlotSide(pixels) points, scaled to fill the square, its lines one
// pixel wide. Everything is drawn afresh from the picture, so a repaint at
// any time shows the same.
void PaintTracePlot(QPainter& painter, int pixels, const TracePicture& picture,
                    const TracePlotColours& colours);

// The plot frame of the trace viewer: repaints from the kept picture.
class TracePlot : public QWidget {
  Q_OBJECT

 public:
  explicit TracePlot(QWidget* parent = nullptr);

  void Show(const TracePicture& picture);
  const TracePicture& Picture() const { return picture_; }
  const TracePlotColours& Colours() const { return colours_; }
  // The drawn square's side in pixels.
  int Side() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // The drawn square's side changed.
  void SideChanged(int side);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TracePicture picture_;
  TracePlotColours colours_;
};

}  // namespace korva
