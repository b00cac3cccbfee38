// The metrics endpoint: GET /metrics over HTTP, answered by libmicrohttpd on its own thread with
// the text a page function gives. Other paths are not found (404); other methods than GET and HEAD
// on /metrics are not allowed (405).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

struct MHD_Daemon;

namespace zelkon::net {

inline constexpr const char* kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

// What the server keeps for its clients, so that none of them can shut the others out.
struct MetricsLimits {
  // Connections kept at once, all clients together and from one client address. A new connection
  // beyond either takes the place of the connection that has waited longest for its request: of
  // its own address when that address is at its limit, else of the address that holds the most.
  // A new connection is refused only when every connection kept is being answered.
  unsigned connections = 64;
  unsigned connectionsPerAddress = 32;
  // The time a request may take to arrive whole, counted from the connection's start (or from the
  // end of the previous answer on it): a client still sending it then is cut off, however often
  // its bytes come.
  std::chrono::milliseconds requestTime{10000};
};

struct ServerState;

class MetricsServer {
 public:
  // Called on the server's thread for every scrape: it must be safe to call from there.
  using Page = std::function<std::string()>;

  explicit MetricsServer(MetricsLimits limits = {});
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;
  ~MetricsServer();

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

  MetricsLimits limits_;
  // What libmicrohttpd's callbacks use: made before the daemon starts, gone after it stopped.
  std::unique_ptr<ServerState> state_;
  MHD_Daemon* daemon_ = nullptr;
  std::string address_;
  bool ipv6_ = false;
  int port_ = 0;
};

}  // namespace zelkon::net
