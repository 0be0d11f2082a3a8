#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "devicelink/serial_event.h"
#include "devicelink/serial_link.h"

namespace korva {

// The synchronous operations of a serial port on a Linux tty device: exclusive
// open, line set-up, writes with a time-out, non-blocking reads, purge and
// break. Every operation stores its code as the last error and returns it;
// on a closed port every operation but Open returns kInvalidHandle and does
// nothing. Used from one thread (the user-interface thread).
class CSerial : public SerialLink {
 public:
  enum class Parity { kNone, kOdd, kEven, kMark, kSpace };
  // The line has no 1.5 stop bits of its own; kOnePointFive selects the
  // second stop bit, which the UART stretches to 1.5 with 5 data bits.
  enum class StopBits { kOne, kOnePointFive, kTwo };
  enum class Handshake { kOff, kRtsCts };
  enum class ReadTimeouts {
    kNonBlocking,  // a read returns at once with whatever bytes are queued
    kBlocking,     // a read waits until the buffer is full or the line hangs up
  };

  CSerial() = default;
  CSerial(const CSerial&) = delete;
  CSerial& operator=(const CSerial&) = delete;
  ~CSerial() override;

  // Opens `device` for exclusive reading and writing, puts the line into raw
  // 8N1 mode at its current speed without flow control, sets the event mask
  // to serial_event::kDefaultMask and non-blocking reads, and asks a USB
  // adapter for low latency. kAlreadyInitialized (the open port untouched)
  // when this object is open; kPortInUse when another process or port object
  // holds the device. The queue sizes are remembered only: a Linux tty has no
  // per-open queue sizes, and its driver's buffers are larger than the 2000
  // bytes the program asks for.
  long Open(const std::string& device, std::size_t inputQueueSize = 0, std::size_t outputQueueSize = 0);
  // Closes the port; kInvalidHandle when it is not open.
  virtual long Close();

  // Sets speed and line format; parity is checked only when it is not kNone.
  // Any speed the driver accepts, including 921600 and non-standard ones.
  long Setup(std::uint32_t baudRate, int dataBits, Parity parity, StopBits stopBits);
  // kRtsCts: hardware flow control on both directions, DTR held off, no
  // XON/XOFF.
  long SetHandshaking(Handshake mode);
  long SetEventMask(std::uint16_t mask);
  long SetReadTimeouts(ReadTimeouts mode);

  bool IsOpen() const override { return fd_ >= 0; }
  // Sends all of `data` or, when `timeoutMs` passes first, discards what is
  // still queued for output and returns kTimeout.
  long Write(std::span<const std::uint8_t> data, std::uint32_t timeoutMs) override;
  long Read(std::span<std::uint8_t> buffer, std::size_t& bytesRead) override;
  // Discards the receive and transmit queues.
  long Purge() override;
  // Holds the line in the break state for 100 ms.
  long Break();

  long LastError() const { return lastError_; }
  std::uint16_t EventMask() const { return eventMask_; }
  std::size_t InputQueueSize() const { return inputQueueSize_; }
  std::size_t OutputQueueSize() const { return outputQueueSize_; }

 protected:
  int Handle() const { return fd_; }
  long Remember(long code) { return lastError_ = code; }

 private:
  long OpenExclusive(const std::string& device);
  long ApplyDefaultLine();
  long ReadBlocking(std::span<std::uint8_t> buffer, std::size_t& bytesRead);

  int fd_ = -1;
  long lastError_ = error_code::kSuccess;
  // Read by the listener thread of CSerialEx.
  std::atomic<std::uint16_t> eventMask_ = 0;
  ReadTimeouts readTimeouts_ = ReadTimeouts::kNonBlocking;
  std::size_t inputQueueSize_ = 0;
  std::size_t outputQueueSize_ = 0;
};

}  // namespace korva
