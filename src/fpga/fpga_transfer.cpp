#include "fpga/fpga_transfer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/prompt.h"
#include "common/unreadable_file.h"
#include "fpga/bit_reversal.h"
#include "fpga/kbf_file.h"

namespace korva {

namespace {

using namespace fpga;

constexpr std::uint64_t kFirstPosition = 50;
constexpr std::uint64_t kProgressSteps = 15;

std::string Rule(char c, std::size_t length) { return std::string(length, c); }

std::string UploadedText(std::uint64_t bytes) { return std::to_string(bytes) + " Bytes Uploaded"; }

std::string VerifiedText(std::uint64_t bytes, std::uint32_t errors) {
  return "Verifyed " + std::to_string(bytes) + " bytes..." + std::to_string(errors) + " Errors Found!";
}

std::string DifferenceText(std::uint32_t address, std::uint8_t fileByte, std::uint8_t deviceByte) {
  char text[64];
  std::snprintf(text, sizeof text, "Error address %u: file=%X device=%X", static_cast<unsigned>(address),
                static_cast<unsigned>(fileByte), static_cast<unsigned>(deviceByte));
  return text;
}

}  // namespace

FpgaTransfer::FpgaTransfer(SerialLink& port, Prompt& prompt) : port_(port), prompt_(prompt) {}

// The busy test comes before the port is purged, so a refused start cannot
// throw away the reply the running operation waits for.
FpgaStart FpgaTransfer::Prepare() {
  if (IsBusy()) {
    prompt_.ShowError(fpga_text::kBusy);
    return FpgaStart::kBusy;
  }
  port_.Purge();
  DrainLink(port_);
  return FpgaStart::kStarted;
}

FpgaStart FpgaTransfer::OpenAndCheck(const std::filesystem::path& path) {
  DesignFileRead read = ReadDesignFile(path);
  if (!read.design) {
    log_.Add(std::string(fpga_text::kFileError) + std::string(FileErrorText(read.cause)));
    // The next line names the file and, where it could not be opened, the
    // system's reason.
    log_.Add(read.cause == FileErrorCause::kTooLarge ? path.string() : UnreadableFile(path));
    return FpgaStart::kFileError;
  }
  log_.Add(std::string(fpga_text::kOpenFile) + path.string());
  const std::uint64_t length = read.design->bytes.size();
  SetProgress({length, length / kProgressSteps + 1, kFirstPosition});
  if (read.design->kbf && !IsValidKbf(read.design->Bytes())) {
    prompt_.ShowError(fpga_text::kInvalidDesign);
    return FpgaStart::kInvalidDesign;
  }
  design_ = std::move(read.design);
  // The blocks cover the design body; a .kbf header is not sent.
  transferLength_ = design_->kbf ? length - kbf::kHeaderSize : length;
  cursor_ = 0;
  address_ = 0;
  if (const auto header = design_->kbf ? ReadKbfHeader(design_->Bytes()) : std::nullopt) {
    cursor_ = kbf::kHeaderSize;
    address_ = header->address;
  }
  const std::uint64_t blocks = (transferLength_ + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
  if (address_ + blocks > kConfigurationFlashBytes) {
    log_.Add(std::string(fpga_text::kFileError) + std::string(fpga_text::kTooLarge) + std::to_string(blocks) +
             " bytes from address " + std::to_string(address_) + ", the flash holds " +
             std::to_string(kConfigurationFlashBytes) + " bytes");
    design_.reset();
    return FpgaStart::kFileError;
  }
  return FpgaStart::kStarted;
}

void FpgaTransfer::Begin(FpgaOperation operation) {
  operation_ = operation;
  if (observer_ != nullptr) observer_->OnBusyChanged(true);
}

FpgaStart FpgaTransfer::Upload(const std::filesystem::path& path) {
  if (const FpgaStart refused = Prepare(); refused != FpgaStart::kStarted) return refused;
  if (const FpgaStart refused = OpenAndCheck(path); refused != FpgaStart::kStarted) return refused;
  uploadReplyCommand_ = design_->kbf ? ReadKbfHeader(design_->Bytes())->command : kUploadCommand;
  Begin(FpgaOperation::kUpload);
  log_.Add(fpga_text::kUploading);
  done_ = kBlockBytes;
  SendUploadBlock();
  return FpgaStart::kStarted;
}

FpgaStart FpgaTransfer::Verify(const std::filesystem::path& path) {
  if (const FpgaStart refused = Prepare(); refused != FpgaStart::kStarted) return refused;
  if (const FpgaStart refused = OpenAndCheck(path); refused != FpgaStart::kStarted) return refused;
  verifyCommand_ = design_->kbf ? VerifyCommandFor(ReadKbfHeader(design_->Bytes())->command) : kVerifyCommand;
  Begin(FpgaOperation::kVerify);
  log_.Add(fpga_text::kVerifying);
  done_ = kBlockBytes;
  verifyErrors_ = 0;
  SendVerifyRequest();
  return FpgaStart::kStarted;
}

FpgaStart FpgaTransfer::Configure() {
  if (const FpgaStart refused = Prepare(); refused != FpgaStart::kStarted) return refused;
  Begin(FpgaOperation::kConfigure);
  Send(BuildConfigureFrame(), kConfigureReplyLength);
  return FpgaStart::kStarted;
}

void FpgaTransfer::Stop() {
  if (design_) {
    design_.reset();
    log_.Add(fpga_text::kCancelled);
  }
  if (IsBusy()) return Finish(FpgaOutcome::kStopped);
  SetProgress({progress_.range, progress_.step, 0});
}

std::array<std::uint8_t, kBlockBytes> FpgaTransfer::NextDesignBlock() {
  std::array<std::uint8_t, kBlockBytes> block;
  block.fill(0xFF);
  const std::span<const std::uint8_t> bytes = design_->Bytes();
  const std::size_t count = std::min(kBlockBytes, bytes.size() - std::min(cursor_, bytes.size()));
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(cursor_), count, block.begin());
  cursor_ += count;
  // The flash takes raw images bit-reversed; a .kbf body is stored so already.
  if (!design_->kbf) ReverseBits(block);
  return block;
}

void FpgaTransfer::SendUploadBlock() {
  Send(BuildUploadFrame(address_, NextDesignBlock()), kUploadReplyLength);
}

void FpgaTransfer::SendVerifyRequest() {
  Send(BuildVerifyFrame(verifyCommand_, address_), kVerifyReplyLength);
}

// A frame the port fails to write draws no reply, and the time-out ends the
// operation.
void FpgaTransfer::Send(const wire::Frame& frame, std::size_t replyLength) {
  expected_ = replyLength;
  received_ = 0;
  timeoutTicks_ = kTimeoutTicks;
  port_.Write(frame, kWriteTimeoutMs);
}

// Reads only what the reply in flight still lacks; bytes beyond it stay
// queued as the start of the next reply.
void FpgaTransfer::OnReplyBytes() {
  if (!IsBusy()) return DrainLink(port_);
  while (IsBusy() && received_ < expected_) {
    std::size_t got = 0;
    const auto wanted = std::span<std::uint8_t>(reply_).subspan(received_, expected_ - received_);
    if (port_.Read(wanted, got) != error_code::kSuccess || got == 0) return;
    received_ += got;
    if (received_ == expected_ && !HandleReply()) return;
  }
}

bool FpgaTransfer::HandleReply() {
  const std::span<const std::uint8_t> reply = std::span<const std::uint8_t>(reply_).first(received_);
  switch (operation_) {
    case FpgaOperation::kUpload:
      return HandleUploadReply(reply);
    case FpgaOperation::kVerify:
      return HandleVerifyReply(std::span<const std::uint8_t, kVerifyReplyLength>(reply_));
    case FpgaOperation::kConfigure:
      return HandleConfigureReply(reply);
    case FpgaOperation::kNone:
      break;
  }
  return false;
}

bool FpgaTransfer::HandleUploadReply(std::span<const std::uint8_t> reply) {
  switch (CheckUploadReply(reply, uploadReplyCommand_)) {
    case FpgaReplyFault::kBadReply:
      return Fail(fpga_text::kReadError, FpgaOutcome::kBadReply);
    case FpgaReplyFault::kBadChecksum:
      return Fail(fpga_text::kChecksumError, FpgaOutcome::kBadChecksum);
    case FpgaReplyFault::kNone:
      break;
  }
  if (done_ < transferLength_) {
    SetProgress({progress_.range, progress_.step, done_});
    done_ += kBlockBytes;
    address_ += kBlockBytes;
    SendUploadBlock();
    return true;
  }
  log_.Add(fpga_text::kFlashWritten);
  log_.Add(UploadedText(done_));
  log_.Add(Rule('*', 38));
  Finish(FpgaOutcome::kDone);
  return false;
}

// A damaged verify reply is reported as an upload reply is: a reply that
// cannot be compared must not pass for a verify without differences.
bool FpgaTransfer::HandleVerifyReply(std::span<const std::uint8_t, kVerifyReplyLength> reply) {
  const std::array<std::uint8_t, kBlockBytes> fileBlock = NextDesignBlock();
  switch (CheckVerifyReply(reply)) {
    case FpgaReplyFault::kBadReply:
      return Fail(fpga_text::kReadError, FpgaOutcome::kBadReply);
    case FpgaReplyFault::kBadChecksum:
      return Fail(fpga_text::kChecksumError, FpgaOutcome::kBadChecksum);
    case FpgaReplyFault::kNone:
      break;
  }
  const std::uint32_t replyAddress = VerifyReplyAddress(reply);
  const FpgaBlock deviceBlock = VerifyReplyData(reply);
  for (std::size_t i = 0; i < kBlockBytes; ++i) {
    if (fileBlock[i] == deviceBlock[i]) continue;
    ++verifyErrors_;
    log_.Add(DifferenceText(replyAddress + static_cast<std::uint32_t>(i), fileBlock[i], deviceBlock[i]));
  }
  if (done_ >= transferLength_) {
    log_.Add(VerifiedText(done_, verifyErrors_));
    log_.Add(Rule('*', 52));
    Finish(FpgaOutcome::kDone);
    return false;
  }
  SetProgress({progress_.range, progress_.step, done_});
  address_ += kBlockBytes;
  done_ += kBlockBytes;
  SendVerifyRequest();
  return true;
}

bool FpgaTransfer::HandleConfigureReply(std::span<const std::uint8_t> reply) {
  switch (CheckConfigureReply(reply)) {
    case FpgaReplyFault::kBadReply:
      return Fail(fpga_text::kReadError, FpgaOutcome::kBadReply);
    case FpgaReplyFault::kBadChecksum:
      return Fail(fpga_text::kConfigureChecksumError, FpgaOutcome::kBadChecksum);
    case FpgaReplyFault::kNone:
      break;
  }
  log_.Add(fpga_text::kConfigured);
  log_.Add(Rule('*', 38));
  Finish(FpgaOutcome::kDone);
  return false;
}

void FpgaTransfer::OnTick() {
  if (!IsBusy()) return;
  if (timeoutTicks_ > 0) {
    --timeoutTicks_;
    return;
  }
  log_.Add(Rule('~', 30));
  log_.Add(fpga_text::kTimeOut);
  log_.Add(Rule('~', 30));
  Finish(FpgaOutcome::kTimedOut);
}

bool FpgaTransfer::Fail(std::string_view message, FpgaOutcome outcome) {
  log_.Add(message);
  Finish(outcome);
  return false;
}

// Every end leaves the transfer idle with no design open and the bar at 0.
void FpgaTransfer::Finish(FpgaOutcome outcome) {
  const FpgaOperation ended = operation_;
  operation_ = FpgaOperation::kNone;
  design_.reset();
  expected_ = 0;
  received_ = 0;
  SetProgress({progress_.range, progress_.step, 0});
  if (observer_ == nullptr) return;
  observer_->OnBusyChanged(false);
  observer_->OnFinished(ended, outcome);
}

void FpgaTransfer::SetProgress(const FpgaProgress& progress) {
  progress_ = progress;
  if (observer_ != nullptr) observer_->OnProgress(progress_);
}

}  // namespace korva
