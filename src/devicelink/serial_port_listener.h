#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "devicelink/line_error_counts.h"
#include "devicelink/serial_port.h"

namespace korva {

// A serial port with a listener thread that reports port events while the
// port is open. The listener only waits and looks at the port's counters: it
// never reads data and never touches the program's state. The user-interface
// thread keeps doing every read, write and purge.
//
// Received characters are reported edge-triggered. The tty says "readable"
// for as long as bytes are queued, so after reporting characters the
// listener stops watching for input until the user-interface thread next
// reads, writes or purges the port; then it watches again and reports at
// once if bytes are still (or already) queued. A handler that reads on every
// notification thus sees every arrival, unread bytes are reported once and
// not again, and a request written after ignored notifications still gets
// its reply reported.
//
// A read that returns fewer bytes than it asked for says the reader waits
// for the rest of a reply. Until the next write or purge, the listener then
// holds a report of fresh bytes back for the time the line needs to carry
// the missing ones (at most 2000 bytes' worth, the program's queue size, and
// at most 25 ms) and reports once they are all queued, or once the line has
// brought nothing new during a hold. A long reply thus arrives in a few large
// reads instead of one per burst from the device, and its end is reported
// without delay.
//
// A subclass that overrides the two handlers closes the port in its own
// destructor, so that the listener has ended before the handlers go away.
class CSerialEx : public CSerial {
 public:
  CSerialEx() = default;
  ~CSerialEx() override;

  // Opens the port as CSerial::Open does and starts the listener.
  long Open(const std::string& device, std::size_t inputQueueSize = 0, std::size_t outputQueueSize = 0);
  // Stops the listener, which ends at once even while it waits, then closes
  // the port.
  long Close() override;

  long Write(std::span<const std::uint8_t> data, std::uint32_t timeoutMs) override;
  long Read(std::span<std::uint8_t> buffer, std::size_t& bytesRead) override;
  long Purge() override;

 protected:
  // Called on the listener thread with the events of the event mask that
  // occurred and the line errors that came with them.
  virtual void OnSerialEvent(std::uint16_t events, std::uint16_t lineErrors) = 0;
  // Called on the listener thread, once, when the line hangs up (the device
  // was unplugged, or the other side of a pseudo-terminal closed). The
  // listener no longer watches the port afterwards.
  virtual void OnSerialHangup() = 0;

 private:
  long StartListener();
  void StopListener();
  void Listen(int portFd);
  void ReportInput(int portFd, std::optional<LineErrorCounts>& counts);
  void WatchInputAgain();
  void Wake();

  std::thread listener_;
  int wakeFd_ = -1;
  std::atomic<bool> stop_ = false;
  // False from a report of received characters until the next read, write
  // or purge.
  std::atomic<bool> watchingInput_ = true;
  // Bytes the last read asked for and did not get; 0 after a write or purge.
  std::atomic<std::size_t> wantedBytes_ = 0;
};

}  // namespace korva
