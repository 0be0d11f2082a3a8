// The spectrum pane's readouts under the keyboard with an energy
// calibration on: the status-bar cursor in keV, the axis labels with their
// unit inside the window, and an ROI over a flat continuum that reports no
// peak in the info view.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QtTest/QTest>
#include <cstdlib>

#include "../support/frame_panes.h"
#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "shell/main_frame.h"
#include "spectrum/spectrum_calibration.h"
#include "spectrumview/spectrum_plot_view.h"
#include "spectrumview/spectrum_wnd.h"

namespace korva {
namespace {

// A continuum of 1000 counts a channel with a scatter of +-30 (the noise of
// 1000 counts is 31.6), calibrated 0.5 keV a channel from channel 0.
void FillCalibratedContinuum(CSpectrum& spectrum) {
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    spectrum.image.spectrum[spectrum.HalfOffset() + i] =
        static_cast<std::uint32_t>(1000 + (i * 7919 % 61) - 30);
  }
  spectrum.RebuildCompressedSpectrum();
  CalibrationRecord& points = spectrum.FileCalibration(spectrum.CurrentInput());
  points = CalibrationRecord{};
  points.channel[0] = 0.0;
  points.energy[0] = 0.0;
  points.channel[1] = 4000.0;
  points.energy[1] = 2000.0;
  points.use = {1, 1};
  points.pointCount = 2;
  points.useAll = 1;
  points.units = 2;  // keV
  points.enabled = 1;
  LoadCurrentCalibration(spectrum);
}

class SpectrumReadoutWindow : public ::testing::TestWithParam<QSize> {
 protected:
  SpectrumReadoutWindow() {
    services_.prompt = &prompt_;
    services_.settings = &settings_;
    services_.enumerate = [] { return std::vector<SerialPortRecord>{}; };
    frame_ = std::make_unique<CMainFrame>(services_);
    frame_->resize(GetParam());
    EXPECT_TRUE(test::ShowWithEveryPaneBuilt(*frame_));
    pane_ = frame_->findChild<CSpectrumWnd*>();
    pane_->raise();
  }
  ~SpectrumReadoutWindow() override { frame_->close(); }

  QString Text(const char* name) const {
    if (const auto* label = frame_->findChild<QLabel*>(QString::fromLatin1(name))) return label->text();
    return frame_->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
  }

  test::RecordingPrompt prompt_;
  test::MemorySettingsStore settings_;
  MainFrameServices services_;
  std::unique_ptr<CMainFrame> frame_;
  CSpectrumWnd* pane_ = nullptr;
};

TEST_P(SpectrumReadoutWindow, CalibratedCursorLabelsAndAFlatRoi) {
  FillCalibratedContinuum(frame_->Spectra().buffer);
  SpectrumPlotView& window = pane_->BufferWindow();
  window.setFocus();
  window.Apply(Repaint::kFull);
  QTest::keyClick(&window, Qt::Key_Right);
  // Channel 2049 at 0.5 keV a channel.
  const auto* cursorPane = frame_->findChild<QLabel*>(QStringLiteral("CursorPane"));
  EXPECT_TRUE(cursorPane->text().contains(QStringLiteral("= 1024.50 keV")))
      << cursorPane->text().toStdString();
  EXPECT_GE(cursorPane->width(), cursorPane->fontMetrics().horizontalAdvance(cursorPane->text().trimmed()))
      << "the status bar shows the whole cursor readout";

  // Every axis label, unit included, lies inside the plot's window.
  window.RenderNow();
  const std::vector<QRect> labels = window.LabelBounds();
  ASSERT_EQ(labels.size(), 3u);
  const QRect inside = window.viewport()->rect();
  for (const QRect& label : labels) {
    EXPECT_TRUE(inside.contains(label))
        << label.x() << "," << label.y() << " " << label.width() << "x" << label.height() << " in "
        << inside.width() << "x" << inside.height();
  }
  EXPECT_LT(labels[0].right(), labels[1].left()) << "left and middle labels overlap";
  EXPECT_LT(labels[1].right(), labels[2].left()) << "middle and right labels overlap";

  for (int i = 0; i < 40; ++i) QTest::keyPress(&window, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyRelease(&window, Qt::Key_Right, Qt::ShiftModifier);
  ASSERT_TRUE(Text("RoiPane").startsWith(QStringLiteral("ROI:   2049 to 2089")))
      << Text("RoiPane").toStdString();
  QTRY_COMPARE(Text("CENTROID").trimmed(), QStringLiteral("no peak"));
  EXPECT_EQ(Text("FWHM"), QStringLiteral("-----------"));
  EXPECT_EQ(Text("RESOLUTION %"), QStringLiteral("-----------"));
  EXPECT_NE(Text("INTEGRAL"), QStringLiteral("-----------")) << "the ROI's counts are still shown";
  // KORVA_SCREENSHOT_DIR keeps a picture of the window to look at.
  if (const char* folder = std::getenv("KORVA_SCREENSHOT_DIR")) {
    frame_->grab().save(QStringLiteral("%1/calibrated-roi-%2x%3.png")
                            .arg(QString::fromLocal8Bit(folder))
                            .arg(GetParam().width())
                            .arg(GetParam().height()));
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SpectrumReadoutWindow, ::testing::Values(QSize(1920, 1080), QSize(800, 600)),
                         [](const auto& test) {
                           return std::to_string(test.param.width()) + "x" +
                                  std::to_string(test.param.height());
                         });

}  // namespace
}  // namespace korva
