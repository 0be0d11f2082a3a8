// The pictures of the user guide: the main window on a virtual instrument,
// each pane in front in turn, after a short TDCR measurement and a spectrum
// acquisition. Runs only with KORVA_SCREENSHOT_DIR naming the folder the
// pictures go to (scripts/screenshots sets it); KORVA_SCREENSHOT_SIZE
// ("1920x1080" unless given) is the window's size and ends each file name.
// A program scripts/screenshots runs, not a test: that every pane fits a
// full HD window is checked by the main window's tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "../support/instrument_window.h"
#include "../support/qt_application.h"
#include "acquisition/acquisition_view.h"
#include "common/command_ids.h"
#include "forms/numeric_edit.h"
#include "scope/oscope_view.h"
#include "screenshot_place.h"
#include "shell/main_frame.h"
#include "sim/beta_emitter.h"
#include "sim/pty_server.h"
#include "tdcr/tdcr_panes.h"
#include "tdcr/tdcr_view.h"

namespace korva {
namespace {

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new test::QtApplication<QApplication>);

struct ScreenshotTour : ::testing::Test, test::InstrumentWindow {
  explicit ScreenshotTour(const sim::ServerOptions& options) : test::InstrumentWindow(options) {}

  void SetUp() override {
    if (test::ScreenshotFolder().isEmpty()) GTEST_SKIP() << "KORVA_SCREENSHOT_DIR names no folder";
    Open(test::ScreenshotWindowSize());
    frame->Trigger(command::kAutoConnect);
    ASSERT_TRUE(frame->Session().Engine().IsConnected());
    QTest::qWait(500);
  }

  template <typename T>
  T* Find(const char* name) {
    return frame->findChild<T*>(QString::fromLatin1(name));
  }

  // The pane in front and the window grabbed into `<name>-<size>.png`.
  void Shoot(QDockWidget* pane, const QString& name) {
    pane->show();
    pane->raise();
    QTest::qWait(400);
    const QString file = test::ScreenshotFile(name);
    EXPECT_TRUE(frame->grab().save(file)) << file.toStdString();
  }

  // Every pane the window shows (in front or behind a tab); of the SHAPER
  // and PHA panes only the one of the input's mode.
  void ShootEveryPane(const QString& prefix) {
    for (QDockWidget* pane : frame->findChildren<QDockWidget*>()) {
      if (pane->toggleViewAction()->isChecked()) Shoot(pane, prefix + pane->objectName());
    }
  }

  void Measure() {
    CTDCRView& form = *frame->findChild<CTDCRWnd*>()->TdcrView();
    auto status = [&] { return form.findChild<QLineEdit*>(QStringLiteral("STATUS"))->text().trimmed(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Reset - Idle"; }, 5000));
    form.findChild<QComboBox*>(QStringLiteral("SEQUENTIAL RUNS"))->setCurrentIndex(2);
    form.findChild<QPushButton*>(QStringLiteral("START"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Completed - Not Saved"; }, 30000));
    QTest::qWait(1000);
  }

  void Acquire(int seconds) {
    auto* acquisition = frame->findChild<CAcquisitionView*>();
    auto* preset = acquisition->findChild<NumericEdit*>(QStringLiteral("Preset Time [s]"));
    preset->setFocus();
    QTest::keyClick(preset, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(preset, QString::number(seconds));
    acquisition->findChild<QPushButton*>(QStringLiteral("MCA-RESET"))->click();
    QTest::qWait(500);
    acquisition->findChild<QPushButton*>(QStringLiteral("MCA-START"))->click();
    QTest::qWait((seconds + 2) * 1000);
  }

  void CaptureTraces() {
    auto* scope = frame->findChild<COscopeView*>();
    auto* run = scope->findChild<QPushButton*>(QStringLiteral("RUN"));
    run->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return scope->Cycle().TracesTaken() >= 3; }, 10000));
    run->click();
  }
};

sim::ServerOptions Vial(const char* nuclide, double activityBq) {
  sim::ServerOptions options;
  options.baud = 0;
  options.tdcr.timeScale = 4.0;
  options.tdcr.nuclide = nuclide;
  options.spectrum.nuclide = sim::FindBetaEmitter(nuclide)->nuclide;
  options.tdcr.activityBq = options.spectrum.activityBq = activityBq;
  return options;
}

struct TritiumTour : ScreenshotTour {
  TritiumTour() : ScreenshotTour(Vial("H-3", 5000.0)) {}
};

struct BismuthTour : ScreenshotTour {
  BismuthTour() : ScreenshotTour(Vial("Bi-207", 20000.0)) {}
};

TEST_F(TritiumTour, EveryPaneAfterAMeasurementAndAnAcquisition) {
  Measure();
  Acquire(4);
  CaptureTraces();
  ShootEveryPane(QStringLiteral("h3-"));
}

// All three tubes at coarse gain 1.00: the conversion lines to calibrate with.
TEST_F(BismuthTour, TheSpectrumOfTheCalibrationVial) {
  Find<QComboBox>("MCA INPUT")->setCurrentIndex(3);
  Find<QComboBox>("COARSE")->setCurrentIndex(0);
  QTest::qWait(1000);
  Acquire(6);
  Shoot(Find<QDockWidget>("SpectrumPane"), QStringLiteral("bi207-SpectrumPane"));
  Shoot(Find<QDockWidget>("CalibrationPane"), QStringLiteral("bi207-CalibrationPane"));
}

}  // namespace
}  // namespace korva
