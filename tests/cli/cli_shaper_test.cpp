// The headless shaper command against the virtual instrument: options go
// through the forms' handlers, reach the instrument and come back decoded.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

#include "../support/unpaced_instrument.h"
#include "cli_tool.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

using test::Outcome;
using test::RunTool;

// Powers on with input E, rise 240, flat top 40 and normalisation AUTO.
std::unique_ptr<sim::PtyServer> Instrument() {
  auto instrument = std::make_unique<sim::PtyServer>(test::UnpacedInstrument());
  instrument->Start();
  return instrument;
}

QString Device(const sim::PtyServer& instrument) { return QString::fromStdString(instrument.DevicePath()); }

std::uint16_t Register(sim::PtyServer& instrument, std::size_t index) {
  std::uint16_t value = 0;
  instrument.Inspect([&](sim::VirtualInstrument& device) { value = device.Memory().registers[index]; });
  return value;
}

QJsonObject Json(const Outcome& outcome) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8(), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << outcome.out.toStdString();
  return document.object();
}

QJsonValue At(const QJsonObject& object, const QString& group, const QString& key) {
  return object[group].toObject()[key];
}

TEST(HeadlessShaper, OptionsReachTheInstrumentWithTheRegistersTheFormDerives) {
  auto instrument = Instrument();
  Outcome outcome =
      RunTool({"shaper", "--port", Device(*instrument), "--slow-rise", "100", "--slow-threshold", "5",
               "--long-tc", "3000", "--fast-rise", "5000", "--pile-up", "on"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("note: --fast-rise 5000 is outside its range; 1020 is used"));
  QJsonObject state = Json(outcome);
  EXPECT_EQ(At(state, "slowShaper", "riseTime").toObject()["samples"].toInt(), 100);
  EXPECT_DOUBLE_EQ(At(state, "slowShaper", "riseTime").toObject()["us"].toDouble(), 0.8);
  EXPECT_EQ(At(state, "threshold", "slow").toInt(), 5);
  EXPECT_EQ(At(state, "unfolding", "set").toString(), "UNFOLDING Input E");
  EXPECT_EQ(At(state, "unfolding", "longTc").toObject()["rel"].toInt(), 3000);
  EXPECT_TRUE(At(state, "pileUp", "on").toBool());

  EXPECT_EQ(Register(*instrument, 2), 100);
  EXPECT_EQ(Register(*instrument, 4), 1020);
  EXPECT_EQ(Register(*instrument, 32), 143);  // 100 / 32 + flat top 40 + 100
  EXPECT_EQ(Register(*instrument, 38), 200);
  // Input E: the long constant goes to the E pair; the A/B/C pair stays.
  EXPECT_EQ(Register(*instrument, 11), 3000);
  EXPECT_EQ(Register(*instrument, 9), 2000) << "the power-on A/B/C constant";
  // F = 100 x 40960 / 2^14 = 250, so the slow threshold 5 is 5 x 4F.
  EXPECT_EQ(Register(*instrument, 20), 250);
  EXPECT_EQ(Register(*instrument, 34), 5000);
  EXPECT_EQ(Register(*instrument, 35), 0);
  EXPECT_EQ(Register(*instrument, 13) & 0x8000, 0);

  // Without options the command only shows: a register a compose would
  // rewrite keeps what the instrument holds.
  instrument->Inspect([](sim::VirtualInstrument& device) { device.Memory().registers.Set(32, 7); });
  outcome = RunTool({"shaper", "--port", Device(*instrument)});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_EQ(At(Json(outcome), "threshold", "slow").toInt(), 5);
  EXPECT_EQ(Register(*instrument, 32), 7);
}

// Register 30 belongs to both forms: the PHA form's compose must not undo
// the slow BLR value the shaper options of the same command set.
TEST(HeadlessShaper, PhaOptionsKeepTheShaperBlrOfTheSameCommand) {
  auto instrument = Instrument();
  const Outcome outcome =
      RunTool({"shaper", "--port", Device(*instrument), "--blr-slow", "300", "--blr-acc", "on", "--lld", "7",
               "--lld-margin", "2.5", "--internal-blr", "off", "--normalization", "fine"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  const QJsonObject state = Json(outcome);
  EXPECT_EQ(Register(*instrument, 30), 300 | 0x4000);
  EXPECT_EQ(Register(*instrument, 72), 7 * 12);
  EXPECT_EQ(Register(*instrument, 74) & 0x1F, 10);  // margin 2.5 in quarters
  EXPECT_NE(Register(*instrument, 18) & 0x1000, 0);
  EXPECT_EQ(Register(*instrument, 21) & 0xC000, 0xC000);
  EXPECT_EQ(At(state, "pha", "phaSlow").toInt(), 300);
  EXPECT_EQ(At(state, "pha", "lld").toInt(), 7);
  EXPECT_DOUBLE_EQ(At(state, "pha", "lldMargin").toDouble(), 2.5);
  EXPECT_FALSE(At(state, "pha", "useInternalBlr").toBool());
  EXPECT_TRUE(At(state, "blr", "acc").toBool());
  EXPECT_TRUE(At(state, "normalization", "fine").toBool());
}

// A port that does not exist would fail with 1: a usage error proves the
// value was refused before any connection.
TEST(HeadlessShaper, GarbledValuesAreRefusedBeforeConnecting) {
  const QString port = QStringLiteral("/dev/korva-no-such-port");
  for (const auto& [option, value, message] :
       {std::tuple{"--pile-up", "maybe", "--pile-up must be on or off, not: maybe"},
        std::tuple{"--slow-rise", "abc", "--slow-rise must be a whole number, not: abc"},
        std::tuple{"--slow-margin", "1.3", "--slow-margin must be one of 1, 1.25, 1.5 ... 7.75, not: 1.3"},
        std::tuple{"--normalization", "coarse", "--normalization must be auto, fine or a whole factor"}}) {
    const Outcome outcome = RunTool({"shaper", "--port", port, option, value});
    EXPECT_EQ(outcome.exitCode, 2) << option;
    EXPECT_TRUE(outcome.err.contains(message)) << outcome.err.toStdString();
  }
}

}  // namespace
}  // namespace korva
