#include "tdcr/tdcr_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "forms/numeric_edit.h"
#include "tdcr/tdcr_counters_view.h"
#include "tdcr/tdcr_panes.h"
#include "tdcr_rig.h"

namespace korva {
namespace {

using C = TdcrCounter;
using Word = TdcrControlWord;

// Both panes as the main window has them, redrawn after every refresh.
class TdcrViewTest : public ::testing::Test, protected test::TdcrRig {
 protected:
  TdcrViewTest() { RedrawOnRefresh(tdcr, tdcrPane, countersPane); }

  template <typename Control>
  Control& Find(const QWidget& root, const QString& name) {
    auto* control = root.findChild<Control*>(name);
    if (control == nullptr) ADD_FAILURE() << "no control " << name.toStdString();
    return *control;
  }
  QString Box(const QString& name) { return Find<QLineEdit>(*tdcrPane.TdcrView(), name).text(); }
  QString Counter(const QString& name) { return Find<QLineEdit>(*countersPane.CountersView(), name).text(); }
  NumericEdit& Edit(const QString& name) { return Find<NumericEdit>(*tdcrPane.TdcrView(), name); }
  QComboBox& List(const QString& name) { return Find<QComboBox>(*tdcrPane.TdcrView(), name); }
  QComboBox& CountersList(const QString& name) { return Find<QComboBox>(*countersPane.CountersView(), name); }
  QPushButton& Button(const QString& name) { return Find<QPushButton>(*tdcrPane.TdcrView(), name); }
  std::array<bool, 4> Enabled() {  // RESET, START, STOP, SAVE
    return {Button("RESET").isEnabled(), Button("START").isEnabled(), Button("STOP").isEnabled(),
            Button("SAVE").isEnabled()};
  }

  // Puts the keyboard focus into an edit of the shown TDCR form and
  // replaces its text by typing `keys`.
  void TypeInto(NumericEdit& edit, const QString& keys) {
    edit.setFocus();
    ASSERT_TRUE(edit.hasFocus());
    edit.selectAll();
    QTest::keyClicks(&edit, keys);
  }
  void ShowTdcrPane() {
    tdcrPane.show();
    QApplication::setActiveWindow(&tdcrPane);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tdcrPane));
  }

  CTDCRWnd tdcrPane{tdcr, nullptr};
  CTDCRWndCnt countersPane{tdcr, nullptr};
};

TEST_F(TdcrViewTest, FormShowsItsDefaultsThenTheMeasurementOfTheShownRun) {
  EXPECT_EQ(Box("STATUS"), "Not Connected");
  EXPECT_EQ(Box("DD/MM/YYYY  HH:MM:SS.MS"), "Hardware Not Connected");
  EXPECT_EQ(Find<QLabel>(*tdcrPane.TdcrView(), "START TIME").text(), "START TIME: SYSTEM");
  EXPECT_EQ(Enabled(), (std::array<bool, 4>{false, false, false, false}));
  EXPECT_EQ(Edit("TIME PER RUN [s]").text(), "1.0");
  EXPECT_EQ(Edit("GAP TIME [s]").text(), "1.0");
  EXPECT_EQ(Edit("THRESHOLD C [mV]").text(), "  12.30");
  EXPECT_EQ(Edit("EXTENSION 2 [us]").text(), "  0.640");
  QComboBox& stopTimer = List("STOP TIMER");
  ASSERT_EQ(stopTimer.count(), 17);
  EXPECT_EQ(stopTimer.itemText(1), " LIVE A1");
  EXPECT_EQ(stopTimer.itemText(7), "LIVE AB1");
  EXPECT_EQ(stopTimer.itemText(16), "");
  EXPECT_EQ(List("VIEW RUN").count(), 1) << "no run measured yet";
  EXPECT_EQ(List("WINDOW M [ns]").itemText(15), "200");

  Connect();
  ControlWord() = Word::kRun;
  image.registers[91] = 2 << 8 | 4;
  Put(3, C::kRealTime, 10'000);
  Put(3, C::kLiveAb1, 8'000);
  Put(3, C::kLiveT1, 5'000);
  Put(3, C::kLiveAb2, 4'000);
  Put(3, C::kAbN1, 80'000);
  Put(3, C::kAbM1, 40'000);
  Put(3, C::kAbN2, 8'000);
  Put(3, C::kTN1, 25'000);
  Put(3, C::kRawA, 123'456);
  Put(3, C::kRawC, 5'000'000'000);
  Put(3, C::kInt10MHz, 100'000'000);
  tdcr.RefreshViews();

  EXPECT_EQ(Box("STATUS"), "In Progress - RUN 3");
  EXPECT_EQ(Box("RUN REAL TIME [s]"), "    10.000");
  EXPECT_EQ(Box("COMPLETED RUNS"), "2");
  EXPECT_EQ(Box("RATE N-EXT1 [cps]/AB"), " 10000.000");
  EXPECT_EQ(Box("RATE  M-EXT1 [cps]/AB"), "  5000.000");
  EXPECT_EQ(Box("RATE  N-EXT2 [cps]/AB"), "  2000.000");
  EXPECT_EQ(Box("RATE N-EXT1 [cps]/T"), "  5000.000");
  EXPECT_EQ(Box("RATIO N-EXT1/T/AB"), "  0.500000");
  EXPECT_EQ(Box("RATIO N-EXT1/T/BC"), "0.0");
  EXPECT_EQ(Box("LIVE T1 [s]"), "     5.000");
  EXPECT_EQ(Box("LIVE AB2 [s]"), "     4.000");
  EXPECT_EQ(Enabled(), (std::array<bool, 4>{true, false, true, false}));

  EXPECT_EQ(Counter("COUNTERS - N1/AB"), "80000");
  EXPECT_EQ(Counter("COUNTERS - M1/AB"), "40000");
  EXPECT_EQ(Counter("COUNTERS - N2/AB"), "8000");
  EXPECT_EQ(Counter("COUNTERS - N1/ED"), "30000");
  EXPECT_EQ(Counter("COUNTERS - PMT A/RAW"), "123456");
  EXPECT_EQ(Counter("COUNTERS - PMT A/RAW CPS"), " 12345.600");
  EXPECT_EQ(Counter("COUNTERS - PMT C/RAW"), "5000000000");
  EXPECT_EQ(Counter("INT 10MHz"), "100000000");
}

TEST_F(TdcrViewTest, TypedThresholdIsSentAtOnceAndEnterRewritesIt) {
  ShowTdcrPane();
  Connect();
  tdcr.RefreshViews();
  NumericEdit& threshold = Edit("THRESHOLD A [mV]");
  EXPECT_EQ(WritesAfter([&] { TypeInto(threshold, "0"); }), 1u);
  EXPECT_EQ(image.registers[80], 1230);
  EXPECT_TRUE(LastWriteCarriesTheImage());
  EXPECT_EQ(WritesAfter([&] { QTest::keyClick(&threshold, Qt::Key_Return); }), 0u);
  EXPECT_EQ(threshold.text(), "   0.00");

  // Each keystroke is applied and sent; the minus typed last becomes the sign.
  EXPECT_EQ(WritesAfter([&] { TypeInto(threshold, "1"); }), 1u);
  EXPECT_EQ(image.registers[80], 1130);
  EXPECT_EQ(WritesAfter([&] { QTest::keyClick(&threshold, '2'); }), 1u);
  EXPECT_EQ(WritesAfter([&] { QTest::keyClick(&threshold, '-'); }), 1u);
  EXPECT_EQ(threshold.text(), "-12");
  EXPECT_EQ(image.registers[80], 2430);
  QTest::keyClick(&threshold, Qt::Key_Enter);
  EXPECT_EQ(threshold.text(), " -12.00");
}

TEST_F(TdcrViewTest, RefreshLeavesTheEditBeingTypedInAlone) {
  ShowTdcrPane();
  Connect();
  NumericEdit& timePerRun = Edit("TIME PER RUN [s]");
  TypeInto(timePerRun, "12");
  EXPECT_EQ(ReadRegisterPair(image.registers, 88), 12000u);

  // The instrument reports other values while the user is typing.
  WriteRegisterPair(image.registers, 88, 5000);
  WriteRegisterPair(image.registers, 98, 250);
  tdcr.RefreshViews();
  EXPECT_EQ(timePerRun.text(), "12");
  EXPECT_EQ(Edit("GAP TIME [s]").text(), " 0.250");

  Edit("GAP TIME [s]").setFocus();
  EXPECT_EQ(timePerRun.text(), " 5.000");
}

TEST_F(TdcrViewTest, SpinArrowsLowerTheThresholdCodeAndRaiseTheExtension) {
  Connect();
  image.registers[80] = 1230;
  image.registers[84] = 78;  // position 80
  tdcr.RefreshViews();
  QTest::keyClick(&Edit("THRESHOLD A [mV]"), Qt::Key_Up);
  EXPECT_EQ(image.registers[80], 1229);
  EXPECT_EQ(Edit("THRESHOLD A [mV]").text(), "   0.01");
  QTest::keyClick(&Edit("EXTENSION 1 [us]"), Qt::Key_Up);
  EXPECT_EQ(image.registers[84], 79);
  EXPECT_EQ(Edit("EXTENSION 1 [us]").text(), "  0.648");
  QTest::keyClick(&Edit("EXTENSION 1 [us]"), Qt::Key_Down);
  QTest::keyClick(&Edit("EXTENSION 1 [us]"), Qt::Key_Down);
  EXPECT_EQ(image.registers[84], 78);  // held at position 80
}

TEST_F(TdcrViewTest, ViewRunOfEitherViewShowsTheRunInBoth) {
  Put(5, C::kRealTime, 5'000);
  Put(5, C::kAbN1, 555);
  Put(2, C::kRealTime, 2'000);
  Put(2, C::kAbN1, 222);
  image.registers[91] = 5 << 8 | 9;  // six of ten runs, then STOP
  ControlWord() = Word::kInterrupted;
  tdcr.RefreshViews();

  CountersList("VIEW RUN").setCurrentIndex(5);
  EXPECT_EQ(List("VIEW RUN").currentIndex(), 5);
  EXPECT_EQ(Box("RUN REAL TIME [s]"), "     5.000");
  EXPECT_EQ(Counter("COUNTERS - N1/AB"), "555");

  List("VIEW RUN").setCurrentIndex(2);
  EXPECT_EQ(CountersList("VIEW RUN").currentIndex(), 2);
  EXPECT_EQ(Box("RUN REAL TIME [s]"), "     2.000");
  EXPECT_EQ(Counter("COUNTERS - N1/AB"), "222");
}

TEST_F(TdcrViewTest, ViewRunOffersOnlyTheRunsTheMeasurementHolds) {
  Connect();
  ControlWord() = Word::kRun;
  image.registers[91] = 1 << 8 | 2;  // run 2 of 3 in progress
  tdcr.RefreshViews();
  EXPECT_EQ(List("VIEW RUN").count(), 3) << "In Progress, 1, 2";
  EXPECT_EQ(CountersList("VIEW RUN").count(), 3);

  ControlWord() = 0;  // completed
  image.registers[91] = 2 << 8 | 2;
  tdcr.RefreshViews();
  ASSERT_EQ(List("VIEW RUN").count(), 4);
  EXPECT_EQ(List("VIEW RUN").itemText(3), "3");
  List("VIEW RUN").setCurrentIndex(3);
  EXPECT_EQ(tdcr.ViewRun(), 3);

  ControlWord() = Word::kSaved;
  EXPECT_EQ(WritesAfter([&] { Button("RESET").click(); }), 1u);
  image.registers[91] = 2;
  tdcr.RefreshViews();
  EXPECT_EQ(List("VIEW RUN").count(), 1);
  EXPECT_EQ(tdcr.ViewRun(), 0) << "the shown run went with the measurement";
}

TEST_F(TdcrViewTest, SourceGoesIntoRegister97AndIsSent) {
  Connect();
  image.registers[97] = 0x0700;
  EXPECT_EQ(WritesAfter([&] { CountersList("SOURCE").setCurrentIndex(2); }), 1u);
  EXPECT_EQ(image.registers[97], 0x0702);
  EXPECT_TRUE(LastWriteCarriesTheImage());
  EXPECT_EQ(CountersList("SOURCE").currentIndex(), 2);

  image.registers[97] = 0x0003;  // not in the list
  tdcr.RefreshViews();
  EXPECT_EQ(CountersList("SOURCE").currentText(), "NONE");
}

// A refresh puts every register into the lists without a single list
// reporting it back as a choice to be sent.
TEST_F(TdcrViewTest, RefreshedSelectionsSendNothing) {
  Connect();
  image.registers[15] = 0x3000;
  image.registers[90] = 0xC000 | 3 << 4 | 5;
  image.registers[91] = 9;
  ControlWord() = 15 << 12;
  image.registers[97] = 0x0101;
  EXPECT_EQ(WritesAfter([&] { tdcr.RefreshViews(); }), 0u);
  EXPECT_EQ(List("WINDOW N [ns]").currentText(), "60");
  EXPECT_EQ(List("WINDOW M [ns]").currentText(), "40");
  EXPECT_TRUE(Find<QRadioButton>(*tdcrPane.TdcrView(), "MODE EXTENSION 1/CDT").isChecked());
  EXPECT_TRUE(Find<QRadioButton>(*tdcrPane.TdcrView(), "MODE EXTENSION 2/CDT").isChecked());
  EXPECT_EQ(List("SEQUENTIAL RUNS").currentText(), "10");
  EXPECT_EQ(List("STOP TIMER").currentIndex(), 15);
  EXPECT_EQ(List("POLARITY INPUT A").currentText(), "POSITIVE");
  EXPECT_EQ(List("POLARITY INPUT B").currentText(), "NEGATIVE");
  EXPECT_EQ(CountersList("SOURCE").currentText(), "INT REF 10MHz");
}

// The wheel over a list or a spin the user is not in scrolls the form.
TEST_F(TdcrViewTest, ScrollingOverTheFormChangesNoSetting) {
  Connect();
  image.registers[80] = 1230;
  tdcr.RefreshViews();
  for (QWidget* control :
       std::initializer_list<QWidget*>{&List("SEQUENTIAL RUNS"), &Edit("THRESHOLD A [mV]")}) {
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    EXPECT_EQ(WritesAfter([&] { QApplication::sendEvent(control, &wheel); }), 0u);
  }
  EXPECT_EQ(List("SEQUENTIAL RUNS").currentIndex(), 0);
  EXPECT_EQ(image.registers[80], 1230);
}

TEST_F(TdcrViewTest, ChoicesWriteTheirFieldsAndShowWhatTheRegistersKept) {
  Connect();
  List("WINDOW M [ns]").setCurrentIndex(15);
  Find<QRadioButton>(*tdcrPane.TdcrView(), "MODE EXTENSION 2/CDT").click();
  List("SEQUENTIAL RUNS").setCurrentIndex(63);
  List("STOP TIMER").setCurrentIndex(16);
  List("POLARITY INPUT B").setCurrentIndex(1);
  EXPECT_EQ(image.registers[90], 0x80F0);
  EXPECT_EQ(image.registers[91], 63);
  EXPECT_EQ(ControlWord(), 0);
  EXPECT_EQ(List("POLARITY INPUT B").currentIndex(), 1);

  tdcr.RefreshViews();
  EXPECT_EQ(List("STOP TIMER").currentText(), "REAL");
  EXPECT_EQ(List("POLARITY INPUT B").currentText(), "NEGATIVE");
  EXPECT_EQ(List("SEQUENTIAL RUNS").currentText(), "64");
}

TEST_F(TdcrViewTest, ButtonsRunTheMeasurementAndFollowItsState) {
  ControlWord() = Word::kIdle;
  tdcr.RefreshViews();
  EXPECT_EQ(Enabled(), (std::array<bool, 4>{true, true, false, true}));
  Button("START").click();  // no instrument has answered
  EXPECT_EQ(Enabled(), (std::array<bool, 4>{false, false, false, false}));
  EXPECT_TRUE(startTimes.calls.empty());

  Connect();
  ControlWord() = Word::kIdle;
  tdcr.RefreshViews();
  EXPECT_EQ(WritesAfter([&] { Button("START").click(); }), 1u);
  EXPECT_EQ(ControlWord(), Word::kRun | Word::kUtcStamp);
  EXPECT_EQ(Find<QLabel>(*tdcrPane.TdcrView(), "START TIME").text(), "START TIME: UTC");
  EXPECT_EQ(Box("DD/MM/YYYY  HH:MM:SS.MS"), "07/03/2024  14:05:09.12");
  tdcr.RefreshViews();
  EXPECT_EQ(Enabled(), (std::array<bool, 4>{true, false, true, false}));
  EXPECT_EQ(WritesAfter([&] { Button("STOP").click(); }), 1u);
  EXPECT_EQ(ControlWord(), Word::kInterrupted | Word::kUtcStamp);

  Button("TIME STAMP").click();
  EXPECT_EQ(startTimes.calls.back(), "choose");
}

TEST_F(TdcrViewTest, AStartTimeNeverStampedShowsNoDate) {
  Connect();
  ControlWord() = Word::kIdle;
  tdcr.RefreshViews();
  EXPECT_EQ(Box("DD/MM/YYYY  HH:MM:SS.MS"), "-") << "a fresh instrument holds FILETIME 0";
  EXPECT_EQ(WritesAfter([&] { Button("START").click(); }), 1u);
  EXPECT_EQ(Box("DD/MM/YYYY  HH:MM:SS.MS"), "07/03/2024  14:05:09.12");
  for (std::size_t r = 92; r <= 95; ++r) image.registers[r] = 0;  // a restarted instrument
  ControlWord() = Word::kIdle;
  tdcr.RefreshViews();
  EXPECT_EQ(Box("DD/MM/YYYY  HH:MM:SS.MS"), "-");
}

TEST_F(TdcrViewTest, StartOnAHeldMeasurementSaysThatResetComesFirst) {
  Connect();
  ControlWord() = Word::kSaved;
  tdcr.RefreshViews();
  EXPECT_EQ(WritesAfter([&] { Button("START").click(); }), 0u);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("Completed - Saved"), std::string::npos) << host.messages[0];
  EXPECT_NE(host.messages[0].find("RESET"), std::string::npos);
}

TEST_F(TdcrViewTest, ResetOfAnUnsavedMeasurementOffersToSaveIt) {
  Connect();
  ControlWord() = Word::kInterrupted;
  tdcr.RefreshViews();
  host.answerYes = true;
  EXPECT_EQ(WritesAfter([&] { Button("RESET").click(); }), 0u);
  EXPECT_EQ(host.questions, std::vector<std::string>{"Measurement not saved. Would you like to save it?"});
  EXPECT_EQ(host.saves, 1);
  Button("SAVE").click();
  EXPECT_EQ(host.saves, 2);

  host.answerYes = false;
  EXPECT_EQ(WritesAfter([&] { Button("RESET").click(); }), 1u);
  EXPECT_EQ(host.saves, 2);
  EXPECT_EQ(ControlWord(), Word::kInterrupted | Word::kIdle | Word::kResetSet);
  EXPECT_EQ(Box("DD/MM/YYYY  HH:MM:SS.MS"), "Waiting for START");
}

// At the pane's height in a 1366 x 768 window the RECORD fields are in view
// without scrolling, so they are filled in before a measurement is saved.
TEST_F(TdcrViewTest, RecordFieldsAreInViewInAShortPane) {
  tdcrPane.resize(960, 470);
  tdcrPane.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tdcrPane));
  CTDCRView& view = *tdcrPane.TdcrView();
  const QRect shown = view.viewport()->rect();
  for (const char* name : {"NUCLIDES", "LS COCTAIL", "PMT HV", "OPERATOR"}) {
    auto* field = view.findChild<QLineEdit*>(QString::fromLatin1(name));
    ASSERT_NE(field, nullptr) << name;
    const QRect at(field->mapTo(view.viewport(), QPoint(0, 0)), field->size());
    EXPECT_TRUE(shown.intersects(at) && at.bottom() <= shown.bottom()) << name << " is below the fold";
  }
}

TEST_F(TdcrViewTest, RecordEditsKeepTheirTextsForTheFiles) {
  ShowTdcrPane();
  auto& nuclides = Find<QLineEdit>(*tdcrPane.TdcrView(), "NUCLIDES");
  nuclides.setFocus();
  QTest::keyClicks(&nuclides, "H-3");
  QTest::keyClicks(&Find<QLineEdit>(*tdcrPane.TdcrView(), "OPERATOR"), "J. Doe");
  EXPECT_EQ(tdcr.Form().record, (TdcrRecordTexts{"J. Doe", "H-3", "", ""}));
}

}  // namespace
}  // namespace korva
