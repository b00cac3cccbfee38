// The zelkon program without windows on the emulator (zelkon-sim --pty), its metrics endpoint
// scraped by a real Prometheus server on the loopback. Every process is ended at the end of the
// test, whatever happens; every wait is bounded. About ten seconds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/http_client.h"
#include "support/programs.h"
#include "support/test_folder.h"

extern char** environ;

namespace zelkon {
namespace {

namespace fs = std::filesystem;
using testing::HttpReply;
using testing::HttpRequest;
using testing::ReadAll;

// Calls `done` every 100 ms until it returns true or `seconds` have passed; returns its last
// answer.
bool WaitUntil(double seconds, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

// A port of the loopback free at the time of asking.
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

// A program running in the background, its standard output and error in files; ended as SIGTERM
// ends it (SIGKILL after 5 s) when the test has not ended it.
class Process {
 public:
  Process(const std::vector<std::string>& args, const fs::path& out, const fs::path& err,
          const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> env = extraEnv;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      const std::string name = entry.substr(0, entry.find('=') + 1);
      bool replaced = false;
      for (const std::string& extra : extraEnv)
        replaced |= extra.rfind(name, 0) == 0;
      if (!replaced) env.push_back(entry);
    }
    std::vector<char*> argv;
    for (const auto& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : env)
      envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { Stop(); }

  bool Started() const { return pid_ > 0; }

  // Ends the program; its exit status, or -1 when a signal ended it.
  int Stop() {
    if (pid_ <= 0) return status_;
    ::kill(pid_, SIGTERM);
    int status = 0;
    if (!WaitUntil(5, [&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

class MetricsProgram : public testing::TestFolder {
 protected:
  MetricsProgram() : TestFolder("zelkon-metrics") {}

  // Starts the emulator on a pseudo-terminal (`simArgs` added) and returns its device.
  std::string StartEmulator(const std::vector<std::string>& simArgs = {}) {
    std::vector<std::string> args = {ZELKON_SIM_PATH, "--pty"};
    args.insert(args.end(), simArgs.begin(), simArgs.end());
    sim.emplace(args, dir_ / "sim.out", dir_ / "sim.err");
    std::string device;
    WaitUntil(5, [&] {
      const std::string out = ReadAll(dir_ / "sim.out");
      device = out.substr(0, out.find('\n'));
      return out.find('\n') != std::string::npos;
    });
    return device;
  }

  // Starts the headless monitor on `device`, its metrics on a free port of the loopback, its
  // settings in the test's own folder. The port it says it listens on; 0 when it says none in 10 s.
  // With `windows`, the windowed program on Qt's off-screen platform.
  int StartMonitor(const std::string& device, bool windows = false) {
    std::vector<std::string> args = {ZELKON_PROGRAM_PATH, "--device", device, "--metrics-listen",
                                     "127.0.0.1:0"};
    std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + dir_.string()};
    if (windows) {
      args.insert(args.end(), {"--ntp", "no"});
      environment.push_back("QT_QPA_PLATFORM=offscreen");
    } else {
      args.push_back("--headless");
    }
    monitor.emplace(args, dir_ / "zelkon.out", dir_ / "zelkon.err", environment);
    const std::string announced = "zelkon: metrics at http://127.0.0.1:";
    std::string err;
    if (!WaitUntil(10, [&] {
          err = ReadAll(dir_ / "zelkon.err");
          return err.find(announced) != std::string::npos &&
                 err.find("/metrics\n") != std::string::npos;
        })) {
      return 0;
    }
    return std::stoi(err.substr(err.find(announced) + announced.size()));
  }

  // The programs end before their folder goes.
  void TearDown() override {
    monitor.reset();
    sim.reset();
    TestFolder::TearDown();
  }

  std::optional<Process> sim;
  std::optional<Process> monitor;
};

TEST_F(MetricsProgram, PrometheusScrapesTheHeadlessMonitorOnTheEmulator) {
  if (!testing::ProgramOnPath("prometheus")) {
    GTEST_SKIP() << "prometheus is not installed (Debian package prometheus)";
  }
  const std::string device = StartEmulator();
  ASSERT_FALSE(device.empty());
  // Port 0: the monitor takes a free one and says which.
  const int port = StartMonitor(device);
  ASSERT_GT(port, 0) << ReadAll(dir_ / "zelkon.err");

  EXPECT_EQ(HttpRequest(port, "GET", "/nothing").status, 404);

  // The monitor's own page, once it has the receiver's timing report and serial number.
  HttpReply page;
  ASSERT_TRUE(WaitUntil(15,
                        [&] {
                          page = HttpRequest(port, "GET", "/metrics");
                          return page.body.find("zelkon_pps_offset_seconds{") !=
                                     std::string::npos &&
                                 page.body.find("serial=\"") != std::string::npos;
                        }))
      << page.status << "\n"
      << page.body;
  const size_t serialAt = page.body.find("serial=\"") + 8;
  const std::string serial = page.body.substr(serialAt, page.body.find('"', serialAt) - serialAt);
  EXPECT_NE(page.body.find("zelkon_pps_offset_seconds{device=\"" + device + "\",serial=\"" +
                           serial + "\"} "),
            std::string::npos)
      << page.body;

  // Prometheus scraping it every second.
  const int prometheusPort = FreePort();
  ASSERT_GT(prometheusPort, 0);
  const fs::path config = dir_ / "prometheus.yml";
  std::ofstream(config) << "global:\n  scrape_interval: 1s\n"
                           "scrape_configs:\n  - job_name: zelkon\n    static_configs:\n"
                           "      - targets: ['127.0.0.1:"
                        << port << "']\n";
  Process prometheus(
      {"prometheus", "--config.file=" + config.string(),
       "--storage.tsdb.path=" + (dir_ / "tsdb").string(),
       "--web.listen-address=127.0.0.1:" + std::to_string(prometheusPort), "--log.level=warn"},
      dir_ / "prometheus.out", dir_ / "prometheus.err");
  ASSERT_TRUE(prometheus.Started());

  HttpReply query;
  const bool scraped = WaitUntil(15, [&] {
    query = HttpRequest(prometheusPort, "GET", "/api/v1/query?query=zelkon_pps_offset_seconds");
    return query.body.find("\"device\":\"" + device + "\"") != std::string::npos;
  });
  ASSERT_TRUE(scraped) << query.status << " " << query.body << "\n"
                       << ReadAll(dir_ / "prometheus.err");
  EXPECT_NE(query.body.find("\"status\":\"success\""), std::string::npos) << query.body;
  EXPECT_NE(query.body.find("\"__name__\":\"zelkon_pps_offset_seconds\""), std::string::npos)
      << query.body;
  EXPECT_NE(query.body.find("\"serial\":\"" + serial + "\""), std::string::npos) << query.body;
  EXPECT_NE(query.body.find("\"job\":\"zelkon\""), std::string::npos) << query.body;
  EXPECT_NE(query.body.find("\"instance\":\"127.0.0.1:" + std::to_string(port) + "\""),
            std::string::npos)
      << query.body;

  // The sample's value, in seconds: the emulator's offsets are a few nanoseconds.
  const std::string valueKey = "\"value\":[";
  const size_t valueAt = query.body.find(valueKey);
  ASSERT_NE(valueAt, std::string::npos) << query.body;
  const size_t quote = query.body.find('"', query.body.find(',', valueAt));
  ASSERT_NE(quote, std::string::npos) << query.body;
  const double offset = std::strtod(query.body.c_str() + quote + 1, nullptr);
  EXPECT_GT(std::fabs(offset), 0.0) << query.body;
  EXPECT_LT(std::fabs(offset), 1e-6) << query.body;

  // SIGTERM ends the monitor as usual, its server stopped on the way out.
  EXPECT_EQ(monitor->Stop(), 0) << ReadAll(dir_ / "zelkon.err");
  EXPECT_EQ(HttpRequest(port, "GET", "/metrics").status, 0);
}

// A device path is bytes, not text: one holding 0xFF 0xFE (a link to the emulator's terminal)
// reaches the JSON lines and the `device` label with each of those bytes as U+FFFD, so that every
// line is UTF-8 and the page passes promtool.
TEST_F(MetricsProgram, ADevicePathThatIsNotUtf8GivesValidJsonAndMetrics) {
  if (!testing::ProgramOnPath("promtool")) {
    GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
  }
  const std::string link = (dir_ / "rx\xFF\xFE").string();
  ASSERT_FALSE(StartEmulator({"--link", link}).empty());
  const int port = StartMonitor(link);
  ASSERT_GT(port, 0) << ReadAll(dir_ / "zelkon.err");
  HttpReply page;
  ASSERT_TRUE(WaitUntil(15, [&] {
    page = HttpRequest(port, "GET", "/metrics");
    return page.body.find("serial=\"") != std::string::npos;
  })) << page.body;
  ASSERT_TRUE(
      WaitUntil(10, [&] { return ReadAll(dir_ / "zelkon.out").find('\n') != std::string::npos; }));
  EXPECT_EQ(monitor->Stop(), 0) << ReadAll(dir_ / "zelkon.err");

  const std::string shown = (dir_ / "rx\xEF\xBF\xBD\xEF\xBF\xBD").string();
  EXPECT_NE(page.body.find("zelkon_port_open{device=\"" + shown + "\",serial=\""),
            std::string::npos)
      << page.body;
  const testing::ToolRun check = testing::RunTool("promtool check metrics", page.body);
  EXPECT_EQ(check.status, 0) << check.output << page.body;
  EXPECT_EQ(check.output, "") << page.body;

  const std::string out = ReadAll(dir_ / "zelkon.out");
  EXPECT_EQ(out.rfind("{\"title\":\"" + shown + " Zelkon\"", 0), 0u) << out;
  const testing::ToolRun utf8 = testing::RunTool("iconv -f UTF-8 -t UTF-8", out);
  EXPECT_EQ(utf8.status, 0) << utf8.output;
}

// The windowed program serves the same page, refreshed as its windows are, and ends as usual.
TEST_F(MetricsProgram, TheWindowedMonitorServesMetricsToo) {
  const std::string device = StartEmulator();
  ASSERT_FALSE(device.empty());
  const int port = StartMonitor(device, true);
  ASSERT_GT(port, 0) << ReadAll(dir_ / "zelkon.err");
  HttpReply page;
  EXPECT_TRUE(WaitUntil(15,
                        [&] {
                          page = HttpRequest(port, "GET", "/metrics");
                          return page.body.find("zelkon_pps_offset_seconds{device=\"" + device +
                                                "\"") != std::string::npos;
                        }))
      << page.status << "\n"
      << page.body << ReadAll(dir_ / "zelkon.err");
  EXPECT_EQ(monitor->Stop(), 0) << ReadAll(dir_ / "zelkon.err");
  EXPECT_EQ(HttpRequest(port, "GET", "/metrics").status, 0);
}

TEST_F(MetricsProgram, APortInUseEndsTheRunWithTheReason) {
  const int taken = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(taken, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(taken, 1), 0);
  ASSERT_EQ(::getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string where = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));

  Process monitor({ZELKON_PROGRAM_PATH, "--demo", "--headless", "--metrics-listen", where},
                  dir_ / "zelkon.out", dir_ / "zelkon.err", {"XDG_CONFIG_HOME=" + dir_.string()});
  int status = -1;
  ASSERT_TRUE(WaitUntil(10, [&] {
    const std::string err = ReadAll(dir_ / "zelkon.err");
    return err.find('\n') != std::string::npos;
  }));
  status = monitor.Stop();
  ::close(taken);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadAll(dir_ / "zelkon.err"),
            "zelkon: metrics: cannot listen on " + where + ": Address already in use\n");
}

}  // namespace
}  // namespace zelkon
