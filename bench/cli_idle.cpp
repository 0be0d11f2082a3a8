// cli_idle: what the headless tool's waiting costs. Runs korva-tdcr-cli
// against the veltra-sim program paced at 921600 baud, once for a whole
// measurement (connect, calibration, a sequence of runs, the files) and
// once against a silent instrument (waiting for replies that never come),
// and prints the share of one core each used.
//
//   cli_idle [--seconds S]

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "simulator_process.h"

namespace {

void Report(const char* what, const korva::bench::ChildUsage& usage) {
  std::printf("%-40s wall %7.2f s  cpu %6.3f s  share of a core %5.2f %%  exit %d\n", what, usage.wallSeconds,
              usage.cpuSeconds, 100.0 * usage.cpuSeconds / usage.wallSeconds, usage.exitStatus);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 4;
  if (argc == 3 && std::string_view(argv[1]) == "--seconds") seconds = std::atoi(argv[2]);
  if (argc != 1 && argc != 3) {
    std::fprintf(stderr, "usage: cli_idle [--seconds S]\n");
    return 2;
  }
  const std::string folder = "/tmp/korva-cli-idle";
  std::system(("rm -rf " + folder + " && mkdir -p " + folder).c_str());
  {
    korva::bench::SimulatorProcess instrument(VELTRA_SIM_PROGRAM, {"--baud", "921600"});
    const std::string time = std::to_string(seconds / 2.0);
    Report("measure, 2 runs",
           korva::bench::RunAndMeasure(KORVA_CLI_PROGRAM,
                                       {"measure", "--port", instrument.DevicePath(), "--out", folder + "/m",
                                        "--runs", "2", "--time", time, "--gap", "0"}));
  }
  {
    korva::bench::SimulatorProcess instrument(VELTRA_SIM_PROGRAM, {"--silent"});
    Report("info, silent instrument",
           korva::bench::RunAndMeasure(KORVA_CLI_PROGRAM, {"info", "--port", instrument.DevicePath()}));
  }
  std::system(("rm -rf " + folder).c_str());
  return 0;
}
