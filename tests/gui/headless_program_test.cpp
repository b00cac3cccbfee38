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

  // Starts `zelkon` with `launch_` (`--demo --headless` unless a test says otherwise) and `extra`
  // options, its settings kept in this test's own folder, standard input reading `input`, standard
  // output the file "out" of the folder or, `outFd` 0 or more, that descriptor. -1 when it could
  // not start.
  pid_t Start(const std::vector<std::string>& extra, const std::string& input, int outFd = -1) {
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
    const std::string inPath = dir_ / "in";
    std::ofstream(inPath) << input;
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    if (outFd >= 0) {
      posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    } else {
      posix_spawn_file_actions_addopen(&actions, 1, (dir_ / "out").c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    posix_spawn_file_actions_addopen(&actions, 2, (dir_ / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
  }

  // Runs `zelkon` as Start does until a line shows the receiver type chosen (or 30 s have passed),
  // then ends it as SIGTERM does; or, `untilExit`, until it ends by itself. Returns the exit
  // status.
  int Run(const std::vector<std::string>& extra, bool untilExit = false,
          const std::string& input = "") {
    const pid_t pid = Start(extra, input);
    if (pid < 0) return -1;
    const fs::path outPath = dir_ / "out";
    const fs::path errPath = dir_ / "err";
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

// A reader that goes away ends the run, the JSON lines' and a script's dumps alike: standard output
// cannot be written, and the program says so and exits with status 1 instead of running on.
TEST_F(HeadlessProgram, AReaderThatGoesAwayEndsTheRunWithStatus1) {
  // SIGPIPE ignored, as systemd starts services (an ignored disposition survives exec); standard
  // output a pipe whose reader takes the first line and goes away. The program has 20 s to end.
  const auto runUntilTheReaderGoes = [this](const std::vector<std::string>& extra,
                                            const std::string& input, std::string& line) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return -2;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    ::sigaction(SIGPIPE, &ignore, &before);
    const pid_t pid = Start(extra, input, pipe[1]);
    ::sigaction(SIGPIPE, &before, nullptr);
    ::close(pipe[1]);
    line.clear();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (pid > 0 && line.find('\n') == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      pollfd ready{pipe[0], POLLIN, 0};
      char buffer[4096];
      const ssize_t n = ::poll(&ready, 1, 100) > 0 ? ::read(pipe[0], buffer, sizeof buffer) : 0;
      if (n < 0 || (n == 0 && ready.revents != 0)) break;
      line.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipe[0]);
    if (pid < 0) return -2;
    int status = 0;
    bool ended = false;
    for (int waited = 0; !(ended = ::waitpid(pid, &status, WNOHANG) == pid) && waited < 200;
         ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!ended) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
    }
    err = ReadAll(dir_ / "err");
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };

  std::string line;
  EXPECT_EQ(runUntilTheReaderGoes({}, "", line), 1) << err;
  EXPECT_EQ(line.rfind("{\"title\":", 0), 0u) << line;
  EXPECT_NE(err.find("zelkon: error writing standard output: Broken pipe\n"), std::string::npos)
      << err;

  // A script's dumps: the one after the reader has gone ends the run before the script's end.
  std::string script;
  for (int i = 0; i < 30; ++i)
    script += "dump TForm_Main\nwait 1\n";
  launch_ = {"--demo"};
  EXPECT_EQ(runUntilTheReaderGoes({"--script", "-"}, script, line), 1) << err;
  EXPECT_EQ(line.rfind("{\"form\":\"TForm_Main\"", 0), 0u) << line;
  EXPECT_NE(err.find("zelkon: error writing standard output: Broken pipe\n"), std::string::npos)
      << err;
}

}  // namespace
}  // namespace zelkon
