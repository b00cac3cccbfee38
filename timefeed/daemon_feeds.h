// The two reference-clock interfaces the PC's time daemons read: a datagram per sample to the Unix
// socket chronyd listens on, and the NTP shared-memory segment that chronyd, ntpd and ntpsec poll.
// Neither blocks; a daemon that is not there yet (or not any more) makes Send fail with the reason,
// and the next Send tries again.
#pragma once

#include <memory>
#include <string>

#include "platform/time_feed.h"

namespace zelkon {

// chronyd's SOCK reference clock at `path`: the daemon creates the socket when it starts.
class ChronySockFeed final : public TimeFeed {
 public:
  explicit ChronySockFeed(std::string path);
  ~ChronySockFeed() override;
  ChronySockFeed(const ChronySockFeed&) = delete;
  ChronySockFeed& operator=(const ChronySockFeed&) = delete;

  std::string Name() const override { return "sock:" + path_; }
  bool Send(const TimeSample& sample) override;
  std::string Failure() const override { return failure_; }

 private:
  std::string path_;
  int fd_ = -1;
  std::string failure_;
};

// The NTP shared-memory segment of `unit` (key 0x4E545030 + unit), created when missing: units 0
// and 1 for root only (mode 0600), higher units for everyone (0666). Attached at the first Send
// that can, and kept until the feed ends; the segment itself stays, it is the daemon's too.
class NtpShmFeed final : public TimeFeed {
 public:
  explicit NtpShmFeed(int unit);
  ~NtpShmFeed() override;
  NtpShmFeed(const NtpShmFeed&) = delete;
  NtpShmFeed& operator=(const NtpShmFeed&) = delete;

  std::string Name() const override { return "shm:" + std::to_string(unit_); }
  bool Send(const TimeSample& sample) override;
  std::string Failure() const override { return failure_; }

  static int KeyOf(int unit) { return 0x4E545030 + unit; }

 private:
  bool Attach();

  int unit_;
  void* segment_ = nullptr;
  std::string failure_;
};

// The leap indicator as NTP numbers it, which chrony's socket samples use too: 0 no warning, 1 a
// second inserted at the end of the day, 2 one deleted.
inline int NtpLeapIndicator(LeapIndicator leap) {
  switch (leap) {
    case LeapIndicator::Insert:
      return 1;
    case LeapIndicator::Delete:
      return 2;
    case LeapIndicator::None:
      break;
  }
  return 0;
}

// The feed an address names.
std::unique_ptr<TimeFeed> MakeTimeFeed(const TimeFeedAddress& address);

}  // namespace zelkon
