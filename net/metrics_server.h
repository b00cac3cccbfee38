// The metrics endpoint: GET /metrics over HTTP, answered by libmicrohttpd on its own thread with
// the text a page function gives. Other paths are not found (404); other methods than GET and HEAD
// on /metrics are not allowed (405).
#pragma once

#include <functional>
#include <string>

struct MHD_Daemon;

namespace zelkon::net {

inline constexpr const char* kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

class MetricsServer {
 public:
  // Called on the server's thread for every scrape: it must be safe to call from there.
  using Page = std::function<std::string()>;

  MetricsServer() = default;
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;
  ~MetricsServer() { Stop(); }

  // Listens on `address` (a numeric IPv4 or IPv6 address) and `port` (0: any free port) and
  // serves `page`. False, with the reason in `why`, when it cannot.
  bool Start(const std::string& address, int port, Page page, std::string& why);
  // Stops listening, lets the server's thread end and waits for it. Nothing once stopped.
  void Stop();

  // The port listened on (the one chosen for port 0), and the endpoint's URL.
  int Port() const { return port_; }
  std::string Url() const;

 private:
  std::string HostPort() const;

  MHD_Daemon* daemon_ = nullptr;
  Page page_;
  std::string address_;
  bool ipv6_ = false;
  int port_ = 0;
};

}  // namespace zelkon::net
