#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "devicelink/serial_link.h"
#include "devicelink/wire_frame.h"
#include "fpga/design_file.h"
#include "fpga/fpga_frames.h"
#include "fpga/fpga_log.h"

namespace korva {

class Prompt;

// Texts of the FPGA programming, shown in its log or as messages.
namespace fpga_text {
inline constexpr std::string_view kTitle = "FPGA";
inline constexpr std::string_view kNoDevice = "No device is connected. Please, connect/reconect!";
inline constexpr std::string_view kBusy = "Busy Receiving Data!";
inline constexpr std::string_view kInvalidDesign = "Invalid or corrupted file!";
inline constexpr std::string_view kFileError = "FILE ERROR: ";
inline constexpr std::string_view kOpenFile = "Open File: ";
inline constexpr std::string_view kUploading = "Uploading...";
inline constexpr std::string_view kVerifying = "Verifying...";
inline constexpr std::string_view kReadError = "Error Reading Data from Serial Port";
inline constexpr std::string_view kChecksumError = "Check Sum Error Reading Data from Serial Port";
inline constexpr std::string_view kConfigureChecksumError = "Check Sum Error";
inline constexpr std::string_view kFlashWritten = "Writing FPGA Flash: Done!";
inline constexpr std::string_view kConfigured = "FPGA Configured!";
inline constexpr std::string_view kTimeOut = "Error: Communication Time Out";
inline constexpr std::string_view kCancelled =
    "Upload/Verification Cancelled. Please, reload/verify FPGA design!";
// An upload that did not finish leaves part of the old design and part of
// the new one in the flash.
inline constexpr std::string_view kUploadInterrupted =
    "Upload interrupted: the flash holds an incomplete design; upload it again before configuring.";
inline constexpr std::string_view kConfigureIncomplete =
    "The last upload did not finish: the flash holds an incomplete design. Configure the FPGA from it "
    "anyway?";
// A design whose blocks would pass the end of the configuration flash.
inline constexpr std::string_view kTooLarge = "the design does not fit the configuration flash: ";
inline constexpr std::string_view kInitialPath = "*.kbf";
inline constexpr std::string_view kBrowseFilter = "Korva Binary (*.kbf)|*.kbf|All Files (*.*)|*.*||";
// Where the folder of the last design chosen is kept (a text value).
inline constexpr std::string_view kLastPathKey = "\\ConfigKorva\\LastPath";
inline constexpr std::string_view kLastPathValue = "FPGAFile";
}  // namespace fpga_text

// The configuration flash of the instrument: 2 MiB, as the virtual
// instrument's default models it. A design must fit from its address on.
inline constexpr std::uint64_t kConfigurationFlashBytes = std::uint64_t{2} << 20;

enum class FpgaOperation { kNone, kUpload, kVerify, kConfigure };

// Whether an operation started, and if not, why (the log or a message
// has said so).
enum class FpgaStart {
  kStarted,
  kBusy,           // another operation runs: "Busy Receiving Data!"
  kFileError,      // "FILE ERROR: ..." logged
  kInvalidDesign,  // "Invalid or corrupted file!"; nothing was sent
};

// How a started operation ended.
enum class FpgaOutcome {
  kDone,  // a verify is done also when it found differences; see VerifyErrors
  kBadReply,
  kBadChecksum,
  kTimedOut,
  kStopped,
};

// The progress bar: range 0..range, step size and position.
struct FpgaProgress {
  std::uint64_t range = 0;
  std::uint64_t step = 1;
  std::uint64_t position = 0;
};

// What the owner of the transfer shows and does besides the log.
class FpgaTransferObserver {
 public:
  virtual ~FpgaTransferObserver() = default;
  virtual void OnProgress(const FpgaProgress& progress) { (void)progress; }
  // "Upload", "Verify", "Config FPGA" and "Browse" are disabled while busy.
  virtual void OnBusyChanged(bool busy) { (void)busy; }
  // The operation ended and the port is free for the program again. Runs
  // after the transfer's own state is settled, so it may start the next
  // operation at once.
  virtual void OnFinished(FpgaOperation operation, FpgaOutcome outcome) {
    (void)operation;
    (void)outcome;
  }
};

// Writes a design into the instrument's configuration flash, reads it back
// for comparison, and has the instrument load its FPGA from the flash: one
// block frame in flight at a time on the port, each reply checked, and
// every step logged. Nothing here blocks or waits: the owner calls
// OnReplyBytes when the port has data and OnTick every 100 ms, from the one
// thread that also starts and stops the operations.
//
// A dialog drives it from its 100 ms timer and the port's notifications; a
// headless command the same way from its event loop, starting the next
// operation in OnFinished:
//
//   FpgaTransfer transfer(port, prompt);
//   transfer.SetObserver(&view);
//   transfer.Upload(path);            // kStarted, or why not
//   ... port notification -> transfer.OnReplyBytes();
//   ... every 100 ms      -> transfer.OnTick();
//   ... view.OnFinished(kUpload, kDone) -> transfer.Verify(path);
//
// A reply must be complete within 22 ticks (about 2.2 s) of its request;
// there is no resend, so a lost, late or damaged reply ends the operation.
class FpgaTransfer {
 public:
  static constexpr std::uint16_t kTimeoutTicks = 22;
  static constexpr int kTickMs = 100;
  static constexpr std::uint32_t kWriteTimeoutMs = 1000;

  FpgaTransfer(SerialLink& port, Prompt& prompt);

  void SetObserver(FpgaTransferObserver* observer) { observer_ = observer; }
  FpgaLog& Log() { return log_; }
  const FpgaLog& Log() const { return log_; }

  // "Upload": writes the design at `path` block by block. A .kbf file goes
  // to the flash address in its header, checked first; any other file is
  // bit-reversed and goes to address 0. A design whose blocks would pass
  // the end of the flash is refused before anything is sent (kFileError,
  // its sizes logged).
  FpgaStart Upload(const std::filesystem::path& path);
  // "Verify": reads back the flash blocks the same design occupies and logs
  // every byte that differs from the file.
  FpgaStart Verify(const std::filesystem::path& path);
  // "Config FPGA": tells the instrument to load its FPGA from the flash.
  FpgaStart Configure();
  // "Stop": ends whatever runs; a reply still on its way is discarded.
  void Stop();

  // The port has received bytes.
  void OnReplyBytes();
  // The 100 ms timer ticked.
  void OnTick();

  bool IsBusy() const { return operation_ != FpgaOperation::kNone; }
  FpgaOperation Operation() const { return operation_; }
  const FpgaProgress& Progress() const { return progress_; }
  // Bytes covered by the blocks sent so far, in whole blocks.
  std::uint64_t DoneCount() const { return done_; }
  std::uint32_t VerifyErrors() const { return verifyErrors_; }

 private:
  FpgaStart Prepare();
  FpgaStart OpenAndCheck(const std::filesystem::path& path);
  void Begin(FpgaOperation operation);
  void SendUploadBlock();
  void SendVerifyRequest();
  void Send(const wire::Frame& frame, std::size_t replyLength);
  // True when the reply was accepted and the next frame is on its way.
  bool HandleReply();
  bool HandleUploadReply(std::span<const std::uint8_t> reply);
  bool HandleVerifyReply(std::span<const std::uint8_t, fpga::kVerifyReplyLength> reply);
  bool HandleConfigureReply(std::span<const std::uint8_t> reply);
  bool Fail(std::string_view message, FpgaOutcome outcome);
  void Finish(FpgaOutcome outcome);
  // The next design block, filled up with 0xFF past the end of the file,
  // bit-reversed for a raw image.
  std::array<std::uint8_t, fpga::kBlockBytes> NextDesignBlock();
  void SetProgress(const FpgaProgress& progress);

  SerialLink& port_;
  Prompt& prompt_;
  FpgaTransferObserver* observer_ = nullptr;
  FpgaLog log_;

  FpgaOperation operation_ = FpgaOperation::kNone;
  std::optional<DesignFile> design_;
  std::size_t cursor_ = 0;            // next design byte to send or compare
  std::uint64_t transferLength_ = 0;  // design bytes the blocks cover
  std::uint64_t done_ = 0;
  std::uint32_t address_ = 0;
  std::uint16_t uploadReplyCommand_ = fpga::kUploadCommand;
  std::uint16_t verifyCommand_ = fpga::kVerifyCommand;
  std::uint32_t verifyErrors_ = 0;

  std::array<std::uint8_t, fpga::kVerifyReplyLength> reply_{};
  std::size_t expected_ = 0;
  std::size_t received_ = 0;
  std::uint16_t timeoutTicks_ = 0;
  FpgaProgress progress_;
};

}  // namespace korva
