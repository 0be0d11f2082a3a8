// The Calibration and Spectrum Info panes in the main window: points typed
// at a reduced soft size, the list order and check boxes as the records
// and spectrum files keep them, fits and their messages, the two enable
// boxes, stored calibrations, and the info form's readouts.

#include "spectrumview/calibration_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>
#include <cmath>

#include "../support/frame_panes.h"
#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "../support/scratch_files.h"
#include "acquisition/acquisition_settings.h"
#include "acquisition/acquisition_view.h"
#include "common/command_ids.h"
#include "formats/kts_reader.h"
#include "formats/spectrum_file_dialogs.h"
#include "forms/fixed_column_list_ctrl.h"
#include "shell/main_frame.h"
#include "spectrum/calibration_value.h"
#include "spectrumview/spectrum_info_view.h"
#include "spectrumview/spectrum_plot_view.h"
#include "spectrumview/spectrum_wnd.h"

namespace korva {
namespace {

class SaveDialogs : public SpectrumFileDialogs {
 public:
  std::string target;
  std::optional<std::string> ChooseOpenTarget() override { return target; }
  std::optional<std::string> ChooseSaveTarget(SpectrumSaveKind) override { return target; }
  bool ConfirmOverwrite(std::string_view) override { return true; }
  std::optional<std::string> EditTag(std::string_view) override { return "calibrated"; }
};

// A Gaussian peak over a flat background in the selected half.
void FillPeak(CSpectrum& spectrum, double centre, double sigma, double height) {
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    const double z = (static_cast<double>(i) - centre) / sigma;
    spectrum.image.spectrum[spectrum.HalfOffset() + i] =
        static_cast<std::uint32_t>(50.0 + height * std::exp(-z * z / 2));
  }
  spectrum.RebuildCompressedSpectrum();
}

class CalibrationPanes : public ::testing::Test {
 protected:
  CalibrationPanes() {
    services_.prompt = &prompt_;
    services_.settings = &settings_;
    services_.spectrumDialogs = &dialogs_;
    services_.enumerate = [] { return std::vector<SerialPortRecord>{}; };
  }
  ~CalibrationPanes() override {
    if (frame_) frame_->close();
  }

  void Open() {
    frame_ = std::make_unique<CMainFrame>(services_);
    frame_->resize(1400, 900);
    ASSERT_TRUE(test::ShowWithEveryPaneBuilt(*frame_));
    pane_ = frame_->findChild<CSpectrumWnd*>();
    view_ = frame_->findChild<CCalibrationView*>();
    info_ = frame_->findChild<CSpectrumInfoView*>();
    ASSERT_NE(view_, nullptr);
    ASSERT_NE(info_, nullptr);
    list_ = view_->findChild<CFixedColumnListCtrl*>(QStringLiteral("CALIBRATION POINTS"));
  }

  template <typename T>
  T* Control(QWidget* view, const char* name) {
    T* control = view->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  void Click(const char* button) { Control<QPushButton>(view_, button)->click(); }
  void AddPoint(const QString& channel, const QString& energy) {
    Control<QLineEdit>(view_, "CHANNEL")->setText(channel);
    Control<QLineEdit>(view_, "ENERGY")->setText(energy);
    Click("ADD POINT");
  }
  QString Info(const char* field) { return Control<QLineEdit>(info_, field)->text(); }
  QString Caption() { return Control<QGroupBox>(view_, "CalibrationCurve")->title(); }
  QString Coefficient(char name) {
    return Control<QLabel>(view_, (std::string("Coefficient") + name).c_str())->text();
  }
  CSpectrum& Buffer() { return frame_->Spectra().buffer; }
  CalibrationRecord& Set1() { return Buffer().FileCalibration(Buffer().CurrentInput()); }
  CalibrationRecord& Set2() { return Buffer().DisplayCalibration(Buffer().CurrentInput()); }

  test::ScratchFolder folder_;
  test::RecordingPrompt prompt_;
  test::MemorySettingsStore settings_;
  SaveDialogs dialogs_;
  MainFrameServices services_;
  std::unique_ptr<CMainFrame> frame_;
  CSpectrumWnd* pane_ = nullptr;
  CCalibrationView* view_ = nullptr;
  CSpectrumInfoView* info_ = nullptr;
  CFixedColumnListCtrl* list_ = nullptr;
};

// At soft size 1024 a displayed channel is four hardware channels: set 1
// and the file hold 400 for a point typed at 100, and the list shows 100.00
// again once the spectrum is reloaded. The newest point comes first, and
// a check box ticked just before saving is in the file.
TEST_F(CalibrationPanes, PointsTypedAtAReducedSoftSizeReachSetsAndFilesNewestFirst) {
  Open();
  EXPECT_EQ(Caption(), "Not Calibrated");
  EXPECT_EQ(Coefficient('a'), "a = ?");
  frame_->Trigger(command::kSoftSize1024);
  AddPoint(QStringLiteral("100"), QStringLiteral("661.657"));
  AddPoint(QStringLiteral("250.5"), QStringLiteral("1332.5"));
  EXPECT_TRUE(Control<QLineEdit>(view_, "CHANNEL")->text().isEmpty());
  ASSERT_EQ(list_->RowCount(), 2);
  EXPECT_EQ(list_->Text(0, 0), "  250.50");
  EXPECT_EQ(list_->Text(1, 1), "661.6570");
  EXPECT_EQ(Set1().pointCount, 2);
  EXPECT_DOUBLE_EQ(Set1().channel[0], 1002.0);
  EXPECT_DOUBLE_EQ(Set1().channel[1], 400.0);
  EXPECT_DOUBLE_EQ(Set2().channel[1], 100.0);

  list_->SetChecked(1, true);
  dialogs_.target = (folder_ / "points.kts").string();
  frame_->Trigger(command::kSaveSpectrumAs);
  ASSERT_TRUE(prompt_.errors.empty());
  CSpectrum file;
  ASSERT_EQ(LoadSpectrumFile(file, folder_ / "points.kts"), SpectrumFileStatus::kDone);
  const CalibrationRecord& written = file.FileCalibration(file.CurrentInput());
  EXPECT_EQ(written.pointCount, 2);
  EXPECT_DOUBLE_EQ(written.channel[0], 1002.0) << "the last point added is point A";
  EXPECT_DOUBLE_EQ(written.channel[1], 400.0);
  EXPECT_EQ(written.use[0], 0);
  EXPECT_EQ(written.use[1], 1);

  pane_->Tabs().setCurrentIndex(CSpectrumWnd::kFileTab);
  pane_->Tabs().setCurrentIndex(CSpectrumWnd::kBufferTab);
  ASSERT_EQ(list_->RowCount(), 2);
  EXPECT_EQ(list_->Text(1, 0), "  100.00");
  EXPECT_TRUE(list_->Checked(1));
}

TEST_F(CalibrationPanes, FitsShowTheirCaptionAndMessagesAndKeepTheCurveWhenTheyFail) {
  Open();
  AddPoint(QStringLiteral("100"), QStringLiteral("10"));
  AddPoint(QStringLiteral("300"), QStringLiteral("50"));
  AddPoint(QStringLiteral("999"), QStringLiteral("1"));
  // Check boxes reach the records when the list loses the focus.
  frame_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
  list_->setFocus();
  list_->SetChecked(1, true);
  list_->SetChecked(2, true);
  EXPECT_EQ(Set1().use[1], 0);
  Control<QLineEdit>(view_, "ENERGY")->setFocus();
  EXPECT_EQ(Set1().use[1], 1);
  EXPECT_EQ(Set2().use[2], 1);
  Click("Calibrate with Selected Points");
  EXPECT_EQ(Caption(), "CALIBRATION w/ SELECTED");
  EXPECT_EQ(Coefficient('b'), "b =   0.20000000") << "the line through the two checked points";
  EXPECT_EQ(Coefficient('c'), "c = -10.00000000");

  // Three points on two channels give no parabola: the line stays.
  Click("Remove All Points");
  AddPoint(QStringLiteral("100"), QStringLiteral("10"));
  AddPoint(QStringLiteral("100"), QStringLiteral("12"));
  AddPoint(QStringLiteral("300"), QStringLiteral("50"));
  Click("Calibrate with All Points");
  EXPECT_EQ(prompt_.messages,
            std::vector<std::string>{"Korva-TDCR|The calibration points do not define a curve"});
  EXPECT_EQ(Caption(), "CALIBRATION");
  EXPECT_DOUBLE_EQ(Set2().b, 0.2);

  prompt_.messages.clear();
  Click("Remove All Points");
  Click("Calibrate with Selected Points");
  EXPECT_EQ(prompt_.messages,
            std::vector<std::string>{"Korva-TDCR|Calibration requires at least two points"});

  prompt_.messages.clear();
  for (int i = 0; i < 11; ++i) AddPoint(QString::number(10 * i), QStringLiteral("1"));
  EXPECT_EQ(list_->RowCount(), 10);
  EXPECT_EQ(prompt_.messages,
            std::vector<std::string>{"Korva-TDCR|Maximum number of 10 points has been reached"});

  // Edit Selected takes the first checked row back into the edits.
  list_->SetChecked(3, true);
  Click("Edit Selected Points");
  EXPECT_EQ(Control<QLineEdit>(view_, "CHANNEL")->text(), "   60.00");
  EXPECT_EQ(Set1().pointCount, 9);

  // With the spectrum pane closed the form does nothing.
  pane_->hide();
  Click("Remove All Points");
  EXPECT_EQ(list_->RowCount(), 9);
}

// "CAL" and "ENABLE CALIBRATION" are one switch; the info form's readouts
// turn into energies with the unit of the calibration.
TEST_F(CalibrationPanes, TheTwoEnableBoxesAreOneSwitchAndTheReadoutsFollowIt) {
  Open();
  FillPeak(Buffer(), 2048.0, 20.0, 1000.0);
  for (std::size_t i = 1950; i <= 2150; ++i) Buffer().roiMarks[i] = 1;
  Buffer().RebuildDisplayRoiMarks();
  AddPoint(QStringLiteral("0"), QStringLiteral("0"));
  AddPoint(QStringLiteral("1000"), QStringLiteral("500"));
  Click("Calibrate with All Points");
  Control<QComboBox>(view_, "Units")->setCurrentIndex(2);
  EXPECT_EQ(Info("POSITION"), "    2048");
  EXPECT_EQ(Control<QLabel>(info_, "PositionUnit")->text(), "chn");

  Control<QCheckBox>(info_, "CAL")->click();
  EXPECT_TRUE(Control<QCheckBox>(view_, "ENABLE CALIBRATION")->isChecked());
  EXPECT_EQ(Set1().enabled, 1);
  EXPECT_EQ(Set2().enabled, 1);
  EXPECT_EQ(Info("POSITION"), " 1024.00");
  EXPECT_EQ(Control<QLabel>(info_, "CENTROIDUnit")->text(), "keV");
  EXPECT_EQ(Info("CENTROID"), " 1024.00");
  EXPECT_EQ(Info("COUNTS"), QStringLiteral("%1").arg(Buffer().image.compressed[2048], 10));

  Control<QCheckBox>(view_, "ENABLE CALIBRATION")->click();
  EXPECT_FALSE(Control<QCheckBox>(info_, "CAL")->isChecked());
  EXPECT_EQ(Set2().enabled, 0);
  EXPECT_EQ(Info("CENTROID"), " 2048.00");
}

// A fit remembers the coarse gain it was made at; once the amplifier's
// gain moves, both panes say so under the energies, and a new fit at the
// new gain clears the line again.
TEST_F(CalibrationPanes, BothPanesSayWhenTheGainMovedSinceTheFit) {
  Open();
  auto setCoarse = [this](std::uint16_t code) {
    auto& register18 = Buffer().image.registers[18];
    register18 = static_cast<std::uint16_t>((register18 & ~3u) | code);
  };
  setCoarse(2);
  AddPoint(QStringLiteral("0"), QStringLiteral("0"));
  AddPoint(QStringLiteral("1000"), QStringLiteral("500"));
  Click("Calibrate with All Points");
  Control<QCheckBox>(view_, "ENABLE CALIBRATION")->click();
  QLabel* inCalibration = Control<QLabel>(view_, "StaleCalibration");
  QLabel* inInfo = Control<QLabel>(info_, "StaleCalibration");
  EXPECT_TRUE(inCalibration->isHidden());
  EXPECT_TRUE(inInfo->isHidden());

  setCoarse(3);
  QTRY_VERIFY(!inInfo->isHidden());
  QTRY_VERIFY(!inCalibration->isHidden());
  EXPECT_TRUE(inInfo->text().startsWith("calibrated at COARSE 2.00 FINE ")) << inInfo->text().toStdString();
  EXPECT_TRUE(inInfo->text().endsWith(", now COARSE 2.83")) << inInfo->text().toStdString();
  EXPECT_EQ(inCalibration->text(), inInfo->text());

  Click("Calibrate with All Points");
  EXPECT_TRUE(inCalibration->isHidden());
  QTRY_VERIFY(inInfo->isHidden());
}

TEST_F(CalibrationPanes, TheBufferCalibrationsAreKeptBetweenSessions) {
  CalibrationSet stored;
  stored[0].pointCount = 37;
  stored[0].channel[0] = 123.0;
  stored[0].enabled = 1;
  stored[3].pointCount = 2;
  stored[3].channel = {40.0, 80.0};
  stored[3].energy = {5.0, 9.0};
  settings_.WriteBinary("\\Korva-TDCR\\Spectrum", "Calibration", EncodeCalibrationValue(stored));
  Open();
  EXPECT_EQ(Set1().pointCount, 0) << "a record of 37 points comes back without points";
  EXPECT_EQ(Set1().enabled, 1);
  EXPECT_EQ(list_->RowCount(), 0);
  EXPECT_TRUE(Control<QCheckBox>(view_, "ENABLE CALIBRATION")->isChecked());
  EXPECT_DOUBLE_EQ(Buffer().FileCalibration(3).channel[1], 80.0);

  AddPoint(QStringLiteral("7"), QStringLiteral("3"));
  list_->SetChecked(0, true);
  frame_->close();
  const auto value = settings_.ReadBinary("\\Korva-TDCR\\Spectrum", "Calibration");
  ASSERT_TRUE(value);
  const DecodedCalibration decoded = DecodeCalibrationValue(*value);
  ASSERT_TRUE(decoded.error.empty());
  EXPECT_EQ(decoded.records[0].pointCount, 1);
  EXPECT_EQ(decoded.records[0].use[0], 1) << "the check box ticked last is kept";
  EXPECT_DOUBLE_EQ(decoded.records[3].energy[1], 9.0);
}

TEST_F(CalibrationPanes, CopyCalibrationReloadsTheSpectrumInViewAndTheInfoFormShowsTheRates) {
  Open();
  CSpectrum& file = frame_->Spectra().file;
  file.image.registers[18] = 0x8000;  // input E
  CalibrationRecord& source = file.FileCalibration(file.CurrentInput());
  source.pointCount = 2;
  source.useAll = 1;
  source.channel = {100.0, 200.0};
  source.energy = {10.0, 30.0};
  frame_->Trigger(command::kCopyCalibrationFileToBuffer);
  ASSERT_EQ(Buffer().CurrentInput(), 0u);
  EXPECT_DOUBLE_EQ(Set1().channel[1], 200.0) << "input E's points are now input A's";
  ASSERT_EQ(list_->RowCount(), 2);
  EXPECT_EQ(Caption(), "CALIBRATION w/ ALL");
  EXPECT_DOUBLE_EQ(Set2().b, 0.2);

  auto* acquisition = frame_->findChild<CAcquisitionView*>();
  ASSERT_NE(acquisition, nullptr);
  Buffer().image.registers[44] = 800;
  Buffer().image.registers[45] = 1000;
  Buffer().image.registers[46] = 6104;
  Buffer().image.registers[47] = 6104;
  acquisition->UpdateAcquisitionFromRegisters();
  EXPECT_EQ(Info("THROUGHPUT"), "7999");
  EXPECT_EQ(Info("INCOMING"), "9999");
  EXPECT_EQ(Control<QProgressBar>(info_, "LOSSES %")->value(), 19);
  EXPECT_EQ(Info("DEAD %"), QString::fromStdString(acquisition->Readout().deadPercent));
}

TEST_F(CalibrationPanes, CopySpectrumPutsThePlotOrTheWholePaneOnTheClipboard) {
  Open();
  pane_->raise();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !pane_->visibleRegion().isEmpty(); }, 5000));
  QClipboard* clipboard = QGuiApplication::clipboard();
  frame_->Trigger(command::kCopySpectrumPlot);
  EXPECT_EQ(clipboard->image().size(), pane_->BufferWindow().viewport()->size());
  frame_->Trigger(command::kCopySpectrumWindow);
  EXPECT_EQ(clipboard->image().size(), pane_->size()) << "the pane with its caption";
  EXPECT_GT(pane_->height(), pane_->BufferWindow().height());
}

}  // namespace
}  // namespace korva
