// The receiver's time handed to the PC's time daemon, once a second, as a reference clock: the
// daemon compares the receiver's second with the moment its report arrived and steers the PC's
// clock by the difference. A feed is one interface the daemon reads (a Unix datagram socket, or
// the NTP shared-memory segment); the program makes the real ones, tests record the samples.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace zelkon {

// The leap second announced for the end of the current UTC day.
enum class LeapIndicator : uint8_t { None, Insert, Delete };

struct TimeSample {
  // The PC's real-time clock (ns since 1970) when the first byte of the receiver's time report
  // arrived.
  int64_t receivedNs = 0;
  // The UTC time of the second the report names, in ns since 1970 counted POSIX style (no leap
  // seconds).
  int64_t referenceNs = 0;
  LeapIndicator leap = LeapIndicator::None;

  bool operator==(const TimeSample&) const = default;
};

class TimeFeed {
 public:
  virtual ~TimeFeed() = default;
  // The name the feed was given: "sock:/run/chrony.gps.sock", "shm:2".
  virtual std::string Name() const = 0;
  // False when the daemon did not get the sample; a later Send tries again.
  virtual bool Send(const TimeSample& sample) = 0;
  // Why the last Send failed, in a few words ("no daemon listens at /run/chrony.gps.sock").
  virtual std::string Failure() const = 0;
};

enum class TimeFeedKind : uint8_t { Sock, Shm };

struct TimeFeedAddress {
  TimeFeedKind kind = TimeFeedKind::Sock;
  std::string path;  // the daemon's socket, for Sock
  int unit = 0;      // the segment's unit, 0..255, for Shm

  bool operator==(const TimeFeedAddress&) const = default;
};

// The feed "sock:PATH" or "shm:UNIT" names, or why it names none ("the socket path must be
// absolute, not 'gps.sock'", "the unit must be a number from 0 to 255, not '300'"). PATH is at most
// as long as a Unix socket address holds.
std::variant<TimeFeedAddress, std::string> ParseTimeFeedName(std::string_view name);

// "sock:/run/chrony.gps.sock", "shm:2": the name the address is shown and given by.
std::string TimeFeedName(const TimeFeedAddress& address);

}  // namespace zelkon
