// veltra-sim: a virtual Veltra instrument on a pseudo-terminal.

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/program_version.h"
#include "common/virtual_instrument_announcement.h"
#include "korva_build_commit.h"
#include "sim/device_symlink.h"
#include "sim/pty_server.h"
#include "sim/sim_options.h"

namespace {

using namespace korva;
using namespace korva::sim;

// The signals that end the instrument. They are blocked in every thread and
// taken with sigwait, so shutdown runs as ordinary code on the main thread.
sigset_t EndingSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

VirtualInstrumentAnnouncement AnnouncementFor(const SimOptions& options, const std::string& ptyPath) {
  VirtualInstrumentAnnouncement announcement;
  announcement.devicePath = options.linkPath.empty() ? ptyPath : options.linkPath;
  announcement.pid = static_cast<long>(::getpid());
  announcement.name = PortNameOfDevice(announcement.devicePath);
  announcement.serialNumber = std::to_string(options.server.identity.serialNumber);
  announcement.model = std::string(ModelName(options.server.identity.model));
  return announcement;
}

int Serve(SimOptions options) {
  // The link is announced as the device path, so it must not depend on our working directory.
  if (!options.linkPath.empty()) options.linkPath = std::filesystem::absolute(options.linkPath).string();
  const sigset_t signals = EndingSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  PtyServer server(options.server);
  std::optional<DeviceSymlink> link;
  if (!options.linkPath.empty()) link.emplace(options.linkPath, server.DevicePath());
  const ScopedAnnouncement announcement(AnnouncementFor(options, server.DevicePath()));
  if (!announcement.Written())
    std::cerr << "veltra-sim: could not announce the instrument to the port list\n";

  std::cout << "Veltra virtual instrument on " << server.DevicePath() << std::endl;
  server.Start();
  int received = 0;
  sigwait(&signals, &received);
  server.Stop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  korva::RecordBuildCommit(KORVA_BUILD_COMMIT);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.options) {
    std::cerr << "veltra-sim: " << parsed.error << "\n" << UsageText();
    return 2;
  }
  if (parsed.options->help) {
    std::cout << UsageText();
    return 0;
  }
  if (parsed.options->version) {
    std::cout << "veltra-sim " << ProgramVersionText() << '\n';
    return 0;
  }
  try {
    return Serve(*parsed.options);
  } catch (const std::exception& error) {
    std::cerr << "veltra-sim: " << error.what() << "\n";
    return 1;
  }
}
