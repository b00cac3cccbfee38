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

// Connections to a server on the loopback that send the start of a request, then one byte at a
// time, never ending it.
struct Tricklers {
  std::vector<int> fds;

  ~Tricklers() {
    for (const int fd : fds)
      ::close(fd);
  }
  // A connection the server has not taken within 20 ms is left to connect later.
  void Open(int port, int count) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string start = "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
    for (int i = 0; i < count; ++i) {
      fds.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
      ::connect(fds.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
      pollfd connected{fds.back(), POLLOUT, 0};
      ::poll(&connected, 1, 20);
      ::send(fds.back(), start.data(), start.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
  }
  void Trickle() {
    for (const int fd : fds)
      ::send(fd, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  }
  // Connections the server has closed.
  size_t Cut() const {
    size_t cut = 0;
    for (const int fd : fds) {
      char byte;
      const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
      cut += n >= 0 || (errno != EAGAIN && errno != ENOTCONN) ? 1 : 0;
    }
    return cut;
  }
};

}  // namespace zelkon::testing
