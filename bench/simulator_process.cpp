#include "simulator_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>

extern char** environ;

namespace korva::bench {

namespace {

std::vector<char*> ArgumentVector(std::string& program, std::vector<std::string>& arguments) {
  std::vector<char*> argv{program.data()};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return argv;
}

std::string FirstLine(int fd) {
  std::string text;
  char c = 0;
  while (text.size() < 512) {
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, 5000) <= 0 || ::read(fd, &c, 1) != 1 || c == '\n') break;
    text.push_back(c);
  }
  return text;
}

// The program says "Veltra virtual instrument on /dev/pts/N".
std::string DevicePathFrom(const std::string& line) {
  const auto at = line.rfind(' ');
  return at == std::string::npos ? std::string() : line.substr(at + 1);
}

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

SimulatorProcess::SimulatorProcess(const std::string& program, const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::string path = program;
  std::vector<std::string> words = arguments;
  std::vector<char*> argv = ArgumentVector(path, words);
  if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  if (pid_ > 0) devicePath_ = DevicePathFrom(FirstLine(pipeEnds[0]));
  ::close(pipeEnds[0]);
}

SimulatorProcess::~SimulatorProcess() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
}

ChildUsage RunAndMeasure(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& errorFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::string path = program;
  std::vector<std::string> words = arguments;
  std::vector<char*> argv = ArgumentVector(path, words);
  ChildUsage usage;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const bool started = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!started) return usage;
  int status = 0;
  rusage resources{};
  ::wait4(pid, &status, 0, &resources);
  usage.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  usage.cpuSeconds = Seconds(resources.ru_utime) + Seconds(resources.ru_stime);
  usage.maxResidentKb = resources.ru_maxrss;
  usage.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return usage;
}

std::chrono::nanoseconds ProcessCpuTime() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace korva::bench
