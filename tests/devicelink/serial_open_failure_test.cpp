// What the program says when a port does not open: the message's first
// line, the system's reason, and for a port the user may not open the fix
// on a Debian system. The permission case needs a user the device denies;
// as root it drops to "nobody" in a child process.

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "devicelink/serial_port.h"
#include "devicelink/serial_port_error.h"
#include "pseudo_terminal_pair.h"

namespace korva {
namespace {

// Opens `device` as the user "nobody" in a child process and returns the
// lines the program would show, joined by line feeds.
std::string OpenFailureAsNobody(const std::string& device) {
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) return "no user nobody";
  int pipe[2];
  if (::pipe(pipe) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
      _exit(2);
    CSerial port;
    std::string text;
    for (const std::string& line : OpenFailureLines(device, port.Open(device))) text += line + "\n";
    const bool written = ::write(pipe[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    _exit(written ? 0 : 3);
  }
  ::close(pipe[1]);
  std::string text;
  char buffer[512];
  for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return text;
}

TEST(SerialOpenFailure, APortTheUserMayNotOpenNamesItsGroupAndTheFix) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the device to another user and drop to nobody";
  test::PseudoTerminalPair pty;
  const std::string& device = pty.SlavePath();
  ASSERT_EQ(::chown(device.c_str(), 0, 20), 0);  // root, group dialout (20 on Debian)
  ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
  const std::string group = ::getgrgid(20) != nullptr ? ::getgrgid(20)->gr_name : "20";
  EXPECT_EQ(OpenFailureAsNobody(device),
            "Unable to open COM-port\n" + device + ": Permission denied\n" + device +
                " belongs to the group \"" + group + "\": add your user to the group \"" + group +
                "\" (sudo adduser $USER " + group + "), then log out and log in again.\n");

  // Mode 600: the group may not open it either, so its mode must change too.
  ASSERT_EQ(::chmod(device.c_str(), 0600), 0);
  const std::string text = OpenFailureAsNobody(device);
  EXPECT_TRUE(text.starts_with("Unable to open COM-port\n" + device + ": Permission denied\n" + device +
                               " may be opened by its owner \"root\" only: give the group \"" + group +
                               "\" read and write access to it (sudo chmod g+rw " + device +
                               ") and add your user"))
      << text;
}

TEST(SerialOpenFailure, OtherFailuresGiveTheSystemsReasonWithoutAFix) {
  CSerial port;
  const long missing = port.Open("/dev/korva-no-such-port");
  EXPECT_EQ(OpenFailureLines("/dev/korva-no-such-port", missing),
            (std::vector<std::string>{"Unable to open COM-port",
                                      "/dev/korva-no-such-port: No such file or directory"}));
  EXPECT_EQ(SerialErrorText(error_code::kPortInUse), "Device or resource busy");
  EXPECT_EQ(SerialErrorText(error_code::kSystemErrorFlag | EIO), "Input/output error");
}

}  // namespace
}  // namespace korva
