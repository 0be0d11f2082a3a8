// korva-tdcr-cli: the program's instrument work without a window, for
// scripts and for machines without a display.

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_recorder.h"
#include "cli/cli_archive.h"
#include "cli/cli_command.h"
#include "common/program_version.h"
#include "korva_build_commit.h"

namespace korva {

namespace {

std::vector<CliCommand> AllCommands() {
  std::vector<CliCommand> commands;
  for (auto part : {LinkCommands, TdcrCommands, AnalysisCommands, SpectrumFileCommands,
                    SpectrumAnalysisCommands, SpectrumCommands, ShaperCommands, RegisterCommands,
                    FpgaCommands, TraceCommands, SpectrumExchangeCommands, HistoryCommands}) {
    for (CliCommand& command : part()) commands.push_back(std::move(command));
  }
  return commands;
}

// The command being run: a usage error names its usage alone.
std::string runningCommand;

// The usage of every command, or of `only` when it names one.
void PrintUsage(std::ostream& out, const std::string& only = {}) {
  const char* lead = "usage: ";
  for (const CliCommand& command : AllCommands()) {
    if (!only.empty() && command.name != only) continue;
    out << lead << "korva-tdcr-cli " << command.usage << '\n';
    lead = "       ";
  }
}

// The usage lines come from the command table, so the help names every
// command and option the tool accepts.
int PrintHelp() {
  std::cout << "korva-tdcr-cli: Korva-TDCR's instrument work without a window.\n"
               "Event-log lines go to standard error; results go to standard output and files.\n\n";
  PrintUsage(std::cout);
  std::cout << "       korva-tdcr-cli --help | --version\n\n"
               "--archive URL names an existing archive; --new-archive URL creates one when it does not\n"
               "exist. Without either, the default archive is used (created at the first save). A save\n"
               "that cannot be archived fails the command (exit 1); its files stay written.\n\n"
               "Options left out: --baud 921600, --reference system, --ntp-server pool.ntp.org,\n"
               "--tag \"TDCR Measurement\" (measure). measure and spectrum change only the settings\n"
               "given: every other setting keeps the instrument's present value. spectrum without\n"
               "--time acquires until Ctrl-C. Every number is checked against its range; a value\n"
               "out of range, nan or inf is a usage error naming the option and its range.\n\n"
               "Exit codes: 0 done, 1 instrument, link or file failure, 2 usage error,\n"
               "130 stopped by Ctrl-C. The manual page korva-tdcr-cli(1) describes every command.\n";
  return kExitOk;
}

int PrintVersion() {
  std::cout << "korva-tdcr-cli " << ProgramVersionText() << '\n';
  return kExitOk;
}

int Run(std::vector<std::string> arguments) {
  if (!TakeArchiveOption(arguments)) return kExitUsage;
  if (arguments.empty()) return ReportUsageError("no command given");
  if (arguments.size() == 1 && arguments.front() == "--help") return PrintHelp();
  if (arguments.size() == 1 && arguments.front() == "--version") return PrintVersion();
  const std::unique_ptr<ArchiveRecorder> archive = StartToolArchive();
  for (const CliCommand& command : AllCommands()) {
    if (command.name != arguments.front()) continue;
    runningCommand = command.name;
    std::string error;
    const std::optional<CommandLine> line =
        CommandLine::Parse({arguments.begin() + 1, arguments.end()}, command.grammar, error);
    if (!line) return ReportUsageError(error);
    const int outcome = command.run(*line);
    return outcome == kExitOk && ToolArchiveFailed() ? kExitFailure : outcome;
  }
  return ReportUsageError("unknown command: " + arguments.front());
}

}  // namespace

int ReportUsageError(const std::string& message) {
  std::cerr << "korva-tdcr-cli: " << message << '\n';
  PrintUsage(std::cerr, runningCommand);
  if (!runningCommand.empty()) std::cerr << "korva-tdcr-cli --help lists every command.\n";
  return kExitUsage;
}

bool ReadBaudOption(const CommandLine& line, std::uint32_t& baud) {
  baud = kDefaultBaudRate;
  std::optional<double> value;
  std::string error;
  if (!ReadRangedOption(line, "baud", kBaudRange, value, error)) return ReportUsageError(error), false;
  if (value) baud = static_cast<std::uint32_t>(*value);
  return true;
}

}  // namespace korva

int main(int argc, char** argv) {
  korva::RecordBuildCommit(KORVA_BUILD_COMMIT);
  // A PDF report lays out text with fonts, which only a GUI application has;
  // the tool never shows a window, so it draws offscreen.
  const bool report =
      std::any_of(argv + 1, argv + argc, [](const char* a) { return std::string(a) == "--report"; });
  if (report) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::unique_ptr<QCoreApplication> app =
      report ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Korva"));
  QCoreApplication::setApplicationName(QStringLiteral("Korva-TDCR 7.0"));
  return korva::Run(std::vector<std::string>(argv + 1, argv + argc));
}
