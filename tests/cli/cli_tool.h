#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QString>
#include <QStringList>

namespace korva::test {

// What a run of korva-tdcr-cli left behind.
struct Outcome {
  int exitCode = -1;
  QString out;
  QString err;
};

inline Outcome Finished(QProcess& tool, int timeoutMs) {
  EXPECT_TRUE(tool.waitForFinished(timeoutMs));
  return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
          QString::fromUtf8(tool.readAllStandardError())};
}

// Waits until the tool's standard error holds `text`, leaving it unread
// for Finished.
inline bool WaitForErrorText(QProcess& tool, const QString& text, int timeoutMs) {
  tool.setReadChannel(QProcess::StandardError);
  QElapsedTimer waited;
  waited.start();
  while (!QString::fromUtf8(tool.peek(1 << 22)).contains(text)) {
    const qint64 left = timeoutMs - waited.elapsed();
    if (left <= 0 || !tool.waitForReadyRead(static_cast<int>(left))) return false;
  }
  return true;
}

// Runs the tool with its settings (XDG_CONFIG_HOME) in `configFolder`, so
// what one test leaves there cannot reach another.
inline Outcome RunToolWithSettings(const QString& configFolder, const QStringList& arguments,
                                   int timeoutMs = 60000) {
  QProcess tool;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
  tool.setProcessEnvironment(environment);
  tool.start(QStringLiteral(KORVA_CLI_PATH), arguments);
  return Finished(tool, timeoutMs);
}

// Writes into the settings folder `configFolder` (what XDG_CONFIG_HOME
// names for the tool) link timings that make a give-up quick: a reply may
// take 3 ticks (600 ms) before it is asked for again 50 ms later, so the
// fifth failure comes within about 3 s instead of 22; a probed port
// settles 100 ms and its probe waits 4 x 250 ms.
inline void WriteQuickLinkTimings(const QString& configFolder) {
  QSettings file(configFolder + QStringLiteral("/Korva/Korva-TDCR 7.0.conf"), QSettings::IniFormat);
  file.setValue(QStringLiteral("Korva-TDCR/Link/ReplyTimeoutTicks"), 3);
  file.setValue(QStringLiteral("Korva-TDCR/Link/RepeatPauseMs"), 50);
  file.setValue(QStringLiteral("Korva-TDCR/Link/PortSettleMs"), 100);
  file.setValue(QStringLiteral("Korva-TDCR/Link/ProbeTickMs"), 250);
  file.sync();
}

inline Outcome RunTool(const QStringList& arguments, int timeoutMs = 60000) {
  QProcess tool;
  tool.start(QStringLiteral(KORVA_CLI_PATH), arguments);
  return Finished(tool, timeoutMs);
}

}  // namespace korva::test
