// The REGISTERS form on a virtual instrument: the table follows the
// instrument's registers, WRITE sends one, the files keep and restore sets.

#include "setup/debug_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

#include "../support/recording_prompt.h"
#include "../support/register_read_counter.h"
#include "devicelink/instrument_session.h"
#include "sim/pty_server.h"
#include "spectrum/spectrum_documents.h"

namespace korva {
namespace {

std::string ReadAll(const QString& path) {
  std::ifstream file(path.toStdString());
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class DebugViewTest : public ::testing::Test {
 protected:
  DebugViewTest() {
    options_.baud = 0;
    instrument_ = std::make_unique<sim::PtyServer>(options_);
    SetInstrumentRegister(70, 1234);
    SetInstrumentRegister(5, 77);
    instrument_->Start();
    session_.StartTicking();
    dialogs_.chooseSaveName = [this](QWidget*) { return saveName_; };
    dialogs_.chooseLoadName = [this](QWidget*) { return loadName_; };
    pane_ = std::make_unique<CDocableDebugPane>(session_.Engine(), spectra_, prompt_, dialogs_, nullptr);
    view_ = pane_->DebugView();
  }
  ~DebugViewTest() override {
    session_.Link().Disconnect();
    pane_.reset();
  }

  void Connect() {
    session_.Link().SetPortName(instrument_->DevicePath());
    ASSERT_TRUE(session_.Link().Connect());
    ASSERT_TRUE(QTest::qWaitFor([this] { return session_.Engine().DeviceAnswered(); }, 5000));
  }
  void SetInstrumentRegister(std::size_t index, std::uint16_t value) {
    instrument_->Inspect(
        [&](sim::VirtualInstrument& device) { device.Memory().registers.Set(index, value); });
  }
  std::uint16_t InstrumentRegister(std::size_t index) {
    std::uint16_t value = 0;
    instrument_->Inspect([&](sim::VirtualInstrument& device) { value = device.Memory().registers[index]; });
    return value;
  }
  template <typename Control>
  Control& Find(const QString& name) {
    auto* control = view_->findChild<Control*>(name);
    if (control == nullptr) ADD_FAILURE() << "no control " << name.toStdString();
    return *control;
  }
  void Select(int index) { Find<QComboBox>("Register").setCurrentIndex(index); }
  QString Dec() { return Find<QLineEdit>("Value (DEC)").text(); }
  QString Hex() { return Find<QLineEdit>("Value (HEX)").text(); }
  QString Bits() {
    QString captions;
    for (int bit = 15; bit >= 0; --bit)
      captions += Find<QPushButton>(QStringLiteral("bit%1").arg(bit)).text();
    return captions;
  }
  void Type(const QString& field, const QString& keys) {
    QLineEdit& edit = Find<QLineEdit>(field);
    edit.selectAll();
    QTest::keyClicks(&edit, keys);
  }
  void Click(const QString& name) { Find<QPushButton>(name).click(); }

  sim::ServerOptions options_;
  std::unique_ptr<sim::PtyServer> instrument_;
  test::RecordingPrompt prompt_;
  SpectrumDocuments spectra_;
  InstrumentSession session_{spectra_.buffer.image, prompt_};
  RegisterFileDialogs dialogs_;
  std::optional<std::string> saveName_;
  std::optional<std::string> loadName_;
  std::unique_ptr<CDocableDebugPane> pane_;
  CDebugView* view_ = nullptr;
  QTemporaryDir folder_;
};

TEST_F(DebugViewTest, ShowsTheInstrumentsRegistersAndWritesOneBack) {
  ASSERT_NE(view_, nullptr);
  Select(70);
  EXPECT_EQ(Dec(), "700");  // i x 10 before the first read-back
  Connect();
  ASSERT_TRUE(QTest::qWaitFor([this] { return Dec() == "1234"; }, 5000)) << Dec().toStdString();
  EXPECT_EQ(Hex(), "4D2");
  EXPECT_EQ(Bits(), "0000010011010010");

  Type("Value (HEX)", "ffff");
  EXPECT_EQ(Dec(), "65535");
  EXPECT_EQ(Bits(), QString(16, QLatin1Char('1')));
  Click("WRITE");
  EXPECT_TRUE(QTest::qWaitFor([this] { return InstrumentRegister(70) == 65535; }, 5000));

  // A bit button with AUTO WRITE sends at once; a register below the
  // settings block reaches the instrument too.
  Find<QCheckBox>("AUTO WRITE").setChecked(true);
  Select(5);
  ASSERT_TRUE(QTest::qWaitFor([this] { return Dec() == "77"; }, 5000));
  Click("bit8");
  EXPECT_EQ(Dec(), "333");
  pane_->resize(320, 300);
  pane_->show();
  EXPECT_TRUE(QTest::qWaitFor([this] { return InstrumentRegister(5) == 333; }, 5000));

  // Typed values beyond the field's range are stored clamped and shown so.
  Type("Value (DEC)", "99999");
  EXPECT_EQ(Dec(), "65535");
  EXPECT_EQ(Hex(), "FFFF");
  EXPECT_TRUE(prompt_.errors.empty());
}

TEST_F(DebugViewTest, ReadBacksFollowAutoReadAndReadForcesACopy) {
  Connect();
  Select(70);
  ASSERT_TRUE(QTest::qWaitFor([this] { return Dec() == "1234"; }, 5000));
  Find<QCheckBox>("AUTO READ").setChecked(false);
  SetInstrumentRegister(70, 4321);
  const int reads = 4;
  for (int i = 0; i < reads; ++i) session_.Engine().RequestAllRegisters();
  ASSERT_TRUE(QTest::qWaitFor([this] { return spectra_.buffer.image.registers[70] == 4321; }, 5000));
  EXPECT_EQ(Dec(), "1234");
  Click("READ");
  EXPECT_EQ(Dec(), "4321");
}

TEST_F(DebugViewTest, LoadedFileStaysInViewUntilReadAndSavedFileRestoresEveryEntry) {
  Connect();
  Select(70);
  ASSERT_TRUE(QTest::qWaitFor([this] { return Dec() == "1234"; }, 5000));
  const RegisterTable fromInstrument = view_->Table().Values();

  // Saved without an extension: ".rgv" is added; a second save asks first.
  saveName_ = folder_.filePath("set").toStdString();
  Click("SAVE FILE");
  const QString saved = folder_.filePath("set.rgv");
  ASSERT_TRUE(QFile::exists(saved));
  EXPECT_EQ(ReadAll(saved), RegisterFileText(fromInstrument));
  Click("SAVE FILE");
  EXPECT_EQ(prompt_.questions,
            std::vector<std::string>{"FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?"});
  EXPECT_EQ(prompt_.questionButtons, std::vector<std::string>{"OK/Cancel"});

  // A file of four entries in capitals; the rest keep the instrument's values.
  const QString partial = folder_.filePath("partial.kts");
  std::ofstream(partial.toStdString()) << "<REGISTERS>\n<size>4</size>\n<data>\n1\n2\n3\n4\n5\n6\n</data>\n"
                                          "</registers>\n";
  loadName_ = partial.toStdString();
  Select(3);
  Click("LOAD FILE");
  EXPECT_EQ(Dec(), "4");
  EXPECT_FALSE(Find<QCheckBox>("AUTO READ").isChecked());
  test::RegisterReadCounter reads(session_.Engine());
  session_.Engine().RequestAllRegisters();
  ASSERT_TRUE(reads.AwaitMore(1));
  EXPECT_EQ(Dec(), "4");
  EXPECT_EQ(view_->Table().Values()[4], fromInstrument[4]);

  loadName_ = saved.toStdString();
  Click("LOAD FILE");
  EXPECT_EQ(view_->Table().Values(), fromInstrument);

  loadName_ = folder_.filePath("missing.rgv").toStdString();
  Click("LOAD FILE");
  EXPECT_EQ(prompt_.errors,
            std::vector<std::string>{"Unable to Open File\n" + folder_.filePath("missing.rgv").toStdString() +
                                     ": No such file or directory"});
  EXPECT_EQ(view_->Table().Values(), fromInstrument);
}

// Lines the reading rules store other than as written load as the rules
// say, and the view names each of them, as the tool does before a write.
TEST_F(DebugViewTest, LoadingNamesEachLineNotStoredAsWritten) {
  const QString file = folder_.filePath("odd.rgv");
  std::ofstream(file.toStdString()) << "<registers>\n<size>5</size>\n<data>\n70000\n-3\nhello\n12.7\n 9 \n"
                                       "</data>\n</registers>\n";
  loadName_ = file.toStdString();
  Click("LOAD FILE");
  const RegisterTable& table = view_->Table().Values();
  // Low 16 bits: 70000 - 65536 = 4464, -3 + 65536 = 65533; no number is 0.
  EXPECT_EQ((std::array<std::uint16_t, 5>{table[0], table[1], table[2], table[3], table[4]}),
            (std::array<std::uint16_t, 5>{4464, 65533, 0, 12, 9}));
  const std::string rule = " is not a whole number from 0 to 65535; read as ";
  EXPECT_EQ(prompt_.messages,
            std::vector<std::string>{"Load Register File|line 4 (register 0): \"70000\"" + rule + "4464\n" +
                                     "line 5 (register 1): \"-3\"" + rule + "65533\n" +
                                     "line 6 (register 2): \"hello\"" + rule + "0\n" +
                                     "line 7 (register 3): \"12.7\"" + rule + "12\n"});
}

}  // namespace
}  // namespace korva
