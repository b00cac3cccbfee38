#include "metrics_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

namespace zelkon::net {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Seconds a connection that sends nothing at all is kept open.
constexpr unsigned kConnectionTimeoutS = 10;
constexpr int kListenBacklog = 128;
// Room above the connections kept for those being cut off, which libmicrohttpd counts until it has
// closed them.
constexpr unsigned kClosingRoom = 32;

// The client's address without its port: the connections of one client share it.
std::string AddressOf(const sockaddr* address) {
  if (address == nullptr) return {};
  if (address->sa_family == AF_INET) {
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
    return {reinterpret_cast<const char*>(&ipv4->sin_addr), sizeof ipv4->sin_addr};
  }
  if (address->sa_family == AF_INET6) {
    const auto* ipv6 = reinterpret_cast<const sockaddr_in6*>(address);
    return {reinterpret_cast<const char*>(&ipv6->sin6_addr), sizeof ipv6->sin6_addr};
  }
  return {};
}

}  // namespace

// Keeps the server's connections within its limits. libmicrohttpd's own timeout counts from the
// last byte received, so a client sending one byte now and then would keep a connection for ever,
// and its own limit per address would shut out every local client once one of them has taken all
// the connections of 127.0.0.1. The warden counts from the start of each request instead, and
// makes room for a new connection by cutting off the one that has waited longest for its request.
//
// A connection is cut off by shutting its socket down, through a duplicate of its descriptor that
// the warden holds from the connection's start to its close: the socket cannot be closed, and its
// number taken by another file, while the watch thread may still use it. libmicrohttpd sees the end
// of the stream and closes the connection on its own thread as usual.
class ConnectionWarden {
 public:
  explicit ConnectionWarden(const MetricsLimits& limits)
      : limits_(limits), watch_([this](std::stop_token stop) { Watch(stop); }) {}
  ConnectionWarden(const ConnectionWarden&) = delete;
  ConnectionWarden& operator=(const ConnectionWarden&) = delete;
  // Stops and joins the watch thread. The daemon has stopped before: every connection is closed.
  ~ConnectionWarden() = default;

  // The callbacks of libmicrohttpd, all on the server's thread.

  // A new connection from `address`: false refuses it.
  bool Admit(const sockaddr* address) {
    const std::string from = AddressOf(address);
    std::lock_guard lock(mutex_);
    CutOverdue(SteadyClock::now());
    std::map<std::string, unsigned> kept;
    unsigned total = 0;
    for (const auto& c : connections_) {
      if (c->cut) continue;
      ++kept[c->address];
      ++total;
    }
    if (kept[from] < limits_.connectionsPerAddress && total < limits_.connections) return true;
    const bool addressFull = kept[from] >= limits_.connectionsPerAddress;
    // The connection waiting longest for its request, of this address when it is the one that is
    // full, else of the address that holds the most.
    Connection* victim = nullptr;
    for (const auto& c : connections_) {
      if (c->cut || !c->receiving || (addressFull && c->address != from)) continue;
      if (victim == nullptr || kept[c->address] > kept[victim->address] ||
          (kept[c->address] == kept[victim->address] && c->since < victim->since))
        victim = c.get();
    }
    if (victim == nullptr) return false;
    Cut(*victim);
    return true;
  }

  void Started(MHD_Connection* connection, void** context) {
    const MHD_ConnectionInfo* socket =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    const MHD_ConnectionInfo* client =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    auto watched = std::make_unique<Connection>();
    watched->address = AddressOf(client != nullptr ? client->client_addr : nullptr);
    watched->since = SteadyClock::now();
    if (socket != nullptr) watched->fd = ::fcntl(socket->connect_fd, F_DUPFD_CLOEXEC, 0);
    // A connection that cannot be watched (no descriptor left for the duplicate) is not served.
    if (watched->fd < 0) {
      if (socket != nullptr) ::shutdown(socket->connect_fd, SHUT_RDWR);
      watched->cut = true;
    }
    *context = watched.get();
    std::lock_guard lock(mutex_);
    connections_.push_back(std::move(watched));
    woken_ = true;
    changed_.notify_one();
  }

  void Closed(void* context) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(connections_.begin(), connections_.end(),
                                    [context](const auto& c) { return c.get() == context; });
    if (found == connections_.end()) return;
    if ((*found)->fd >= 0) ::close((*found)->fd);
    connections_.erase(found);
  }

  // The request's header has arrived whole: the connection is being answered.
  void RequestArrived(MHD_Connection* connection) {
    Connection* c = Of(connection);
    if (c == nullptr) return;
    std::lock_guard lock(mutex_);
    c->receiving = false;
  }

  // The answer has gone: the connection waits for its next request from now.
  void AnswerEnded(MHD_Connection* connection) {
    Connection* c = Of(connection);
    if (c == nullptr) return;
    std::lock_guard lock(mutex_);
    c->receiving = true;
    c->since = SteadyClock::now();
    woken_ = true;
    changed_.notify_one();
  }

 private:
  struct Connection {
    std::string address;
    int fd = -1;                    // the warden's duplicate of the connection's socket
    SteadyClock::time_point since;  // when it began to wait for its current request
    bool receiving = true;          // waiting for (the rest of) a request
    bool cut = false;
  };

  static Connection* Of(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info != nullptr ? static_cast<Connection*>(info->socket_context) : nullptr;
  }

  // Under the mutex.
  void Cut(Connection& c) {
    ::shutdown(c.fd, SHUT_RDWR);
    c.cut = true;
  }

  // Cuts off the connections whose request time is over. Under the mutex; the time the next one's
  // is over, if any is waiting.
  std::optional<SteadyClock::time_point> CutOverdue(SteadyClock::time_point now) {
    std::optional<SteadyClock::time_point> next;
    for (const auto& c : connections_) {
      if (c->cut || !c->receiving) continue;
      const SteadyClock::time_point over = c->since + limits_.requestTime;
      if (over <= now) {
        Cut(*c);
      } else if (!next || over < *next) {
        next = over;
      }
    }
    return next;
  }

  // The watch thread: cuts off every connection at the end of its request time, also while no
  // client connects.
  void Watch(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
      const std::optional<SteadyClock::time_point> next = CutOverdue(SteadyClock::now());
      const auto woken = [this] { return std::exchange(woken_, false); };
      if (next) {
        changed_.wait_until(lock, stop, *next, woken);
      } else {
        changed_.wait(lock, stop, woken);
      }
    }
  }

  const MetricsLimits limits_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  bool woken_ = false;  // a connection began to wait for a request since the watch looked
  std::vector<std::unique_ptr<Connection>> connections_;
  std::jthread watch_;  // last: it starts once the rest is made, and is joined first
};

struct ServerState {
  ServerState(MetricsServer::Page page, const MetricsLimits& limits)
      : page(std::move(page)), warden(limits) {}
  MetricsServer::Page page;
  ConnectionWarden warden;
};

namespace {

MHD_Result Reply(MHD_Connection* connection, unsigned status, const char* contentType,
                 const std::string& body, const char* allow = nullptr) {
  MHD_Response* response = MHD_create_response_from_buffer(
      body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
  if (allow != nullptr) MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, allow);
  const MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return queued;
}

// libmicrohttpd's request handler. It answers on the first call, before any request body is read
// (a request with a body gets its 405 without it).
MHD_Result Answer(void* state, MHD_Connection* connection, const char* url, const char* method,
                  const char* /*version*/, const char* /*uploadData*/, size_t* /*uploadSize*/,
                  void** /*requestState*/) {
  auto& server = *static_cast<ServerState*>(state);
  server.warden.RequestArrived(connection);
  constexpr const char* kPlainText = "text/plain; charset=utf-8";
  if (std::strcmp(url, "/metrics") != 0) {
    return Reply(connection, MHD_HTTP_NOT_FOUND, kPlainText,
                 "Not found: the metrics are at /metrics\n");
  }
  if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
      std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0) {
    return Reply(connection, MHD_HTTP_METHOD_NOT_ALLOWED, kPlainText,
                 "Method not allowed: /metrics answers GET\n", "GET, HEAD");
  }
  return Reply(connection, MHD_HTTP_OK, kMetricsContentType, server.page());
}

MHD_Result Admit(void* state, const sockaddr* address, socklen_t /*length*/) {
  return static_cast<ServerState*>(state)->warden.Admit(address) ? MHD_YES : MHD_NO;
}

void ConnectionChanged(void* state, MHD_Connection* connection, void** context,
                       MHD_ConnectionNotificationCode change) {
  ConnectionWarden& warden = static_cast<ServerState*>(state)->warden;
  if (change == MHD_CONNECTION_NOTIFY_STARTED) {
    warden.Started(connection, context);
  } else {
    warden.Closed(*context);
  }
}

void RequestEnded(void* state, MHD_Connection* connection, void** /*requestState*/,
                  MHD_RequestTerminationCode /*how*/) {
  static_cast<ServerState*>(state)->warden.AnswerEnded(connection);
}

std::string Reason(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

bool MetricsServer::Start(const std::string& address, int port, Page page, std::string& why) {
  Stop();
  sockaddr_storage storage{};
  socklen_t length = 0;
  auto* ipv4 = reinterpret_cast<sockaddr_in*>(&storage);
  auto* ipv6 = reinterpret_cast<sockaddr_in6*>(&storage);
  if (inet_pton(AF_INET, address.c_str(), &ipv4->sin_addr) == 1) {
    ipv4->sin_family = AF_INET;
    ipv4->sin_port = htons(static_cast<uint16_t>(port));
    length = sizeof(sockaddr_in);
  } else if (inet_pton(AF_INET6, address.c_str(), &ipv6->sin6_addr) == 1) {
    ipv6->sin6_family = AF_INET6;
    ipv6->sin6_port = htons(static_cast<uint16_t>(port));
    length = sizeof(sockaddr_in6);
  } else {
    why = "metrics: '" + address + "' is not a numeric IPv4 or IPv6 address";
    return false;
  }
  ipv6_ = storage.ss_family == AF_INET6;
  address_ = address;
  port_ = port;
  const std::string where = "metrics: cannot listen on " + HostPort();

  // The socket is opened here rather than by libmicrohttpd, which would not say why it failed.
  const int socket = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) {
    why = Reason(where);
    return false;
  }
  const int on = 1;
  // A restart takes its port back from connections still in TIME_WAIT.
  ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (ipv6_) ::setsockopt(socket, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
  if (::bind(socket, reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
      ::listen(socket, kListenBacklog) != 0 ||
      ::getsockname(socket, reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
    why = Reason(where);
    ::close(socket);
    return false;
  }
  port_ = ntohs(ipv6_ ? ipv6->sin6_port : ipv4->sin_port);

  state_ = std::make_unique<ServerState>(std::move(page), limits_);
  // The daemon takes the socket over and closes it when it stops. It waits with epoll, which has
  // no limit on descriptor numbers, on its own thread; every callback runs there.
  const unsigned connectionLimit = limits_.connections + kClosingRoom;
  daemon_ =
      MHD_start_daemon(MHD_USE_EPOLL_INTERNAL_THREAD, 0, &Admit, state_.get(), &Answer,
                       state_.get(), MHD_OPTION_LISTEN_SOCKET, socket, MHD_OPTION_CONNECTION_LIMIT,
                       connectionLimit, MHD_OPTION_CONNECTION_TIMEOUT, kConnectionTimeoutS,
                       MHD_OPTION_NOTIFY_CONNECTION, &ConnectionChanged, state_.get(),
                       MHD_OPTION_NOTIFY_COMPLETED, &RequestEnded, state_.get(), MHD_OPTION_END);
  if (daemon_ == nullptr) {
    why = where + ": the HTTP server did not start";
    ::close(socket);
    state_.reset();
    port_ = 0;
    return false;
  }
  return true;
}

MetricsServer::MetricsServer(MetricsLimits limits) : limits_(limits) {}

MetricsServer::~MetricsServer() { Stop(); }

void MetricsServer::Stop() {
  if (daemon_ == nullptr) return;
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
  state_.reset();
}

std::string MetricsServer::HostPort() const {
  return (ipv6_ ? "[" + address_ + "]" : address_) + ":" + std::to_string(port_);
}

std::string MetricsServer::Url() const { return "http://" + HostPort() + "/metrics"; }

}  // namespace zelkon::net
