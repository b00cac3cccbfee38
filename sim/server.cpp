#include "sim/server.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace zelkon::sim {
namespace {

// Unsent output kept while the other side is slow to read; older bytes are dropped beyond this.
constexpr size_t kMaxPending = 64 * 1024;
// Longest wait in one turn, so that a stop request is noticed quickly.
constexpr int kMaxWaitMs = 50;

}  // namespace

// The time counts from here, not from Run: a start time taken from the PC's clock just before
// keeps the receiver's seconds on the PC's, whatever opening the port took meanwhile.
Server::Server(const SimOptions& options, Clock& clock, double startGps)
    : options_(options),
      clock_(clock),
      engine_(options, startGps),
      startGps_(startGps),
      startMs_(clock.NowMs()) {}

Server::~Server() {
  if (ptyMaster_ >= 0) ::close(ptyMaster_);
  if (device_) device_->Close();
}

std::string Server::OpenPty() {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) return {};
  const char* name = nullptr;
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || (name = ::ptsname(master)) == nullptr) {
    ::close(master);
    return {};
  }
  const std::string path = name;
  // Raw mode from the start, so that nothing is echoed back before the monitor configures it;
  // the settings live as long as this side is open.
  if (const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY); slave >= 0) {
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
      ::cfmakeraw(&tio);
      ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::close(slave);
  }
  // Packet mode: the monitor's flow-control stop and start reach this side as status bytes.
  int on = 1;
  ::ioctl(master, TIOCPKT, &on);
  ptyMaster_ = master;
  return path;
}

bool Server::OpenDevice(const std::string& path) {
  auto port = std::make_unique<PosixSerialPort>();
  if (!port->Open(path)) return false;
  const PortSettings& settings =
      options_.port == 'A' ? engine_.receiver().config.ports.a : engine_.receiver().config.ports.b;
  port->Configure(LineSettingsFor(settings));
  port->Purge();
  device_ = std::move(port);
  connected_ = true;
  return true;
}

double Server::GpsNow() {
  return startGps_ + options_.speed * static_cast<double>(clock_.NowMs() - startMs_) / 1000.0;
}

void Server::Run(const std::atomic<bool>& stop) {
  const int fd = ptyMaster_ >= 0 ? ptyMaster_ : (device_ ? device_->Descriptor() : -1);
  if (fd < 0) return;
  while (!stop.load()) {
    engine_.Advance(GpsNow());

    // Wait for input, or until the next whole simulated second.
    const double gps = GpsNow();
    const double toNextSecond = (std::floor(gps) + 1 - gps) / options_.speed * 1000.0;
    const int wait = std::clamp(static_cast<int>(std::ceil(toNextSecond)), 1, kMaxWaitMs);
    pollfd p{fd, static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT)), 0};
    const int ready = ::poll(&p, 1, wait);
    if (ready < 0 && errno != EINTR) break;

    if (ptyMaster_ >= 0) {
      if (p.revents & POLLHUP) {  // nobody holds the other side
        connected_ = false;
        pending_.clear();
        engine_.TakeOutput();
        clock_.SleepMs(20);
        continue;
      }
      if (!connected_) {
        connected_ = true;
        engine_.Connected();
      }
      if (p.revents & POLLIN) ReadFromPty();
    } else {
      if (p.revents & POLLIN) ReadFromDevice();
      CountModemLineEvents();
      if (auto change = engine_.TakePortChange()) device_->Configure(LineSettingsFor(*change));
    }

    engine_.Advance(GpsNow());
    const std::vector<uint8_t> output = engine_.TakeOutput();
    if (connected_) pending_.insert(pending_.end(), output.begin(), output.end());
    if (pending_.size() > kMaxPending) {
      pending_.erase(pending_.begin(),
                     pending_.begin() + static_cast<std::ptrdiff_t>(pending_.size() - kMaxPending));
    }
    Flush();
  }
}

void Server::ReadFromPty() {
  uint8_t buffer[4096];
  const ssize_t n = ::read(ptyMaster_, buffer, sizeof buffer);
  if (n <= 0) return;
  if (buffer[0] == TIOCPKT_DATA) {
    engine_.Receive(buffer + 1, static_cast<size_t>(n - 1));
  } else if (buffer[0] & TIOCPKT_START) {
    // The end of the monitor's event pulse on a line without RTS: a stop, then a start. Only the
    // start is sure to be seen; a stop not read in time is overtaken by it.
    engine_.Event();
  }
}

void Server::ReadFromDevice() {
  uint8_t buffer[4096];
  const int n = device_->Read(buffer, sizeof buffer);
  if (n > 0) engine_.Receive(buffer, static_cast<size_t>(n));
}

// The monitor's RTS reaches this side as CTS over a null-modem cable. The driver's transition count
// catches pulses shorter than one turn of the loop; where it cannot count, rising edges are seen.
void Server::CountModemLineEvents() {
  const int fd = device_->Descriptor();
  serial_icounter_struct counts{};
  if (lastCtsCount_ != -2 && ::ioctl(fd, TIOCGICOUNT, &counts) == 0) {
    if (lastCtsCount_ >= 0) {
      for (int pulses = (counts.cts - lastCtsCount_ + 1) / 2; pulses > 0; --pulses)
        engine_.Event();
    }
    lastCtsCount_ = counts.cts;
    return;
  }
  lastCtsCount_ = -2;  // not supported: look at the line itself
  int lines = 0;
  if (::ioctl(fd, TIOCMGET, &lines) != 0) return;
  const int cts = (lines & TIOCM_CTS) ? 1 : 0;
  if (lastCts_ == 0 && cts == 1) engine_.Event();
  lastCts_ = cts;
}

void Server::Flush() {
  if (pending_.empty()) return;
  const int fd = ptyMaster_ >= 0 ? ptyMaster_ : device_->Descriptor();
  const ssize_t n = ::write(fd, pending_.data(), pending_.size());
  if (n > 0) pending_.erase(pending_.begin(), pending_.begin() + n);
}

}  // namespace zelkon::sim
