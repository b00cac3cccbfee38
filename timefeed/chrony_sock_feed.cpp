#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "timefeed/daemon_feeds.h"

namespace zelkon {
namespace {

// The sample chronyd reads from its SOCK reference clock, one per datagram, in the machine's own
// layout: the PC's time, the offset to add to it to get the true time, whether the sample is a
// pulse only (never here: the second is known), the leap indicator, and the magic "SOCK".
struct SockSample {
  timeval tv;
  double offset;
  int pulse;
  int leap;
  int padding;
  int magic;
};
static_assert(sizeof(long) != 8 || sizeof(SockSample) == 40);

constexpr int kSockMagic = 0x534f434b;
constexpr int64_t kNsPerSecond = 1'000'000'000;

}  // namespace

ChronySockFeed::ChronySockFeed(std::string path) : path_(std::move(path)) {}

ChronySockFeed::~ChronySockFeed() {
  if (fd_ >= 0) ::close(fd_);
}

bool ChronySockFeed::Send(const TimeSample& sample) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path_.size() >= sizeof(address.sun_path)) {
    failure_ = "the socket path is too long";
    return false;
  }
  std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
  if (fd_ < 0) {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
      failure_ = std::string("no socket: ") + std::strerror(errno);
      return false;
    }
  }

  // The PC's time in whole microseconds (floored), and the offset from that very time, so that
  // the pair names the reference time to the nanosecond.
  int64_t seconds = sample.receivedNs / kNsPerSecond;
  int64_t ns = sample.receivedNs % kNsPerSecond;
  if (ns < 0) {
    ns += kNsPerSecond;
    --seconds;
  }
  const int64_t micros = ns / 1000;
  SockSample message{};
  message.tv.tv_sec = static_cast<time_t>(seconds);
  message.tv.tv_usec = static_cast<suseconds_t>(micros);
  const int64_t pcNs = seconds * kNsPerSecond + micros * 1000;
  message.offset = static_cast<double>(sample.referenceNs - pcNs) / kNsPerSecond;
  message.leap = NtpLeapIndicator(sample.leap);
  message.magic = kSockMagic;

  const ssize_t sent = ::sendto(fd_, &message, sizeof message, MSG_DONTWAIT | MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (sent == static_cast<ssize_t>(sizeof message)) {
    failure_.clear();
    return true;
  }
  switch (sent < 0 ? errno : 0) {
    case ENOENT:
    case ECONNREFUSED:
      failure_ = "no daemon listens at " + path_;
      break;
    case EACCES:
    case EPERM:
      failure_ = "permission denied on " + path_;
      break;
    case EAGAIN:
    case ENOBUFS:
      failure_ = "the daemon reads none of its samples";
      break;
    case EPROTOTYPE:
      failure_ = path_ + " is not a datagram socket";
      break;
    case 0:
      failure_ = "the sample went out cut short";
      break;
    default:
      failure_ = std::strerror(errno);
      break;
  }
  return false;
}

}  // namespace zelkon
