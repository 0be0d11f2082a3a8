#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "common/virtual_instrument_announcement.h"

extern char** environ;

namespace korva {
namespace {

namespace fs = std::filesystem;

// Reads the program's first output line, waiting at most `timeout`.
std::string FirstLine(int fd, std::chrono::milliseconds timeout) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd descriptor{fd, POLLIN, 0};
    if (::poll(&descriptor, 1, 20) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<std::size_t>(n));
  }
  return line.substr(0, line.find('\n'));
}

class VeltraSimProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime = fs::temp_directory_path() / ("korva-sim-program-test-" + std::to_string(::getpid()));
    fs::remove_all(runtime);
    fs::create_directories(runtime);
  }
  void TearDown() override { fs::remove_all(runtime); }

  // Starts veltra-sim with its runtime folder inside the test's folder;
  // returns its pid and leaves its standard output readable on `output`.
  pid_t Launch(const std::vector<std::string>& options, int& output) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);

    std::vector<std::string> args = {VELTRA_SIM_PROGRAM};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::string runtimeVariable = "XDG_RUNTIME_DIR=" + runtime.string();
    std::vector<char*> envp = {runtimeVariable.data()};
    for (char** variable = environ; *variable != nullptr; ++variable) {
      if (std::string_view(*variable).rfind("XDG_RUNTIME_DIR=", 0) != 0) envp.push_back(*variable);
    }
    envp.push_back(nullptr);

    pid_t pid = -1;
    if (::posix_spawn(&pid, VELTRA_SIM_PROGRAM, &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    output = pipeEnds[0];
    return pid;
  }

  fs::path runtime;
};

TEST_F(VeltraSimProgram, AnnouncesItselfAndCleansUpOnInterrupt) {
  const fs::path link = runtime / "veltra";
  int output = -1;
  const pid_t pid = Launch({"--link", link.string(), "--serial", "777", "--model", "RQ3101"}, output);
  ASSERT_GT(pid, 0);

  const std::string line = FirstLine(output, std::chrono::milliseconds(5000));
  const std::string prefix = "Veltra virtual instrument on ";
  ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
  const std::string device = line.substr(prefix.size());
  EXPECT_EQ(fs::read_symlink(link), device);

  const fs::path folder = runtime / "korva-tdcr" / "instruments";
  const auto listed = ListAnnouncements(folder);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].devicePath, link.string());
  EXPECT_EQ(listed[0].pid, pid);
  EXPECT_EQ(FriendlyName(listed[0]), "Veltra virtual instrument (veltra)");
  EXPECT_EQ(listed[0].serialNumber, "777");
  EXPECT_EQ(listed[0].model, "RQ3101");

  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ::close(output);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
}  // namespace korva
