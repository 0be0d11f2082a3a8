#include <QEventLoop>
#include <QTimer>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "fpga/fpga_link_hold.h"
#include "fpga/fpga_transfer.h"
#include "qtadapters/qt_settings_store.h"

namespace korva {

namespace {

constexpr const char* kFpgaUsage =
    "fpga upload|verify|configure [FILE] --port DEVICE [--baud N] [--no-verify] [--raw] [--force]";
constexpr std::uint64_t kPercent = 100;
// A verify lists this many differing bytes; the rest are counted.
constexpr std::uint32_t kListedDifferences = 16;
// Instruments whose flash an upload left unfinished, by serial number, so
// that a later configure (another run of the tool) knows.
constexpr std::string_view kFlashIncompletePath = "\\ConfigKorva\\FlashIncomplete";

// Set by SIGINT or SIGTERM; the transfer's timer looks at it, so the
// operation ends through Stop between two blocks, never inside a write.
volatile std::sig_atomic_t fpgaInterrupted = 0;

extern "C" void OnFpgaInterrupt(int) { fpgaInterrupted = 1; }

// Prints the transfer's log lines on standard output and its progress on
// standard error as they come, and ends the event loop with the operation.
class ConsoleTransfer : private FpgaTransferObserver, private FpgaLog::Listener {
 public:
  explicit ConsoleTransfer(FpgaTransfer& transfer) : transfer_(transfer) {
    transfer_.SetObserver(this);
    transfer_.Log().SetListener(this);
  }
  ~ConsoleTransfer() override {
    transfer_.SetObserver(nullptr);
    transfer_.Log().SetListener(nullptr);
  }
  ConsoleTransfer(const ConsoleTransfer&) = delete;
  ConsoleTransfer& operator=(const ConsoleTransfer&) = delete;

  // Runs the event loop, the transfer's 100 ms timer ticking, until the
  // operation under way ends.
  FpgaOutcome RunToEnd() {
    QEventLoop loop;
    QTimer ticker;
    ticker.callOnTimeout([this] {
      if (fpgaInterrupted != 0) transfer_.Stop();
      transfer_.OnTick();
    });
    ticker.start(FpgaTransfer::kTickMs);
    loop_ = &loop;
    if (transfer_.IsBusy()) loop.exec();
    loop_ = nullptr;
    return outcome_;
  }

 private:
  // A verify's difference lines (each comes with a new error count) are
  // listed up to kListedDifferences; the count of the others precedes the
  // summary line.
  void OnLineAdded(const std::string& line) override {
    const std::uint32_t errors = transfer_.VerifyErrors();
    if (errors < seenErrors_) seenErrors_ = 0;  // a new verify
    const bool difference = transfer_.Operation() == FpgaOperation::kVerify && errors > seenErrors_;
    seenErrors_ = errors;
    if (difference && errors > kListedDifferences) return;
    if (!difference && errors > kListedDifferences && transfer_.Operation() == FpgaOperation::kVerify) {
      std::cout << "... " << errors - kListedDifferences << " more differing bytes not listed" << std::endl;
      seenErrors_ = 0;
    }
    std::cout << line << std::endl;
  }
  void OnFirstLineRemoved() override {}
  void OnProgress(const FpgaProgress& progress) override {
    if (progress.range == 0 || progress.position == 0) return;
    const std::uint64_t percent = std::min(progress.position, progress.range) * kPercent / progress.range;
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    std::cerr << "Progress: " << percent << "%" << std::endl;
  }
  void OnFinished(FpgaOperation, FpgaOutcome outcome) override {
    outcome_ = outcome;
    lastPercent_ = kPercent + 1;
    if (loop_ != nullptr) loop_->quit();
  }

  FpgaTransfer& transfer_;
  QEventLoop* loop_ = nullptr;
  FpgaOutcome outcome_ = FpgaOutcome::kStopped;
  std::uint64_t lastPercent_ = kPercent + 1;
  std::uint32_t seenErrors_ = 0;
};

std::string SerialKey(CliSession& session) {
  char key[8];
  std::snprintf(key, sizeof key, "%05u", static_cast<unsigned>(session.Buffer().image.serialNumber));
  return key;
}

FpgaStart StartOperation(FpgaTransfer& transfer, const std::string& operation, const std::string& file) {
  if (operation == "upload") return transfer.Upload(file);
  if (operation == "verify") return transfer.Verify(file);
  return transfer.Configure();
}

enum class RunResult { kNotStarted, kFailed, kDone };

// Runs one operation to its end. Done is a finished operation, and for a
// verify one without a differing byte.
RunResult RunOperation(FpgaTransfer& transfer, ConsoleTransfer& console, const std::string& operation,
                       const std::string& file) {
  if (StartOperation(transfer, operation, file) != FpgaStart::kStarted) return RunResult::kNotStarted;
  const bool done =
      console.RunToEnd() == FpgaOutcome::kDone && (operation != "verify" || transfer.VerifyErrors() == 0);
  return done ? RunResult::kDone : RunResult::kFailed;
}

// An upload is read back after writing unless --no-verify says not to. An
// upload that did not finish marks the instrument's flash incomplete until
// one does; configure refuses such a flash unless --force.
bool RunCommand(FpgaTransfer& transfer, ConsoleTransfer& console, const CommandLine& line,
                const std::string& serial) {
  const std::string& operation = line.Positionals()[0];
  const std::string file = line.Positionals().size() > 1 ? line.Positionals()[1] : std::string();
  if (fpgaInterrupted != 0) return false;
  QtSettingsStore settings;
  if (operation == "configure" && settings.ReadDword(kFlashIncompletePath, serial).value_or(0) != 0 &&
      !line.Has("force")) {
    std::cerr << fpga_text::kConfigureIncomplete << " No (--force configures it)" << std::endl;
    return false;
  }
  const RunResult result = RunOperation(transfer, console, operation, file);
  if (operation == "upload" && result != RunResult::kNotStarted)
    settings.WriteDword(kFlashIncompletePath, serial, result == RunResult::kDone ? 0 : 1);
  if (result != RunResult::kDone) {
    if (operation == "upload" && fpgaInterrupted != 0)
      std::cerr << fpga_text::kUploadInterrupted << std::endl;
    return false;
  }
  return operation != "upload" || line.Has("no-verify") ||
         RunOperation(transfer, console, "verify", file) == RunResult::kDone;
}

// Whether `file` names a .kbf design (any case).
bool IsKbfName(const std::string& file) {
  std::string extension = std::filesystem::path(file).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".kbf";
}

// The operation the FPGA dialog runs, on the instrument's port taken from
// the engine as the dialog takes it. Ctrl-C or SIGTERM stop it cleanly and
// exit with 130.
int Fpga(const CommandLine& line) {
  const std::vector<std::string>& words = line.Positionals();
  if (words.empty()) return ReportUsageError("fpga needs upload, verify or configure");
  const std::string& operation = words[0];
  const bool needsFile = operation == "upload" || operation == "verify";
  if (!needsFile && operation != "configure") return ReportUsageError("unknown fpga command: " + operation);
  if (needsFile && words.size() != 2) return ReportUsageError("fpga " + operation + " needs a FILE");
  if (!needsFile && words.size() != 1) return ReportUsageError("fpga configure takes no FILE");
  const std::optional<std::string> port = line.Value("port");
  if (!port) return ReportUsageError("fpga needs --port DEVICE");
  std::uint32_t baud = 0;
  if (!ReadBaudOption(line, baud)) return kExitUsage;
  if (line.Has("no-verify") && operation != "upload")
    return ReportUsageError("--no-verify is for fpga upload");
  if (line.Has("raw") && !needsFile) return ReportUsageError("--raw is for fpga upload and verify");
  if (line.Has("force") && needsFile) return ReportUsageError("--force is for fpga configure");
  if (needsFile && !IsKbfName(words[1]) && !line.Has("raw")) {
    return ReportUsageError(words[1] +
                            " is not a .kbf design; --raw sends it as a raw image (bit-reversed, from flash "
                            "address 0)");
  }

  CliSession session;
  if (!session.ConnectAndWait(*port, baud)) {
    session.Disconnect();
    return kExitFailure;
  }
  std::signal(SIGINT, OnFpgaInterrupt);
  std::signal(SIGTERM, OnFpgaInterrupt);
  FpgaTransfer transfer(session.Link().Port(), session.Prompt());
  ConsoleTransfer console(transfer);
  bool done = false;
  {
    const FpgaLinkHold hold(
        session.Link(), [&transfer] { transfer.OnReplyBytes(); }, false);
    done = RunCommand(transfer, console, line, SerialKey(session));
  }
  session.Disconnect();
  if (fpgaInterrupted != 0) return kExitInterrupted;
  return done ? kExitOk : kExitFailure;
}

}  // namespace

std::vector<CliCommand> FpgaCommands() {
  return {{"fpga", kFpgaUsage, {{"port", "baud"}, {"no-verify", "raw", "force"}, 2}, Fpga}};
}

}  // namespace korva
