// startup: how long the korva-tdcr program takes from its launch to the
// first paint of its main window on the screen, and its peak resident
// memory (VmHWM) then, over ten launches: median, least and most, with the
// machine's load beside them.
//
//   startup [--launches N]
//
// The program runs as a lab starts it, without an instrument connected (it
// connects only when asked), under the display this benchmark is given (an
// X server such as Xvfb) or, without one, on Qt's offscreen platform. It
// keeps its settings and archive in a folder of its own here: one launch
// that is not counted first creates them, as every later launch finds them.
// The program says when its first paint reached the screen because the
// environment asks it to; the launch time is taken just before the spawn,
// on the same monotonic clock.
//
// An X server started for this alone, such as xvfb-run's, resets when its
// last client leaves and may refuse the next launch meanwhile ("could not
// connect to display"); start it with -noreset:
//   xvfb-run -a -s "-noreset -screen 0 1920x1080x24" bench/startup

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

constexpr int kDefaultLaunches = 10;
constexpr std::string_view kReportPrefix = "korva-tdcr: first paint at ";
// A launch that shows nothing in this time has failed. The first, uncounted
// launch gets longer: on an X server just started it once took over 30 s
// here, which no later launch did.
constexpr int kGiveUpMilliseconds = 30000;
constexpr int kFirstLaunchGiveUpMilliseconds = 180000;

struct Launch {
  double milliseconds = 0;
  double cpuMilliseconds = 0;
  double peakResidentMb = 0;
};

long long MonotonicNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string LoadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string one, five, fifteen;
  file >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// The CPU time the program's main thread has run, which the machine's other
// load hardly changes: the first field of /proc/<pid>/schedstat, in ns.
double CpuMilliseconds(pid_t pid) {
  std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
  double nanoseconds = 0;
  schedstat >> nanoseconds;
  return nanoseconds / 1e6;
}

double PeakResidentMb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

// The environment of this process with the program's own settings and data
// folders, the report asked for, and the offscreen platform when there is
// no display.
std::vector<std::string> ProgramEnvironment(const std::filesystem::path& home, bool offscreen) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::string_view name = text.substr(0, text.find('='));
    if (name != "HOME" && name != "XDG_CONFIG_HOME" && name != "XDG_DATA_HOME" && name != "XDG_CACHE_HOME") {
      entries.emplace_back(text);
    }
  }
  entries.push_back("HOME=" + home.string());
  entries.push_back("XDG_CONFIG_HOME=" + (home / ".config").string());
  entries.push_back("XDG_DATA_HOME=" + (home / ".local/share").string());
  entries.push_back("XDG_CACHE_HOME=" + (home / ".cache").string());
  entries.push_back("KORVA_REPORT_FIRST_PAINT=1");
  if (offscreen) entries.push_back("QT_QPA_PLATFORM=offscreen");
  return entries;
}

// What a launch that reported nothing was seen to do: end, or stay silent,
// and what it wrote to its standard error meanwhile.
struct Silence {
  bool ended = false;
  std::string output;
};

// Reads the program's standard error until its report; the monotonic time
// it names, or what it did instead when it ended or stayed silent for
// `giveUpMilliseconds`.
std::optional<long long> AwaitReport(int fd, int giveUpMilliseconds, Silence& silence) {
  std::string pending;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(giveUpMilliseconds);
  while (std::chrono::steady_clock::now() < giveUp) {
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count <= 0) {
      silence.ended = true;
      break;
    }
    pending.append(buffer, static_cast<std::size_t>(count));
    silence.output.append(buffer, static_cast<std::size_t>(count));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
      const std::string line = pending.substr(0, end);
      if (line.rfind(kReportPrefix, 0) == 0) return std::stoll(line.substr(kReportPrefix.size()));
    }
  }
  return std::nullopt;
}

std::optional<Launch> LaunchOnce(const std::string& program, std::vector<std::string>& environment,
                                 int giveUpMilliseconds, Silence& silence) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> arguments{const_cast<char*>(program.c_str()), nullptr};
  std::vector<char*> variables;
  for (std::string& entry : environment) variables.push_back(entry.data());
  variables.push_back(nullptr);
  pid_t pid = -1;
  const long long launched = MonotonicNanoseconds();
  const int spawned =
      ::posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments.data(), variables.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  if (spawned != 0) {
    ::close(pipeEnds[0]);
    return std::nullopt;
  }
  const std::optional<long long> painted = AwaitReport(pipeEnds[0], giveUpMilliseconds, silence);
  std::optional<Launch> launch;
  if (painted) {
    launch =
        Launch{static_cast<double>(*painted - launched) / 1e6, CpuMilliseconds(pid), PeakResidentMb(pid)};
  }
  ::kill(pid, SIGTERM);
  ::close(pipeEnds[0]);
  ::waitpid(pid, nullptr, 0);
  return launch;
}

double Median(std::vector<double> values) {
  std::ranges::sort(values);
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

void PrintFigures(const char* what, const char* unit, const std::vector<double>& values) {
  const auto [least, most] = std::ranges::minmax(values);
  std::printf("%-24s median %7.1f %s  min %7.1f  max %7.1f\n", what, Median(values), unit, least, most);
}

}  // namespace

int main(int argc, char** argv) {
  int launches = kDefaultLaunches;
  if (argc == 3 && std::string_view(argv[1]) == "--launches") launches = std::atoi(argv[2]);
  if ((argc != 1 && argc != 3) || launches < 1) {
    std::fprintf(stderr, "usage: startup [--launches N]\n");
    return 2;
  }
  const bool offscreen = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
                         std::getenv("QT_QPA_PLATFORM") == nullptr;
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("korva-startup-" + std::to_string(::getpid()));
  std::filesystem::create_directories(home);
  std::vector<std::string> environment = ProgramEnvironment(home, offscreen);
  std::printf("%s, no instrument, display %s\nload before %s\n", KORVA_PROGRAM,
              offscreen ? "offscreen" : (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "of the platform"),
              LoadAverage().c_str());
  std::vector<double> times;
  std::vector<double> cpu;
  std::vector<double> memory;
  for (int index = 0; index <= launches; ++index) {
    const int giveUp = index == 0 ? kFirstLaunchGiveUpMilliseconds : kGiveUpMilliseconds;
    Silence silence;
    const std::optional<Launch> launch = LaunchOnce(KORVA_PROGRAM, environment, giveUp, silence);
    if (!launch) {
      if (silence.ended) {
        std::fprintf(stderr, "startup: the program ended before its first paint; it wrote:\n%s",
                     silence.output.c_str());
      } else {
        std::fprintf(stderr, "startup: the program did not report its first paint within %d s\n",
                     giveUp / 1000);
      }
      std::filesystem::remove_all(home);
      return 1;
    }
    if (index == 0) continue;  // creates the settings and the archive
    std::printf("launch %2d: launch to first paint %7.1f ms  cpu %6.1f ms  peak resident %6.1f MB\n", index,
                launch->milliseconds, launch->cpuMilliseconds, launch->peakResidentMb);
    times.push_back(launch->milliseconds);
    cpu.push_back(launch->cpuMilliseconds);
    memory.push_back(launch->peakResidentMb);
  }
  PrintFigures("launch to first paint", "ms", times);
  PrintFigures("main thread cpu then", "ms", cpu);
  PrintFigures("peak resident", "MB", memory);
  std::printf("load after  %s\n", LoadAverage().c_str());
  std::filesystem::remove_all(home);
  return 0;
}
