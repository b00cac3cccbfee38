// One HTTP/1.0 request to a server on the loopback, for the tests of the metrics endpoint: what
// comes back, split into the status, the header lines and the body.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <cstdlib>
#include <string>

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

}  // namespace zelkon::testing
