// The time feeds against a real chronyd: started here in the foreground, never touching the PC's
// clock (-x), with its configuration, command socket and files in the test's own folder, no NTP
// port, and a SOCK and an SHM reference clock that the feeds give a sample a second.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <thread>

#include "support/chrony_daemon.h"
#include "support/programs.h"
#include "support/test_folder.h"
#include "timefeed/daemon_feeds.h"

namespace zelkon {
namespace {

using testing::ReadAll;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int64_t kMs = 1'000'000;

int64_t RealtimeNs() {  // the system clock is CLOCK_REALTIME
  return std::chrono::nanoseconds(std::chrono::system_clock::now().time_since_epoch()).count();
}

class ChronyFeeds : public testing::TestFolder {
 protected:
  ChronyFeeds() : TestFolder("zelkon-chrony") {}

  void SetUp() override {
    TestFolder::SetUp();
    daemon_.emplace(dir_, unit_);
    if (!daemon_->Installed()) GTEST_SKIP() << "chronyd and chronyc not installed";
  }
  void TearDown() override {
    daemon_.reset();
    TestFolder::TearDown();
  }

  std::string Path(const char* name) const { return (dir_ / name).string(); }

  // A unit of this process's own, away from 0 and 1, which a system's daemon may use.
  int unit_ = 2 + static_cast<int>(::getpid() % 200);
  std::optional<testing::ChronyDaemon> daemon_;
};

// chronyd's measured offset is the PC's clock minus the reference's ("positive: the local clock is
// ahead"), so samples whose reference is 20 ms after the PC's time show as -20 ms. Both interfaces
// carry the pair to the microsecond or better and chronyd takes it as given (it does not move the
// clock, and its filter sees the same offset every second), so 100 us is ample; a sign, a unit or a
// field mixed up would be off by 40 ms, by up to a second, or by a factor of a thousand.
TEST_F(ChronyFeeds, BothReferenceClocksAreReachedWithTheOffsetAndLeapTheSamplesCarry) {
  ChronySockFeed sock(Path("feed.sock"));
  NtpShmFeed shm(unit_);

  // Before the daemon: the socket fails with the reason, the segment is made, open to everyone.
  const int64_t early = RealtimeNs();
  EXPECT_FALSE(sock.Send({early, early + 20 * kMs, LeapIndicator::None}));
  EXPECT_EQ(sock.Failure(), "no daemon listens at " + Path("feed.sock"));
  ASSERT_TRUE(shm.Send({early, early + 20 * kMs, LeapIndicator::None})) << shm.Failure();
  shmid_ds segment{};
  const int id = ::shmget(NtpShmFeed::KeyOf(unit_), 0, 0);
  ASSERT_EQ(::shmctl(id, IPC_STAT, &segment), 0);
  EXPECT_EQ(segment.shm_perm.mode & 0777, 0666u);

  std::string log;
  ASSERT_TRUE(daemon_->Start(log)) << log;
  std::map<std::string, double> offsets;
  int sent = 1;
  for (int second = 0; second < 20 && offsets.size() < 2; ++second, ++sent) {
    std::this_thread::sleep_for(1s);
    const int64_t now = RealtimeNs();
    const TimeSample sample{now, now + 20 * kMs, LeapIndicator::Insert};
    ASSERT_TRUE(sock.Send(sample)) << sock.Failure();
    ASSERT_TRUE(shm.Send(sample)) << shm.Failure();
    offsets = daemon_->ReachedOffsets();
  }
  ASSERT_EQ(offsets.size(), 2u) << daemon_->Chronyc("sources") << ReadAll(Path("chronyd.log"));
  EXPECT_NEAR(offsets["SOCK"], -0.020, 100e-6);
  EXPECT_NEAR(offsets["SHM"], -0.020, 100e-6);

  // chronyd takes an announced leap second only on the last day of June or December and shows a
  // reference clock's leap nowhere, so the leap is read where it lies: in the segment chronyd read
  // (which it does not write but for `valid`), and in a datagram sent to a socket of the test's
  // own.
  void* attached = ::shmat(id, nullptr, SHM_RDONLY);
  ASSERT_NE(attached, reinterpret_cast<void*>(-1));
  int fields[10];
  std::memcpy(fields, attached, sizeof fields);
  ::shmdt(attached);
  EXPECT_EQ(fields[0], 1);         // mode
  EXPECT_EQ(fields[1], 2 * sent);  // count: twice per sample, even when no write is under way
  EXPECT_EQ(fields[9], 1);         // leap, after 2 time_t and 2 int fields and their padding

  const int probe = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, Path("probe.sock").c_str());
  ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ChronySockFeed(Path("probe.sock"))
      .Send({1'700'000'000'123'456'789, 1'700'000'001 * 1'000'000'000LL, LeapIndicator::Delete});
  struct {  // as laid out on a 64-bit machine
    int64_t seconds, micros;
    double offset;
    int pulse, leap, padding, magic;
  } datagram{};
  ASSERT_EQ(::recv(probe, &datagram, sizeof datagram, MSG_DONTWAIT), 40);
  ::close(probe);
  EXPECT_EQ(datagram.seconds, 1'700'000'000);
  EXPECT_EQ(datagram.micros, 123'456);
  EXPECT_NEAR(datagram.offset, 0.876'544, 1e-9);
  EXPECT_EQ(datagram.leap, 2);
  EXPECT_EQ(datagram.magic, 0x534f434b);
}

}  // namespace
}  // namespace zelkon
