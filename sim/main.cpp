// zelkon-sim: a simulated GPS timing receiver on a pseudo-terminal or a serial device.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <variant>

#include "platform/clock.h"
#include "sim/gps_time.h"
#include "sim/server.h"
#include "sim/sim_options.h"

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int) { stopRequested = true; }

// Points `link` at `target` in one step (a new link renamed over the old one), so that a monitor
// opening the name never finds it missing or half made.
bool PointLink(const std::string& link, const std::string& target) {
  const std::string next = link + ".new" + std::to_string(::getpid());
  ::unlink(next.c_str());
  if (::symlink(target.c_str(), next.c_str()) != 0) return false;
  if (::rename(next.c_str(), link.c_str()) != 0) {
    ::unlink(next.c_str());
    return false;
  }
  return true;
}

// Removes `link` if it still points at `target`: a newer emulator may have taken the name.
void RemoveLink(const std::string& link, const std::string& target) {
  char buffer[4096];
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
  if (n > 0 && std::string(buffer, static_cast<size_t>(n)) == target) ::unlink(link.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zelkon::sim;
  const auto parsed = ParseSimOptions(argc, argv);
  if (std::holds_alternative<ShowHelp>(parsed)) {
    std::fputs(SimUsage(), stdout);
    return 0;
  }
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "zelkon-sim: %s\n\n%s", error->c_str(), SimUsage());
    return 2;
  }
  const SimOptions& options = std::get<SimOptions>(parsed);

  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  zelkon::SteadyClock clock;
  const double startGps = options.startGps.value_or(NowUtcSeconds() + kUtcOffset);
  Server server(options, clock, startGps);
  std::string path;
  if (options.pty) {
    path = server.OpenPty();
    if (path.empty()) {
      std::perror("zelkon-sim: cannot create a pseudo-terminal");
      return 1;
    }
    if (!options.link.empty() && !PointLink(options.link, path)) {
      std::perror(("zelkon-sim: cannot make the link " + options.link).c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
  } else if (!server.OpenDevice(options.device)) {
    std::fprintf(stderr, "zelkon-sim: cannot open %s (missing, in use, or not permitted)\n",
                 options.device.c_str());
    return 1;
  }
  server.Run(stopRequested);
  if (!options.link.empty()) RemoveLink(options.link, path);
  return 0;
}
