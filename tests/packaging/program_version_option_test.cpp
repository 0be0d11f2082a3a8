// --version and --help of the three programs: the window answers before it
// needs a display, and every program names the build's version and commit.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include "common/program_version.h"
#include "korva_build_commit.h"

namespace korva {
namespace {

struct Answer {
  int exitCode = -1;
  QString out;
};

// Runs `program` with no display of any kind, as on a machine without one.
Answer RunWithoutDisplay(const QString& program, const QString& option) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, {option});
  EXPECT_TRUE(process.waitForFinished(30000));
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput())};
}

struct Program {
  const char* name;
  const char* path;
};

constexpr Program kPrograms[] = {
    {"korva-tdcr", KORVA_GUI_PATH}, {"korva-tdcr-cli", KORVA_CLI_PATH}, {"veltra-sim", KORVA_SIM_PATH}};

TEST(ProgramVersionOption, EachProgramPrintsItsNameVersionAndCommitAndExits) {
  // The programs were built from the same commit as this test.
  RecordBuildCommit(KORVA_BUILD_COMMIT);
  for (const Program& program : kPrograms) {
    const Answer answer = RunWithoutDisplay(QString::fromLatin1(program.path), QStringLiteral("--version"));
    EXPECT_EQ(answer.exitCode, 0) << program.name;
    EXPECT_EQ(answer.out.toStdString(), std::string(program.name) + " " + ProgramVersionText() + "\n");
  }
}

TEST(ProgramVersionOption, EachProgramPrintsItsHelpAndExits) {
  for (const Program& program : kPrograms) {
    const Answer answer = RunWithoutDisplay(QString::fromLatin1(program.path), QStringLiteral("--help"));
    EXPECT_EQ(answer.exitCode, 0) << program.name;
    EXPECT_TRUE(answer.out.contains(QStringLiteral("--version"))) << program.name;
  }
}

}  // namespace
}  // namespace korva
