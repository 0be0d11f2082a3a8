#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "devicelink/wire_frame.h"
#include "sim/configuration_flash.h"
#include "sim/instrument_identity.h"
#include "sim/instrument_memory.h"
#include "sim/instrument_process.h"
#include "sim/request_decoder.h"
#include "sim/request_framer.h"
#include "sim/spectrum_source_options.h"
#include "sim/status_words.h"
#include "sim/tdcr_options.h"

namespace korva::sim {

// A reply frame and the kind of request it answers.
struct Reply {
  RequestKind kind = RequestKind::kRegisterRead;
  wire::Frame bytes;
};

// The instrument behind the serial line, free of any file descriptor: bytes
// from the host go in through Receive, time passes through Advance, and the
// replies the instrument sends come out of TakeReplies in order.
//
// Each valid request gets exactly one reply: a read the D + 25 byte reply
// with the status block, a register write the 9-byte acknowledgement after
// the values have taken effect. Line noise, a bad checksum, an address
// outside the map or a length that does not fit it get none. A frame left
// incomplete on a line that stays quiet for kLineIdleTimeout is given up.
//
// What the instrument does besides answering (acquiring spectra, capturing
// traces, running TDCR sequences) lives in InstrumentProcess objects made by
// the constructor, each in its own file; `tdcr` describes the vial the TDCR
// sequence counts and the pace of its clock, `spectrum` the vial the
// multichannel analyser looks at. The FPGA transfer frames reach the
// configuration flash of `flashBytes` bytes.
class VirtualInstrument {
 public:
  static constexpr std::chrono::milliseconds kLineIdleTimeout{50};

  VirtualInstrument(const InstrumentIdentity& identity, std::uint32_t seed, const TdcrOptions& tdcr = {},
                    const SpectrumSourceOptions& spectrum = {}, std::size_t flashBytes = kDefaultFlashBytes);

  void Receive(std::span<const std::uint8_t> bytes);
  void Advance(std::chrono::microseconds elapsed);
  std::vector<Reply> TakeReplies();

  // The instrument's registers, data memory and trace record, for tests that
  // set up or check what the wire cannot reach directly.
  InstrumentMemory& Memory() { return memory_; }
  ConfigurationFlash& Flash() { return flash_; }

 private:
  void ServeCompleteFrames();
  void Serve(const wire::Frame& frame);
  wire::Frame AnswerRead(const Request& request);
  wire::Frame AnswerWrite(const Request& request);
  void PutReadData(const Request& request, std::span<std::uint8_t> data);

  InstrumentMemory memory_;
  ConfigurationFlash flash_;
  StatusWords status_;
  RequestFramer framer_;
  std::vector<std::unique_ptr<InstrumentProcess>> processes_;
  std::vector<Reply> replies_;
  std::chrono::microseconds lineQuietFor_{0};
};

}  // namespace korva::sim
