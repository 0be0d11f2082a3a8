#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "timesync/sntp_client.h"
#include "timesync/system_utc_clock.h"
#include "timesync/udp_exchange.h"
#include "udp_responder.h"

extern char** environ;

namespace korva {
namespace {

constexpr const char* kChronyd = "/usr/sbin/chronyd";

// chronyd serving NTP on a free port of 127.0.0.1 from its local reference
// clock. -d keeps it in the foreground, logging to stderr; -x leaves the
// system clock alone; -U -u keep it under the user running the test, who owns
// the temporary folder. "bindcmdaddress /" and "cmdport 0" turn off its
// command sockets.
class ChronyServer {
 public:
  explicit ChronyServer(int stratum) : port_(testing::FreeUdpPort()) {
    char folder[] = "/tmp/korva-chronyd-XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    directory_ = folder;
    std::ofstream(directory_ / "chronyd.conf")
        << "port " << port_ << "\nbindaddress 127.0.0.1\nallow 127.0.0.1\n"
        << "local stratum " << stratum << "\ncmdport 0\nbindcmdaddress /\n"
        << "pidfile " << (directory_ / "chronyd.pid").string() << "\n"
        << "driftfile " << (directory_ / "chronyd.drift").string() << "\n";
    const passwd* user = getpwuid(geteuid());
    std::vector<std::string> args = {kChronyd, "-d",
                                     "-x",     "-U",
                                     "-u",     user ? user->pw_name : "root",
                                     "-f",     (directory_ / "chronyd.conf").string()};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (directory_ / "chronyd.log").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid_, kChronyd, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ChronyServer(const ChronyServer&) = delete;
  ChronyServer& operator=(const ChronyServer&) = delete;
  ~ChronyServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove_all(directory_);
  }

  bool Running() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) != 0) pid_ = -1;
    return pid_ > 0;
  }
  std::string Log() const {
    std::ostringstream text;
    text << std::ifstream(directory_ / "chronyd.log").rdbuf();
    return text.str();
  }
  std::string ServerText() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  std::uint16_t port_;
  std::filesystem::path directory_;
  pid_t pid_ = -1;
};

TEST(ChronyServer, QueryMeasuresTheLocalServerAtItsStratum) {
  if (access(kChronyd, X_OK) != 0) GTEST_SKIP() << kChronyd << " is not installed (Debian package chrony)";
  ChronyServer chrony(8);
  SystemUtcClock clock;
  UdpExchange udp;
  CSNTPClient client(udp, clock);
  client.SetReplyTimeoutMs(500);
  SntpResult result;

  // The daemon needs a moment to bind its port; until then the query is refused.
  bool answered = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!answered && chrony.Running() && std::chrono::steady_clock::now() < deadline) {
    answered = client.Query(chrony.ServerText(), result);
    if (!answered) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(answered) << "no answer from chronyd, last error " << client.LastError() << "\n"
                        << chrony.Log();
  EXPECT_EQ(result.stratum, 8);
  EXPECT_NE(result.leapIndicator, 3);
  EXPECT_LT(std::fabs(result.offset), 0.5);
  EXPECT_LT(std::fabs(result.delay), 0.5);
}

}  // namespace
}  // namespace korva
