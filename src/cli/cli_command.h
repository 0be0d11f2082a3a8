#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace korva {

// Exit codes of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // instrument, link or file failure
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;  // stopped by Ctrl-C (SIGINT)
// measure stopped by SIGTERM: like Ctrl-C, the instrument's measurement is
// stopped and what was measured is saved; 128 + 15, as a shell reports it.
inline constexpr int kExitTerminated = 143;

// One subcommand of korva-tdcr-cli. Each subsystem contributes its own;
// main() only looks them up by name.
struct CliCommand {
  std::string name;
  std::string usage;  // the lines after "korva-tdcr-cli "
  CommandLine::Grammar grammar;
  std::function<int(const CommandLine&)> run;
};

// Prints "korva-tdcr-cli: message" and the usage of the command being run
// (of every command before one is known) on standard error; returns
// kExitUsage.
int ReportUsageError(const std::string& message);

// The serial rates "--baud" takes; 921600 when left out.
inline const OptionRange kBaudRange{1, 4000000, true, "baud"};
inline constexpr std::uint32_t kDefaultBaudRate = 921600;

// Reads "--baud N" (default 921600) into `baud`; false after a usage error
// was reported.
bool ReadBaudOption(const CommandLine& line, std::uint32_t& baud);

// The commands of each subsystem.
std::vector<CliCommand> LinkCommands();
std::vector<CliCommand> TdcrCommands();
std::vector<CliCommand> AnalysisCommands();
std::vector<CliCommand> SpectrumFileCommands();
std::vector<CliCommand> SpectrumAnalysisCommands();
std::vector<CliCommand> SpectrumCommands();
std::vector<CliCommand> RegisterCommands();
std::vector<CliCommand> FpgaCommands();
std::vector<CliCommand> ShaperCommands();
std::vector<CliCommand> TraceCommands();
std::vector<CliCommand> SpectrumExchangeCommands();
std::vector<CliCommand> HistoryCommands();

}  // namespace korva
