#pragma once

#include <string>

namespace korva::sim {

// A pseudo-terminal pair: the instrument holds the master side, the host
// opens the slave side as its serial port. The slave is put in raw mode (no
// echo, no line editing, no character translation) and is also held open
// here, so the master never sees a hang-up while no host has the port open.
// The constructor throws std::system_error when the pair cannot be made.
class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Non-blocking descriptor of the master side.
  int MasterFd() const { return master_; }
  // Device path of the slave side, e.g. "/dev/pts/5".
  const std::string& SlavePath() const { return slavePath_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace korva::sim
