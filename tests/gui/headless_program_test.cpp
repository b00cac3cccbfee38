// The zelkon program without windows, on its built-in emulator: what it stores of the "NTP"
// question. Each run takes about three seconds of real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/capability.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
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
    const pid_t pid = Launch(extra, input);
    if (pid < 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!untilExit && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      out = ReadAll(dir_ / "out");
      if (LastLine().find("\"receiverType\":\"&Tempavo Opal/2000\"") != std::string::npos) break;
    }
    return untilExit ? Reap(pid, 30) : Stop(pid);
  }

  // What a child runs between fork and exec (async-signal-safe calls only): 0 to go on, otherwise
  // the number of the step that failed.
  using ChildSetup = int (*)();

  // Starts `zelkon` with `launch_` and `extra` as Run does, standard output and error going to the
  // files "out" and "err" of the test's folder (standard output to `outFd` when it is 0 or more,
  // standard input from `inFd`, closed here, when it is).
  // With a `setup`, the child runs it first; when it fails, nothing is run, `setupFailed` holds its
  // step, and -1 is returned, as when the program cannot start.
  pid_t Launch(const std::vector<std::string>& extra, const std::string& input = "",
               ChildSetup setup = nullptr, int* setupFailed = nullptr, int outFd = -1,
               int inFd = -1) {
    std::vector<std::string> args = {ZELKON_PROGRAM_PATH};
    args.insert(args.end(), launch_.begin(), launch_.end());
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<std::string> env = {"XDG_CONFIG_HOME=" + dir_.string(),
                                    "XDG_STATE_HOME=" + dir_.string()};
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      if (entry.rfind("XDG_CONFIG_HOME=", 0) != 0 && entry.rfind("XDG_STATE_HOME=", 0) != 0) {
        env.push_back(entry);
      }
    }
    std::vector<char*> argv;
    for (auto& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : env)
      envp.push_back(entry.data());
    envp.push_back(nullptr);

    if (inFd < 0) std::ofstream(dir_ / "in") << input;
    const int in = inFd >= 0 ? inFd : ::open((dir_ / "in").c_str(), O_RDONLY | O_CLOEXEC);
    const int outFile =
        ::open((dir_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int errFile =
        ::open((dir_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    // The child tells the step that failed through a pipe that exec closes.
    int status[2] = {-1, -1};
    const bool ready = in >= 0 && outFile >= 0 && errFile >= 0 && ::pipe2(status, O_CLOEXEC) == 0;
    const pid_t pid = ready ? ::fork() : -1;
    if (pid == 0) {
      char step = setup != nullptr ? static_cast<char>(setup()) : 0;
      const int outTo = outFd >= 0 ? outFd : outFile;
      if (step == 0 && ::dup2(in, 0) == 0 && ::dup2(outTo, 1) == 1 && ::dup2(errFile, 2) == 2) {
        ::execve(argv[0], argv.data(), envp.data());
      }
      if (step == 0) step = 100;
      [[maybe_unused]] const ssize_t told = ::write(status[1], &step, 1);
      ::_exit(127);
    }
    for (const int fd : {in, outFile, errFile, status[1]}) {
      if (fd >= 0) ::close(fd);
    }
    char step = 0;
    const bool failed = pid > 0 && ::read(status[0], &step, 1) == 1;
    if (status[0] >= 0) ::close(status[0]);
    if (!failed) return pid;
    if (setupFailed != nullptr) *setupFailed = step;
    ::waitpid(pid, nullptr, 0);
    return -1;
  }

  // Waits up to `seconds` for the program to end (then kills it), reads what it wrote, and returns
  // its exit status; -1 when it did not end by itself.
  int Reap(pid_t pid, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
      ended = ::waitpid(pid, &status, WNOHANG) == pid;
      if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ended) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
    }
    out = ReadAll(dir_ / "out");
    err = ReadAll(dir_ / "err");
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Sends SIGTERM and returns the exit status; a program still running 10 s later is killed (-1).
  int Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    return Reap(pid, 10);
  }

  // Runs it until its output or error stream holds `shown` (at most 30 s), `ms` milliseconds
  // more, then stops it. Standard input reads `inputFd` (closed here), or nothing.
  int RunThenStop(const std::vector<std::string>& extra, const std::string& shown, int ms,
                  int inputFd = -1) {
    const pid_t pid = Launch(extra, "", nullptr, nullptr, -1, inputFd);
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

// A recording running when the program gets SIGHUP (its terminal closed, a service reloaded) is
// written out and closed as at any normal end; the run ends with status 0. About five seconds.
TEST_F(HeadlessProgram, AHangUpEndsTheRunWithTheRecordingWrittenOutWhole) {
  const fs::path recording = dir_ / "hangup.rxb";
  const fs::path script = dir_ / "record.zs";
  std::ofstream(script) << "open TForm_LogRxbin\nanswer file " << recording.string()
                        << "\nclick TForm_LogRxbin.Button_Open\nclick TForm_LogRxbin.Button_Start\n"
                           "wait 60\n";
  launch_ = {"--demo"};
  const pid_t pid = Launch({"--script", script.string()});
  ASSERT_GT(pid, 0);
  // Once the first 21 packets are on disk, and some more wait in the buffer.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::error_code noFile;
  while (fs::file_size(recording, noFile) == 0 || noFile) {
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const uintmax_t flushed = fs::file_size(recording, noFile);
  ::kill(pid, SIGHUP);
  EXPECT_EQ(Reap(pid, 10), 0) << err;

  const std::string bytes = ReadAll(recording);
  const std::vector<uint8_t> file(bytes.begin(), bytes.end());
  const std::vector<testing::PacketBytes> packets = testing::Deframe(file);
  std::vector<uint8_t> whole;
  for (const testing::PacketBytes& packet : packets) {
    const std::vector<uint8_t> frame = testing::Frame(packet);
    whole.insert(whole.end(), frame.begin(), frame.end());
  }
  EXPECT_EQ(whole, file);
  EXPECT_GT(file.size(), flushed) << "what was buffered at the hang-up";

  // The run's events are in the message log's file in the state folder, each line dated.
  const std::string log = ReadAll(dir_ / "zelkon" / "messages.log");
  EXPECT_TRUE(std::regex_search(
      log, std::regex(R"((^|\n)\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ alarm raised: \w)")))
      << log;
  EXPECT_EQ(log.find('\r'), std::string::npos);
}

#if defined(__x86_64__)
constexpr uint32_t kAuditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t kAuditArch = AUDIT_ARCH_AARCH64;
#else
constexpr uint32_t kAuditArch = 0;  // no filter written for this machine: the test is skipped
#endif

// In the child before exec: no CAP_SYS_TIME, and no call that sets the clock. The process may
// gain no privilege at exec (no_new_privs), CAP_SYS_TIME leaves its bounding set where it may
// (root only) and its effective, permitted and inheritable sets, checked after; and a seccomp
// filter makes clock_settime, settimeofday, adjtimex and clock_adjtime fail with EPERM whatever
// the capabilities. Returns 0, or the number of the step that failed.
int ForbidClockSetting() {
  if (kAuditArch == 0) return 1;
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return 2;
  ::prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0);  // refused without CAP_SETPCAP: checked below
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct caps[2] = {};
  if (::syscall(SYS_capget, &header, caps) != 0) return 3;
  const unsigned word = CAP_SYS_TIME / 32;
  const uint32_t bit = 1U << (CAP_SYS_TIME % 32);
  caps[word].effective &= ~bit;
  caps[word].permitted &= ~bit;
  caps[word].inheritable &= ~bit;
  if (::syscall(SYS_capset, &header, caps) != 0) return 4;
  __user_cap_data_struct now[2] = {};
  if (::syscall(SYS_capget, &header, now) != 0) return 5;
  if (((now[word].effective | now[word].permitted | now[word].inheritable) & bit) != 0) return 6;
  if (::prctl(PR_CAPBSET_READ, CAP_SYS_TIME, 0, 0, 0) != 0 && ::getuid() == 0) return 7;

  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kAuditArch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),  // another system call ABI
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000, 4, 0),  // the x32 calls
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_clock_settime, 3, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_settimeofday, 2, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_adjtimex, 1, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_clock_adjtime, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) != 0) return 8;
  return 0;
}

// The line "Name:\tvalue" of /proc/PID/status.
std::string ProcStatus(pid_t pid, const std::string& name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(name + ":", 0) == 0)
      return line.substr(line.find_first_not_of(" \t:", name.size()));
  }
  return "";
}

// "Down&load Time To PC" in the real program, whose clock_settime is refused: the box says "Time
// set failure.". The tests may run as root, so the program runs without CAP_SYS_TIME and with the
// calls that set the clock refused by a filter, both checked in the running program before the
// click (about eight seconds after its start); the test is skipped when that cannot be had, and
// the program killed at once should the check fail. The demo receiver's time is the PC's own.
TEST_F(HeadlessProgram, AClockThePlatformRefusesToSetIsATimeSetFailure) {
  const fs::path script = dir_ / "time.zs";
  std::ofstream(script) << "wait 8\nclick TForm_Main.ControlTimeToPC\nwait 2\n";
  launch_ = {"--demo"};
  int failedStep = 0;
  const pid_t pid = Launch({"--script", script.string()}, "", ForbidClockSetting, &failedStep);
  if (pid < 0 && failedStep > 0) {
    GTEST_SKIP() << "the clock cannot be made safe from the program here (step " << failedStep
                 << ")";
  }
  ASSERT_GT(pid, 0);
  // A capability set that cannot be read counts as holding every capability.
  const auto holds = [pid](const std::string& set) {
    const std::string hex = ProcStatus(pid, set);
    return hex.empty() || ((std::strtoull(hex.c_str(), nullptr, 16) >> CAP_SYS_TIME) & 1) != 0;
  };
  const bool safe = !holds("CapEff") && !holds("CapPrm") && ProcStatus(pid, "NoNewPrivs") == "1" &&
                    ProcStatus(pid, "Seccomp") == "2";
  if (!safe) ::kill(pid, SIGKILL);
  ASSERT_TRUE(safe) << ReadAll("/proc/" + std::to_string(pid) + "/status");

  ASSERT_EQ(Reap(pid, 60), 0) << err;
  EXPECT_EQ(Occurrences(err, "message box \"Time set failure.\": Can't set time -> OK"), 1u) << err;
  EXPECT_EQ(err.find("PC time was set."), std::string::npos) << err;
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
    const pid_t pid = Launch(extra, input, nullptr, nullptr, pipe[1]);
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
    return pid < 0 ? -2 : Reap(pid, 20);
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
