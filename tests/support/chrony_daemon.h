// chronyd started by a test: in the foreground, never touching the PC's clock (-x), with its
// configuration, command socket and files in the test's own folder (which must be the test's
// alone: chronyd refuses a folder others may write), no NTP port, and two reference clocks: SOCK
// at <folder>/feed.sock (refid SOCK) and SHM of the unit given (refid SHM), each polled every
// second.
#pragma once

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <thread>

#include "support/programs.h"
#include "support/test_folder.h"

namespace zelkon::testing {

class ChronyDaemon {
 public:
  ChronyDaemon(std::filesystem::path folder, int unit) : folder_(std::move(folder)), unit_(unit) {
    chronyd_ = Program("chronyd");
    chronyc_ = Program("chronyc");
  }
  ~ChronyDaemon() {
    Stop();
    const int id = ::shmget(0x4E545030 + unit_, 0, 0);
    if (id >= 0) ::shmctl(id, IPC_RMID, nullptr);
  }
  ChronyDaemon(const ChronyDaemon&) = delete;
  ChronyDaemon& operator=(const ChronyDaemon&) = delete;

  bool Installed() const { return !chronyd_.empty() && !chronyc_.empty(); }
  std::string Path(const char* name) const { return (folder_ / name).string(); }
  std::string SockPath() const { return Path("feed.sock"); }

  // Starts it and waits until its sockets are there; false, with its log, when they are not.
  bool Start(std::string& log) {
    std::ofstream(Path("chrony.conf"))
        << "port 0\ncmdport 0\nbindcmdaddress " << Path("chronyd.sock") << "\npidfile "
        << Path("chronyd.pid") << "\nrefclock SOCK " << SockPath()
        << " refid SOCK poll 0 filter 2\nrefclock SHM " << unit_ << " refid SHM poll 0 filter 2\n";
    const std::string conf = Path("chrony.conf"), logPath = Path("chronyd.log");
    // chronyd runs as the user of the test: as root it would hand its work to its own system user,
    // who cannot enter this folder, and as anyone else it needs -U to start at all.
    const passwd* user = ::getpwuid(::geteuid());
    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      ::dup2(::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      ::execlp(chronyd_.c_str(), "chronyd", "-x", "-d", "-f", conf.c_str(), "-u",
               user != nullptr ? user->pw_name : "root", ::geteuid() == 0 ? nullptr : "-U",
               nullptr);
      ::_exit(127);
    }
    const auto ready = [&] {
      return std::filesystem::exists(Path("chronyd.sock")) && std::filesystem::exists(SockPath());
    };
    for (int i = 0; i < 100 && !ready(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    log = ReadAll(logPath);
    return ready();
  }

  void Stop() {
    if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  std::string Chronyc(const std::string& command) const {
    return RunTool("timeout 10 " + chronyc_ + " -h " + Path("chronyd.sock") + " -n " + command, "")
        .output;
  }

  // The offset (s) chronyd measured for each reference clock it has reached: the CSV line is mode,
  // state, name, stratum, poll, reach, last reception, adjusted offset, measured offset, error.
  // chronyd's offset is the PC's clock less the reference ("positive: the local clock is ahead").
  std::map<std::string, double> ReachedOffsets() const {
    static const std::regex line(R"(#,.,(\w+),\d+,-?\d+,([1-9]\d*),\d+,[^,]+,([^,]+),)");
    std::map<std::string, double> offsets;
    const std::string csv = Chronyc("-c sources");
    for (std::sregex_iterator it(csv.begin(), csv.end(), line), end; it != end; ++it)
      offsets[(*it)[1]] = std::stod((*it)[3]);
    return offsets;
  }

 private:
  // chronyd is in /usr/sbin, which a user's PATH may lack.
  static std::string Program(const std::string& name) {
    if (ProgramOnPath(name)) return name;
    return ::access(("/usr/sbin/" + name).c_str(), X_OK) == 0 ? "/usr/sbin/" + name : "";
  }

  std::filesystem::path folder_;
  int unit_;
  std::string chronyd_, chronyc_;
  pid_t pid_ = -1;
};

}  // namespace zelkon::testing
