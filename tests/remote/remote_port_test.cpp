// The monitor on a receiver behind ser2net, the server that puts a serial port on the network:
// started here from a generated configuration on loopback ports, in front of the emulator's
// pseudo-terminal, and the monitor assembled as the program assembles it, driven through the script
// console in real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/metrics_publisher.h"
#include "core/monitor.h"
#include "core/script_console.h"
#include "core/startup.h"
#include "platform/event_loop.h"
#include "platform/headless_dialogs.h"
#include "remote/device_port.h"
#include "support/programs.h"
#include "support/scripted_dialogs.h"
#include "support/test_folder.h"

extern char** environ;

namespace zelkon {
namespace {

using namespace std::chrono_literals;
using SteadyTime = std::chrono::steady_clock;

pid_t Spawn(const std::vector<std::string>& args, const std::string& output) {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&files);
  return pid;
}

void Stop(pid_t& pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
  pid = -1;
}

// A loopback port nothing listens on at the moment.
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof(address);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

// Whether something listens on the loopback port, seen in the kernel's socket tables: a probe
// connection would make the server open the device for it, and the next client could find the
// device still being closed.
bool Listening(int port) {
  char local[16];
  std::snprintf(local, sizeof local, ":%04X ", port);
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream in(table);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string slot, address, remote, state;
      fields >> slot >> address >> remote >> state;
      if (state == "0A" && (address + " ").ends_with(local)) return true;
    }
  }
  return false;
}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The monitor as the headless program builds it, on a port opened by its name.
struct Monitored {
  explicit Monitored(const std::string& name) {
    settings.values["NTP"] = "0";
    app.state.DevicePath = name;
    // The longest poll tick, measured around the tick itself.
    Timer& poll = app.Form_Main.Timer_RXBIN;
    poll.OnTimer = [this, tick = poll.OnTimer] {
      const auto start = SteadyTime::now();
      if (tick) tick();
      longestTick = std::max(longestTick, SteadyTime::now() - start);
    };
    opened = app.MainFormCreate();
    app.Form_Main.Show();
  }
  int Run(const std::string& script) {
    err.str("");
    return RunScriptText(app, loop, dialogs, "remote.zs", script, out, err);
  }
  std::string Log() const { return app.Form_Message.Memo_Pad.Text(); }

  SteadyClock clock;
  remote::DevicePort port;
  std::ostringstream boxes;
  HeadlessDialogs dialogs{boxes};
  testing::MemorySettings settings;
  testing::FakeSystemTime systemTime;
  Monitor app{Platform{port, clock, dialogs, settings, systemTime}};
  EventLoop loop{clock, app.ui, app.Timers()};
  std::ostringstream out;
  std::ostringstream err;
  bool opened = false;
  SteadyTime::duration longestTick{};
};

class RemotePort : public testing::TestFolder {
 protected:
  RemotePort() : TestFolder("zelkon-remote") {}

  void SetUp() override {
    if (!testing::ProgramOnPath("ser2net")) GTEST_SKIP() << "ser2net is not installed";
    TestFolder::SetUp();
    device_ = (dir_ / "rx").string();
    sim_ = Spawn(
        {ZELKON_SIM_PATH, "--pty", "--link", device_, "--seed", "3", "--acquire-seconds", "2"},
        (dir_ / "sim.out").string());
    for (int i = 0; i < 50 && !std::filesystem::exists(device_); ++i)
      std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(std::filesystem::exists(device_)) << testing::ReadAll(dir_ / "sim.out");
    rfc2217Port_ = FreePort();
    rawPort_ = FreePort();
    // One RFC 2217 port that two monitors may share, and one raw port on both loopback addresses;
    // the device's own line settings are the receiver's, 9600 8-Odd-1.
    std::ofstream(dir_ / "ser2net.yaml")
        << "%YAML 1.1\n---\n"
        << "connection: &rfc2217\n"
        << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << rfc2217Port_ << "\n"
        << "  connector: serialdev," << device_ << ",9600o81,local\n"
        << "  options:\n    max-connections: 2\n"
        << "connection: &raw\n"
        << "  accepter: tcp,127.0.0.1," << rawPort_ << ",ipv6,::1," << rawPort_ << "\n"
        << "  connector: serialdev," << device_ << ",9600o81,local\n";
    StartServer();
  }

  void TearDown() override {
    Stop(server_);
    Stop(sim_);
    TestFolder::TearDown();
  }

  void StartServer() {
    server_ = Spawn({"ser2net", "-n", "-u", "-c", (dir_ / "ser2net.yaml").string()},
                    (dir_ / "ser2net.out").string());
    for (int i = 0; i < 50 && !(Listening(rfc2217Port_) && Listening(rawPort_)); ++i)
      std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(Listening(rfc2217Port_)) << testing::ReadAll(dir_ / "ser2net.out");
  }

  // The line settings of the device as the server set them. A pseudo-terminal always keeps eight
  // bits without parity checking, but it keeps the rate, the odd-parity flag and the stop bits.
  std::string DeviceLine() const {
    const int fd = ::open(device_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    const bool read = fd >= 0 && ::tcgetattr(fd, &tio) == 0;
    if (fd >= 0) ::close(fd);
    if (!read) return "unreadable";
    const speed_t speed = ::cfgetospeed(&tio);
    const std::string rate = speed == B9600 ? "9600" : speed == B19200 ? "19200" : "other";
    return rate + ((tio.c_cflag & PARODD) ? " odd" : " not odd") +
           ((tio.c_cflag & CSTOPB) ? " 2" : " 1");
  }

  std::string Name(const char* scheme, int port) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port);
  }

  std::string device_;
  pid_t sim_ = -1;
  pid_t server_ = -1;
  int rfc2217Port_ = 0;
  int rawPort_ = 0;
};

TEST_F(RemotePort, OverRfc2217TheWindowFillsTheLineFollowsAndADroppedServerIsALostPort) {
  const std::string name = Name("rfc2217", rfc2217Port_);
  Monitored m(name);
  ASSERT_TRUE(m.opened) << m.boxes.str();
  TForm_Main& main = m.app.Form_Main;
  ASSERT_EQ(m.Run("wait 6\n"
                  "expect TForm_Main.Panel_Serial.text \"" +
                  name + " 9600, 8-Odd-1\"\n"),
            kScriptPassed)
      << m.err.str() << m.boxes.str();
  EXPECT_FALSE(main.Panel_Time.Caption().empty());
  EXPECT_FALSE(main.Panel_Latitude.Caption().empty());
  EXPECT_NE(main.Panel_AMU[0].Caption(), "");
  EXPECT_EQ(m.app.Title, name + " Zelkon");
  EXPECT_EQ(DeviceLine(), "9600 odd 1");

  // The serial setup window moves the receiver's port and, with it, the remote device.
  ASSERT_EQ(m.Run("open TForm_Serial\nwait 1\n"
                  "set TForm_Serial.ComboBox_PortBBaudRate 19200\n"
                  "answer yes\nclick TForm_Serial.Button_SetB\n"
                  "expect TForm_Main.Panel_Serial.text \"" +
                  name +
                  " 19200, 8-Odd-1\"\n"
                  "close TForm_Serial\nwait 3\n"),
            kScriptPassed)
      << m.err.str() << m.boxes.str();
  EXPECT_EQ(DeviceLine(), "19200 odd 1");
  const std::string tow = main.Panel_TOW.Caption();
  ASSERT_EQ(m.Run("wait 1.5\n"), kScriptPassed);
  EXPECT_NE(main.Panel_TOW.Caption(), tow);

  // The server goes away: said once, the display cleared, no busy waiting meanwhile; back with the
  // server, data again.
  Stop(server_);
  const double cpuBefore = CpuSeconds();
  ASSERT_EQ(m.Run("wait 4\n"), kScriptPassed);
  const double cpuWhileLost = CpuSeconds() - cpuBefore;
  EXPECT_TRUE(m.app.linkLoss.PortLost);
  EXPECT_EQ(main.Panel_Serial.Caption(), name + " lost");
  EXPECT_EQ(main.Panel_Time.Caption(), "");
  EXPECT_EQ(CountOf(m.boxes.str(), "Lost " + name), 1) << m.boxes.str();
  EXPECT_LT(cpuWhileLost, 1.0);
  StartServer();
  ASSERT_EQ(m.Run("wait 8\n"), kScriptPassed);
  EXPECT_FALSE(m.app.linkLoss.PortLost) << m.Log();
  EXPECT_FALSE(main.Panel_Time.Caption().empty()) << m.Log();
  const std::string log = m.Log();
  EXPECT_NE(log.find("serial port " + name + " lost"), std::string::npos) << log;
  EXPECT_NE(log.find("serial port " + name + " open again"), std::string::npos) << log;
  // The start-up port set-up ran again, and the remote device is at the rate it chose.
  const std::string serial = main.Panel_Serial.Caption();
  EXPECT_EQ(DeviceLine(),
            serial.substr(name.size() + 1, serial.find(',') - name.size() - 1) + " odd 1")
      << serial;
  EXPECT_LT(m.longestTick, 1500ms);
}

TEST_F(RemotePort, OverRawTcpOnIpv6TheWindowFillsAndTheMetricsNameThePort) {
  const std::string name = "tcp://[::1]:" + std::to_string(rawPort_);
  Monitored m(name);
  ASSERT_TRUE(m.opened) << m.boxes.str();
  MetricsPublisher metrics;
  PublishMetricsAfterEveryPollTick(m.app, metrics);
  ASSERT_EQ(m.Run("wait 5\n"
                  "expect TForm_Main.Panel_Serial.text \"" +
                  name + " 9600, 8-Odd-1\"\n"),
            kScriptPassed)
      << m.err.str();
  EXPECT_FALSE(m.app.Form_Main.Panel_Time.Caption().empty());
  EXPECT_FALSE(m.app.Form_Main.Panel_Longitude.Caption().empty());
  EXPECT_NE(metrics.Text().find("device=\"" + name + "\""), std::string::npos) << metrics.Text();
  EXPECT_EQ(m.app.linkLoss.PortLosses, 0u) << m.Log();
}

// Nothing listens, or a listener takes the connection and never answers: the run goes on, says why
// once, and no poll tick waits for the network longer than about a second.
TEST_F(RemotePort, APortThatDoesNotAnswerNeverHoldsThePollLoop) {
  const int closed = FreePort();
  Monitored refused(Name("tcp", closed));
  ASSERT_TRUE(refused.opened);
  ASSERT_EQ(refused.Run("wait 3\n"), kScriptPassed);
  EXPECT_NE(refused.boxes.str().find("Could not open " + Name("tcp", closed) +
                                     ". It is tried again until it answers. | Connection refused."),
            std::string::npos)
      << refused.boxes.str();
  EXPECT_EQ(refused.app.Form_Main.Panel_Serial.Caption(), Name("tcp", closed) + " not open");
  EXPECT_LT(refused.longestTick, 1300ms);

  // A listener with a full queue of one: the handshake completes, the Telnet negotiation never.
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  socklen_t size = sizeof(address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ASSERT_EQ(::listen(fd, 1), 0);
  const std::string silent = Name("rfc2217", ntohs(address.sin_port));
  const int descriptors = OpenDescriptors();
  Monitored stuck(silent);
  ASSERT_TRUE(stuck.opened);
  const double cpuBefore = CpuSeconds();
  ASSERT_EQ(stuck.Run("wait 6\n"), kScriptPassed);
  EXPECT_LT(CpuSeconds() - cpuBefore, 1.0);
  // Each attempt given up is closed (by the connection's own thread, a moment later): the attempts
  // left no connection behind.
  for (int i = 0; i < 30 && OpenDescriptors() != descriptors; ++i)
    std::this_thread::sleep_for(100ms);
  EXPECT_EQ(OpenDescriptors(), descriptors);
  ::close(fd);
  EXPECT_NE(stuck.boxes.str().find("Could not open " + silent), std::string::npos);
  EXPECT_EQ(CountOf(stuck.Log(), "not open:"), 1) << stuck.Log();
  EXPECT_LT(stuck.longestTick, 1300ms);
}

TEST(RemotePortNames, BadNamesAreRefusedOnTheCommandLineWithTheArgument) {
  const auto parse = [](std::vector<std::string> words) {
    words.insert(words.begin(), "zelkon");
    std::vector<char*> argv;
    for (std::string& word : words)
      argv.push_back(word.data());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  };
  const auto error = [&](const std::string& name) {
    const auto parsed = parse({"--device", name});
    const auto* text = std::get_if<std::string>(&parsed);
    return text == nullptr ? std::string("accepted") : *text;
  };
  EXPECT_EQ(error("ssh://box:22"),
            "--device ssh://box:22: unknown scheme 'ssh' (tcp:// or "
            "rfc2217://)");
  EXPECT_EQ(error("tcp://box:70000"),
            "--device tcp://box:70000: the port must be a number from 1 to 65535, not '70000'");
  EXPECT_EQ(error("tcp://box"), "--device tcp://box: the port is missing (HOST:PORT)");
  EXPECT_EQ(error("tcp://::1:2000"),
            "--device tcp://::1:2000: an IPv6 address is written in brackets: "
            "rfc2217://[::1]:2000");
  // Nothing but a host and a port reaches the network library.
  EXPECT_EQ(error("tcp://box,ssl:2000"),
            "--device tcp://box,ssl:2000: 'box,ssl' is not a host name or address");
  const auto ipv6 = parse({"--device", "rfc2217://[::1]:02000"});
  ASSERT_TRUE(std::holds_alternative<LaunchOptions>(ipv6));
  EXPECT_EQ(std::get<LaunchOptions>(ipv6).devicePath, "rfc2217://[::1]:2000");
  const auto instance = parse({"--service-instance", "serial/by-id/usb-x"});
  EXPECT_EQ(std::get<LaunchOptions>(instance).devicePath, "/dev/serial/by-id/usb-x");
  const auto remote = parse({"--service-instance", "tcp://box:4001"});
  EXPECT_EQ(std::get<LaunchOptions>(remote).devicePath, "tcp://box:4001");
}

}  // namespace
}  // namespace zelkon
