#include "timesync/time_stamp_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "time_fakes.h"

namespace korva {
namespace {

using namespace korva::testing;

QPushButton* Button(QWidget& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

void Click(QWidget& dialog, const char* name) { QTest::mouseClick(Button(dialog, name), Qt::LeftButton); }

QStringList Report(QWidget& dialog) {
  QStringList lines;
  const auto* report = dialog.findChild<QListWidget*>(QStringLiteral("report"));
  for (int i = 0; i < report->count(); ++i) lines << report->item(i)->text();
  return lines;
}

// The dialog over a scripted server 2 s ahead of the clock.
class TimeStampDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shape.receive = AddSeconds(Now(clock), 2.0);
    shape.transmit = shape.receive;
    link.answer = [this](const auto& request) { return MakeReply(request, shape); };
  }

  // Runs ChooseTimeReference with `act` done to the dialog it shows.
  void Choose(const std::function<void(QWidget&)>& act) {
    QTimer::singleShot(0, [act] { act(*QApplication::activeModalWidget()); });
    ChooseTimeReference(reference, tools, nullptr);
  }

  ManualClock clock{Utc(2024, 3, 7, 12, 0, 0)};
  ScriptedLink link;
  ReplyShape shape;
  CSNTPClient sntp{link, clock};
  RecordingClockSetter setter;
  TimeStampTools tools{sntp, clock, setter};
  FixedZoneSource zones;
  TimeReferenceState reference{clock, zones};
};

TEST_F(TimeStampDialogTest, UtcAndSynchronisationNeedTheLastQueryToHaveSucceeded) {
  CTimeUTC dialog(tools);
  EXPECT_EQ(dialog.windowTitle(), "Measurement Time Stamp");
  QStringList captions;
  for (const auto* label : dialog.findChildren<QLabel*>()) captions << label->text();
  EXPECT_TRUE(captions.contains("TIME FORMAT: DD/MM/YYYY  HH:MM:SS.MS"));
  auto* server = dialog.findChild<QComboBox*>(QStringLiteral("server"));
  EXPECT_EQ(server->count(), 2);
  EXPECT_EQ(server->currentText(), "pool.ntp.org");
  EXPECT_TRUE(Button(dialog, "getUtc")->isDefault());
  EXPECT_FALSE(Button(dialog, "useUtc")->isEnabled());
  EXPECT_FALSE(Button(dialog, "synchronise")->isEnabled());

  server->setEditText(QStringLiteral("192.0.2.1:1123"));
  Click(dialog, "getUtc");
  EXPECT_EQ(link.port, 1123);
  EXPECT_EQ(Report(dialog).value(6), "SYSTEM/LOCAL Clock Offset: 2.000000 seconds");
  EXPECT_TRUE(Button(dialog, "useUtc")->isEnabled());
  Click(dialog, "synchronise");
  EXPECT_EQ(setter.requests.size(), 1u);
  EXPECT_EQ(Report(dialog).value(8), "System time successfully synchronised");

  shape.echoOriginate = false;
  Click(dialog, "getUtc");
  EXPECT_EQ(Report(dialog).value(10), "Failed to retreive time from: 192.0.2.1:1123");
  EXPECT_FALSE(Button(dialog, "useUtc")->isEnabled());
  EXPECT_FALSE(Button(dialog, "synchronise")->isEnabled());
}

TEST_F(TimeStampDialogTest, EachWayOfClosingStoresItsReference) {
  const std::tuple<const char*, std::function<void(QWidget&)>, TimeReferenceKind, const char*> ways[] = {
      {"Use UTC", [](QWidget& d) { Click(d, "useUtc"); }, TimeReferenceKind::kUtc, "START TIME: UTC"},
      {"Use LOCAL", [](QWidget& d) { Click(d, "useLocal"); }, TimeReferenceKind::kLocal, "START TIME: LOCAL"},
      {"Use SYSTEM", [](QWidget& d) { Click(d, "useSystem"); }, TimeReferenceKind::kSystem,
       "START TIME: SYSTEM"},
  };
  for (const auto& [name, act, kind, label] : ways) {
    reference.RequireChoice();
    Choose([&act](QWidget& dialog) {
      Click(dialog, "getUtc");
      act(dialog);
    });
    EXPECT_FALSE(reference.MustChoose()) << name;
    EXPECT_EQ(reference.Kind(), kind) << name;
    EXPECT_EQ(reference.Label(), label) << name;
    EXPECT_NEAR(reference.ClockOffset(), kind == TimeReferenceKind::kUtc ? 2.0 : 0.0, 1e-6) << name;
    EXPECT_EQ(reference.NtpServer(), kind == TimeReferenceKind::kUtc ? "pool.ntp.org" : "") << name;
  }
}

// Closing the dialog without a choice leaves the reference to be chosen,
// so the start that asked for it does not happen.
TEST_F(TimeStampDialogTest, ClosingWithoutAChoiceChoosesNothing) {
  const std::pair<const char*, std::function<void(QWidget&)>> ways[] = {
      {"close box", [](QWidget& d) { d.close(); }},
      {"Escape", [](QWidget& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
  };
  for (const auto& [name, act] : ways) {
    reference.RequireChoice();
    Choose([&act](QWidget& dialog) {
      Click(dialog, "getUtc");
      act(dialog);
    });
    EXPECT_TRUE(reference.MustChoose()) << name;
    EXPECT_TRUE(reference.NeedsTimeReferenceChoice()) << name;
  }
}

// The reference names the server the offset was measured against, not
// whatever the box holds when "Use UTC" is pressed.
TEST_F(TimeStampDialogTest, UseUtcNamesTheServerThatWasQueried) {
  Choose([](QWidget& dialog) {
    auto* server = dialog.findChild<QComboBox*>(QStringLiteral("server"));
    server->setEditText(QStringLiteral("ntp.lab.example:1123"));
    Click(dialog, "getUtc");
    server->setEditText(QStringLiteral("time.nist.gov"));
    Click(dialog, "useUtc");
  });
  EXPECT_EQ(reference.Kind(), TimeReferenceKind::kUtc);
  EXPECT_EQ(reference.NtpServer(), "ntp.lab.example:1123");
}

}  // namespace
}  // namespace korva
