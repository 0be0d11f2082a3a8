#include "pseudo_terminal_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace korva::test {

PseudoTerminalPair::PseudoTerminalPair() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  const char* name =
      master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 ? ::ptsname(master_) : nullptr;
  if (name == nullptr) throw std::runtime_error("no pseudo-terminal");
  slavePath_ = name;
}

void PseudoTerminalPair::Send(const std::vector<std::uint8_t>& bytes) {
  if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("pseudo-terminal write failed");
  }
}

std::vector<std::uint8_t> PseudoTerminalPair::Receive(std::size_t count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<std::uint8_t> bytes(count);
  std::size_t got = 0;
  while (got < count && std::chrono::steady_clock::now() < deadline) {
    pollfd entry{master_, POLLIN, 0};
    if (::poll(&entry, 1, 10) <= 0) continue;
    const ssize_t n = ::read(master_, bytes.data() + got, count - got);
    if (n > 0) got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

void PseudoTerminalPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace korva::test
