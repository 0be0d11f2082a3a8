// Spectrum acquisition the way a user runs it: the ACQUISITION and SIGNALS
// forms of the main window on a virtual instrument.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest/QTest>
#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

#include "../support/instrument_window.h"
#include "../support/register_read_counter.h"
#include "acquisition/acquisition_view.h"
#include "common/command_ids.h"
#include "devicelink/link_session.h"
#include "forms/numeric_edit.h"
#include "scope/oscope_view.h"
#include "setup/amplifier_view.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"
#include "timesync/time_stamp_dialog.h"

namespace korva {
namespace {

// The main window connected to an unpaced virtual instrument, with both
// forms filled from its first register read.
struct SpectrumWindow : ::testing::Test, test::InstrumentWindow {
  SpectrumWindow() { Open(); }

  void Connect() {
    frame->Trigger(command::kAutoConnect);
    ASSERT_TRUE(frame->Session().Engine().IsConnected());
    acquisition = frame->findChild<CAcquisitionView*>();
    amplifier = frame->findChild<CAmplifierView*>();
    ASSERT_NE(acquisition, nullptr);
    ASSERT_NE(amplifier, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return acquisition->Initialised(); }, 5000));
    reads = std::make_unique<test::RegisterReadCounter>(frame->Session().Engine());
  }
  template <typename T>
  T* Control(QWidget* view, const char* name) {
    return view->findChild<T*>(QString::fromLatin1(name));
  }
  std::uint16_t Register(std::size_t index) const { return frame->BufferSpectrum().image.registers[index]; }
  bool Running() const { return (Register(16) & 1) != 0; }
  std::uint64_t Counts() const {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) total += frame->BufferSpectrum().Channel(i);
    return total;
  }
  // The counts of the shown half, channel by channel.
  std::vector<double> Shown() const {
    std::vector<double> counts(CSpectrum::kChannels);
    for (std::size_t i = 0; i < counts.size(); ++i) counts[i] = frame->BufferSpectrum().Channel(i);
    return counts;
  }
  // The mean channel of `counts`: where the spectrum's bulk lies.
  static double MeanChannel(const std::vector<double>& counts) {
    double sum = 0, weighted = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
      sum += counts[i];
      weighted += static_cast<double>(i) * counts[i];
    }
    return sum > 0 ? weighted / sum : 0.0;
  }
  // The instrument's run bit, as the instrument itself holds it.
  bool InstrumentRunning() { return (InstrumentRegister(16) & 1) != 0; }
  // The program holds the instrument's two spectrum halves word for word.
  bool SpectrumReadBack() {
    const std::vector<std::uint32_t> memory = InstrumentData(2 * CSpectrum::kChannels);
    const std::vector<std::uint32_t>& image = frame->BufferSpectrum().image.spectrum;
    return std::equal(memory.begin(), memory.end(), image.begin());
  }
  std::uint64_t InstrumentCounts() {
    const std::vector<std::uint32_t> memory = InstrumentData(2 * CSpectrum::kChannels);
    return std::accumulate(memory.begin(), memory.end(), std::uint64_t{0});
  }
  // MCA-START, then MCA-STOP once the instrument has counted `events` more,
  // and a wait until the program holds the instrument's whole memory.
  void Count(std::uint64_t events) {
    const std::uint64_t before = InstrumentCounts();
    Control<QPushButton>(acquisition, "MCA-START")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return InstrumentCounts() >= before + events; }, 10000))
        << "the start reached the instrument";
    Control<QPushButton>(acquisition, "MCA-STOP")->click();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !InstrumentRunning() && !Running() && SpectrumReadBack(); }, 10000));
  }

  CAcquisitionView* acquisition = nullptr;
  CAmplifierView* amplifier = nullptr;
  std::unique_ptr<test::RegisterReadCounter> reads;
};

TEST_F(SpectrumWindow, StartStopAndEraseReachTheInstrumentAndTheFormFollowsIt) {
  Connect();
  auto text = [&](const char* name) { return Control<QLineEdit>(acquisition, name)->text().trimmed(); };
  EXPECT_FALSE(frame->Action(command::kStopAcquisition)->isEnabled());

  Control<QPushButton>(acquisition, "MCA-START")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Running(); }, 5000));
  EXPECT_EQ(Control<QLabel>(acquisition, "START TIME")->text(), "START TIME: SYSTEM");
  ASSERT_TRUE(QTest::qWaitFor([&] { return text("REAL [s]").toDouble() > 0.5 && Counts() > 100; }, 5000));
  EXPECT_FALSE(frame->Action(command::kStartAcquisition)->isEnabled());
  EXPECT_TRUE(frame->Action(command::kStopAcquisition)->isEnabled());
  EXPECT_TRUE(
      text("START STAMP").contains(QRegularExpression("^\\d\\d/\\d\\d/\\d{4}  \\d\\d:\\d\\d:\\d\\d$")));

  frame->Trigger(command::kStopAcquisition);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !InstrumentRunning(); }, 5000));
  ASSERT_TRUE(reads->AwaitMore(2)) << "a read-back after the stop";
  EXPECT_FALSE(Running());
  const QString stoppedAt = text("REAL [s]");
  ASSERT_TRUE(reads->AwaitMore(2));
  EXPECT_EQ(text("REAL [s]"), stoppedAt) << "the instrument's clock stopped";

  frame->Trigger(command::kEraseSpectrum);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return Counts() == 0 && text("START STAMP") == "WAITING FOR START"; }, 5000));
  EXPECT_EQ(text("REAL [s]"), "0.00");
  EXPECT_EQ(Register(16) & 0x34, 0x10) << "erase handshake completed";
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(SpectrumWindow, AutoUpdateSwitchesSpectrumPolling) {
  Connect();
  CommandEngine& engine = frame->Session().Engine();
  auto* autoUpdate = Control<QCheckBox>(acquisition, "AUTO UPDATE");
  EXPECT_TRUE(autoUpdate->isChecked());
  EXPECT_TRUE(engine.SpectrumPolling());
  autoUpdate->click();
  EXPECT_FALSE(engine.SpectrumPolling());
  // Without polling no acquisition reaches the window's counts: the
  // instrument counts, the engine falls idle and the window stays empty.
  Control<QPushButton>(acquisition, "MCA-START")->click();
  const auto counted = [&] {
    const std::vector<std::uint32_t> memory = InstrumentData(2 * CSpectrum::kChannels);
    return std::any_of(memory.begin(), memory.end(), [](std::uint32_t word) { return word > 0; });
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return counted() && !engine.IsBusy() && !engine.WritePending(); }, 5000));
  EXPECT_EQ(Counts(), 0u);
  autoUpdate->click();
  EXPECT_TRUE(engine.SpectrumPolling());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Counts() > 0; }, 5000));
  frame->Trigger(command::kDisconnect);
  EXPECT_FALSE(autoUpdate->isChecked());
}

TEST_F(SpectrumWindow, DoublingTheCoarseGainDoublesWhereTheTritiumSpectrumLies) {
  Connect();
  auto* coarse = Control<QComboBox>(amplifier, "COARSE");
  coarse->setCurrentIndex(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return (Register(18) & 3) == 0; }, 5000));
  // Erased and started at once, as a user clicks: the start must not be
  // lost to the erase still on its way.
  Control<QPushButton>(acquisition, "MCA-RESET")->click();
  Count(1000);
  const std::vector<double> first = Shown();
  const double single = MeanChannel(first);
  ASSERT_GT(single, 5.0);

  coarse->setCurrentIndex(2);
  EXPECT_EQ(Control<QLineEdit>(amplifier, "TOTAL")->text(), "2.00000");
  ASSERT_TRUE(QTest::qWaitFor([&] { return (Register(18) & 3) == 2; }, 5000))
      << "read back from the instrument";
  // The same run goes on at the doubled gain: the start resumes it, so what
  // it adds now is the doubled gain's spectrum.
  Count(1000);
  std::vector<double> added = Shown();
  for (std::size_t i = 0; i < added.size(); ++i) added[i] -= first[i];
  EXPECT_NEAR(MeanChannel(added) / single, 2.0, 0.25) << single << " -> " << MeanChannel(added);

  // The fine gain's spin reaches register 17 the same way.
  auto* fine = Control<NumericEdit>(amplifier, "FINE");
  fine->stepBy(1);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return Register(17) == (4095 - amplifier->Setup().Controls().fine) * 16; }, 5000));
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(SpectrumWindow, GatingAndDelaysReachTheRegistersAsTypedAndAFileSpectrumCannotBeChanged) {
  Connect();
  auto* s1 = Control<NumericEdit>(acquisition, "TDCR S1 delay");
  s1->setFocus();
  QTest::keyClick(s1, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(s1, "8205");
  EXPECT_EQ(Control<QLineEdit>(acquisition, "TDCR S1 delay [us]")->text(), " 65.6400");
  auto* width = Control<NumericEdit>(acquisition, "Window width");
  width->setFocus();
  QTest::keyClick(width, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(width, "5000");
  EXPECT_EQ(width->text(), "4095") << "clamped as typed";
  Control<QComboBox>(acquisition, "Coincidence Source")->setCurrentIndex(2);  // TDCR-EXT1
  EXPECT_EQ(Control<QComboBox>(acquisition, "Second Source")->itemText(0), "MCA PKDT");
  Control<QComboBox>(acquisition, "Mode")->setCurrentIndex(1);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return Register(100) == 80 && Register(102) == 8125 && (Register(69) & 0x7FFF) == 0x4FFF &&
               (Register(16) & 0x4000) != 0 && (Register(96) & 0x0600) == 0x0400;
      },
      5000))
      << "read back from the instrument";

  SpectrumDocuments& spectra = frame->Spectra();
  spectra.Activate(spectra.file);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->Action(command::kStartAcquisition)->isEnabled(); }, 5000))
      << "FILE tab shown: a tick updates the commands";
  EXPECT_FALSE(acquisition->isEnabled());
  EXPECT_FALSE(amplifier->isEnabled());
  const std::uint16_t coarse = Register(18);
  Control<QComboBox>(amplifier, "COARSE")->setCurrentIndex((coarse & 3) == 3 ? 0 : 3);
  ASSERT_TRUE(reads->AwaitMore(2));
  EXPECT_EQ(Register(18), coarse) << "nothing composed into the buffer spectrum";
  EXPECT_EQ(InstrumentRegister(18), coarse) << "nothing sent to the instrument";
  spectra.Activate(spectra.buffer);
  EXPECT_TRUE(acquisition->isEnabled());
}

// With the trace viewer in coincidence display, lines 3 and 4 carry the
// TDCR signals' names exactly while a TDCR-EXT source is chosen, from the
// moment it is chosen.
TEST_F(SpectrumWindow, ACoincidenceSourceChangeRelabelsTheTraceViewerAtOnce) {
  Connect();
  auto* scope = frame->findChild<COscopeView*>();
  ASSERT_NE(scope, nullptr);
  auto* inputR = scope->findChild<QRadioButton*>(QStringLiteral("INPUT R"));
  inputR->click();
  inputR->click();
  ASSERT_EQ(inputR->text(), "COINC S");
  auto* store = scope->findChild<QRadioButton*>(QStringLiteral("STORE"));
  auto* pur = scope->findChild<QRadioButton*>(QStringLiteral("PUR"));
  auto* source = Control<QComboBox>(acquisition, "Coincidence Source");
  source->setCurrentIndex(1);  // MCA
  EXPECT_EQ(store->text(), "STORE");
  source->setCurrentIndex(4);  // TDCR-EXT1&2
  EXPECT_EQ(store->text(), "TDCR S1");
  EXPECT_EQ(pur->text(), "TDCR S2");
  source->setCurrentIndex(0);  // DISABLED
  EXPECT_EQ(store->text(), "STORE");
}

}  // namespace
}  // namespace korva
