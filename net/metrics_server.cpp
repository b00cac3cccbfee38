#include "metrics_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelkon::net {
namespace {

// Seconds an idle connection is kept open.
constexpr unsigned kConnectionTimeoutS = 10;
constexpr int kListenBacklog = 16;

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
MHD_Result Answer(void* page, MHD_Connection* connection, const char* url, const char* method,
                  const char* /*version*/, const char* /*uploadData*/, size_t* /*uploadSize*/,
                  void** /*requestState*/) {
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
  return Reply(connection, MHD_HTTP_OK, kMetricsContentType,
               (*static_cast<const MetricsServer::Page*>(page))());
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

  page_ = std::move(page);
  // The daemon takes the socket over and closes it when it stops.
  daemon_ = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO, 0, nullptr, nullptr,
                             &Answer, &page_, MHD_OPTION_LISTEN_SOCKET, socket,
                             MHD_OPTION_CONNECTION_TIMEOUT, kConnectionTimeoutS, MHD_OPTION_END);
  if (daemon_ == nullptr) {
    why = where + ": the HTTP server did not start";
    ::close(socket);
    port_ = 0;
    return false;
  }
  return true;
}

void MetricsServer::Stop() {
  if (daemon_ == nullptr) return;
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

std::string MetricsServer::HostPort() const {
  return (ipv6_ ? "[" + address_ + "]" : address_) + ":" + std::to_string(port_);
}

std::string MetricsServer::Url() const { return "http://" + HostPort() + "/metrics"; }

}  // namespace zelkon::net
