// One HTTP/1.0 request to a server on the loopback, for the tests of the metrics endpoint: what
// comes back, split into the status, the header lines and the body. And clients that never finish
// their request.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace zelkon::testing {

struct HttpReply {
  int status = 0;  // 0: no answer (nothing listening, or the connection failed)
  std::string head;
  std::string body;
};

// Waits at most 5 s for the answer.
inline HttpReply HttpRequest(int port, const std::string& method, const std::string& path) {
  HttpReply reply;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return reply;
  const timeval timeout{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string response;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = method + " " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
      char buffer[4096];
      for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        response.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  const size_t end = response.find("\r\n\r\n");
  if (response.rfind("HTTP/1.", 0) != 0 || end == std::string::npos) return reply;
  reply.status = std::atoi(response.c_str() + response.find(' ') + 1);
  reply.head = response.substr(0, end);
  reply.body = response.substr(end + 4);
  return reply;
}

// Connections to a server on the loopback that each send the start of a request and then one byte
// at a time, never ending it. Each holds one descriptor until it is destroyed.
class Tricklers {
 public:
  Tricklers() = default;
  Tricklers(const Tricklers&) = delete;
  Tricklers& operator=(const Tricklers&) = delete;
  ~Tricklers() {
    for (const Connection& c : connections_)
      ::close(c.fd);
  }

  // Opens `count` connections, `batch` at a time, waiting at most `wait` for each batch to be
  // connected and to send the start of its request. A connection the server has not taken by then
  // stays pending and starts when it is. False when no more descriptors can be had.
  bool Open(int port, int count, int batch = 32,
            std::chrono::milliseconds wait = std::chrono::milliseconds(200)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int opened = 0; opened < count;) {
      const size_t first = connections_.size();
      for (int i = 0; i < batch && opened < count; ++i, ++opened) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        connections_.push_back({fd});
      }
      const auto deadline = std::chrono::steady_clock::now() + wait;
      while (Send(first, false) < connections_.size() - first &&
             std::chrono::steady_clock::now() < deadline)
        ::poll(nullptr, 0, 5);
    }
    return true;
  }

  // Sends one more byte on every connection still open (the start of its request first).
  void Trickle() { Send(0, true); }

  // Connections the server has closed (or answered, which it does only to end the request).
  size_t Cut() {
    size_t cut = 0;
    for (Connection& c : connections_)
      cut += c.cut || CheckCut(c) ? 1 : 0;
    return cut;
  }

  size_t Size() const { return connections_.size(); }

 private:
  struct Connection {
    int fd;
    size_t sent = 0;
    bool cut = false;
  };

  // Sends the start of the request where it has not gone yet, and one more byte elsewhere when
  // `more`. The number of connections from `first` on that have sent their start or been closed.
  size_t Send(size_t first, bool more) {
    static const std::string kStart = "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
    size_t settled = 0;
    for (size_t i = first; i < connections_.size(); ++i) {
      Connection& c = connections_[i];
      if (!c.cut && !CheckCut(c) && (c.sent < kStart.size() || more)) {
        const std::string next = c.sent < kStart.size() ? kStart.substr(c.sent) : "a";
        const ssize_t n = ::send(c.fd, next.data(), next.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) c.sent += static_cast<size_t>(n);
        if (n < 0 && errno != EAGAIN && errno != ENOTCONN) c.cut = true;
      }
      if (c.cut || c.sent >= kStart.size()) ++settled;
    }
    return settled;
  }

  static bool CheckCut(Connection& c) {
    char byte;
    const ssize_t n = ::recv(c.fd, &byte, 1, MSG_DONTWAIT);
    c.cut = n >= 0 || (errno != EAGAIN && errno != ENOTCONN);
    return c.cut;
  }

  std::vector<Connection> connections_;
};

}  // namespace zelkon::testing
