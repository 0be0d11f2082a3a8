#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "common/unreadable_file.h"
#include "devicelink/register_edit.h"
#include "devicelink/register_map.h"
#include "setup/register_file.h"

namespace korva {

namespace {

constexpr const char* kRegistersUsage =
    "registers save FILE.rgv --port DEVICE [--baud N] [--overwrite]\n"
    "       korva-tdcr-cli registers write FILE --port DEVICE [--baud N] [--force]";
constexpr int kExchangeWaitMs = 30000;

// The bits of register `index` the instrument keeps for itself, so that a
// read-back may differ there from what was written: the model code, the
// trace-ready and erase status flags, and every register it counts into.
std::uint16_t InstrumentKeptBits(std::size_t index) {
  if (reg::IsInstrumentCounted(index)) return 0xFFFF;
  switch (index) {
    case reg::kModel:
      return reg::model::kMask;
    case reg::kControl:
      return reg::control::kEraseDone | reg::control::kEraseArmed | reg::control::kTraceReady;
    default:
      return 0;
  }
}

// Counts what the engine reports, so a command can wait for the next one.
class EngineEvents : public EngineObserver {
 public:
  explicit EngineEvents(CommandEngine& engine) : engine_(engine) { engine_.AddObserver(this); }
  ~EngineEvents() override { engine_.RemoveObserver(this); }
  EngineEvents(const EngineEvents&) = delete;
  EngineEvents& operator=(const EngineEvents&) = delete;

  int reads = 0;
  int writes = 0;

 private:
  void OnRegistersRead(bool) override { ++reads; }
  void OnRegistersWritten() override { ++writes; }
  CommandEngine& engine_;
};

struct Target {
  std::string port;
  std::uint32_t baud = 0;
};

std::optional<Target> ReadTarget(const CommandLine& line, int& exitCode) {
  exitCode = kExitUsage;
  const std::optional<std::string> port = line.Value("port");
  if (!port) {
    ReportUsageError("registers needs --port DEVICE");
    return std::nullopt;
  }
  Target target{*port};
  if (!ReadBaudOption(line, target.baud)) return std::nullopt;
  return target;
}

// Connects and waits for the first register read to land in the image;
// spectrum polling stays off, so nothing but registers crosses the line.
bool ConnectAndReadRegisters(CliSession& session, EngineEvents& events, const Target& target) {
  if (!session.ConnectAndWait(target.port, target.baud)) return false;
  session.Engine().SetSpectrumPolling(false);
  return session.WaitUntil([&events] { return events.reads > 0; }, kExchangeWaitMs);
}

RegisterTable ImageTable(CommandEngine& engine) {
  RegisterTable table{};
  std::copy_n(engine.Image().registers.begin(), table.size(), table.begin());
  return table;
}

int Finish(CliSession& session, int exitCode) {
  session.Disconnect();
  return exitCode;
}

// The registers as the instrument holds them, written as SAVE FILE writes
// the REGISTERS view's table.
int SaveRegisters(const CommandLine& line, const std::string& file) {
  int usage = kExitOk;
  const std::optional<Target> target = ReadTarget(line, usage);
  if (!target) return usage;
  const std::filesystem::path path = RegisterFileNameFor(file);
  std::error_code ignored;
  if (std::filesystem::exists(path, ignored) && !line.Has("overwrite")) {
    std::cerr << "File already exists: " << path.string() << " (--overwrite replaces it)\n";
    return kExitFailure;
  }
  CliSession session;
  EngineEvents events(session.Engine());
  if (!ConnectAndReadRegisters(session, events, *target)) return Finish(session, kExitFailure);
  const RegisterFileStatus status = SaveRegisterFile(path, ImageTable(session.Engine()));
  if (status != RegisterFileStatus::kDone) {
    std::cerr << RegisterFileMessage(status) << ": " << path.string() << '\n';
    return Finish(session, kExitFailure);
  }
  std::cout << path.string() << '\n';
  return Finish(session, kExitOk);
}

// Loads the file as LOAD FILE does over the instrument's own values (so
// entries the file does not give are written back unchanged), writes all
// 128 registers, reads them back and lists each register that came back
// different: read-only and instrument-kept registers show up here. A
// difference in a bit the instrument does not keep fails the command.
int WriteRegisters(const CommandLine& line, const std::string& file) {
  int usage = kExitOk;
  const std::optional<Target> target = ReadTarget(line, usage);
  if (!target) return usage;
  RegisterTable probe{};
  std::size_t valuesGiven = 0;
  std::vector<RegisterValueFinding> findings;
  if (const RegisterFileStatus status = LoadRegisterFile(file, probe, &valuesGiven, &findings);
      status != RegisterFileStatus::kDone) {
    std::cerr << RegisterFileMessage(status) << ": " << file << '\n';
    if (status == RegisterFileStatus::kUnableToOpen) std::cerr << UnreadableFile(file) << '\n';
    return kExitFailure;
  }
  // Without values of its own the write would only send the instrument's
  // values back to it and report success.
  if (valuesGiven == 0) {
    std::cerr << file << ": no registers block with values in the file; nothing was sent\n";
    return kExitFailure;
  }
  // The reading rules store such lines as something else; the user decides
  // whether that is what the instrument should get.
  for (const RegisterValueFinding& finding : findings)
    std::cerr << file << ": " << RegisterValueFindingText(finding) << '\n';
  if (!findings.empty() && !line.Has("force")) {
    std::cerr << file << ": nothing was sent (--force sends the values as read)\n";
    return kExitFailure;
  }
  CliSession session;
  CommandEngine& engine = session.Engine();
  EngineEvents events(engine);
  if (!ConnectAndReadRegisters(session, events, *target)) return Finish(session, kExitFailure);

  RegisterTable written = ImageTable(engine);
  if (LoadRegisterFile(file, written) != RegisterFileStatus::kDone) {
    std::cerr << RegisterFileMessage(RegisterFileStatus::kUnableToOpen) << ": " << file << '\n';
    return Finish(session, kExitFailure);
  }
  EditRegisters(
      engine, [&written](RegisterImage& registers) { registers = written; }, RegisterBlock::kAll);
  if (!session.WaitUntil([&events] { return events.writes > 0; }, kExchangeWaitMs)) {
    return Finish(session, kExitFailure);
  }
  const int readsBefore = events.reads;
  engine.RequestAllRegisters();
  if (!session.WaitUntil([&] { return events.reads > readsBefore; }, kExchangeWaitMs)) {
    return Finish(session, kExitFailure);
  }
  const RegisterTable readBack = ImageTable(engine);
  std::size_t differences = 0;
  for (std::size_t i = reg::kFirstReadBack; i < readBack.size(); ++i) {
    if (readBack[i] == written[i]) continue;
    const bool kept = ((readBack[i] ^ written[i]) & ~InstrumentKeptBits(i)) == 0;
    std::printf("Register %zu: written %u, read back %u%s\n", i, static_cast<unsigned>(written[i]),
                static_cast<unsigned>(readBack[i]), kept ? " (kept by the instrument)" : "");
    differences += kept ? 0 : 1;
  }
  std::fflush(stdout);
  if (differences == 0) return Finish(session, kExitOk);
  std::cerr << "korva-tdcr-cli: " << differences << " registers read back different from what was written\n";
  return Finish(session, kExitFailure);
}

int Registers(const CommandLine& line) {
  const std::vector<std::string>& words = line.Positionals();
  if (words.size() != 2) return ReportUsageError("registers needs save or write and a FILE");
  if (words[0] == "save") {
    if (line.Has("force")) return ReportUsageError("registers save takes no --force");
    return SaveRegisters(line, words[1]);
  }
  if (words[0] == "write") {
    if (line.Has("overwrite")) return ReportUsageError("registers write takes no --overwrite");
    return WriteRegisters(line, words[1]);
  }
  return ReportUsageError("unknown registers command: " + words[0]);
}

}  // namespace

std::vector<CliCommand> RegisterCommands() {
  return {{"registers", kRegistersUsage, {{"port", "baud"}, {"overwrite", "force"}, 2}, Registers}};
}

}  // namespace korva
