#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "timefeed/daemon_feeds.h"

namespace zelkon {
namespace {

// The segment as ntpd defined it and every daemon reads it, in the machine's own layout. In mode 1
// the writer counts up before and after it writes and the reader takes a copy only when the count
// did not move while it read; `valid` says a new sample waits (the reader clears it).
struct ShmTime {
  int mode;
  int count;
  time_t clockTimeStampSec;
  int clockTimeStampUSec;
  time_t receiveTimeStampSec;
  int receiveTimeStampUSec;
  int leap;
  int precision;
  int nsamples;
  int valid;
  unsigned clockTimeStampNSec;
  unsigned receiveTimeStampNSec;
  int dummy[8];
};
static_assert(sizeof(long) != 8 || sizeof(ShmTime) == 96);

constexpr int64_t kNsPerSecond = 1'000'000'000;

struct Split {
  time_t seconds;
  unsigned ns;
};

Split SplitNs(int64_t ns) {
  int64_t seconds = ns / kNsPerSecond;
  int64_t rest = ns % kNsPerSecond;
  if (rest < 0) {
    rest += kNsPerSecond;
    --seconds;
  }
  return {static_cast<time_t>(seconds), static_cast<unsigned>(rest)};
}

}  // namespace

NtpShmFeed::NtpShmFeed(int unit) : unit_(unit) {}

NtpShmFeed::~NtpShmFeed() {
  if (segment_ != nullptr) ::shmdt(segment_);
}

bool NtpShmFeed::Attach() {
  const std::string which = "the segment of unit " + std::to_string(unit_);
  const int mode = unit_ <= 1 ? 0600 : 0666;
  const int id = ::shmget(KeyOf(unit_), sizeof(ShmTime), IPC_CREAT | mode);
  shmid_ds status{};
  if (id < 0 && errno == EINVAL) {
    // It exists, smaller than the struct: say how large.
    const int existing = ::shmget(KeyOf(unit_), 0, 0);
    if (existing >= 0 && ::shmctl(existing, IPC_STAT, &status) == 0) {
      failure_ = which + " is " + std::to_string(status.shm_segsz) + " bytes, not " +
                 std::to_string(sizeof(ShmTime));
    } else {
      failure_ = which + " exists with another size";
    }
    return false;
  }
  if (id < 0) {
    failure_ = errno == EACCES ? "permission denied on " + which
                               : "no " + which + ": " + std::strerror(errno);
    return false;
  }
  if (::shmctl(id, IPC_STAT, &status) == 0 && status.shm_segsz != sizeof(ShmTime)) {
    failure_ = which + " is " + std::to_string(status.shm_segsz) + " bytes, not " +
               std::to_string(sizeof(ShmTime));
    return false;
  }
  void* segment = ::shmat(id, nullptr, 0);
  if (segment == reinterpret_cast<void*>(-1)) {
    failure_ = errno == EACCES ? "permission denied on " + which
                               : "cannot attach " + which + ": " + std::strerror(errno);
    return false;
  }
  segment_ = segment;
  return true;
}

namespace {

// A full memory barrier between the writes the daemon must see in order. The daemon is another
// process, outside the language's memory model: the compiler's own barrier is used, which the
// thread sanitizer does not claim to understand (and has nothing to check here).
void FullBarrier() { __sync_synchronize(); }

}  // namespace

bool NtpShmFeed::Send(const TimeSample& sample) {
  if (segment_ == nullptr && !Attach()) return false;
  failure_.clear();
  // The daemon reads the segment while this writes: every access goes to memory, in order.
  volatile ShmTime& shm = *static_cast<volatile ShmTime*>(segment_);
  const Split clock = SplitNs(sample.referenceNs);
  const Split receive = SplitNs(sample.receivedNs);
  shm.mode = 1;
  shm.count = shm.count + 1;
  shm.valid = 0;
  FullBarrier();
  shm.clockTimeStampSec = clock.seconds;
  shm.clockTimeStampUSec = static_cast<int>(clock.ns / 1000);
  shm.clockTimeStampNSec = clock.ns;
  shm.receiveTimeStampSec = receive.seconds;
  shm.receiveTimeStampUSec = static_cast<int>(receive.ns / 1000);
  shm.receiveTimeStampNSec = receive.ns;
  shm.leap = NtpLeapIndicator(sample.leap);
  shm.precision = -20;  // about a microsecond
  shm.nsamples = 3;
  FullBarrier();
  shm.count = shm.count + 1;
  shm.valid = 1;
  return true;
}

std::unique_ptr<TimeFeed> MakeTimeFeed(const TimeFeedAddress& address) {
  if (address.kind == TimeFeedKind::Shm) return std::make_unique<NtpShmFeed>(address.unit);
  return std::make_unique<ChronySockFeed>(address.path);
}

}  // namespace zelkon
