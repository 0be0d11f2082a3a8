// The SHAPER and PHA OPTIONS forms of the main window on a virtual
// instrument: a shaper change reaches the instrument, and the register
// reads switch between the two forms by the instrument's mode.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QTest>

#include "../support/instrument_window.h"
#include "common/command_ids.h"
#include "devicelink/link_session.h"
#include "forms/numeric_edit.h"
#include "setup/amplifier_view.h"
#include "setup/pha_view.h"
#include "setup/shaper_view.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"
#include "sim/virtual_instrument.h"
#include "spectrum/spectrum_documents.h"
#include "spectrumview/spectrum_wnd.h"

namespace korva {
namespace {

constexpr int kPhaInputA = 4;  // " PMT A - PHA"
constexpr int kDppInputA = 0;  // "PMT A - DPP"

struct ShaperWindow : ::testing::Test, test::InstrumentWindow {
  ShaperWindow() { Open(QSize(1600, 1000)); }

  void Connect() {
    frame->Trigger(command::kAutoConnect);
    ASSERT_TRUE(frame->Session().Engine().IsConnected());
    shaper = frame->findChild<CShaperView*>();
    pha = frame->findChild<CPHAView*>();
    amplifier = frame->findChild<CAmplifierView*>();
    shaperPane = frame->findChild<QDockWidget*>(QStringLiteral("ShaperPane"));
    phaPane = frame->findChild<QDockWidget*>(QStringLiteral("PhaPane"));
    ASSERT_TRUE(shaper && pha && amplifier && shaperPane && phaPane);
    // The instrument's flat top of 40 samples, not the form's initial 1.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Field("SLOW FLAT TOP [sa]") == "40"; }, 5000));
  }
  template <typename T>
  T* Control(QWidget* view, const QString& name) {
    return view->findChild<T*>(name);
  }
  QString Field(const char* name) { return Control<NumericEdit>(shaper, QString::fromLatin1(name))->text(); }
  void Type(NumericEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
  }
  std::uint16_t Register(std::size_t index) const { return frame->BufferSpectrum().image.registers[index]; }
  int PhaThreshold() const { return pha->Setup().Controls().threshold; }
  int ShaperThreshold() const { return shaper->Setup().Controls().Field(ShaperField::kSlowThreshold); }

  CShaperView* shaper = nullptr;
  CPHAView* pha = nullptr;
  CAmplifierView* amplifier = nullptr;
  QDockWidget* shaperPane = nullptr;
  QDockWidget* phaPane = nullptr;
};

TEST_F(ShaperWindow, AShaperChangeReachesTheInstrumentAndTheModeSwitchesTheFormsWithTheThreshold) {
  Connect();
  EXPECT_FALSE(shaperPane->isHidden());
  EXPECT_TRUE(phaPane->isHidden());
  EXPECT_EQ(Control<QGroupBox>(shaper, QStringLiteral("UNFOLDING"))->title(), "UNFOLDING Input E");
  // The window's caption names the input the instrument reported, not the
  // one shown before the first read.
  EXPECT_TRUE(QTest::qWaitFor([&] { return frame->windowTitle().startsWith("PMT E - DPP @ "); }, 2000))
      << frame->windowTitle().toStdString();

  // The rise time lies below the settings block: it is written with all
  // registers, and the derived ones and the normalisation go with it.
  Type(Control<NumericEdit>(shaper, QStringLiteral("SLOW RISE TIME [sa]")), QStringLiteral("100"));
  EXPECT_EQ(Control<QLineEdit>(shaper, QStringLiteral("SLOW RISE TIME [us]"))->text(), "0.8000");
  ASSERT_TRUE(QTest::qWaitFor([&] { return InstrumentRegister(2) == 100; }, 5000));
  EXPECT_EQ(InstrumentRegister(32), 100 / 32 + 40 + 100);
  EXPECT_EQ(InstrumentRegister(38), 200);
  EXPECT_EQ(InstrumentRegister(20), 100 * 40960 / 16384) << "AUTO normalisation of input E";

  Type(Control<NumericEdit>(shaper, QStringLiteral("SLOW THRESHOLD")), QStringLiteral("5"));
  EXPECT_TRUE(Control<QLabel>(shaper, QStringLiteral("SLOW AUTO"))->isHidden());
  ASSERT_TRUE(QTest::qWaitFor([&] { return InstrumentRegister(34) == 5 * 4 * 250; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Register(34) == 5 * 4 * 250 && PhaThreshold() == 5; }, 5000))
      << "read back, and the PHA form took the shaper's threshold";
  // Halving the soft size doubles the channel width: the same threshold is
  // shown in the wider channels, and the instrument's value stays.
  frame->Trigger(command::kSoftSize2048);
  EXPECT_EQ(shaper->Setup().Controls().Field(ShaperField::kSlowThreshold), 2);
  EXPECT_EQ(InstrumentRegister(34), 5 * 4 * 250);
  frame->Trigger(command::kSoftSize4096);
  EXPECT_EQ(shaper->Setup().Controls().Field(ShaperField::kSlowThreshold), 5);
  // 0 is the automatic threshold: the margin list takes the field's place.
  Type(Control<NumericEdit>(shaper, QStringLiteral("FAST THRESHOLD")), QStringLiteral("0"));
  EXPECT_FALSE(Control<QLabel>(shaper, QStringLiteral("FAST AUTO"))->isHidden());
  EXPECT_FALSE(Control<QComboBox>(shaper, QStringLiteral("FAST Auto Margin"))->isHidden());
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return InstrumentRegister(36) == 0xFFFF && InstrumentRegister(37) == 0xFFFF; }, 5000));
  shaperPane->raise();

  // A PHA input puts the instrument in pulse-height analysis: the PHA form
  // decodes and the shaper takes its LLD threshold.
  Control<QComboBox>(amplifier, QStringLiteral("MCA INPUT"))->setCurrentIndex(kPhaInputA);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !phaPane->isHidden() && shaperPane->isHidden(); }, 5000));
  const auto estimate = [&] { return (InstrumentRegister(48) | InstrumentRegister(49) << 16) / 12; };
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return pha->Setup().Controls().estimatedLld == std::to_string(estimate()); }, 5000))
      << pha->Setup().Controls().estimatedLld << " " << estimate() << " in PHA units";
  EXPECT_EQ(ShaperThreshold(), PhaThreshold());
  Type(Control<NumericEdit>(pha, QStringLiteral("LLD PHA [chn]")), QStringLiteral("7"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return InstrumentRegister(72) == 7 * 12; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Register(72) == 7 * 12 && ShaperThreshold() == 7; }, 5000));
  auto* internalBlr = Control<QCheckBox>(pha, QStringLiteral("USE INTERNAL BLR"));
  EXPECT_TRUE(internalBlr->isChecked()) << "register 18 bit 12 clear";
  EXPECT_TRUE(Control<NumericEdit>(pha, QStringLiteral("PHA/SLOW"))->isEnabled());
  internalBlr->click();
  EXPECT_FALSE(Control<NumericEdit>(pha, QStringLiteral("PHA/SLOW"))->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return (InstrumentRegister(18) & 0x1000) != 0; }, 5000));
  internalBlr->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return (InstrumentRegister(18) & 0x1000) == 0; }, 5000));

  // Back to the shaper; the A/B/C unfolding set is shown now.
  Control<QComboBox>(amplifier, QStringLiteral("MCA INPUT"))->setCurrentIndex(kDppInputA);
  ASSERT_TRUE(QTest::qWaitFor([&] { return phaPane->isHidden() && !shaperPane->isHidden(); }, 5000));
  EXPECT_EQ(Control<QGroupBox>(shaper, QStringLiteral("UNFOLDING"))->title(), "UNFOLDING Input ABC");
  EXPECT_TRUE(Control<NumericEdit>(shaper, QStringLiteral("LONG TC ABC"))->isVisible());
  EXPECT_FALSE(Control<NumericEdit>(shaper, QStringLiteral("LONG TC E"))->isVisible());

  // A spectrum from a file shows its settings but cannot change them.
  SpectrumDocuments& spectra = frame->Spectra();
  spectra.Activate(spectra.file);
  EXPECT_FALSE(shaper->isEnabled());
  EXPECT_FALSE(pha->isEnabled());
  EXPECT_EQ(Field("SLOW RISE TIME [sa]"), "0") << "the empty file record's registers";
  spectra.Activate(spectra.buffer);
  EXPECT_TRUE(shaper->isEnabled());
  EXPECT_EQ(Field("SLOW RISE TIME [sa]"), "100");
  EXPECT_TRUE(prompt.errors.empty());
}

}  // namespace
}  // namespace korva
