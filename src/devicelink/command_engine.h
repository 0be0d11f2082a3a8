#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "devicelink/device_image.h"
#include "devicelink/engine_links.h"
#include "devicelink/link_timings.h"
#include "devicelink/reply_timeout.h"
#include "devicelink/serial_link.h"
#include "devicelink/wire_frame.h"

namespace korva {

class EventLog;
class Prompt;

// Runs every exchange with the instrument: one request frame in flight at a
// time, replies checked and repeated, reply data moved into the device image,
// views told, and the next request chained so the instrument is polled
// continuously while the link is up. Requests made while a transaction is in
// flight become pending flags served round-robin.
class CommandEngine {
 public:
  enum class TransactionKind { kSpectrumChunk, kRegisterWrite, kTraceRead, kRegisterRead };
  enum class ReplyResult { kGivenUp, kRepeated, kAccepted };

  // Pending slots of the requests; the ring has 19 slots, five are used.
  static constexpr int kSlotCount = 19;
  static constexpr int kSpectrumChunkSlot = 1;
  static constexpr int kSendSettingsSlot = 3;
  static constexpr int kSendAllSlot = 4;
  static constexpr int kTraceSlot = 8;
  static constexpr int kRegisterReadSlot = 12;

  static constexpr std::uint16_t kTimeoutTicks = kMinimumReplyTimeoutTicks;
  static constexpr std::uint32_t kGiveUpRepeatCount = 5;
  static constexpr std::uint32_t kWriteTimeoutMs = 2000;
  static constexpr std::size_t kReceiveBufferSize = 65536;

  CommandEngine(SerialLink& port, DeviceImage& image, EventLog& log, Prompt& prompt, EngineHost& host);

  // While the program changes the register image, a register read already
  // under way must not undo the change: read-backs are refused while any
  // hold lives and while a register write is waiting for the line, and
  // accepted again once neither is the case. Holds nest, and a hold may
  // span a dialog during which earlier writes go out: those writes do not
  // end the refusal while the hold's own change is still being made.
  class ReadBackHold {
   public:
    explicit ReadBackHold(CommandEngine& engine);
    ~ReadBackHold();
    ReadBackHold(const ReadBackHold&) = delete;
    ReadBackHold& operator=(const ReadBackHold&) = delete;

   private:
    CommandEngine& engine_;
  };

  // Observers are told in the order they were added: the subsystems add
  // theirs in the order their views refresh after a reply.
  void AddObserver(EngineObserver* observer);
  void RemoveObserver(EngineObserver* observer);
  void SetTraceViewer(TraceViewerLink* traceViewer);
  // The line's baud rate: a request's time-out covers the wire time of the
  // request and its reply at this rate.
  void SetBaudRate(std::uint32_t baudRate) { baudRate_ = baudRate; }
  // The least reply time-out and the pause before a repeat.
  void SetTimings(const LinkTimings& timings) { timings_ = timings; }

  // Request operations. None returns data: results land in the image.
  void RequestTrace();
  void RequestSpectrumChunk();
  void RequestRegisters(std::uint32_t first, std::uint32_t count);
  void RequestAllRegisters();
  void SendSettingsRegisters();
  void SendAllRegisters();

  // The port reported received characters.
  void OnReplyBytes();
  // The 200 ms main timer ticked.
  void OnTick();

  // The engine's part of the shell's connect and disconnect sequences.
  // Not connected, not answered, nothing pending, nothing in flight.
  void PrepareConnect();
  void CompleteConnect();  // connected, first register read in flight
  void OnDisconnect();     // not connected, nothing pending, idle
  // The Port Finder's probe of one port: the engine may send, and the
  // error flag stays set until a valid reply arrives.
  void BeginProbe();

  bool IsConnected() const { return connected_; }
  bool DeviceAnswered() const { return deviceAnswered_; }
  bool IsBusy() const { return busy_; }
  bool HasError() const { return error_; }
  bool IsRepeatPending() const { return repeatPending_; }
  bool IsPending(int slot) const { return pending_[static_cast<std::size_t>(slot)]; }
  std::uint32_t RepeatCount() const { return repeatCount_; }
  std::uint32_t SpectrumChunkStart() const { return spectrumChunkStart_; }
  TransactionKind Kind() const { return kind_; }
  std::uint16_t PollCounter() const { return pollCounter_; }
  std::uint16_t TimeoutTicksLeft() const { return timeoutTicks_; }
  const std::vector<std::uint8_t>& TransmitFrame() const { return transmitFrame_; }

  // Spectrum polling follows the acquisition view's AUTO UPDATE box: the
  // connect sequence turns it on, the disconnect sequence and the Port
  // Finder off, the trace viewer off while it runs. Observers hear of every
  // change.
  void SetSpectrumPolling(bool on);
  bool SpectrumPolling() const { return spectrumPolling_; }
  // The Port Finder's register read: its reply leaves the image alone.
  void RequestProbeRead();
  // A register write is waiting for the line.
  bool WritePending() const { return IsPending(kSendSettingsSlot) || IsPending(kSendAllSlot); }

  SerialLink& Port() { return port_; }
  DeviceImage& Image() { return image_; }

 private:
  bool Begin(int slot);
  void StartRead(TransactionKind kind, std::uint32_t address, std::uint16_t byteCount);
  void StartWrite(std::uint32_t firstRegister);
  void Transmit();
  ReplyResult HandleReply();
  ReplyResult ReadReplyHandler();
  ReplyResult WriteReplyHandler();
  ReplyResult RepeatOrGiveUp(bool isRead);
  void SendRepeat();
  void AbandonTransaction();
  void Dispatch();
  void DispatchSpectrumChunk();
  void DispatchRegisterWrite();
  void DispatchTraceRead();
  void DispatchRegisterRead();
  void FollowTraceViewerAfterRegisters();
  void AlignRoiSca();
  void PollingStep();
  void ServePending();
  void AcknowledgeControlWord();
  void UpdateReadBackAcceptance();
  bool TraceViewerWantsReads() const;
  std::span<const std::uint8_t> ReplyData() const;

  SerialLink& port_;
  DeviceImage& image_;
  EventLog& log_;
  Prompt& prompt_;
  EngineHost& host_;
  template <typename Call>
  void TellObservers(Call call);

  std::vector<EngineObserver*> observers_;
  bool spectrumPolling_ = false;
  // The next register read's reply goes into the image (every read but the
  // Port Finder's probe).
  bool updateImageOnRegisterRead_ = false;
  IdleTraceViewer idleTraceViewer_;
  TraceViewerLink* traceViewer_ = &idleTraceViewer_;

  std::vector<std::uint8_t> transmitFrame_;
  std::vector<std::uint8_t> receiveBuffer_;
  std::uint16_t timeoutTicks_ = 0;
  std::uint16_t requestTimeoutTicks_ = kTimeoutTicks;
  std::uint32_t baudRate_ = 0;
  LinkTimings timings_;
  std::size_t expectedReplyLength_ = 0;
  std::size_t receivedCount_ = 0;
  bool busy_ = false;
  bool replyInvalid_ = false;
  bool ignoreIncoming_ = false;
  bool repeatPending_ = false;
  std::uint32_t repeatCount_ = 0;
  TransactionKind kind_ = TransactionKind::kRegisterRead;
  std::uint32_t spectrumChunkStart_ = 0;
  std::uint32_t chunkEntries_ = 0;
  bool connected_ = false;
  bool deviceAnswered_ = false;
  bool error_ = true;
  std::uint32_t registerReadFirst_ = 1;
  std::uint32_t registerReadCount_ = 127;
  std::array<bool, kSlotCount> pending_{};
  int readBackHolds_ = 0;
  int lastServedSlot_ = 0;
  std::uint16_t pollCounter_ = 0;
};

}  // namespace korva
