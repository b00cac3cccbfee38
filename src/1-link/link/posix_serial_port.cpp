#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "link/system_error.h"

namespace zelkon {
namespace {

// How long a frame may take to be accepted by the device before the rest is abandoned. A frame of
// the longest command takes about 0.6 s at 9600 baud; a stuck line must not hold the sender longer.
constexpr auto kWriteBound = std::chrono::milliseconds(2000);

speed_t SpeedFor(int rate) {
  switch (rate) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B9600;
  }
}

tcflag_t CharacterSize(int dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

// Devices of the pseudo-terminal slaves (Unix98 numbering).
bool IsPseudoTerminal(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
  const unsigned int deviceMajor = major(info.st_rdev);
  return deviceMajor >= 136 && deviceMajor <= 143;
}

}  // namespace

std::string ComPortPath(int portNumber) { return "/dev/ttyS" + std::to_string(portNumber - 1); }

PosixSerialPort::~PosixSerialPort() { Close(); }

bool PosixSerialPort::Open(const std::string& path) {
  if (fd_ >= 0) return false;
  // Each failure keeps the system's reason, and the descriptor goes.
  const auto fail = [this](int fd, int error) {
    openFailure_ = SystemErrorText(error);
    if (fd >= 0) ::close(fd);
    return false;
  };
  // O_NONBLOCK: neither the open (waiting for carrier) nor any read may wait.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(-1, errno);
  if (!::isatty(fd)) return fail(fd, ENOTTY);
  // Two locks: the advisory lock keeps a second monitor off the port whoever runs it; TIOCEXCL
  // makes the kernel refuse every further open by an ordinary user (other terminal programs
  // included). A device some other program had made exclusive stays so when it is closed.
  int exclusive = 0;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(fd, errno);
  wasExclusive_ = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
  if (::ioctl(fd, TIOCEXCL) != 0) return fail(fd, errno);
  openFailure_.clear();
  fd_ = fd;
  pseudoTerminal_ = IsPseudoTerminal(fd);
  // The device as it was found, before anything here changes it (a console, or a port other tools
  // use, must not be left raw at another rate). Pseudo-terminals have no modem lines.
  settingsSaved_ = ::tcgetattr(fd, &saved_) == 0;
  linesSaved_ = ::ioctl(fd, TIOCMGET, &savedLines_) == 0;
  outputStopped_ = false;
  return true;
}

bool PosixSerialPort::SetQueueSizes(int /*receiveBytes*/, int /*transmitBytes*/) {
  // The terminal driver keeps its own buffers (4 KiB or more); nothing to set.
  return fd_ >= 0;
}

void PosixSerialPort::Purge() {
  if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
}

void PosixSerialPort::SetNonWaitingReads() {
  termios tio{};
  if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) return;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::tcsetattr(fd_, TCSANOW, &tio);
}

void ApplyLineSettings(termios& tio, const LineSettings& line) {
  // Binary mode: no line editing, no character translation, no signals, no output processing.
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);

  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= CharacterSize(line.dataBits) | CREAD | CLOCAL;
  if (line.stopBits == 2) tio.c_cflag |= CSTOPB;
  if (line.parity != Parity::None) {
    tio.c_cflag |= PARENB;
    if (line.parity == Parity::Odd) tio.c_cflag |= PARODD;
  }
  // Parity is generated on output and expected on input, but a byte that arrives with a parity
  // error is passed on as it came: with checking on, the driver would hand over 0x00 in its place
  // (or drop it, or insert marks), and a 0x00 is as wrong as the byte and hides what was sent.
  tio.c_iflag &= ~static_cast<tcflag_t>(INPCK | IGNPAR);

  tio.c_cc[VSTART] = 0x11;  // XON/XOFF characters, unused while software flow control is off
  tio.c_cc[VSTOP] = 0x13;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;

  const speed_t speed = SpeedFor(line.baudRate);
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
}

int PosixSerialPort::Configure(const LineSettings& line) {
  termios tio{};
  if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) return -1;
  ApplyLineSettings(tio, line);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return -1;

  // DTR and RTS on. Devices without modem lines (pseudo-terminals) refuse; that is not an error.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd_, TIOCMBIS, &lines);
  return 0;
}

int PosixSerialPort::BytesWaiting() {
  int count = 0;
  if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &count) != 0) return 0;
  return count;
}

bool PosixSerialPort::WaitForInput(int ms) {
  if (fd_ < 0) return false;
  using std::chrono::steady_clock;
  const steady_clock::time_point deadline = steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now())
            .count();
    if (left <= 0) return BytesWaiting() > 0;
    pollfd entry{fd_, POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0 && (entry.revents & POLLIN) != 0) return true;
    if (ready == 0) return false;
    // A hang-up or an error is reported at once and again on every poll: sleep out the rest of the
    // wait instead, so a caller that waits in a loop does not spin.
    std::this_thread::sleep_for(deadline - steady_clock::now());
    return BytesWaiting() > 0;
  }
}

int PosixSerialPort::Read(uint8_t* buffer, int capacity) {
  if (fd_ < 0 || capacity <= 0) return 0;
  ssize_t n;
  do {
    n = ::read(fd_, buffer, static_cast<size_t>(capacity));
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<int>(n) : 0;
}

void PosixSerialPort::Write(const uint8_t* bytes, int length) {
  if (fd_ < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + kWriteBound;
  int done = 0;
  while (done < length) {
    const ssize_t n = ::write(fd_, bytes + done, static_cast<size_t>(length - done));
    if (n > 0) {
      done += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return;  // device error: abandon silently
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;  // the line is stuck: abandon the rest of the frame
    pollfd p{fd_, POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(left.count()));
  }
}

void PosixSerialPort::Drain() {
  if (fd_ >= 0) ::tcdrain(fd_);
}

bool PosixSerialPort::SetRts(bool on) {
  if (fd_ < 0) return false;
  if (pseudoTerminal_) {
    if (::tcflow(fd_, on ? TCOOFF : TCOON) != 0) return false;
    outputStopped_ = on;
    return true;
  }
  int bits = TIOCM_RTS;
  return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

bool PosixSerialPort::HungUp() {
  if (fd_ < 0) return false;
  pollfd entry{fd_, POLLIN, 0};
  if (::poll(&entry, 1, 0) <= 0) return false;
  // A terminal that was hung up (its USB device removed, its pseudo-terminal master closed) says
  // POLLHUP, often with POLLERR, on every poll from then on.
  return (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void PosixSerialPort::Close() {
  if (fd_ < 0) return;
  // With nothing left to send, neither the restore nor the close waits for the line. On a device
  // that has hung up or gone away every step below fails, and the descriptor is closed anyway.
  ::tcflush(fd_, TCIOFLUSH);
  if (outputStopped_) ::tcflow(fd_, TCOON);
  if (settingsSaved_) ::tcsetattr(fd_, TCSANOW, &saved_);
  if (linesSaved_) {
    int raise = savedLines_ & (TIOCM_DTR | TIOCM_RTS);
    int lower = ~savedLines_ & (TIOCM_DTR | TIOCM_RTS);
    if (raise != 0) ::ioctl(fd_, TIOCMBIS, &raise);
    if (lower != 0) ::ioctl(fd_, TIOCMBIC, &lower);
  }
  if (!wasExclusive_) ::ioctl(fd_, TIOCNXCL);  // the exclusive mode outlives this descriptor
  ::close(fd_);                                // also releases the advisory lock
  fd_ = -1;
}

}  // namespace zelkon
