// zelkon-sim: a simulated GPS timing receiver on a pseudo-terminal or a serial device.
#include <csignal>
#include <cstdio>
#include <variant>

#include "gps_time.h"
#include "platform/clock.h"
#include "server.h"
#include "sim_options.h"

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int) { stopRequested = true; }

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
  if (options.pty) {
    const std::string path = server.OpenPty();
    if (path.empty()) {
      std::perror("zelkon-sim: cannot create a pseudo-terminal");
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
  return 0;
}
