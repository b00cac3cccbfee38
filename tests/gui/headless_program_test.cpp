// The zelkon program without windows, on its built-in emulator: what it stores of the "NTP"
// question. Each run takes about three seconds of real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zelkon {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HeadlessProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "zelkon-headless-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs `zelkon --demo --headless` with `extra` options, its settings kept in this test's own
  // folder, until a line shows the receiver type chosen (or 30 s have passed), then ends it as
  // SIGTERM does; or, `untilExit`, until it ends by itself. Standard input reads `input`. Returns
  // the exit status.
  int Run(const std::vector<std::string>& extra, bool untilExit = false,
          const std::string& input = "") {
    std::vector<std::string> args = {ZELKON_PROGRAM_PATH, "--demo", "--headless"};
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

  fs::path dir_;
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

}  // namespace
}  // namespace zelkon
