// The real terminal adapter, driven over a pseudo-terminal pair: the program holds the slave side
// as its serial port, the test plays the receiver on the master side.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "link/posix_serial_port.h"
#include "link/serial_channel.h"
#include "link/stamping_serial_port.h"
#include "support/fake_serial_port.h"

namespace zelkon {
namespace {

using testing::Deframe;
using testing::Frame;
using testing::PacketBytes;
using Bytes = std::vector<uint8_t>;

class PtySerial : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256] = {};
    ASSERT_EQ(::openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    path_ = name;
    // Keep the slave open so the pair lives while ports open and close; make the master's
    // reads non-waiting.
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  void TearDown() override {
    ::close(master_);
    ::close(slave_);
  }

  // Everything the program wrote, as the receiver sees it, waiting up to `ms` for `expected` bytes.
  Bytes ReadMaster(size_t expected, int ms = 2000) {
    Bytes bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (bytes.size() < expected && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      uint8_t buffer[4096];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
  }

  void WriteMaster(const Bytes& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Waits until the slave side has `count` bytes waiting.
  static bool WaitForWaiting(SerialPort& port, int count) {
    for (int i = 0; i < 200; ++i) {
      if (port.BytesWaiting() >= count) return true;
      ::usleep(5000);
    }
    return false;
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  // The program's side.
  PosixSerialPort port;
  uint32_t received = 0;
  bool capture = false;
  SerialChannel channel{port, received, capture};
};

TEST(LineSettingsTermios, EachLineSettingMapsToItsTerminalFlags) {
  termios tio{};
  tio.c_iflag = IXON | IXOFF | ICRNL | ISTRIP | INPCK | IGNPAR | PARMRK;
  tio.c_oflag = OPOST;
  tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  tio.c_cflag = CRTSCTS | CS5 | HUPCL;
  ApplyLineSettings(tio, LineSettings{9600, 8, Parity::Odd, 1});
  EXPECT_EQ(::cfgetospeed(&tio), B9600);
  EXPECT_EQ(::cfgetispeed(&tio), B9600);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_TRUE(tio.c_cflag & PARENB);
  EXPECT_TRUE(tio.c_cflag & PARODD);
  // A byte with a parity error is passed on as it came, not replaced, dropped or marked.
  EXPECT_FALSE(tio.c_iflag & (INPCK | IGNPAR | PARMRK));
  EXPECT_FALSE(tio.c_cflag & CSTOPB);
  EXPECT_FALSE(tio.c_cflag & CRTSCTS);
  EXPECT_TRUE(tio.c_cflag & (CLOCAL | CREAD));
  EXPECT_TRUE(tio.c_cflag & HUPCL);  // untouched
  EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
  EXPECT_FALSE(tio.c_oflag & OPOST);
  EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);

  ApplyLineSettings(tio, LineSettings{19200, 7, Parity::Even, 2});
  EXPECT_EQ(::cfgetospeed(&tio), B19200);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
  EXPECT_TRUE(tio.c_cflag & PARENB);
  EXPECT_FALSE(tio.c_cflag & PARODD);
  EXPECT_TRUE(tio.c_cflag & CSTOPB);

  ApplyLineSettings(tio, LineSettings{110, 5, Parity::None, 1});
  EXPECT_EQ(::cfgetospeed(&tio), B110);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
  EXPECT_FALSE(tio.c_cflag & (PARENB | PARODD | CSTOPB));
  EXPECT_FALSE(tio.c_iflag & INPCK);

  ApplyLineSettings(tio, LineSettings{115200, 6, Parity::None, 1});
  EXPECT_EQ(::cfgetospeed(&tio), B115200);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS6));
}

// A pseudo-terminal keeps the rate, stop bits and raw mode it is given (it forces 8 bits and no
// parity on itself), so those are what tcgetattr can show of a real configure.
TEST_F(PtySerial, OpenAndConfigureAreVisibleToTcgetattr) {
  ASSERT_EQ(channel.OpenChannel(path_), 0);

  termios tio{};
  ASSERT_EQ(::tcgetattr(port.Descriptor(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B9600);
  EXPECT_FALSE(tio.c_cflag & CSTOPB);
  EXPECT_FALSE(tio.c_cflag & CRTSCTS);
  EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL));
  EXPECT_FALSE(tio.c_oflag & OPOST);
  EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);

  ASSERT_EQ(channel.Configure(LineSettings{19200, 8, Parity::Even, 2}), 0);
  ASSERT_EQ(::tcgetattr(port.Descriptor(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B19200);
  EXPECT_TRUE(tio.c_cflag & CSTOPB);

  ASSERT_EQ(channel.Configure(LineSettings{4800, 8, Parity::None, 1}), 0);
  ASSERT_EQ(::tcgetattr(port.Descriptor(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B4800);
  EXPECT_FALSE(tio.c_cflag & CSTOPB);
}

// A terminal in ordinary use (a console, a port other tools share) is given back as it was found
// when the program closes it or lets it go open: rate, line editing, echo, no parity, exclusive use
// off, and output flowing although an RTS pulse had stopped it.
TEST_F(PtySerial, ClosingGivesTheTerminalBackItsSettings) {
  termios cooked{};
  ASSERT_EQ(::tcgetattr(slave_, &cooked), 0);
  cooked.c_lflag |= ICANON | ECHO | ISIG;
  cooked.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
  ::cfsetspeed(&cooked, B19200);
  ASSERT_EQ(::tcsetattr(slave_, TCSANOW, &cooked), 0);
  const auto settings = [this] {
    termios t{};
    int exclusive = -1;
    ::tcgetattr(slave_, &t);
    ::ioctl(slave_, TIOCGEXCL, &exclusive);
    return std::make_tuple(::cfgetospeed(&t), t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag,
                           std::string(t.c_cc, t.c_cc + NCCS), exclusive);
  };
  const auto before = settings();
  ASSERT_EQ(std::get<0>(before), B19200);

  auto dropped = std::make_unique<PosixSerialPort>();
  ASSERT_TRUE(dropped->Open(path_));
  ASSERT_EQ(dropped->Configure(LineSettings{}), 0);
  dropped.reset();
  EXPECT_EQ(settings(), before);

  ASSERT_EQ(channel.OpenChannel(path_), 0);
  ASSERT_TRUE(port.SetRts(true));
  channel.CloseChannel();
  EXPECT_EQ(settings(), before);
  ::fcntl(slave_, F_SETFL, ::fcntl(slave_, F_GETFL) | O_NONBLOCK);
  EXPECT_EQ(::write(slave_, "x", 1), 1);
  EXPECT_EQ(ReadMaster(1, 1000), Bytes{'x'});
}

TEST_F(PtySerial, APortAlreadyHeldIsRefusedUntilItIsClosed) {
  PosixSerialPort first;
  ASSERT_TRUE(first.Open(path_));
  PosixSerialPort second;
  EXPECT_FALSE(second.Open(path_));
  first.Close();
  EXPECT_TRUE(second.Open(path_));
}

TEST_F(PtySerial, MissingDevicesAndNonTerminalsCannotBeOpened) {
  EXPECT_FALSE(port.Open("/dev/this-port-does-not-exist"));
  EXPECT_FALSE(port.Open("/dev/null"));
  EXPECT_EQ(ComPortPath(1), "/dev/ttyS0");
  EXPECT_EQ(ComPortPath(12), "/dev/ttyS11");

  EXPECT_EQ(channel.OpenChannel(ComPortPath(0)), -1);
  EXPECT_FALSE(channel.IsOpen());
}

TEST_F(PtySerial, FramesWrittenByTheProgramArriveFramedOnTheOtherSide) {
  ASSERT_EQ(channel.OpenChannel(path_), 0);

  const PacketBytes first{0x8E, 0x10, 0xAB};
  const PacketBytes second{0xBC, 0x01, 0x07, 0x07, 0x03, 0x01, 0x00, 0x00, 0x02, 0x02, 0x00};
  channel.FramePacket(first);
  channel.FramePacket(second);

  Bytes expected = Frame(first);
  const Bytes secondFrame = Frame(second);
  expected.insert(expected.end(), secondFrame.begin(), secondFrame.end());
  EXPECT_EQ(ReadMaster(expected.size()), expected);
}

TEST_F(PtySerial, BytesFromTheReceiverAreReadCountedAndDecoded) {
  ASSERT_EQ(channel.OpenChannel(path_), 0);

  std::vector<PacketBytes> packets;
  auto handler = [&](const PacketReceiver& r) { packets.push_back(testing::PacketOf(r)); };

  channel.ReadAndDispatch(handler, false);  // nothing waiting: nothing read
  EXPECT_EQ(received, 0u);

  const Bytes stream = {0x10, 0x41, 0x01, 0x10, 0x10, 0x02, 0x10, 0x03, 0x10, 0x8F, 0xAB, 0x10};
  WriteMaster(stream);
  ASSERT_TRUE(WaitForWaiting(port, static_cast<int>(stream.size())));
  channel.ReadAndDispatch(handler, false);
  EXPECT_EQ(received, stream.size());
  EXPECT_EQ(packets, (std::vector<PacketBytes>{{0x41, 0x01, 0x10, 0x02}}));

  WriteMaster({0x03});  // completes the frame left open by the last read
  ASSERT_TRUE(WaitForWaiting(port, 1));
  channel.ReadAndDispatch(handler, false);
  EXPECT_EQ(packets.back(), (PacketBytes{0x8F, 0xAB}));
  EXPECT_EQ(received, stream.size() + 1);
}

TEST_F(PtySerial, PurgeDiscardsWaitingInput) {
  ASSERT_TRUE(port.Open(path_));
  ASSERT_EQ(port.Configure(LineSettings{}), 0);
  WriteMaster({1, 2, 3});
  ASSERT_TRUE(WaitForWaiting(port, 3));
  port.Purge();
  EXPECT_EQ(port.BytesWaiting(), 0);
  uint8_t buffer[8];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);  // never waits
  port.Drain();
}

// A pseudo-terminal has no modem lines: the pulse goes out as a flow-control stop and start, which
// the other side sees as status bytes in packet mode.
TEST_F(PtySerial, RtsPulseReachesTheOtherSideAsStopAndStart) {
  int on = 1;
  ASSERT_EQ(::ioctl(master_, TIOCPKT, &on), 0);
  ASSERT_EQ(channel.OpenChannel(path_), 0);
  ReadMaster(1, 100);  // status bytes of the open and purge
  channel.PulseRts();
  // The stop may be overtaken by the start before this side reads: the start always arrives.
  const Bytes status = ReadMaster(1, 1000);
  ASSERT_FALSE(status.empty());
  EXPECT_TRUE(status.back() & TIOCPKT_START);

  // Data still flows afterwards, as packet-mode data (a leading 0).
  const PacketBytes query{0x21};
  channel.FramePacket(query);
  Bytes data = ReadMaster(5, 1000);
  ASSERT_FALSE(data.empty());
  EXPECT_EQ(data[0], TIOCPKT_DATA);
  data.erase(data.begin());
  EXPECT_EQ(data, Frame(query));
}

// Read as they arrive, packets keep the time their first byte came, even when the poll loop reads
// them late and together, and one that is split over two reads keeps the time of its beginning.
TEST_F(PtySerial, StampedPacketsKeepTheTimeTheirFirstByteArrived) {
  const auto realNs = [] {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
  };
  PosixSerialPort device;
  StampingSerialPort port(device);
  uint32_t received = 0;
  const bool capture = false;
  SerialChannel channel(port, received, capture);
  ASSERT_EQ(channel.OpenChannel(path_), 0);
  const Bytes first = Frame({0x8F, 0xAB, 1, 2, 3});
  const Bytes second = Frame({0x8F, 0xAC, 4, 5, 6});
  const int64_t firstSent = realNs();
  WriteMaster(first);
  ::usleep(300'000);
  const int64_t secondSent = realNs();
  WriteMaster({second.begin(), second.begin() + 3});
  ASSERT_TRUE(WaitForWaiting(port, static_cast<int>(first.size()) + 3));
  std::vector<int64_t> stamps;
  const auto record = [&](const PacketReceiver&) { stamps.push_back(channel.PacketArrivalNs()); };
  channel.ReadAndDispatch(record, false);
  ::usleep(100'000);
  WriteMaster({second.begin() + 3, second.end()});
  ASSERT_TRUE(WaitForWaiting(port, static_cast<int>(second.size()) - 3));
  channel.ReadAndDispatch(record, false);
  ASSERT_EQ(stamps.size(), 2u);
  // A pseudo-terminal passes a write on whole, not at the line's pace: each packet's first byte
  // arrived when it was written, give or take the reader's waking.
  EXPECT_NEAR(static_cast<double>(stamps[0] - firstSent), 0, 3e6);
  EXPECT_NEAR(static_cast<double>(stamps[1] - secondSent), 0, 3e6);
  channel.CloseChannel();
}

}  // namespace
}  // namespace zelkon
