#include "platform/time_feed.h"

#include <sys/un.h>

#include <algorithm>

namespace zelkon {

std::variant<TimeFeedAddress, std::string> ParseTimeFeedName(std::string_view name) {
  constexpr std::string_view kSock = "sock:";
  constexpr std::string_view kShm = "shm:";
  TimeFeedAddress address;
  if (name.starts_with(kSock)) {
    // The path goes into a socket address with its terminating NUL.
    constexpr size_t kLongest = sizeof(sockaddr_un::sun_path) - 1;
    const std::string_view path = name.substr(kSock.size());
    if (path.empty()) return std::string("the socket path is missing (sock:PATH)");
    if (path.front() != '/' || path.find('\0') != path.npos) {
      return "the socket path must be absolute, not '" + std::string(path) + "'";
    }
    if (path.size() > kLongest) {
      return "the socket path is longer than " + std::to_string(kLongest) + " bytes";
    }
    address.kind = TimeFeedKind::Sock;
    address.path = std::string(path);
    return address;
  }
  if (name.starts_with(kShm)) {
    const std::string_view digits = name.substr(kShm.size());
    const bool numeric =
        !digits.empty() && digits.size() <= 3 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int unit = numeric ? std::stoi(std::string(digits)) : -1;
    if (unit < 0 || unit > 255) {
      return "the unit must be a number from 0 to 255, not '" + std::string(digits) + "'";
    }
    address.kind = TimeFeedKind::Shm;
    address.unit = unit;
    return address;
  }
  return "a reference clock is written sock:PATH or shm:UNIT, not '" + std::string(name) + "'";
}

std::string TimeFeedName(const TimeFeedAddress& address) {
  return address.kind == TimeFeedKind::Sock ? "sock:" + address.path
                                            : "shm:" + std::to_string(address.unit);
}

}  // namespace zelkon
