#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace korva::bench {

// The veltra-sim program serving one pseudo-terminal, started with
// `arguments`; ended with SIGTERM so that it removes its announcement.
class SimulatorProcess {
 public:
  SimulatorProcess(const std::string& program, const std::vector<std::string>& arguments);
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // Empty when the program did not start or did not name its device.
  const std::string& DevicePath() const { return devicePath_; }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::string devicePath_;
};

// Runs `program` with `arguments` to its end, its standard output
// discarded and its standard error in `errorFile`; the CPU seconds it used,
// its peak resident memory and its exit status.
struct ChildUsage {
  double cpuSeconds = 0;
  double wallSeconds = 0;
  long maxResidentKb = 0;
  int exitStatus = -1;
};
ChildUsage RunAndMeasure(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& errorFile = "/dev/null");

// CPU time this process has used so far.
std::chrono::nanoseconds ProcessCpuTime();

}  // namespace korva::bench
