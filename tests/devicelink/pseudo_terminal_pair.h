#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korva::test {

// A pseudo-terminal made for one test: the port under test opens the slave
// path, the test plays the device on the master side.
class PseudoTerminalPair {
 public:
  PseudoTerminalPair();
  ~PseudoTerminalPair() { CloseMaster(); }
  PseudoTerminalPair(const PseudoTerminalPair&) = delete;
  PseudoTerminalPair& operator=(const PseudoTerminalPair&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  // Sends bytes to the port as the device would.
  void Send(const std::vector<std::uint8_t>& bytes);
  // What the port has sent, up to `count` bytes, waiting at most `timeoutMs`.
  std::vector<std::uint8_t> Receive(std::size_t count, int timeoutMs);
  // Closes the device side: the port's line hangs up.
  void CloseMaster();

 private:
  int master_ = -1;
  std::string slavePath_;
};

}  // namespace korva::test
