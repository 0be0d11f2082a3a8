#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace korva::sim {

namespace {

[[noreturn]] void Fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

void CloseIfOpen(int fd) {
  if (fd >= 0) ::close(fd);
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
  try {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) Fail("posix_openpt");
    if (::grantpt(master_) != 0) Fail("grantpt");
    if (::unlockpt(master_) != 0) Fail("unlockpt");
    std::array<char, 128> name{};
    if (::ptsname_r(master_, name.data(), name.size()) != 0) Fail("ptsname_r");
    slavePath_ = name.data();

    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) Fail("open pseudo-terminal slave");
    termios settings{};
    if (::tcgetattr(slave_, &settings) != 0) Fail("tcgetattr");
    ::cfmakeraw(&settings);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0) Fail("tcsetattr");
  } catch (...) {
    CloseIfOpen(slave_);
    CloseIfOpen(master_);
    throw;
  }
}

PseudoTerminal::~PseudoTerminal() {
  CloseIfOpen(slave_);
  CloseIfOpen(master_);
}

}  // namespace korva::sim
