// The zelkon program without windows, on its built-in emulator: what it stores of the "NTP"
// question. Each run takes about three seconds of real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/fake_serial_port.h"
#include "support/test_folder.h"

extern char** environ;

namespace zelkon {
namespace {

namespace fs = std::filesystem;

using testing::ReadAll;

class HeadlessProgram : public testing::TestFolder {
 protected:
  HeadlessProgram() : TestFolder("zelkon-headless") {}

  // Runs `zelkon` with `launch_` (`--demo --headless` unless a test says otherwise) and `extra`
  // options, its settings kept in this test's own folder, until a line shows the receiver type
  // chosen (or 30 s have passed), then ends it as SIGTERM does; or, `untilExit`, until it ends by
  // itself. Standard input reads `input`. Returns the exit status.
  int Run(const std::vector<std::string>& extra, bool untilExit = false,
          const std::string& input = "") {
    std::vector<std::string> args = {ZELKON_PROGRAM_PATH};
    args.insert(args.end(), launch_.begin(), launch_.end());
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<std::string> env = {"XDG_CONFIG_HOME=" + dir_.string()};
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::string(*e).rfind("XDG_CONFIG_HOME=", 0) != 0) env.emplace_back(*e);
    }
    std::vector<char*> argv;
    for (auto& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : env)
      envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string outPath = dir_ / "out";
    const std::string errPath = dir_ / "err";
    const std::string inPath = dir_ / "in";
    std::ofstream(inPath) << input;
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (untilExit) {
        ended = ::waitpid(pid, &status, WNOHANG) == pid;
        continue;
      }
      out = ReadAll(outPath);
      if (LastLine().find("\"receiverType\":\"&Tempavo Opal/2000\"") != std::string::npos) break;
    }
    if (!ended) {
      ::kill(pid, SIGTERM);
      ::waitpid(pid, &status, 0);
    }
    out = ReadAll(outPath);
    err = ReadAll(errPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path Settings() const { return dir_ / "Kestrin" / "Zelkon.conf"; }

  // The last JSON line of the run.
  std::string LastLine() const {
    const size_t end = out.find_last_of('\n');
    if (end == std::string::npos) return "";
    const size_t start = out.find_last_of('\n', end - 1);
    return out.substr(start == std::string::npos ? 0 : start + 1, end - start - 1);
  }

  std::vector<std::string> launch_ = {"--demo", "--headless"};
  std::string out;
  std::string err;
};

TEST_F(HeadlessProgram, AnswersTheNtpQuestionNoForThisRunOnlyAndStoresNothing) {
  ASSERT_EQ(Run({}), 0) << err;
  EXPECT_NE(err.find("\"NTP?\""), std::string::npos) << err;
  EXPECT_NE(err.find("-> No"), std::string::npos) << err;
  EXPECT_NE(LastLine().find("\"pollTimingPackets\":true"), std::string::npos) << LastLine();
  EXPECT_FALSE(fs::exists(Settings()));
}

TEST_F(HeadlessProgram, NtpOptionStoresTheAnswerAndNothingIsAsked) {
  ASSERT_EQ(Run({"--ntp", "yes"}), 0) << err;
  EXPECT_EQ(err.find("\"NTP?\""), std::string::npos) << err;
  EXPECT_NE(LastLine().find("\"pollTimingPackets\":false"), std::string::npos) << LastLine();
  EXPECT_NE(ReadAll(Settings()).find("NTP=1"), std::string::npos) << ReadAll(Settings());

  // The stored answer holds for the next run, until --ntp changes it.
  ASSERT_EQ(Run({"--ntp", "no"}), 0) << err;
  EXPECT_NE(LastLine().find("\"pollTimingPackets\":true"), std::string::npos) << LastLine();
  EXPECT_NE(ReadAll(Settings()).find("NTP=0"), std::string::npos) << ReadAll(Settings());
}

TEST_F(HeadlessProgram, AScriptPrintsOnlyItsDumpsAndEndsWithItsStatus) {
  const fs::path script = dir_ / "about.zs";
  std::ofstream(script) << "open TForm_About\ndump TForm_About\nexpect TForm_About.visible true\n";
  ASSERT_EQ(Run({"--script", script.string()}, true), 0) << err;
  EXPECT_EQ(out.rfind("{\"form\":\"TForm_About\",\"visible\":true,", 0), 0u) << out;
  EXPECT_EQ(out.find('\n'), out.size() - 1) << out;

  // The same commands from standard input; a mistake ends the run with status 2.
  EXPECT_EQ(
      Run({"--script", "-"}, true, "open TForm_About\nopen TForm_Nothing\ndump TForm_About\n"), 2);
  EXPECT_EQ(out, "");
  EXPECT_NE(err.find("stdin:2: unknown window 'TForm_Nothing'"), std::string::npos) << err;

  std::ofstream(script) << "expect TForm_About.visible true\n";
  EXPECT_EQ(Run({"--script", script.string()}, true), 1);
  EXPECT_NE(err.find(script.string() + ":1: expected TForm_About.visible true, got false"),
            std::string::npos)
      << err;
}

// The time the last primary timing report of a recording shows, as the main window writes it.
std::string LastReceiverTime(const fs::path& recording) {
  const std::string bytes = ReadAll(recording);
  const std::vector<testing::PacketBytes> packets =
      testing::Deframe(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  for (auto it = packets.rbegin(); it != packets.rend(); ++it) {
    const testing::PacketBytes& p = *it;
    if (p.size() == 18 && p[0] == 0x8F && p[1] == 0xAB) {
      char text[16];
      std::snprintf(text, sizeof text, "%02d:%02d:%02d", p[13], p[12], p[11]);
      return text;
    }
  }
  return "";
}

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// A few seconds of the emulator recorded through the recording window, then played back headless
// as fast as it goes and at its own pace, and in the windowed program. About ten seconds.
TEST_F(HeadlessProgram, ARecordingReplaysHeadlessToItsEndAndInTheWindows) {
  const fs::path recording = dir_ / "demo.rxb";
  const fs::path script = dir_ / "record.zs";
  std::ofstream(script) << "open TForm_LogRxbin\nanswer file " << recording.string()
                        << "\nclick TForm_LogRxbin.Button_Open\nclick TForm_LogRxbin.Button_Start\n"
                           "wait 2\nclick TForm_LogRxbin.Button_Stop\n";
  launch_ = {"--demo"};
  ASSERT_EQ(Run({"--script", script.string()}, true), 0) << err;
  const std::string lastTime = LastReceiverTime(recording);
  ASSERT_FALSE(lastTime.empty()) << fs::file_size(recording);

  // As fast as it goes: the end of the recording ends the run, with its final state last. (The
  // stored answer to the NTP question makes the recording's production report set the timing
  // packets polled at once, not after the tick that carries the whole recording.)
  launch_ = {"--headless", "--ntp", "no"};
  ASSERT_EQ(Run({"--replay", recording.string(), "--speed", "max"}, true), 0) << err;
  EXPECT_EQ(out.rfind("{\"title\":\"" + recording.string() + " Zelkon\"", 0), 0u) << out;
  EXPECT_NE(LastLine().find("\"Panel_Time\":\"" + lastTime + "\""), std::string::npos)
      << LastLine();
  EXPECT_EQ(Occurrences(err, "commands to the receiver go nowhere"), 1u) << err;
  EXPECT_EQ(Occurrences(err, "the recording has ended"), 1u) << err;
  // The status bar names the recording, and the Tx LED never lit: nothing was sent.
  EXPECT_NE(LastLine().find("\"Panel_Serial\":\"Replay: demo.rxb\""), std::string::npos)
      << LastLine();
  EXPECT_EQ(out.find("\"Shape_TxLED\":\"#00FF00\""), std::string::npos) << out;

  // At its own pace, to the same final state.
  launch_ = {"--headless"};
  ASSERT_EQ(Run({"--replay", recording.string()}, true), 0) << err;
  EXPECT_NE(LastLine().find("\"Panel_Time\":\"" + lastTime + "\""), std::string::npos)
      << LastLine();

  // The windowed program plays it too and keeps the final state on screen.
  launch_ = {};
  const fs::path picture = dir_ / "replay.png";
  ASSERT_EQ(Run({"--replay", recording.string(), "--speed", "max", "--screenshot", picture.string(),
                 "--after", "3"},
                true),
            0)
      << err;
  EXPECT_GT(fs::file_size(picture), 0u);
  EXPECT_EQ(Occurrences(err, "the recording has ended"), 1u) << err;

  // A recording that is not there cannot be opened, as a port that is not there.
  launch_ = {"--headless"};
  EXPECT_EQ(Run({"--replay", (dir_ / "missing.rxb").string()}, true), 1);
  EXPECT_NE(err.find("Could not initialize " + (dir_ / "missing.rxb").string() + "."),
            std::string::npos)
      << err;
}

// Runs `zelkon` with `args` as systemd starts a service, SIGPIPE ignored (an ignored disposition
// survives exec), its standard output a pipe and standard input `input`. Reads its first line,
// closes the pipe and waits at most `seconds` for it to end (then kills it). Its exit status (-1
// when a signal ended it), what it wrote on standard error in `err`.
int RunUntilTheReaderGoes(const fs::path& dir, const std::vector<std::string>& args,
                          const std::string& input, std::string& line, std::string& err,
                          int seconds = 20) {
  std::vector<std::string> env = {"XDG_CONFIG_HOME=" + dir.string()};
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string(*e).rfind("XDG_CONFIG_HOME=", 0) != 0) env.emplace_back(*e);
  }
  std::vector<std::string> all = {ZELKON_PROGRAM_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& entry : env)
    envp.push_back(entry.data());
  envp.push_back(nullptr);

  const std::string inPath = dir / "in";
  const std::string errPath = dir / "err";
  std::ofstream(inPath) << input;
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return -2;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction before {};
  ::sigaction(SIGPIPE, &ignore, &before);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  ::sigaction(SIGPIPE, &before, nullptr);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0) {
    ::close(out[0]);
    return -2;
  }

  // The first line, within 30 s.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  line.clear();
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{out[0], POLLIN, 0};
    if (::poll(&ready, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<size_t>(n));
  }
  ::close(out[0]);

  int status = 0;
  bool ended = false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!(ended = ::waitpid(pid, &status, WNOHANG) == pid) &&
         std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  err = ReadAll(errPath);
  return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A reader that goes away ends the run, the JSON lines' and a script's dumps alike: standard output
// cannot be written, and the program says so and exits with status 1 instead of running on.
TEST_F(HeadlessProgram, AReaderThatGoesAwayEndsTheRunWithStatus1) {
  std::string line;
  std::string err;
  EXPECT_EQ(RunUntilTheReaderGoes(dir_, {"--demo", "--headless"}, "", line, err), 1) << err;
  EXPECT_EQ(line.rfind("{\"title\":", 0), 0u) << line;
  EXPECT_NE(err.find("zelkon: error writing standard output: Broken pipe\n"), std::string::npos)
      << err;

  std::string script;
  for (int i = 0; i < 30; ++i)
    script += "dump TForm_Main\nwait 1\n";
  EXPECT_EQ(RunUntilTheReaderGoes(dir_, {"--demo", "--script", "-"}, script, line, err), 1) << err;
  EXPECT_EQ(line.rfind("{\"form\":\"TForm_Main\"", 0), 0u) << line;
  EXPECT_NE(err.find("zelkon: error writing standard output: Broken pipe\n"), std::string::npos)
      << err;
}

}  // namespace
}  // namespace zelkon
