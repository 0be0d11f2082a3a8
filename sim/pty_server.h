#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "sim/fault_injector.h"
#include "sim/instrument_identity.h"
#include "sim/pseudo_terminal.h"
#include "sim/tdcr_options.h"
#include "sim/virtual_instrument.h"

namespace korva::sim {

struct ServerOptions {
  InstrumentIdentity identity;
  std::uint32_t seed = 1;
  std::uint32_t baud = 921600;  // the line is paced at this rate; 0 sends replies at once
  FaultOptions faults;
  TdcrOptions tdcr;  // the vial and the pace of the TDCR sequence clock
  // The vial the multichannel analyser looks at.
  SpectrumSourceOptions spectrum;
  // Size of the configuration flash the FPGA transfer writes.
  std::size_t flashBytes = kDefaultFlashBytes;
};

// Serves a VirtualInstrument on a pseudo-terminal from a background thread:
// reads requests from the master side, lets the instrument's time follow the
// steady clock (in bounded slices between requests, so a physics that costs
// more than real time delays the instrument's clock, never its answers), and
// writes each reply, after the fault injector has had its
// say, paced at the configured baud rate. A paced line carries requests at
// that rate too: a reply leaves no earlier than its request could have
// arrived.
//
//   PtyServer server(options);     // the pseudo-terminal exists from here on
//   server.Start();
//   int fd = open(server.DevicePath().c_str(), O_RDWR | O_NOCTTY);
//   ...
//   server.Stop();                 // also done by the destructor
//
// The constructor throws std::system_error when no pseudo-terminal can be made.
class PtyServer {
 public:
  explicit PtyServer(const ServerOptions& options = {});
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  void Start();
  void Stop();

  const std::string& DevicePath() const { return terminal_.SlavePath(); }

  // Both take effect from the next reply on; SetFaults starts a fresh
  // targeting count.
  void SetFaults(const FaultOptions& faults);
  void SetBaud(std::uint32_t baud);

  // Runs `access` on the instrument while the server is between replies.
  void Inspect(const std::function<void(VirtualInstrument&)>& access);

 private:
  struct Outgoing {
    wire::Frame bytes;
    std::chrono::milliseconds delay;
  };

  void Run(const std::stop_token& stop);
  std::size_t ReadRequests(std::span<std::uint8_t> buffer, int waitMs);
  std::vector<Outgoing> StepInstrument(std::span<const std::uint8_t> received,
                                       std::chrono::steady_clock::duration& owed);
  void AdaptSlice(std::chrono::steady_clock::duration cost);

  PseudoTerminal terminal_;
  std::mutex mutex_;  // guards instrument_, faults_ and baud_
  VirtualInstrument instrument_;
  FaultInjector faults_;
  std::uint32_t baud_;
  // The server thread's step of instrument time: it starts short and grows while cheap.
  std::chrono::microseconds slice_;
  std::jthread thread_;
};

}  // namespace korva::sim
