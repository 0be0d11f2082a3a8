#include "devicelink/command_engine.h"

#include <algorithm>

#include "common/event_log.h"
#include "common/prompt.h"
#include "devicelink/register_map.h"

namespace korva {

namespace {

constexpr auto kFirstReadBack = static_cast<std::uint32_t>(reg::kFirstReadBack);
constexpr auto kReadBackCount = static_cast<std::uint32_t>(wire::kRegisterCount - reg::kFirstReadBack);

}  // namespace

CommandEngine::CommandEngine(SerialLink& port, DeviceImage& image, EventLog& log, Prompt& prompt,
                             EngineHost& host)
    : port_(port),
      image_(image),
      log_(log),
      prompt_(prompt),
      host_(host),
      receiveBuffer_(kReceiveBufferSize, 0) {}

void CommandEngine::AddObserver(EngineObserver* observer) { observers_.push_back(observer); }

void CommandEngine::RemoveObserver(EngineObserver* observer) { std::erase(observers_, observer); }

// A copy of the list is walked, so an observer may add or remove observers
// while it is told.
template <typename Call>
void CommandEngine::TellObservers(Call call) {
  const std::vector<EngineObserver*> observers = observers_;
  for (EngineObserver* observer : observers) call(*observer);
}

void CommandEngine::SetSpectrumPolling(bool on) {
  if (on == spectrumPolling_) return;
  spectrumPolling_ = on;
  TellObservers([on](EngineObserver& observer) { observer.OnSpectrumPollingChanged(on); });
}

void CommandEngine::SetTraceViewer(TraceViewerLink* traceViewer) {
  traceViewer_ = traceViewer != nullptr ? traceViewer : &idleTraceViewer_;
}

// While a transaction is in flight a request only marks its slot.
bool CommandEngine::Begin(int slot) {
  if (busy_) {
    pending_[static_cast<std::size_t>(slot)] = true;
    return false;
  }
  return true;
}

void CommandEngine::RequestTrace() {
  if (!connected_) return prompt_.ShowError("1-Hardware not connected!");
  if (!Begin(kTraceSlot)) return;
  StartRead(TransactionKind::kTraceRead, wire::kTraceAddress, static_cast<std::uint16_t>(wire::kTraceBytes));
}

void CommandEngine::RequestSpectrumChunk() {
  if (!connected_) return prompt_.ShowError("2-Hardware not connected!");
  if (!Begin(kSpectrumChunkSlot)) return;
  spectrumChunkStart_ += static_cast<std::uint32_t>(wire::kSpectrumChunkEntries);
  if (spectrumChunkStart_ >= wire::kSpectrumEntries) spectrumChunkStart_ = 0;
  chunkEntries_ = wire::SpectrumChunkEntries(spectrumChunkStart_);
  StartRead(TransactionKind::kSpectrumChunk, wire::SpectrumReadAddress(spectrumChunkStart_),
            static_cast<std::uint16_t>(4 * chunkEntries_));
}

void CommandEngine::RequestRegisters(std::uint32_t first, std::uint32_t count) {
  if (!connected_) return;
  registerReadFirst_ = first;
  registerReadCount_ = count;
  if (!Begin(kRegisterReadSlot)) return;
  StartRead(TransactionKind::kRegisterRead, wire::RegisterReadAddress(first),
            static_cast<std::uint16_t>(2 * count));
}

CommandEngine::ReadBackHold::ReadBackHold(CommandEngine& engine) : engine_(engine) {
  ++engine_.readBackHolds_;
  engine_.UpdateReadBackAcceptance();
}

CommandEngine::ReadBackHold::~ReadBackHold() {
  --engine_.readBackHolds_;
  engine_.UpdateReadBackAcceptance();
}

void CommandEngine::UpdateReadBackAcceptance() {
  image_.acceptReadBack = readBackHolds_ == 0 && !WritePending();
}

void CommandEngine::RequestProbeRead() {
  updateImageOnRegisterRead_ = false;
  RequestRegisters(kFirstReadBack, kReadBackCount);
}

void CommandEngine::RequestAllRegisters() {
  if (!connected_) return;
  updateImageOnRegisterRead_ = true;
  RequestRegisters(kFirstReadBack, kReadBackCount);
}

void CommandEngine::SendSettingsRegisters() {
  if (!deviceAnswered_) return prompt_.ShowError("5-Hardware not connected!");
  if (!Begin(kSendSettingsSlot)) return;
  StartWrite(static_cast<std::uint32_t>(reg::kFirstSettings));
}

void CommandEngine::SendAllRegisters() {
  if (!deviceAnswered_) return prompt_.ShowError("6-Hardware not connected!");
  if (!Begin(kSendAllSlot)) return;
  StartWrite(0);
}

void CommandEngine::StartRead(TransactionKind kind, std::uint32_t address, std::uint16_t byteCount) {
  transmitFrame_ = wire::BuildReadRequest(address, byteCount);
  expectedReplyLength_ = wire::ExpectedReadReplyLength(byteCount);
  kind_ = kind;
  repeatCount_ = 1;
  receivedCount_ = 0;
  Transmit();
}

void CommandEngine::StartWrite(std::uint32_t firstRegister) {
  const std::span<const std::uint16_t> block = std::span(image_.registers).subspan(firstRegister);
  transmitFrame_ = wire::BuildWriteRequest(wire::RegisterWriteAddress(firstRegister), block);
  expectedReplyLength_ = wire::kWriteReplyLength;
  kind_ = TransactionKind::kRegisterWrite;
  repeatCount_ = 1;
  receivedCount_ = 0;
  Transmit();
  // The user's edit is on its way: read-backs may update the image again,
  // unless another edit is still being made or waits for the line.
  UpdateReadBackAcceptance();
}

// The write result is not examined: a frame that did not go out shows up as
// a missing reply, which the time-out handles.
void CommandEngine::Transmit() {
  requestTimeoutTicks_ =
      ReplyTimeoutTicks(transmitFrame_.size(), expectedReplyLength_, baudRate_, timings_.minimumReplyTicks);
  timeoutTicks_ = requestTimeoutTicks_;
  busy_ = true;
  ignoreIncoming_ = false;
  port_.Write(transmitFrame_, kWriteTimeoutMs);
}

void CommandEngine::OnReplyBytes() {
  // During the pause before a repeat the bytes stay queued; the repeat
  // purges and drains them.
  if (repeatPending_ || !port_.IsOpen()) return;
  if (ignoreIncoming_ || !busy_) {
    DrainLink(port_);
    return;
  }
  const std::size_t room = std::min(expectedReplyLength_, receiveBuffer_.size()) - receivedCount_;
  std::size_t bytesRead = 0;
  port_.Read(std::span(receiveBuffer_).subspan(receivedCount_, room), bytesRead);
  receivedCount_ += bytesRead;
  if (receivedCount_ < expectedReplyLength_) return;
  HandleReply();
  receivedCount_ = 0;
}

CommandEngine::ReplyResult CommandEngine::HandleReply() {
  return transmitFrame_[0] == wire::kReadCommand ? ReadReplyHandler() : WriteReplyHandler();
}

CommandEngine::ReplyResult CommandEngine::ReadReplyHandler() {
  if (repeatCount_ >= kGiveUpRepeatCount) return ReplyResult::kGivenUp;
  const auto received = std::span<const std::uint8_t>(receiveBuffer_).first(receivedCount_);
  const wire::ReplyCheck check = wire::CheckReply(transmitFrame_, expectedReplyLength_, received);
  if (!check.commandOk || !check.lengthFieldOk || !check.addressOk || !check.checksumOk) error_ = true;
  replyInvalid_ = !check.Valid();
  const wire::StatusBlock status = wire::ReadStatusBlock(receiveBuffer_);
  wire::ClearReplyHeader(receiveBuffer_);
  if (replyInvalid_) return RepeatOrGiveUp(true);
  image_.IntakeStatus(status);
  error_ = false;
  Dispatch();
  return ReplyResult::kAccepted;
}

CommandEngine::ReplyResult CommandEngine::WriteReplyHandler() {
  if (repeatCount_ >= kGiveUpRepeatCount) return ReplyResult::kGivenUp;
  const auto received = std::span<const std::uint8_t>(receiveBuffer_).first(receivedCount_);
  const wire::ReplyCheck check = wire::CheckReply(transmitFrame_, expectedReplyLength_, received);
  if (check.lengthFieldOk) ignoreIncoming_ = true;
  replyInvalid_ = !check.Valid();
  wire::ClearReplyHeader(receiveBuffer_);
  if (replyInvalid_) return RepeatOrGiveUp(false);
  Dispatch();
  return ReplyResult::kAccepted;
}

CommandEngine::ReplyResult CommandEngine::RepeatOrGiveUp(bool isRead) {
  ++repeatCount_;
  if (repeatCount_ >= kGiveUpRepeatCount) {
    log_.AddLine(isRead ? "Max Number of Repeat Read Reached" : " Max Number of Repeat Write Reached");
    deviceAnswered_ = false;
    return ReplyResult::kGivenUp;
  }
  log_.AddLine(isRead ? "Repeat Read Command" : "Repeat Write Command");
  if (isRead) error_ = true;
  // The pause lets a confused instrument finish whatever it was sending.
  // Busy stays set, so no other request goes out meanwhile.
  repeatPending_ = true;
  host_.ScheduleAfter(timings_.repeatPauseMs, [this] { SendRepeat(); });
  return ReplyResult::kRepeated;
}

void CommandEngine::SendRepeat() {
  if (!repeatPending_) return;
  repeatPending_ = false;
  if (!connected_ || !port_.IsOpen()) return;
  port_.Purge();
  DrainLink(port_);
  receivedCount_ = 0;
  Transmit();
}

void CommandEngine::OnTick() {
  if (repeatPending_) return;
  if (busy_) {
    if (timeoutTicks_ != 0) {
      --timeoutTicks_;
      return;
    }
    if (receivedCount_ == 0) receivedCount_ = expectedReplyLength_ - 1;
    timeoutTicks_ = requestTimeoutTicks_;
    if (HandleReply() == ReplyResult::kGivenUp) {
      error_ = true;
      timeoutTicks_ = 0;
      busy_ = false;
      receivedCount_ = 0;
      log_.AddLine("Communication Time Out- Timer");
      host_.RunDisconnectSequence();
    }
    return;
  }
  if (deviceAnswered_ && !host_.IsPortOpen()) host_.RunDisconnectSequence();
}

std::span<const std::uint8_t> CommandEngine::ReplyData() const {
  return std::span<const std::uint8_t>(receiveBuffer_)
      .subspan(wire::kReadDataOffset, expectedReplyLength_ - wire::kReadReplyOverhead);
}

void CommandEngine::Dispatch() {
  deviceAnswered_ = true;
  switch (kind_) {
    case TransactionKind::kSpectrumChunk:
      DispatchSpectrumChunk();
      break;
    case TransactionKind::kRegisterWrite:
      DispatchRegisterWrite();
      break;
    case TransactionKind::kTraceRead:
      DispatchTraceRead();
      break;
    case TransactionKind::kRegisterRead:
      DispatchRegisterRead();
      break;
  }
  error_ = false;
  busy_ = false;
  ServePending();
}

void CommandEngine::DispatchSpectrumChunk() {
  image_.IntakeSpectrumChunk(spectrumChunkStart_, ReplyData());
  TellObservers([](EngineObserver& observer) { observer.OnSpectrumChunk(); });
  if (!spectrumPolling_) return;
  if (++pollCounter_ > 3) {
    pollCounter_ = 0;
    RequestAllRegisters();
  } else {
    RequestSpectrumChunk();
  }
}

void CommandEngine::DispatchRegisterWrite() {
  AcknowledgeControlWord();
  if (TraceViewerWantsReads()) FollowTraceViewerAfterRegisters();
  TellObservers([](EngineObserver& observer) { observer.OnRegistersWritten(); });
  PollingStep();
}

void CommandEngine::DispatchTraceRead() {
  const int singleShots = traceViewer_->SingleShotCount();
  if (traceViewer_->IsRunning() || singleShots == 1) {
    if (singleShots == 1) traceViewer_->ReleaseRunButton();
    traceViewer_->TakeTrace(ReplyData());
  }
  if (spectrumPolling_) {
    RequestSpectrumChunk();
  } else if (TraceViewerWantsReads()) {
    RequestAllRegisters();
  }
  if (singleShots != 0) traceViewer_->SetSingleShotCount(singleShots - 1);
}

void CommandEngine::DispatchRegisterRead() {
  if (!updateImageOnRegisterRead_) return;  // a probe: the image stays as it is
  updateImageOnRegisterRead_ = false;
  if (image_.acceptReadBack) {
    const std::uint32_t first = (wire::ReadU32(transmitFrame_, 4) & 0xFFFFu) - wire::kRegisterWordBase;
    image_.IntakeRegisters(first, ReplyData());
    if (TraceViewerWantsReads()) FollowTraceViewerAfterRegisters();
    AlignRoiSca();
    const bool phaMode = (image_.registers[reg::kAmplifier] & reg::amplifier::kPhaMode) != 0 &&
                         (image_.registers[reg::kPaneMode] & reg::kPaneModeMask) == 0;
    TellObservers([phaMode](EngineObserver& observer) { observer.OnRegistersRead(phaMode); });
    AcknowledgeControlWord();
  }
  PollingStep();
}

// A captured trace is read as soon as the instrument flags it; otherwise
// the registers are polled again to watch for the flag.
void CommandEngine::FollowTraceViewerAfterRegisters() {
  std::uint16_t& control = image_.registers[reg::kControl];
  if ((control & reg::control::kTraceReady) != 0) {
    control = static_cast<std::uint16_t>(control & ~reg::control::kTraceReady);
    RequestTrace();
  } else {
    RequestAllRegisters();
  }
}

void CommandEngine::AlignRoiSca() {
  const std::uint32_t factor = std::max<std::uint32_t>(image_.compressionFactor, 1);
  traceViewer_->SetSettingsValid(false);
  const std::uint16_t low = image_.registers[reg::kRoiScaLow];
  const std::uint16_t high = image_.registers[reg::kRoiScaHigh];
  if (static_cast<std::uint16_t>(traceViewer_->RoiScaLow() * factor) != low)
    traceViewer_->SetRoiScaLow(low / factor);
  if (static_cast<std::uint16_t>(traceViewer_->RoiScaHigh() * factor) != high) {
    traceViewer_->SetRoiScaHigh(high / factor);
  }
  traceViewer_->SetSettingsValid(true);
}

void CommandEngine::PollingStep() {
  if (spectrumPolling_ && traceViewer_->SingleShotCount() == 0) RequestSpectrumChunk();
}

void CommandEngine::AcknowledgeControlWord() {
  std::uint16_t& control = image_.registers[reg::kControl];
  control = static_cast<std::uint16_t>(
      (control & ~(reg::control::kEraseRequest | reg::control::kEraseArmed)) | reg::control::kEraseDone);
}

bool CommandEngine::TraceViewerWantsReads() const {
  return traceViewer_->IsRunning() || traceViewer_->SingleShotCount() > 0;
}

void CommandEngine::ServePending() {
  for (int step = 1; step <= kSlotCount; ++step) {
    const int slot = (lastServedSlot_ + step) % kSlotCount;
    if (!pending_[static_cast<std::size_t>(slot)]) continue;
    pending_[static_cast<std::size_t>(slot)] = false;
    lastServedSlot_ = slot;
    switch (slot) {
      case kSpectrumChunkSlot:
        RequestSpectrumChunk();
        break;
      case kSendSettingsSlot:
        SendSettingsRegisters();
        break;
      case kSendAllSlot:
        SendAllRegisters();
        break;
      case kTraceSlot:
        RequestTrace();
        break;
      case kRegisterReadSlot:
        RequestRegisters(registerReadFirst_, registerReadCount_);
        break;
      default:
        break;
    }
    return;
  }
}

void CommandEngine::PrepareConnect() {
  connected_ = false;
  deviceAnswered_ = false;
  repeatPending_ = false;
  pending_.fill(false);
  AbandonTransaction();
}

// Whatever was in flight is forgotten: no time-out counts down for it and
// no repeat follows it.
void CommandEngine::AbandonTransaction() {
  busy_ = false;
  timeoutTicks_ = 0;
  receivedCount_ = 0;
  ignoreIncoming_ = false;
}

void CommandEngine::CompleteConnect() {
  connected_ = true;
  deviceAnswered_ = false;
  busy_ = false;
  error_ = true;
  image_.acceptReadBack = true;
  RequestAllRegisters();
}

void CommandEngine::BeginProbe() {
  connected_ = true;
  busy_ = false;
  error_ = true;
  repeatPending_ = false;
}

void CommandEngine::OnDisconnect() {
  connected_ = false;
  deviceAnswered_ = false;
  spectrumPolling_ = false;
  repeatPending_ = false;
  pending_.fill(false);
  busy_ = false;
}

}  // namespace korva
