#pragma once

#include <gtest/gtest.h>

#include <QProcess>
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

inline Outcome RunTool(const QStringList& arguments, int timeoutMs = 60000) {
  QProcess tool;
  tool.start(QStringLiteral(KORVA_CLI_PATH), arguments);
  return Finished(tool, timeoutMs);
}

}  // namespace korva::test
