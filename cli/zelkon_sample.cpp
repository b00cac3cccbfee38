// zelkon-sample: writes ten seconds of typical timing-receiver reports, framed as on the wire, to a
// file that zelkon-decode (or a port replay) can read.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "sample_stream.h"

namespace {

constexpr int kSeconds = 10;

constexpr char kUsage[] =
    "Usage: zelkon-sample FILE\n"
    "Writes ten one-second rounds of RXBIN timing-receiver reports to FILE.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2 || (argv[1][0] == '-' && argv[1][1] != '\0')) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const char* path = argv[1];

  const std::vector<uint8_t> stream = zelkon::SampleReportStream(kSeconds);
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "zelkon-sample: cannot create '%s': %s\n", path, std::strerror(errno));
    return 1;
  }
  const bool written = std::fwrite(stream.data(), 1, stream.size(), file) == stream.size();
  const int writeError = errno;
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "zelkon-sample: cannot write '%s': %s\n", path,
                 std::strerror(written ? errno : writeError));
    return 1;
  }
  return 0;
}
