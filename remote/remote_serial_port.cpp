#include "remote/remote_serial_port.h"

#include <gensio/gensio.h>
#include <gensio/gensio_os_funcs.h>
#include <gensio/gensio_os_funcs_public.h>
#include <gensio/sergensio.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "link/remote_address.h"

namespace zelkon::remote {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Received bytes are held for the reader up to this much; beyond it the connection stops reading
// and the server holds the rest, so that nothing is dropped while the program is busy.
constexpr size_t kReceiveLimit = size_t{1} << 20;

// A connection whose network is gone says nothing: keep-alive probes after 5 s without traffic,
// every 2 s, 3 unanswered, and sent data unacknowledged for 10 s, close it.
constexpr int kKeepAliveIdleS = 5;
constexpr int kKeepAliveIntervalS = 2;
constexpr int kKeepAliveProbes = 3;
constexpr unsigned int kUnacknowledgedMs = 10000;

// The signal the network library's event loop is woken by from other threads. It is blocked in
// the loop's own thread but while that waits, and has a handler that does nothing.
constexpr int kWakeSignal = SIGUSR1;

void IgnoreWake(int) {}

void InstallWakeHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (::sigaction(kWakeSignal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction wake {};
    wake.sa_handler = IgnoreWake;
    wake.sa_flags = SA_RESTART;
    sigemptyset(&wake.sa_mask);
    ::sigaction(kWakeSignal, &wake, nullptr);
  });
}

// The network library's operating-system layer, one for the program, made by the first connection's
// event loop and kept to the end (made again after being freed, it is not usable).
int SharedOsFuncs(gensio_os_funcs*& funcs) {
  static gensio_os_funcs* shared = nullptr;
  static const int error = gensio_default_os_hnd(kWakeSignal, &shared);
  funcs = shared;
  return error;
}

// The network library's description of a connection to `address`: nothing of the name but the
// host and the port reaches it.
std::string GensioSpec(const RemoteAddress& address) {
  std::string spec = "tcp(nodelay),";
  if (address.IsIpv6()) spec += "ipv6,";
  spec += address.host + "," + std::to_string(address.port);
  return address.scheme == RemoteScheme::Rfc2217 ? "telnet(rfc2217)," + spec : spec;
}

std::string ErrorText(int error) {
  switch (error) {
    case GE_CONNREFUSE:
      return "connection refused";
    case GE_TIMEDOUT:
      return "no answer";
    case GE_HOSTDOWN:
      return "host unreachable";
    case GE_REMCLOSE:
      return "closed by the server";
    default:
      return gensio_err_to_str(error);
  }
}

unsigned int ParityCode(Parity parity) {
  switch (parity) {
    case Parity::Odd:
      return SERGENSIO_PARITY_ODD;
    case Parity::Even:
      return SERGENSIO_PARITY_EVEN;
    default:
      return SERGENSIO_PARITY_NONE;
  }
}

// Bits on the line per character: start, data, parity, stop.
int BitsPerCharacter(const LineSettings& line) {
  return 1 + line.dataBits + (line.parity == Parity::None ? 0 : 1) + line.stopBits;
}

}  // namespace

// The connection's state, shared by the caller's threads and the network library's event loop,
// which runs in a thread of its own: every call into the library is made there.
struct RemoteSerialPort::Connection {
  enum class State { Closed, Opening, Open, Lost };

  // One connection attempt and, once open, the connection. Its callbacks carry it.
  struct Attempt {
    Connection* owner = nullptr;
    uint64_t generation = 0;
    gensio* io = nullptr;
    bool abandoned = false;
    bool closing = false;
    bool freed = false;
  };

  // The answers of the server to one change of the remote line.
  struct Answers {
    std::vector<unsigned int> wanted;
    std::vector<long> got;  // -1: refused or failed
    size_t count = 0;
    bool failed = false;
  };
  struct AnswerSlot {
    Connection* owner;
    std::shared_ptr<Answers> answers;
    size_t index;
  };

  Connection() {
    InstallWakeHandler();
    std::unique_lock hold(lock);
    thread = std::thread([this] { Run(); });
    changed.wait(hold, [this] { return started; });
  }

  ~Connection() {
    {
      std::lock_guard hold(lock);
      stopping = true;
    }
    if (os != nullptr) gensio_os_funcs_wake(os, wake);
    thread.join();
  }

  // ---- Caller's side ----------------------------------------------------------------------------

  // Runs `work` in the event loop's thread.
  void Post(std::function<void()> work) {
    {
      std::lock_guard hold(lock);
      if (os == nullptr) return;
      requests.push_back(std::move(work));
    }
    gensio_os_funcs_wake(os, wake);
  }

  // ---- The event loop's thread ------------------------------------------------------------------

  void Run() {
    // The wake signal reaches this thread only while it waits; a closed connection's SIGPIPE
    // never reaches it (the write fails instead).
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, kWakeSignal);
    sigaddset(&blocked, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
    gensio_os_funcs* funcs = nullptr;
    const int error = SharedOsFuncs(funcs);
    gensio_waiter* waiter = error == 0 ? gensio_os_funcs_alloc_waiter(funcs) : nullptr;
    {
      std::lock_guard hold(lock);
      if (waiter != nullptr) {
        os = funcs;
        wake = waiter;
      } else {
        startFailure = "the network library could not start: " +
                       std::string(error != 0 ? gensio_err_to_str(error) : "no waiter");
      }
      started = true;
    }
    changed.notify_all();
    if (waiter == nullptr) return;
    for (;;) {
      std::deque<std::function<void()>> batch;
      bool stop;
      {
        std::lock_guard hold(lock);
        batch.swap(requests);
        stop = stopping;
      }
      for (auto& work : batch)
        work();
      if (stop) break;
      gensio_os_funcs_wait(os, wake, 1, nullptr);
    }
    // The end: whatever is still connected or connecting goes without a goodbye. A close finished
    // by the free finds its attempt already gone from the list.
    const auto leaving = std::move(attempts);
    attempts.clear();
    for (const auto& attempt : leaving)
      Forget(attempt.get());
    gensio_os_funcs_free_waiter(os, wake);
  }

  void StartOpen(const std::string& spec, uint64_t forGeneration) {
    {
      std::lock_guard hold(lock);
      if (forGeneration != generation || state != State::Opening) return;
    }
    auto attempt = std::make_unique<Attempt>();
    attempt->owner = this;
    attempt->generation = forGeneration;
    int error = str_to_gensio(spec.c_str(), os, &Connection::Event, attempt.get(), &attempt->io);
    if (error == 0) error = gensio_open(attempt->io, &Connection::OpenDone, attempt.get());
    if (error != 0) {
      if (attempt->io != nullptr) gensio_free(attempt->io);
      Fail(forGeneration, ErrorText(error));
      return;
    }
    live = attempt.get();
    attempts.push_back(std::move(attempt));
  }

  // The caller gave up on the attempt of `forGeneration`: it is closed at once where the library
  // allows a close before the open is done, else as soon as its open is done, so that a server that
  // never answers does not collect one connection per attempt.
  void Abandon(uint64_t forGeneration) {
    if (live == nullptr || live->generation != forGeneration) return;
    Attempt* attempt = live;
    live = nullptr;
    attempt->abandoned = true;
    if (gensio_close(attempt->io, &Connection::CloseDone, attempt) == 0) attempt->closing = true;
  }

  void CloseLive() {
    if (live == nullptr) return;
    Attempt* attempt = live;
    live = nullptr;
    serial = nullptr;
    CloseAndFree(attempt);
  }

  void CloseAndFree(Attempt* attempt) {
    attempt->abandoned = true;
    if (gensio_close(attempt->io, &Connection::CloseDone, attempt) == 0) {
      attempt->closing = true;
    } else {
      Forget(attempt);
    }
  }

  void Forget(Attempt* attempt) {
    if (!attempt->freed) {
      attempt->freed = true;
      gensio_free(attempt->io);
    }
    attempts.remove_if([attempt](const auto& held) { return held.get() == attempt; });
  }

  void Fail(uint64_t forGeneration, const std::string& why) {
    {
      std::lock_guard hold(lock);
      if (forGeneration != generation || state != State::Opening) return;
      state = State::Closed;
      failure = why;
    }
    changed.notify_all();
  }

  static void OpenDone(gensio* /*io*/, int error, void* data) {
    auto* attempt = static_cast<Attempt*>(data);
    Connection& c = *attempt->owner;
    if (attempt->abandoned) {
      if (attempt->closing) return;  // the close under way ends it
      if (error == 0) {
        c.CloseAndFree(attempt);
      } else {
        c.Forget(attempt);
      }
      return;
    }
    if (error != 0) {
      const uint64_t generation = attempt->generation;
      c.live = nullptr;
      c.Forget(attempt);
      c.Fail(generation, ErrorText(error));
      return;
    }
    c.KeepAlive(attempt->io);
    c.serial = gensio_to_sergensio(attempt->io);
    gensio_set_read_callback_enable(attempt->io, true);
    {
      std::lock_guard hold(c.lock);
      if (attempt->generation == c.generation && c.state == State::Opening) c.state = State::Open;
    }
    c.changed.notify_all();
  }

  static void CloseDone(gensio* /*io*/, void* data) {
    auto* attempt = static_cast<Attempt*>(data);
    attempt->owner->Forget(attempt);
  }

  // Keep-alive probes and a bound on unacknowledged data on the TCP socket at the bottom of the
  // stack, so that a vanished network ends the connection within seconds, not hours.
  void KeepAlive(gensio* io) {
    gensio* bottom = io;
    for (unsigned int depth = 1; gensio_get_child(io, depth) != nullptr; ++depth)
      bottom = gensio_get_child(io, depth);
    gensio_iod* iod = nullptr;
    gensiods size = sizeof(iod);
    if (gensio_control(bottom, 0, GENSIO_CONTROL_GET, GENSIO_CONTROL_IOD,
                       reinterpret_cast<char*>(&iod), &size) != 0 ||
        iod == nullptr) {
      return;
    }
    const int fd = os->iod_get_fd(iod);
    if (fd < 0) return;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof(on));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleS, sizeof(kKeepAliveIdleS));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalS, sizeof(kKeepAliveIntervalS));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof(kKeepAliveProbes));
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUnacknowledgedMs, sizeof(kUnacknowledgedMs));
  }

  static int Event(gensio* io, void* data, int event, int error, unsigned char* buffer,
                   gensiods* length, const char* const* /*auxdata*/) {
    auto* attempt = static_cast<Attempt*>(data);
    Connection& c = *attempt->owner;
    if (attempt->abandoned || attempt != c.live) {
      if (event == GENSIO_EVENT_READ && length != nullptr) *length = 0;
      if (event == GENSIO_EVENT_READ || event == GENSIO_EVENT_WRITE_READY) {
        gensio_set_read_callback_enable(io, false);
        gensio_set_write_callback_enable(io, false);
      }
      return event == GENSIO_EVENT_READ || event == GENSIO_EVENT_WRITE_READY ? 0 : GE_NOTSUP;
    }
    switch (event) {
      case GENSIO_EVENT_READ:
        return c.Received(io, error, buffer, length);
      case GENSIO_EVENT_WRITE_READY:
        c.SendOutgoing();
        return 0;
      default:
        return GE_NOTSUP;  // modem and line state changes of the remote device: not needed
    }
  }

  int Received(gensio* io, int error, const unsigned char* buffer, gensiods* length) {
    if (error != 0) {
      gensio_set_read_callback_enable(io, false);
      gensio_set_write_callback_enable(io, false);
      {
        std::lock_guard hold(lock);
        if (state == State::Open) {
          state = State::Lost;
          failure = ErrorText(error);
        }
      }
      changed.notify_all();
      return 0;
    }
    {
      std::lock_guard hold(lock);
      const size_t room = kReceiveLimit - std::min(kReceiveLimit, received.size());
      const size_t taken = std::min<size_t>(room, *length);
      received.insert(received.end(), buffer, buffer + taken);
      *length = taken;
      if (received.size() >= kReceiveLimit) {
        readingPaused = true;
        gensio_set_read_callback_enable(io, false);
      }
    }
    changed.notify_all();
    return 0;
  }

  void ResumeReading() {
    if (live != nullptr) gensio_set_read_callback_enable(live->io, true);
  }

  // Hands the connection what it takes of the outgoing bytes; the rest waits for it to be ready.
  void SendOutgoing() {
    if (live == nullptr) return;
    std::vector<uint8_t> pending;
    {
      std::lock_guard hold(lock);
      pending = outgoing;
    }
    gensiods taken = 0;
    const int error = pending.empty()
                          ? 0
                          : gensio_write(live->io, &taken, pending.data(), pending.size(), nullptr);
    {
      std::lock_guard hold(lock);
      if (error != 0) {
        sentTotal += outgoing.size();  // a broken connection: the read side says so
        outgoing.clear();
      } else {
        outgoing.erase(outgoing.begin(), outgoing.begin() + static_cast<ptrdiff_t>(taken));
        sentTotal += taken;
      }
      gensio_set_write_callback_enable(live->io, !outgoing.empty());
    }
    changed.notify_all();
  }

  // Asks the server for each of `answers->wanted` in turn (baud, data bits, parity, stop bits or
  // RTS, as `setters` give them); each answer lands in its slot.
  using Setter = int (*)(sergensio*, unsigned int, sergensio_done, void*);
  void AskLine(const std::vector<Setter>& setters, const std::shared_ptr<Answers>& answers) {
    for (size_t i = 0; i < setters.size(); ++i) {
      auto* slot = new AnswerSlot{this, answers, i};
      if (serial == nullptr ||
          setters[i](serial, answers->wanted[i], &Connection::Answered, slot) != 0) {
        delete slot;
        {
          std::lock_guard hold(lock);
          answers->failed = true;
        }
        changed.notify_all();
        return;
      }
    }
  }

  static void Answered(sergensio* /*sio*/, int error, unsigned int value, void* data) {
    std::unique_ptr<AnswerSlot> slot(static_cast<AnswerSlot*>(data));
    Connection& c = *slot->owner;
    {
      std::lock_guard hold(c.lock);
      slot->answers->got[slot->index] = error == 0 ? static_cast<long>(value) : -1;
      ++slot->answers->count;
    }
    c.changed.notify_all();
  }

  // Posts the questions and waits for every answer; true when each is the value asked for.
  bool SetLine(const std::vector<Setter>& setters, std::vector<unsigned int> wanted) {
    auto answers = std::make_shared<Answers>();
    answers->got.assign(wanted.size(), -1);
    answers->wanted = std::move(wanted);
    Post([this, setters, answers] { AskLine(setters, answers); });
    std::unique_lock hold(lock);
    const bool answered = changed.wait_for(hold, kAnswerBound, [&] {
      return answers->failed || answers->count == answers->wanted.size() || state != State::Open;
    });
    if (!answered || answers->failed || answers->count != answers->wanted.size()) return false;
    // A question (0) is answered by any value; a change, by the value asked for.
    for (size_t i = 0; i < answers->wanted.size(); ++i) {
      if (answers->got[i] < 0) return false;
      if (answers->wanted[i] != 0 && answers->got[i] != static_cast<long>(answers->wanted[i]))
        return false;
    }
    return true;
  }

  std::mutex lock;
  std::condition_variable changed;

  // Under `lock`.
  bool started = false;
  bool stopping = false;
  std::string startFailure;
  std::deque<std::function<void()>> requests;
  State state = State::Closed;
  uint64_t generation = 0;
  std::string failure;
  std::vector<uint8_t> received;
  bool readingPaused = false;
  std::vector<uint8_t> outgoing;
  uint64_t queuedTotal = 0;  // bytes ever handed to Write, and ever taken by the connection
  uint64_t sentTotal = 0;
  bool rfc2217 = false;
  LineSettings line;
  SteadyClock::time_point lineBusyUntil;
  gensio_os_funcs* os = nullptr;  // set once at start
  gensio_waiter* wake = nullptr;

  // The event loop's thread only.
  std::list<std::unique_ptr<Attempt>> attempts;
  Attempt* live = nullptr;
  sergensio* serial = nullptr;

  std::thread thread;  // last: starts when everything above exists
};

RemoteSerialPort::RemoteSerialPort() : connection_(std::make_unique<Connection>()) {}

RemoteSerialPort::~RemoteSerialPort() { Close(); }

bool RemoteSerialPort::Open(const std::string& name) {
  Connection& c = *connection_;
  const auto parsed = ParseRemoteAddress(name);
  std::unique_lock hold(c.lock);
  if (c.os == nullptr) {
    c.failure = c.startFailure;
    return false;
  }
  if (const auto* why = std::get_if<std::string>(&parsed)) {
    c.failure = *why;
    return false;
  }
  if (c.state != Connection::State::Closed) {
    c.failure = "already open";
    return false;
  }
  const RemoteAddress& address = std::get<RemoteAddress>(parsed);
  c.state = Connection::State::Opening;
  const uint64_t generation = ++c.generation;
  c.failure.clear();
  c.received.clear();
  c.readingPaused = false;
  c.outgoing.clear();
  c.queuedTotal = c.sentTotal = 0;
  c.rfc2217 = address.scheme == RemoteScheme::Rfc2217;
  c.line = LineSettings{};
  c.lineBusyUntil = SteadyClock::now();
  hold.unlock();
  c.Post([&c, spec = GensioSpec(address), generation] { c.StartOpen(spec, generation); });
  hold.lock();
  const bool done =
      c.changed.wait_for(hold, kAnswerBound, [&] { return c.state != Connection::State::Opening; });
  if (!done) {
    c.state = Connection::State::Closed;
    c.failure = "no answer within 1 s";
    hold.unlock();
    c.Post([&c, generation] { c.Abandon(generation); });
    return false;
  }
  if (c.state != Connection::State::Open) return false;
  if (!c.rfc2217) return true;
  // An RFC 2217 server answers a question about the line; a server that does not is not one (or
  // is stuck), and the port is not open.
  hold.unlock();
  const bool answers = c.SetLine({&sergensio_baud}, {0});  // 0 asks without changing
  if (answers) return true;
  const bool lost = [&] {
    std::lock_guard again(c.lock);
    return c.state == Connection::State::Lost;
  }();
  Close();
  std::lock_guard again(c.lock);
  c.failure = lost ? c.failure : "the server does not answer as an RFC 2217 port";
  return false;
}

std::string RemoteSerialPort::OpenFailure() const {
  std::lock_guard hold(connection_->lock);
  return connection_->failure;
}

bool RemoteSerialPort::SetQueueSizes(int /*receiveBytes*/, int /*transmitBytes*/) {
  std::lock_guard hold(connection_->lock);
  return connection_->state == Connection::State::Open;
}

void RemoteSerialPort::Purge() {
  Connection& c = *connection_;
  bool flushRemote;
  {
    std::lock_guard hold(c.lock);
    c.received.clear();
    c.readingPaused = false;
    flushRemote = c.rfc2217 && c.state == Connection::State::Open;
  }
  c.Post([&c, flushRemote] {
    c.ResumeReading();
    if (flushRemote && c.serial != nullptr) {
      sergensio_flush(c.serial, SERGENSIO_FLUSH_RCV_XMIT_BUFFERS);
    }
  });
}

int RemoteSerialPort::Configure(const LineSettings& line) {
  Connection& c = *connection_;
  bool rfc2217;
  {
    std::lock_guard hold(c.lock);
    if (c.state != Connection::State::Open) return -1;
    c.line = line;
    rfc2217 = c.rfc2217;
  }
  if (!rfc2217) return 0;
  const bool taken =
      c.SetLine({&sergensio_baud, &sergensio_datasize, &sergensio_parity, &sergensio_stopbits},
                {static_cast<unsigned int>(line.baudRate), static_cast<unsigned int>(line.dataBits),
                 ParityCode(line.parity), static_cast<unsigned int>(line.stopBits)});
  return taken ? 0 : -1;
}

int RemoteSerialPort::BytesWaiting() {
  std::lock_guard hold(connection_->lock);
  return static_cast<int>(connection_->received.size());
}

bool RemoteSerialPort::WaitForInput(int ms) {
  Connection& c = *connection_;
  std::unique_lock hold(c.lock);
  if (c.state == Connection::State::Closed) return false;
  // A lost connection waits out the time, as a hung-up device does, so that a caller waiting in a
  // loop does not spin.
  return c.changed.wait_for(hold, std::chrono::milliseconds(ms), [&] {
    return !c.received.empty() || c.state == Connection::State::Closed;
  }) && !c.received.empty();
}

int RemoteSerialPort::Read(uint8_t* buffer, int capacity) {
  Connection& c = *connection_;
  if (capacity <= 0) return 0;
  std::lock_guard hold(c.lock);
  const size_t count = std::min(c.received.size(), static_cast<size_t>(capacity));
  std::copy_n(c.received.begin(), count, buffer);
  c.received.erase(c.received.begin(), c.received.begin() + static_cast<ptrdiff_t>(count));
  if (c.readingPaused && c.received.size() < kReceiveLimit / 2) {
    c.readingPaused = false;
    c.requests.push_back([&c] { c.ResumeReading(); });
    if (c.os != nullptr) gensio_os_funcs_wake(c.os, c.wake);
  }
  return static_cast<int>(count);
}

void RemoteSerialPort::Write(const uint8_t* bytes, int length) {
  Connection& c = *connection_;
  if (length <= 0) return;
  uint64_t end;
  {
    std::lock_guard hold(c.lock);
    if (c.state != Connection::State::Open) return;
    c.outgoing.insert(c.outgoing.end(), bytes, bytes + length);
    c.queuedTotal += static_cast<uint64_t>(length);
    end = c.queuedTotal;
    const auto lineTime =
        std::chrono::microseconds(static_cast<int64_t>(length) * BitsPerCharacter(c.line) *
                                  1'000'000 / std::max(1, c.line.baudRate));
    c.lineBusyUntil = std::max(c.lineBusyUntil, SteadyClock::now()) + lineTime;
  }
  c.Post([&c] { c.SendOutgoing(); });
  std::unique_lock hold(c.lock);
  c.changed.wait_for(hold, kWriteBound,
                     [&] { return c.sentTotal >= end || c.state != Connection::State::Open; });
}

void RemoteSerialPort::Drain() {
  Connection& c = *connection_;
  SteadyClock::time_point until;
  {
    std::unique_lock hold(c.lock);
    c.changed.wait_for(hold, kWriteBound, [&] {
      return c.sentTotal >= c.queuedTotal || c.state != Connection::State::Open;
    });
    until = std::min(c.lineBusyUntil, SteadyClock::now() + kWriteBound);
  }
  std::this_thread::sleep_until(until);
}

bool RemoteSerialPort::SetRts(bool on) {
  Connection& c = *connection_;
  {
    std::lock_guard hold(c.lock);
    if (c.state != Connection::State::Open || !c.rfc2217) return false;
  }
  return c.SetLine({&sergensio_rts}, {on ? SERGENSIO_RTS_ON : SERGENSIO_RTS_OFF});
}

void RemoteSerialPort::Close() {
  Connection& c = *connection_;
  {
    std::lock_guard hold(c.lock);
    if (c.state == Connection::State::Closed) return;
    c.state = Connection::State::Closed;
    c.received.clear();
    c.outgoing.clear();
  }
  c.changed.notify_all();
  c.Post([&c] { c.CloseLive(); });
}

bool RemoteSerialPort::HungUp() {
  std::lock_guard hold(connection_->lock);
  return connection_->state == Connection::State::Lost;
}

}  // namespace zelkon::remote
