// Pictures of the TDCR workflow in the window, for the user guide and for
// looking at: the TDCR pane with its RECORD fields, the analysis result, a
// link loss with its message, and an N42 export opened again. Runs only
// with KORVA_SCREENSHOT_DIR naming the folder the pictures go to;
// KORVA_SCREENSHOT_SIZE ("1920x1080" unless given) is the window's size.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>
#include <memory>

#include "../support/memory_settings_store.h"
#include "../support/qt_application.h"
#include "../support/time_stamp_answers.h"
#include "../support/virtual_instrument_ports.h"
#include "common/command_ids.h"
#include "formats/exchange_file.h"
#include "formats/spectrum_exchange.h"
#include "formats/spectrum_file_dialogs.h"
#include "screenshot_place.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"
#include "tdcr/tdcr_panes.h"
#include "tdcr/tdcr_view.h"

namespace korva {
namespace {

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new test::QtApplication<QApplication>);

struct OpenTarget : SpectrumFileDialogs {
  std::string file;
  std::optional<std::string> ChooseOpenTarget() override { return file; }
  std::optional<std::string> ChooseSaveTarget(SpectrumSaveKind) override { return std::nullopt; }
  bool ConfirmOverwrite(std::string_view) override { return false; }
  std::optional<std::string> EditTag(std::string_view) override { return std::nullopt; }
};

TEST(WorkflowPictures, RecordAnalysisReopenedN42AndALinkLoss) {
  if (test::ScreenshotFolder().isEmpty()) GTEST_SKIP() << "KORVA_SCREENSHOT_DIR names no folder";
  sim::ServerOptions options;
  options.baud = 0;
  options.tdcr.timeScale = 4.0;
  options.tdcr.activityBq = options.spectrum.activityBq = 5000.0;
  auto instrument = std::make_unique<sim::PtyServer>(options);
  instrument->Start();
  test::MemorySettingsStore settings;
  OpenTarget dialogs;
  MainFrameServices services;
  services.settings = &settings;  // real message boxes: the link loss is pictured with its message
  services.spectrumDialogs = &dialogs;
  services.enumerate = test::VirtualInstrumentPorts(*instrument);
  CMainFrame frame(services);
  frame.resize(test::ScreenshotWindowSize());
  frame.show();
  test::AnswerTimeStampDialogs(&frame);
  frame.Trigger(command::kAutoConnect);
  ASSERT_TRUE(frame.Session().Engine().IsConnected());

  CTDCRView& form = *frame.findChild<CTDCRWnd*>()->TdcrView();
  auto status = [&] { return form.findChild<QLineEdit*>(QStringLiteral("STATUS"))->text().trimmed(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Reset - Idle"; }, 5000));
  form.findChild<QComboBox*>(QStringLiteral("SEQUENTIAL RUNS"))->setCurrentIndex(2);
  form.findChild<QComboBox*>(QStringLiteral("WINDOW N [ns]"))->setCurrentIndex(3);
  for (const auto& [field, text] :
       {std::pair{"NUCLIDES", "H-3"}, std::pair{"LS COCTAIL", "Ultima Gold 10 mL"},
        std::pair{"PMT HV", "1250 V"}, std::pair{"OPERATOR", "A. Tester"}}) {
    auto* edit = form.findChild<QLineEdit*>(QString::fromLatin1(field));
    edit->setFocus();
    QTest::keyClicks(edit, QString::fromLatin1(text));
  }
  form.findChild<QPushButton*>(QStringLiteral("START"))->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Completed - Not Saved"; }, 30000));
  QTest::qWait(1000);  // the last record, then a settled picture

  auto shoot = [&](const char* pane, const char* name) {
    auto* dock = frame.findChild<QDockWidget*>(QString::fromLatin1(pane));
    dock->show();
    dock->raise();
    QTest::qWait(400);
    EXPECT_TRUE(frame.grab().save(test::ScreenshotFile(QString::fromLatin1(name))));
  };
  shoot("TdcrPane", "workflow-TdcrRecord");
  shoot("TdcrAnalysisPane", "workflow-AnalysisResult");

  // A spectrum of the three tubes summed, exported to N42 and opened again.
  frame.findChild<QComboBox*>(QStringLiteral("MCA INPUT"))->setCurrentIndex(3);
  QTest::qWait(1000);
  frame.findChild<QPushButton*>(QStringLiteral("MCA-RESET"))->click();
  QTest::qWait(500);
  frame.findChild<QPushButton*>(QStringLiteral("MCA-START"))->click();
  QTest::qWait(4000);
  frame.findChild<QPushButton*>(QStringLiteral("MCA-STOP"))->click();
  QTest::qWait(1000);
  const QString n42 = test::ScreenshotFolder() + QStringLiteral("/workflow-export.n42");
  ASSERT_EQ(SaveExchangeFile(ExchangeSpectrumOf(frame.Spectra().buffer, {}), ExchangeFormat::kN42,
                             n42.toStdString()),
            SpectrumFileStatus::kDone);
  dialogs.file = n42.toStdString();
  frame.Trigger(command::kOpenSpectrum);
  shoot("SpectrumPane", "workflow-ReopenedN42");
  shoot("AcquisitionPane", "workflow-ReopenedN42Settings");

  QTimer grab;
  bool shown = false;
  QObject::connect(&grab, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      grab.stop();
      shown = true;
      QTest::qWait(300);
      QGuiApplication::primaryScreen()->grabWindow(0).save(
          test::ScreenshotFile(QStringLiteral("workflow-LinkLoss")));
      box->accept();
    }
  });
  grab.start(50);
  frame.Trigger(command::kDefaultLayout);
  frame.findChild<QDockWidget*>(QStringLiteral("TdcrPane"))->raise();
  instrument.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown; }, 5000));
  frame.close();
  QFile::remove(n42);
}

}  // namespace
}  // namespace korva
