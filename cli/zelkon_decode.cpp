// zelkon-decode: de-frames an RXBIN byte stream (a recording, or a port captured with cat) through
// the receive state machine and prints every completed packet as one line: the id in hex, the
// payload length in decimal, then the payload bytes in hex; or, with --json, one JSON object with
// the report's parsed fields; or, with --stability, the clock stability of the PPS offsets.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "analysis/stability.h"

#include "decode_lines.h"
#include "link/framing.h"

namespace {

constexpr char kUsage[] =
    "Usage: zelkon-decode [--json | --stability] [FILE]\n"
    "Reads an RXBIN byte stream from FILE, or from standard input when FILE is absent or '-',\n"
    "and prints one line per complete packet: the packet id in hex, the payload length in\n"
    "decimal and the payload bytes in hex.\n"
    "\n"
    "  --json  one JSON object per packet instead: id, subcode, length, and the report's short\n"
    "          name and parsed fields; a packet without a parser, or of a length its report is\n"
    "          not accepted at, gives \"parsed\": false and its payload in hex\n"
    "  --stability  the clock stability of the PPS offsets of the supplemental timing reports,\n"
    "          each timed by the primary timing report before it, as CSV\n"
    "          tau_s,n,adev,mdev,tdev: the averaging time in seconds, the number of terms of\n"
    "          the Allan deviation, the overlapping and modified Allan deviations (fractional\n"
    "          frequency) and the time deviation (seconds), at 1, 2, 4, ... s up to a third of\n"
    "          the series; each gap in the reports is said on standard error, and its seconds\n"
    "          count as missing, not as closed up (a term that would use one is left out; an\n"
    "          averaging time left without modified terms has mdev and tdev empty)\n";

// Writes a block of output lines to standard output.
struct ToStandardOutput {
  bool operator()(const char* bytes, size_t count) const {
    return std::fwrite(bytes, 1, count, stdout) == count;
  }
};

int UsageError(const char* message, std::string_view arg) {
  std::fprintf(stderr, "zelkon-decode: %s '%.*s'\n%s", message, static_cast<int>(arg.size()),
               arg.data(), kUsage);
  return 2;
}

// Standard output could not be written (a reader that went away, a full disk): the message, status
// 1. With SIGPIPE ignored, as services are started, a closed pipe ends the run here.
int OutputError() {
  std::fprintf(stderr, "zelkon-decode: error writing standard output: %s\n", std::strerror(errno));
  return 1;
}

// Flushes standard output; false when anything written to it failed.
bool OutputFlushed() { return std::fflush(stdout) == 0 && std::ferror(stdout) == 0; }

int PrintStability(const zelkon::PpsPhaseSeries& series) {
  for (const std::string& gap : series.gaps())
    std::fprintf(stderr, "zelkon-decode: %s\n", gap.c_str());
  std::printf("tau_s,n,adev,mdev,tdev\n");
  for (const zelkon::StabilityPoint& p : zelkon::ClockStability(series.phase())) {
    std::printf("%g,%lld,%.6e,", p.tauSeconds, static_cast<long long>(p.adevTerms), p.adev);
    // Gaps can leave an averaging time without a whole modified term: its fields stay empty.
    if (p.mdevTerms > 0) std::printf("%.6e,%.6e", p.mdev, p.tdev);
    std::printf("\n");
  }
  return OutputFlushed() ? 0 : OutputError();
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = nullptr;
  bool json = false;
  bool stability = false;
  bool optionsDone = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && (arg == "--help" || arg == "-h")) {
      std::fputs(kUsage, stdout);
      return OutputFlushed() ? 0 : OutputError();
    } else if (!optionsDone && arg == "--json") {
      json = true;
    } else if (!optionsDone && arg == "--stability") {
      stability = true;
    } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option", arg);
    } else if (path != nullptr) {
      return UsageError("unexpected argument", arg);
    } else {
      path = argv[i];
    }
  }

  if (json && stability) {
    std::fprintf(stderr, "zelkon-decode: --json and --stability exclude each other\n%s", kUsage);
    return 2;
  }

  const bool fromStdin = path == nullptr || std::strcmp(path, "-") == 0;
  const int fd = fromStdin ? STDIN_FILENO : open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::fprintf(stderr, "zelkon-decode: cannot open '%s': %s\n", path, std::strerror(errno));
    return 1;
  }

  static zelkon::PacketReceiver receiver;
  static zelkon::DecodeLines<ToStandardOutput> writer{ToStandardOutput{}};
  static zelkon::PpsPhaseSeries series;
  bool writeFailed = false;
  auto print = [&](const zelkon::PacketReceiver& r) {
    if (stability) return series.Add(r.Id(), r.Payload());
    if (!writeFailed && !(json ? writer.Json(r) : writer.Packet(r))) writeFailed = true;
  };

  for (;;) {
    const ssize_t n = read(fd, receiver.readBuffer, zelkon::kReadBufferSize);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      // A terminal whose other side went away (an emulator or adapter that stopped) ends the input.
      if (errno == EIO && isatty(fd)) break;
      const int error = errno;
      if (fromStdin) {
        std::fprintf(stderr, "zelkon-decode: cannot read standard input: %s\n",
                     std::strerror(error));
      } else {
        std::fprintf(stderr, "zelkon-decode: cannot read '%s': %s\n", path, std::strerror(error));
      }
      return 1;
    }
    receiver.readPosition = 0;
    receiver.bytesRemaining = static_cast<uint32_t>(n);
    zelkon::FeedReadBuffer(receiver, print);
    // A short read means the input is waiting for more: a live port or pipe. Show what came so far.
    if (!stability && !writeFailed && n < zelkon::kReadBufferSize) {
      writeFailed = !writer.Flush() || !OutputFlushed();
    }
    if (writeFailed) break;
  }
  if (!fromStdin) close(fd);

  if (stability) return PrintStability(series);
  if (writeFailed || !writer.Flush() || !OutputFlushed()) return OutputError();
  return 0;
}
