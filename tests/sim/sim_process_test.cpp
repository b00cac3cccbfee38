// zelkon-sim as a separate process, on a real pseudo-terminal, talked to through the program's own
// serial channel, command builders and receive state machine.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "link/codec.h"
#include "link/posix_serial_port.h"
#include "link/serial_channel.h"
#include "support/fake_serial_port.h"
#include "support/temp_path.h"

extern char** environ;

namespace zelkon {
namespace {

using testing::PacketBytes;

struct Finished {
  int status = -1;  // exit status, or -1 when killed by a signal
  std::string out;
  std::string err;
};

// Runs a program to its end, with its output and error captured.
Finished RunToEnd(const std::vector<std::string>& args) {
  const std::string outPath = testing::TestTempPath(".out");
  const std::string errPath = testing::TestTempPath(".err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<char*> argv;
  for (const auto& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  Finished result;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return result;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  auto slurp = [](const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "r")) {
      for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
      std::fclose(file);
    }
    return text;
  };
  result.out = slurp(outPath);
  result.err = slurp(errPath);
  return result;
}

// zelkon-sim --pty running in the background for one test.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> options) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<std::string> args{ZELKON_SIM_PATH, "--pty"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
      pid_ = -1;
      ::close(pipeFds[0]);
      return;
    }
    // The first line is the device to open.
    char c;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n')
      path_ += c;
    ::close(pipeFds[0]);
  }
  ~SimProcess() {
    if (pid_ > 0) Stop(SIGKILL);
  }
  const std::string& Path() const { return path_; }

  // Sends the signal and returns the exit status (-1 when the signal killed it).
  int Stop(int signal) {
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  std::string path_;
};

// The monitor's side: the real terminal adapter, and commands framed onto it.
class Monitor final : public CommandSender {
 public:
  bool Open(const std::string& path) { return channel_.OpenChannel(path) == 0; }
  void SendCommand(std::span<const uint8_t> packet) override { channel_.FramePacket(packet); }
  void PulseRts() { channel_.PulseRts(); }

  // Reads reports until one with this id (and sub-code) arrives, or `ms` pass.
  std::optional<PacketBytes> WaitFor(int id, int subCode = -1, int ms = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
      std::optional<PacketBytes> found;
      channel_.ReadAndDispatch(
          [&](const PacketReceiver& r) {
            PacketBytes packet = testing::PacketOf(r);
            if (!found && packet[0] == id &&
                (subCode < 0 || (packet.size() > 1 && packet[1] == subCode))) {
              found = packet;
            }
          },
          false);
      if (found) return found;
      ::usleep(10000);
    }
    return std::nullopt;
  }

 private:
  PosixSerialPort port_;
  uint32_t received_ = 0;
  bool capture_ = false;
  SerialChannel channel_{port_, received_, capture_};
};

TEST(SimProcess, HelpAndBadCommandLines) {
  const Finished help = RunToEnd({ZELKON_SIM_PATH, "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--pty"), std::string::npos);
  EXPECT_NE(help.out.find("--silent-after"), std::string::npos);

  for (const auto& args : std::vector<std::vector<std::string>>{
           {ZELKON_SIM_PATH},
           {ZELKON_SIM_PATH, "--pty", "--device", "/dev/ttyS0"},
           {ZELKON_SIM_PATH, "--device", "/dev/ttyS0", "--link", "/tmp/x"},
           {ZELKON_SIM_PATH, "--pty", "--model", "nonesuch"},
           {ZELKON_SIM_PATH, "--pty", "--drop", "2"},
           {ZELKON_SIM_PATH, "--pty", "--refuse", "8E-"},
           {ZELKON_SIM_PATH, "--pty", "--start", "2024-13-01T00:00:00"}}) {
    const Finished run = RunToEnd(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_NE(run.err.find("zelkon-sim: "), std::string::npos) << args.back();
  }

  const Finished missing = RunToEnd({ZELKON_SIM_PATH, "--device", "/dev/null"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("/dev/null"), std::string::npos);
}

TEST(SimProcess, AnswersQueriesAndBroadcastsOverAPseudoTerminal) {
  SimProcess sim({"--seed", "5", "--acquire-seconds", "0"});
  ASSERT_FALSE(sim.Path().empty());
  Monitor monitor;
  ASSERT_TRUE(monitor.Open(sim.Path()));

  // Unasked, once a second.
  const auto primary = monitor.WaitFor(0x8F, 0xAB);
  ASSERT_TRUE(primary.has_value());
  EXPECT_EQ(primary->size(), 1u + 17);
  const auto supplemental = monitor.WaitFor(0x8F, 0xAC);
  ASSERT_TRUE(supplemental.has_value());
  EXPECT_EQ(supplemental->size(), 1u + 68);

  SendSoftwareVersionQuery(monitor);
  const auto version = monitor.WaitFor(0x45);
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->size(), 1u + 10);

  SendProductionParamsQuery(monitor);
  const auto production = monitor.WaitFor(0x8F, 0x42);
  ASSERT_TRUE(production.has_value());
  EXPECT_EQ(production->size(), 1u + 19);

  SendTimeQuery(monitor);
  const auto time = monitor.WaitFor(0x41);
  ASSERT_TRUE(time.has_value());
  ASSERT_EQ(time->size(), 1u + 10);
  EXPECT_EQ(ReadSingle(time->data() + 7), 18.0f);  // UTC offset

  EXPECT_EQ(sim.Stop(SIGTERM), 0);
}

// A stable name across restarts: each emulator points the link at its own pseudo-terminal and
// removes it at the end only while it is still its own.
TEST(SimProcess, TheLinkFollowsTheNewestEmulatorAndGoesWithIt) {
  const std::string link = ::testing::TempDir() + "sim_link_" + std::to_string(::getpid());
  auto target = [&] {
    char buffer[256];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  };
  SimProcess first({"--link", link});
  ASSERT_FALSE(first.Path().empty());
  EXPECT_EQ(target(), first.Path());
  {
    SimProcess second({"--link", link});
    ASSERT_FALSE(second.Path().empty());
    EXPECT_EQ(target(), second.Path());
    Monitor monitor;
    ASSERT_TRUE(monitor.Open(link));
    EXPECT_TRUE(monitor.WaitFor(0x8F, 0xAB).has_value());

    EXPECT_EQ(first.Stop(SIGTERM), 0);
    EXPECT_EQ(target(), second.Path());  // not the first one's to remove
    EXPECT_EQ(second.Stop(SIGTERM), 0);
  }
  EXPECT_EQ(target(), "");
}

TEST(SimProcess, RtsPulseOfTheMonitorCountsAnEvent) {
  SimProcess sim({"--acquire-seconds", "0"});
  Monitor monitor;
  ASSERT_TRUE(monitor.Open(sim.Path()));
  SendPrimaryUtcTimeQuery(monitor);
  const auto before = monitor.WaitFor(0x8F, 0xAD);
  ASSERT_TRUE(before.has_value());
  EXPECT_EQ(ReadU16(before->data() + 2), 0);  // no event yet

  monitor.PulseRts();
  ::usleep(200000);
  SendPrimaryUtcTimeQuery(monitor);
  const auto after = monitor.WaitFor(0x8F, 0xAD);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(ReadU16(after->data() + 2), 1);
  EXPECT_EQ(sim.Stop(SIGINT), 0);
}

TEST(SimProcess, LiveStreamPipedIntoTheDecoderPrintsReportLines) {
  SimProcess sim({"--seed", "2"});
  ASSERT_FALSE(sim.Path().empty());
  const std::string command = "timeout 2.5 cat " + sim.Path() + " | " ZELKON_DECODE_PATH;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string text;
  for (int c; (c = std::fgetc(pipe)) != EOF;)
    text += static_cast<char>(c);
  ::pclose(pipe);
  EXPECT_NE(text.find("8F 17 AB "), std::string::npos) << text;
  EXPECT_NE(text.find("8F 68 AC "), std::string::npos) << text;
  EXPECT_EQ(sim.Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace zelkon
