// Where a result came from, end to end: a measurement whose UTC start was
// taken from a local SNTP server, the archive entries of the tool's saves,
// and the provenance `analyze` prints of the measured file.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "../timesync/time_fakes.h"
#include "../timesync/udp_responder.h"
#include "cli_tool.h"
#include "timesync/system_utc_clock.h"
#include "tritium_vial.h"

namespace korva {
namespace {

using test::Outcome;
using testing::Datagram;
using testing::UdpResponder;

constexpr double kServerAheadSeconds = 30.0;

Outcome Tool(const QStringList& arguments) { return test::RunTool(arguments, 120000); }

// A good SNTP server on 127.0.0.1, 30 s ahead of this computer.
std::vector<Datagram> AnswerAhead(const Datagram& request) {
  testing::ReplyShape shape;
  shape.receive = AddSeconds(Now(SystemUtcClock()), kServerAheadSeconds);
  shape.transmit = shape.receive;
  return {testing::MakeReply(request, shape)};
}

QJsonDocument JsonOf(const Outcome& output) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(output.out.toUtf8(), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << output.out.toStdString();
  return document;
}

// The newest archive entry of `kind`.
QJsonObject NewestEntry(const QStringList& archive, const QString& kind) {
  const Outcome listed = Tool(archive + QStringList{"history", "list", "--kind", kind, "--json"});
  EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
  return JsonOf(listed).array().first().toObject();
}

TEST(ToolProvenance, AUtcMeasurementNamesItsNtpServerInTheArchiveAndInTheAnalysis) {
  const auto instrument = test::StartTritiumVial();
  const QString port = QString::fromStdString(instrument->DevicePath());
  UdpResponder ntp(AnswerAhead);
  const QString server = QString::fromStdString(ntp.ServerText());
  QTemporaryDir folder;
  const QStringList archive{"--new-archive", folder.filePath("archive.sqlite")};
  const QString tdc = folder.filePath("vial.tdc");

  Outcome output = Tool(archive + QStringList{"measure", "--port", port, "--out", folder.filePath("vial"),
                                              "--runs", "2", "--time", "3", "--gap", "0.1", "--reference",
                                              "utc", "--ntp-server", server});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();

  const QJsonObject measured = NewestEntry(archive, "tdcr");
  const QJsonObject clock = measured["instrument"].toObject();
  EXPECT_EQ(clock["timeReference"].toString(), "UTC");
  EXPECT_EQ(clock["ntpServer"].toString(), server);
  EXPECT_NEAR(clock["ntpOffsetSeconds"].toDouble(), kServerAheadSeconds, 0.5);
  EXPECT_EQ(clock["model"].toString(), "Veltra RQ3102");
  const QString sha256 = measured["files"][0]["sha256"].toString();

  output = Tool(archive + QStringList{"analyze", tdc, "--nuclide", "H-3", "--json"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const QJsonObject provenance = JsonOf(output)["provenance"].toObject();
  EXPECT_EQ(provenance["timeReference"]["reference"].toString(), "UTC");
  EXPECT_EQ(provenance["timeReference"]["ntpServer"].toString(), server);
  EXPECT_EQ(provenance["timeReference"]["ntpOffset"].toDouble(), clock["ntpOffsetSeconds"].toDouble());
  EXPECT_EQ(provenance["inputs"][0]["sha256"].toString(), sha256);

  // Without --json: the report, then the block the analysis export's .txt
  // ends with.
  output = Tool(archive + QStringList{"analyze", tdc, "--nuclide", "H-3"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const std::string text = output.out.toStdString();
  const std::size_t block = text.find("\n\nProvenance\nProgram version: 7.0");
  ASSERT_NE(block, std::string::npos) << text;
  EXPECT_LT(text.find("expanded (k = 2)"), block);
  EXPECT_NE(text.find("Instrument: Veltra RQ3102, serial number ", block), std::string::npos) << text;
  EXPECT_NE(text.find("Time reference: UTC, NTP offset ", block), std::string::npos) << text;
  EXPECT_NE(text.find(" s from " + server.toStdString() + "\n", block), std::string::npos) << text;
  EXPECT_NE(text.find("Input: " + tdc.toStdString() + ", SHA-256 " + sha256.toStdString() + "\n", block),
            std::string::npos)
      << text;

  // A file that is no longer what was archived takes nothing from the
  // archive: the offset and server of the measurement are not its own.
  QFile file(tdc);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("\r\n");
  file.close();
  output = Tool(archive + QStringList{"analyze", tdc, "--nuclide", "H-3", "--json"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const QJsonObject changed = JsonOf(output)["provenance"]["timeReference"].toObject();
  EXPECT_EQ(changed["reference"].toString(), "UTC");
  EXPECT_TRUE(changed["ntpServer"].isNull());
  EXPECT_TRUE(changed["ntpOffset"].isNull());

  // A register file names no instrument; its entry takes the connected one
  // and, with no reference chosen, claims no clock.
  output = Tool(archive + QStringList{"registers", "save", folder.filePath("set"), "--port", port});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const QJsonObject registers = NewestEntry(archive, "registers")["instrument"].toObject();
  EXPECT_EQ(registers["model"].toString(), "Veltra RQ3102");
  EXPECT_FALSE(registers["serialNumber"].toString().isEmpty());
  EXPECT_FALSE(registers["firmware"].toString().isEmpty());
  EXPECT_EQ(registers["timeReference"].toString(), "");
  EXPECT_EQ(registers["ntpServer"].toString(), "");
}

}  // namespace
}  // namespace korva
