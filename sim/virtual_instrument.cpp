#include "sim/virtual_instrument.h"

#include <algorithm>
#include <utility>

#include "sim/spectrum_acquisition.h"
#include "sim/tdcr_sequence.h"
#include "sim/trace_capture.h"

namespace korva::sim {

namespace {

using namespace korva::wire;

struct PowerOnValue {
  std::size_t index;
  std::uint16_t value;
};

// Settings the instrument comes up with, so that a fresh instrument already
// captures sensible traces, acquires into the lower spectrum half and waits
// for START of a TDCR sequence of 1 s runs.
constexpr PowerOnValue kPowerOnValues[] = {
    {reg::kSlowRise, 240},
    {reg::kSlowFlatTop, 40},
    {reg::kFastRise, 20},
    {reg::kFastFlatTop, 4},
    {reg::kShortTcAbc, 16},
    {reg::kLongTcAbc, 2000},
    {reg::kShortTcE, 32},
    {reg::kLongTcE, 4000},
    {reg::kPileUp, reg::pile_up::kOff},
    {reg::kFineGain, 4095 * reg::kFineScale},    // fine gain 1.0
    {reg::kAmplifier, reg::amplifier::kInputE},  // input E, lower spectrum half
    {reg::kNormalisationLow, 150},               // gain normalisation of a 240-sample rise time
    {reg::kNormalisationHigh, reg::normalisation::kAutomatic},
    {reg::kTraceDecimation, 9},  // trace decimation 10
    {reg::kTraceDelay, 48},
    {reg::kMargins, 396},  // slow and fast threshold margins 3
    {reg::kTdcrControl, reg::tdcr_control::kResetDone | reg::tdcr_control::kIdle},
    {reg::kExtension1, 78},       // 0.640 us
    {reg::kExtension1 + 1, 78},   // 0.640 us
    {reg::kTimePerRunLow, 1000},  // 1000 ms per run
    {reg::kGapTimeLow, 1000},     // 1000 ms between runs
};

Frame ReplyHeader(const Request& request, std::size_t length, std::uint8_t command) {
  Frame reply(length, 0);
  reply[0] = command;
  WriteU16(reply, 2, static_cast<std::uint16_t>(length));
  WriteU32(reply, 4, request.address);
  return reply;
}

void Seal(Frame& frame) {
  frame.back() = Checksum(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
}

}  // namespace

VirtualInstrument::VirtualInstrument(const InstrumentIdentity& identity, std::uint32_t seed,
                                     const TdcrOptions& tdcr, const SpectrumSourceOptions& spectrum,
                                     std::size_t flashBytes)
    : flash_(flashBytes), status_(identity) {
  RegisterBank& registers = memory_.registers;
  for (const auto& [index, value] : kPowerOnValues) registers.Set(index, value);
  registers.Set(reg::kModel, static_cast<std::uint16_t>(ModelCode(identity.model) << reg::model::kShift));
  registers.Set(reg::kControl, reg::control::kEraseDone | reg::control::kPulserOff);
  registers.Set(reg::kFpgaVersion, identity.fpgaVersionX10);

  // Each process draws from its own stream, so adding one leaves the others' unchanged.
  processes_.push_back(std::make_unique<SpectrumAcquisition>(seed, spectrum));
  processes_.push_back(std::make_unique<TraceCapture>(seed ^ 0x9E3779B9u, spectrum));
  processes_.push_back(std::make_unique<TdcrSequence>(tdcr, seed ^ 0x85EBCA6Bu));
}

void VirtualInstrument::Receive(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  lineQuietFor_ = std::chrono::microseconds{0};
  framer_.Append(bytes);
  ServeCompleteFrames();
}

void VirtualInstrument::Advance(std::chrono::microseconds elapsed) {
  status_.Advance(elapsed);
  for (auto& process : processes_) process->Advance(memory_, elapsed);

  lineQuietFor_ += elapsed;
  if (framer_.HasPending() && lineQuietFor_ >= kLineIdleTimeout) {
    for (const Frame& frame : framer_.Abandon()) Serve(frame);
  }
}

std::vector<Reply> VirtualInstrument::TakeReplies() { return std::exchange(replies_, {}); }

void VirtualInstrument::ServeCompleteFrames() {
  while (auto frame = framer_.Next()) Serve(*frame);
}

void VirtualInstrument::Serve(const Frame& frame) {
  if (FpgaFrameLength(frame[0]) != 0) {
    if (auto reply = flash_.Answer(frame)) replies_.push_back({RequestKind::kFpga, std::move(*reply)});
    return;
  }
  const auto request = DecodeRequest(frame);
  if (!request) return;
  Frame reply = request->kind == RequestKind::kRegisterWrite ? AnswerWrite(*request) : AnswerRead(*request);
  replies_.push_back({request->kind, std::move(reply)});
}

Frame VirtualInstrument::AnswerRead(const Request& request) {
  Frame reply = ReplyHeader(request, ExpectedReadReplyLength(request.replyDataBytes), kReadCommand);
  WriteStatusBlock(reply, status_.Next());
  PutReadData(request, std::span<std::uint8_t>(reply).subspan(kReadDataOffset, request.replyDataBytes));
  Seal(reply);
  return reply;
}

void VirtualInstrument::PutReadData(const Request& request, std::span<std::uint8_t> data) {
  switch (request.kind) {
    case RequestKind::kRegisterRead:
      for (std::size_t i = 0; i < request.count; ++i)
        WriteU16(data, 2 * i, memory_.registers[request.first + i]);
      break;
    case RequestKind::kSpectrumRead:
      for (std::size_t i = 0; i < request.count; ++i) WriteU32(data, 4 * i, memory_.data[request.first + i]);
      break;
    case RequestKind::kTraceRead:
      std::copy_n(memory_.trace.begin(), data.size(), data.begin());
      // Reading the record re-arms the trace unit.
      memory_.registers.ClearBits(reg::kControl, reg::control::kTraceReady);
      break;
    case RequestKind::kRegisterWrite:  // acknowledged without data
    case RequestKind::kFpga:           // answered by the flash
      break;
  }
}

Frame VirtualInstrument::AnswerWrite(const Request& request) {
  for (std::size_t i = 0; i < request.words.size(); ++i) {
    memory_.registers.HostWrite(request.first + i, request.words[i]);
  }
  const RegisterRange written{request.first, request.count};
  for (auto& process : processes_) process->OnRegistersWritten(memory_, written);

  Frame reply = ReplyHeader(request, kWriteReplyLength, kWriteCommand);
  Seal(reply);
  return reply;
}

}  // namespace korva::sim
