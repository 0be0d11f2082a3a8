// The TDCR ANALYSIS pane in the main window, following a measurement of
// the virtual instrument's tritium vial, and its export read back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "../support/frame_panes.h"
#include "../support/instrument_window.h"
#include "../support/scripted_save_dialogs.h"
#include "../timesync/time_fakes.h"
#include "../timesync/udp_responder.h"
#include "analysis/analysis_plot.h"
#include "analysis/analysis_view.h"
#include "archive/archive_location.h"
#include "archive/history_pane.h"
#include "common/command_ids.h"
#include "devicelink/link_session.h"
#include "forms/numeric_edit.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"
#include "tdcr/measurement_save_dialogs.h"
#include "tdcr/tdcr_panes.h"
#include "tdcr/tdcr_view.h"
#include "timesync/system_utc_clock.h"
#include "timesync/time_stamp_dialog.h"

namespace korva {
namespace {

// Answers the time stamp dialog whenever it comes up: "Get UTC" from
// `ntpServer`, then "Use UTC" (or "Use SYSTEM" when the query failed).
void AnswerDialogs(QObject* owner, const QString& ntpServer) {
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, [ntpServer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* stamp = qobject_cast<CTimeUTC*>(modal)) {
      stamp->findChild<QComboBox*>(QStringLiteral("server"))->setEditText(ntpServer);
      stamp->findChild<QPushButton*>(QStringLiteral("getUtc"))->click();
      auto* useUtc = stamp->findChild<QPushButton*>(QStringLiteral("useUtc"));
      (useUtc->isEnabled() ? useUtc : stamp->findChild<QPushButton*>(QStringLiteral("useSystem")))->click();
    }
  });
  poll->start(50);
}

// A good SNTP server on 127.0.0.1 that agrees with this computer's clock.
std::vector<testing::Datagram> AnswerInTime(const testing::Datagram& request) {
  testing::ReplyShape shape;
  shape.receive = Now(SystemUtcClock());
  shape.transmit = shape.receive;
  return {testing::MakeReply(request, shape)};
}

int UsedRows(const QTableWidget& table) {
  int used = 0;
  for (int row = 0; row < table.rowCount(); ++row) {
    const QTableWidgetItem* td = table.item(row, 1);
    used += td != nullptr && !td->text().isEmpty() ? 1 : 0;
  }
  return used;
}

TEST(AnalysisPane, FollowsTheRunsOfAMeasurementAndExportsWhatItShows) {
  sim::ServerOptions options;
  options.baud = 0;
  options.tdcr.timeScale = 10.0;
  options.tdcr.activityBq = 5000.0;
  QTemporaryDir folder;
  testing::UdpResponder ntp(AnswerInTime);
  const QString ntpServer = QString::fromStdString(ntp.ServerText());

  test::ScriptedSaveDialogs saveDialogs;
  saveDialogs.tag = "vial";
  saveDialogs.target = folder.filePath("vial").toStdString();
  test::InstrumentWindow window(options);
  MainFrameServices& services = window.services;
  const test::RecordingPrompt& prompt = window.prompt;
  services.saveDialogs = &saveDialogs;
  std::filesystem::path chosenFile = folder.filePath("export.json").toStdString();
  services.analysisFiles = [&chosenFile](bool) { return chosenFile; };
  window.settings.strings[test::MemorySettingsStore::Key(kArchiveSettingsPath, kArchiveUrlName)] =
      folder.filePath("archive.sqlite").toStdString();
  CMainFrame frame(services);
  frame.resize(1600, 1000);
  ASSERT_TRUE(test::ShowWithEveryPaneBuilt(frame));
  AnswerDialogs(&frame, ntpServer);

  AnalysisView* view = frame.findChild<AnalysisView*>();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->Summary().text().startsWith("No result")) << view->Summary().text().toStdString();

  frame.Trigger(command::kAutoConnect);
  CTDCRView& form = *frame.findChild<CTDCRWnd*>()->TdcrView();
  auto status = [&] { return form.findChild<QLineEdit*>(QStringLiteral("STATUS"))->text().trimmed(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Reset - Idle"; }, 5000)) << status().toStdString();
  form.findChild<QComboBox*>(QStringLiteral("SEQUENTIAL RUNS"))->setCurrentIndex(2);
  // 40 ns: the 10 ns window loses coincidences of the slow tritium pulses.
  form.findChild<QComboBox*>(QStringLiteral("WINDOW N [ns]"))->setCurrentIndex(3);
  auto* timePerRun = form.findChild<NumericEdit*>(QStringLiteral("TIME PER RUN [s]"));
  timePerRun->setFocus();
  timePerRun->selectAll();
  QTest::keyClicks(timePerRun, "4");
  QTest::keyClick(timePerRun, Qt::Key_Return);
  form.findChild<QPushButton*>(QStringLiteral("START"))->click();

  // The runs fill in as they complete; a busy machine may deliver two runs'
  // records in one pass of the event loop, so the first sighting may show two.
  ASSERT_TRUE(QTest::qWaitFor([&] { return UsedRows(view->RunTable()) >= 1; }, 20000));
  EXPECT_EQ(view->RunTable().rowCount(), 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Completed - Not Saved"; }, 20000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return UsedRows(view->RunTable()) == 3; }, 5000));
  // The last record is a chunk behind the end of the sequence.
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->Plot().Points().size() == 3u; }, 5000))
      << view->Plot().Points().size();
  EXPECT_GT(view->BudgetTable().rowCount(), 2);

  // The pane shows what the analysis of the saved file gives.
  form.findChild<QPushButton*>(QStringLiteral("SAVE"))->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Completed - Saved"; }, 5000));
  const TdcReadResult file = ReadTdcFile(folder.filePath("vial.tdc").toStdString());
  ASSERT_TRUE(file.measurement) << file.error;
  // The .tdc file does not hold the dead-time modes; the live analysis took
  // the form's, IDT for both extensions.
  AnalysisSettings settings = view->Settings();
  settings.deadTimeModes = {DeadTimeMode::kIndividual, DeadTimeMode::kIndividual};
  const Checked<MeasurementAnalysis> fromFile = AnalyzeMeasurement(*file.measurement, nullptr, settings);
  ASSERT_TRUE(fromFile) << fromFile.error;
  // The result line states u to two significant digits and A to u's last place.
  const QRegularExpressionMatch line =
      QRegularExpression(QStringLiteral("^A = (\\d+)(\\.\\d+)? ± ([0-9.]+) Bq"))
          .match(view->Summary().text());
  ASSERT_TRUE(line.hasMatch()) << view->Summary().text().toStdString();
  const QString u = line.captured(3);
  const int decimals = u.contains('.') ? static_cast<int>(u.size() - u.indexOf('.') - 1) : 0;
  EXPECT_EQ(line.captured(2).size() - (decimals > 0 ? 1 : 0), decimals) << "A and u end at the same place";
  const QString digits = QString(u).remove('.').remove(QRegularExpression(QStringLiteral("^0+")));
  EXPECT_LE(QString(digits).remove(QRegularExpression(QStringLiteral("0+$"))).size(), 2) << u.toStdString();
  // Two significant digits of u put its last place at most u / 10, so u and
  // A are each within half of that, 5 % of u, of the unrounded values.
  const double u0 = fromFile->budget.combined;
  EXPECT_NEAR(u.toDouble(), u0, 0.05 * u0);
  EXPECT_NEAR((line.captured(1) + line.captured(2)).toDouble(), fromFile->activity, 0.05 * u0);
  EXPECT_TRUE(view->Summary().font().bold());
  EXPECT_GT(view->Summary().font().pointSizeF(), view->RunTable().font().pointSizeF());
  EXPECT_NEAR(fromFile->activity, 5000.0, fromFile->budget.expanded)
      << file.measurement->header.windowTexts[0];
  // Every window and extension's corrected rates, as the analysis of the file gives them.
  ASSERT_EQ(view->RatesTable().rowCount(), 4);
  for (int row = 0; row < 4; ++row) {
    const CombinationRates& r = fromFile->combinations[static_cast<std::size_t>(row)].rates;
    EXPECT_EQ(view->RatesTable().item(row, 1)->text(), "IDT");
    EXPECT_EQ(view->RatesTable().item(row, 4)->text(), "none in IDT");
    EXPECT_EQ(view->RatesTable().item(row, 5)->text(), QString::number(r.corrected.D(), 'f', 3));
  }

  // The export: the JSON read back holds the inputs, every run and the budget.
  frame.Trigger(command::kExportAnalysis);
  QFile json(folder.filePath("export.json"));
  ASSERT_TRUE(json.open(QIODevice::ReadOnly)) << prompt.errors.size();
  const QJsonObject exported = QJsonDocument::fromJson(json.readAll()).object();
  EXPECT_EQ(exported["program"].toString(), "Korva-TDCR, Version 7.0");
  EXPECT_EQ(exported["instrument"]["hardware"].toString(), "Veltra RQ3102");
  EXPECT_EQ(exported["inputs"]["sample"].toString(), "live measurement");
  EXPECT_EQ(exported["inputs"]["nuclide"].toString(), "H-3");
  EXPECT_EQ(exported["measurement"]["runsCompleted"].toInt(), 3);
  const QJsonObject result = exported["result"].toObject();
  EXPECT_DOUBLE_EQ(result["activity"].toDouble(), fromFile->activity);
  EXPECT_DOUBLE_EQ(result["expandedUncertainty"].toDouble(), fromFile->budget.expanded);
  const QJsonArray budget = result["budget"].toArray();
  ASSERT_EQ(budget.size(), static_cast<qsizetype>(fromFile->budget.components.size()));
  for (qsizetype i = 0; i < budget.size(); ++i) {
    const UncertaintyComponent& c = fromFile->budget.components[static_cast<std::size_t>(i)];
    EXPECT_EQ(budget[i]["name"].toString().toStdString(), c.name);
    EXPECT_DOUBLE_EQ(budget[i]["standardUncertainty"].toDouble(), c.standardUncertainty);
    // A term not evaluated is null in the file and says so in the pane, never 0.
    EXPECT_EQ(budget[i]["standardUncertainty"].isNull(), !c.evaluated) << c.name;
    EXPECT_EQ(view->BudgetTable().item(static_cast<int>(i), 1)->text() == "not evaluated", !c.evaluated);
  }
  EXPECT_EQ(result["termsNotEvaluated"].toArray().size(),
            static_cast<qsizetype>(fromFile->budget.NotEvaluated().size()));
  const QJsonArray runs = exported["combinations"][0]["runs"].toArray();
  ASSERT_EQ(runs.size(), 3);
  EXPECT_DOUBLE_EQ(runs[2]["activityD"].toDouble(), fromFile->Main().runs[2].activityD);
  // The start stamps followed UTC from the server the dialog queried.
  const QJsonObject clock = exported["provenance"]["timeReference"].toObject();
  EXPECT_EQ(clock["reference"].toString(), "UTC");
  EXPECT_EQ(clock["ntpServer"].toString(), ntpServer);
  EXPECT_LT(std::abs(clock["ntpOffset"].toDouble()), 0.5);
  QFile report(folder.filePath("export.txt"));
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  const QString reportText = QString::fromUtf8(report.readAll());
  EXPECT_TRUE(reportText.contains(QRegularExpression("\nTime reference: UTC, NTP offset \\S+ s from " +
                                                     QRegularExpression::escape(ntpServer) + "\n")))
      << reportText.toStdString();
  EXPECT_TRUE(prompt.errors.empty());

  // The saved measurement comes back into the window after RESET, from
  // File > "Open TDCR Measurement..." and from HISTORY, with the result it had.
  const QString savedResult = view->Summary().text();
  form.findChild<QPushButton*>(QStringLiteral("RESET"))->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Reset - Idle"; }, 5000)) << status().toStdString();
  auto* pane = qobject_cast<QDockWidget*>(view->parentWidget());
  for (QWidget* w = view; pane == nullptr && w != nullptr; w = w->parentWidget())
    pane = qobject_cast<QDockWidget*>(w);
  ASSERT_NE(pane, nullptr);
  chosenFile = folder.filePath("vial.tdc").toStdString();
  frame.Trigger(command::kOpenTdcrMeasurement);
  EXPECT_EQ(view->Summary().text(), savedResult);
  EXPECT_EQ(UsedRows(view->RunTable()), 3);
  EXPECT_TRUE(pane->windowTitle().endsWith("vial.tdc")) << pane->windowTitle().toStdString();
  QSignalSpy traffic(&frame.Session(), &LinkSession::SerialNotificationHandled);
  ASSERT_TRUE(QTest::qWaitFor([&] { return traffic.count() >= 20; }, 5000))
      << "the reset instrument's chunks";
  EXPECT_EQ(view->Summary().text(), savedResult) << "the live measurement took the pane back";

  frame.Trigger(command::kFollowLiveAnalysis);
  EXPECT_EQ(pane->windowTitle(), "TDCR ANALYSIS");
  auto* history = frame.findChild<HistoryView*>();
  ASSERT_NE(history, nullptr);
  QTreeWidget& list = history->List();
  ASSERT_TRUE(QTest::qWaitFor([&] { return list.topLevelItemCount() > 0; }, 5000));
  QTreeWidgetItem* saved = nullptr;
  for (int row = 0; row < list.topLevelItemCount(); ++row) {
    if (list.topLevelItem(row)->toolTip(0).contains("vial.tdc")) saved = list.topLevelItem(row);
  }
  ASSERT_NE(saved, nullptr);
  list.parentWidget()->window()->show();
  for (QWidget* w = &list; w != nullptr; w = w->parentWidget()) {
    if (auto* dock = qobject_cast<QDockWidget*>(w)) dock->raise();
  }
  list.scrollToItem(saved);
  const QPoint at = list.visualItemRect(saved).center();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
  EXPECT_TRUE(pane->windowTitle().endsWith("vial.tdc")) << pane->windowTitle().toStdString();
  EXPECT_EQ(view->Summary().text(), savedResult);
  EXPECT_TRUE(prompt.errors.empty());
  frame.close();
}

}  // namespace
}  // namespace korva
