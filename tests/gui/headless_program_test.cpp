// The zelkon program without windows, on its built-in emulator: what it stores of the "NTP"
// question, its scripts and replays, what it refuses to open and why, and how every wait of it
// answers SIGTERM. Each run takes about three seconds of real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
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
    const std::string inPath = dir_ / "in";
    std::ofstream(inPath) << input;
    const pid_t pid = Start(extra, ::open(inPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (pid < 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (untilExit) {
        ended = ::waitpid(pid, &status, WNOHANG) == pid;
        continue;
      }
      out = ReadAll(dir_ / "out");
      if (LastLine().find("\"receiverType\":\"&Tempavo Opal/2000\"") != std::string::npos) break;
    }
    return ended ? Ended(status) : Stop(pid);
  }

  // Runs it until its output or error stream holds `shown` (at most 30 s), `ms` milliseconds
  // more, then sends SIGTERM. Standard input reads `inputFd` (closed here), or nothing. Returns the
  // exit status, or -1 when it did not end by itself within 10 s of the signal.
  int RunThenStop(const std::vector<std::string>& extra, const std::string& shown, int ms,
                  int inputFd = -1) {
    const pid_t pid =
        Start(extra, inputFd >= 0 ? inputFd : ::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (pid < 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline &&
           (ReadAll(dir_ / "out") + ReadAll(dir_ / "err")).find(shown) == std::string::npos) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return Stop(pid);
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

 private:
  // Starts the program with `input` as its standard input (closed here); -1 when it cannot.
  pid_t Start(const std::vector<std::string>& extra, int input) {
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
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(input);
    return spawned == 0 ? pid : -1;
  }

  // Sends SIGTERM and waits at most 10 s for the end; a program still running then is killed, and
  // the result is -1.
  int Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) != pid) {
      if (std::chrono::steady_clock::now() >= deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        Ended(status);
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return Ended(status);
  }

  int Ended(int status) {
    out = ReadAll(dir_ / "out");
    err = ReadAll(dir_ / "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
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

// What cannot be a port, a recording or a script ends the run at once, with a failure and the
// system's reason: under the box's own line "Could not initialize PATH.", and on standard error.
TEST_F(HeadlessProgram, WhatCannotBeOpenedEndsTheRunWithTheReason) {
  const fs::path folder = dir_ / "folder";
  const fs::path fifo = dir_ / "fifo";
  fs::create_directory(folder);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A pseudo-terminal that another program holds.
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string held = ::ptsname(master);
  const int holder = ::open(held.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

  const std::string missing = dir_ / "missing.rxb";
  const struct {
    std::vector<std::string> options;
    std::string path;
    const char* why;
  } cases[] = {
      {{"--replay", folder}, folder, "Is a directory."},
      // A FIFO that nobody writes would hold the program in open(2).
      {{"--replay", fifo}, fifo, "Not a regular file."},
      {{"--replay", missing}, missing, "No such file or directory."},
      {{"--device", "/dev/null"}, "/dev/null", "Not a terminal."},
      {{"--device", held}, held, "In use by another program."},
  };
  launch_ = {"--headless"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Run(c.options, true), 1) << err;
    EXPECT_NE(err.find("message box \"Serial Port Error\": Could not initialize " + c.path +
                       ". | " + c.why + " -> OK"),
              std::string::npos)
        << err;
  }
  ::close(holder);
  ::close(master);

  // The windowed program says it on standard error too.
  launch_ = {};
  EXPECT_EQ(Run({"--replay", folder, "--screenshot", (dir_ / "never.png").string(), "--after", "1"},
                true),
            1);
  EXPECT_NE(err.find("zelkon: could not initialize " + folder.string() + ": is a directory"),
            std::string::npos)
      << err;

  // A directory is no script.
  launch_ = {"--demo", "--headless"};
  EXPECT_EQ(Run({"--script", folder.string()}, true), 2);
  EXPECT_NE(err.find("zelkon: cannot read the script " + folder.string() + ": is a directory"),
            std::string::npos)
      << err;
}

// Every wait of the program answers SIGTERM and ends the run normally: the wait for the writer of
// a script FIFO, for the rest of a line of standard input, and an almanac upload of 10,000 blocks.
TEST_F(HeadlessProgram, EveryWaitAnswersSigterm) {
  const fs::path fifo = dir_ / "script.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(RunThenStop({"--script", fifo.string()}, "", 1500), 0) << err;

  // Once its writer comes, the FIFO is read whole and run as a script file is.
  std::thread writer([&fifo] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int fd = -1;
    while (fd < 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    }
    const std::string script = "open TForm_About\ndump TForm_About\n";
    if (fd >= 0 && ::write(fd, script.data(), script.size()) > 0) ::close(fd);
  });
  EXPECT_EQ(Run({"--script", fifo.string()}, true), 0) << err;
  writer.join();
  EXPECT_EQ(out.rfind("{\"form\":\"TForm_About\"", 0), 0u) << out;

  // A last line of standard input still without its line feed is not run: it may be cut short.
  int input[2];
  ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
  const std::string typed = "dump TForm_About\ndump TForm_About";
  ASSERT_EQ(::write(input[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  EXPECT_EQ(RunThenStop({"--script", "-"}, "TForm_About", 500, input[0]), 0) << err;
  ::close(input[1]);
  EXPECT_EQ(Occurrences(out, "\"form\":\"TForm_About\""), 1u) << out;

  // The upload stops between two blocks; no failure is reported.
  std::vector<uint8_t> almanac = {0x00, 0x00};
  const std::vector<uint8_t> block = {0x82, 0x04, 0x02, 0x11, 0x11, 0x83};
  for (int i = 0; i < 10000; ++i)
    almanac.insert(almanac.end(), block.begin(), block.end());
  const fs::path almanacPath = dir_ / "big.dat";
  std::ofstream(almanacPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(almanac.data()),
             static_cast<std::streamsize>(almanac.size()));
  const fs::path script = dir_ / "upload.zs";
  std::ofstream(script) << "answer file " << almanacPath.string()
                        << "\nclick TForm_Main.ControlUploadAlmanac\n";
  EXPECT_EQ(RunThenStop({"--script", script.string()}, "file dialog", 1000), 0) << err;
  EXPECT_EQ(err.find("failed"), std::string::npos) << err;
}

// Input beyond any real script is refused unread, with a message that does not repeat it: a line
// longer than 64 KiB, from standard input or a file, and a script file larger than 1 MiB.
TEST_F(HeadlessProgram, ScriptsAndLinesBeyondAnyRealOneAreRefused) {
  const std::string longLine(1 << 20, 'x');
  EXPECT_EQ(Run({"--script", "-"}, true, "dump TForm_About\n" + longLine + "\ndump TForm_About\n"),
            2);
  EXPECT_NE(err.find("stdin:2: a line longer than 65536 bytes, more than any command"),
            std::string::npos)
      << err.substr(0, 200);
  EXPECT_LT(err.size(), 1000u);
  EXPECT_EQ(Occurrences(out, "\"form\":\"TForm_About\""), 1u);

  // A script file is checked whole first: nothing of it runs.
  const fs::path script = dir_ / "long.zs";
  std::ofstream(script) << "dump TForm_About\n" << longLine.substr(0, 70000) << "\n";
  EXPECT_EQ(Run({"--script", script.string()}, true), 2);
  EXPECT_NE(err.find(script.string() + ":2: a line longer than 65536 bytes"), std::string::npos)
      << err.substr(0, 200);
  EXPECT_LT(err.size(), 1000u);
  EXPECT_EQ(out, "");

  std::ofstream large(script);
  for (int i = 0; i < 120000; ++i)
    large << "# a comment line\n";
  large.close();
  EXPECT_EQ(Run({"--script", script.string()}, true), 2);
  EXPECT_NE(err.find("zelkon: cannot read the script " + script.string() +
                     ": larger than 1048576 bytes, more than any script"),
            std::string::npos)
      << err;
}

}  // namespace
}  // namespace zelkon
