// The headless monitor on its built-in emulator as the PC's time source: chronyd, started by the
// test once the monitor runs, reaches both reference clocks the monitor feeds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/chrony_daemon.h"
#include "support/http_client.h"
#include "support/test_folder.h"

extern char** environ;

namespace zelkon {
namespace {

using namespace std::chrono_literals;

class RefclockProgram : public testing::TestFolder {
 protected:
  RefclockProgram() : TestFolder("zelkon-refclock") {}

  void TearDown() override {
    if (monitor_ > 0) {
      ::kill(monitor_, SIGTERM);
      ::waitpid(monitor_, nullptr, 0);
    }
    TestFolder::TearDown();
  }

  // Runs `zelkon` with its settings, log and output in the test's folder.
  void Launch(const std::vector<std::string>& options) {
    std::vector<std::string> args = {ZELKON_PROGRAM_PATH};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"XDG_CONFIG_HOME=" + dir_.string(),
                                    "XDG_STATE_HOME=" + dir_.string()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string_view text = *entry;
      if (!text.starts_with("XDG_CONFIG_HOME=") && !text.starts_with("XDG_STATE_HOME=")) {
        env.emplace_back(text);
      }
    }
    std::vector<char*> envp;
    for (std::string& entry : env)
      envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, (dir_ / "out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&files, 2, (dir_ / "err").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(posix_spawn(&monitor_, argv[0], &files, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&files);
  }

  std::string Log() const { return testing::ReadAll(dir_ / "zelkon" / "messages.log"); }

  // Waits up to `seconds` for `done`.
  template <class Done>
  static bool WaitFor(int seconds, Done done) {
    for (int i = 0; i < seconds * 10; ++i) {
      if (done()) return true;
      std::this_thread::sleep_for(100ms);
    }
    return done();
  }

  pid_t monitor_ = -1;
};

// The value of a reference clock's sample in the metrics page, -1 without one.
double Sample(const std::string& page, const std::string& family, const std::string& refclock) {
  const std::regex line("\n" + family + R"(\{[^}]*refclock=")" + refclock + R"("\} (\S+))");
  std::smatch match;
  return std::regex_search(page, match, line) ? std::stod(match[1]) : -1;
}

TEST_F(RefclockProgram, ChronydReachesBothReferenceClocksOnceItAppears) {
  const int unit = 2 + static_cast<int>(::getpid() % 200);
  testing::ChronyDaemon daemon(dir_, unit);
  if (!daemon.Installed()) GTEST_SKIP() << "chronyd and chronyc not installed";
  const std::string sock = "sock:" + daemon.SockPath();
  const std::string shm = "shm:" + std::to_string(unit);
  ASSERT_NO_FATAL_FAILURE(Launch({"--headless", "--demo", "--ntp", "no", "--refclock", sock,
                                  "--refclock", shm, "--metrics-listen", "127.0.0.1:0"}));
  int port = 0;
  ASSERT_TRUE(WaitFor(10, [&] {
    std::smatch match;
    const std::string err = testing::ReadAll(dir_ / "err");
    if (!std::regex_search(err, match, std::regex(R"(metrics at http://127.0.0.1:(\d+)/)"))) {
      return false;
    }
    port = std::stoi(match[1]);
    return true;
  }));

  // No daemon yet: said once when the receiver has time, and the monitor goes on.
  const std::string refused = "reference clock " + sock + ": no daemon listens at " +
                              daemon.SockPath() + "; tried again every second";
  ASSERT_TRUE(WaitFor(20, [&] { return Log().find(refused) != std::string::npos; })) << Log();
  std::string log;
  ASSERT_TRUE(daemon.Start(log)) << log;
  std::map<std::string, double> offsets;
  ASSERT_TRUE(WaitFor(20, [&] {
    offsets = daemon.ReachedOffsets();
    return offsets.size() == 2;
  })) << daemon.Chronyc("sources");
  // The emulator's seconds follow the PC's clock and its report leaves within about a millisecond
  // of the second, through a pseudo-terminal that adds microseconds: chronyd finds the PC's clock
  // within a few milliseconds of the reference; 10 ms leaves room for a busy machine.
  EXPECT_NEAR(offsets["SOCK"], 0, 0.010);
  EXPECT_NEAR(offsets["SHM"], 0, 0.010);

  const std::string page = testing::HttpRequest(port, "GET", "/metrics").body;
  EXPECT_GT(Sample(page, "zelkon_refclock_samples_total", sock), 0) << page;
  EXPECT_GT(Sample(page, "zelkon_refclock_samples_total", shm), 0) << page;
  EXPECT_NEAR(Sample(page, "zelkon_refclock_offset_seconds", shm), 0, 0.010) << page;
  log = Log();
  EXPECT_EQ(log.find(refused), log.rfind(refused)) << log;
  EXPECT_NE(log.find("reference clock " + sock + ": samples taken again"), std::string::npos)
      << log;
}

}  // namespace
}  // namespace zelkon
