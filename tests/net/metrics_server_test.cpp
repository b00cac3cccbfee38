// The metrics endpoint's HTTP server on the loopback, answering real requests on its own thread.
#include "metrics_server.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/metrics_publisher.h"
#include "support/http_client.h"

namespace zelkon {
namespace {

using net::MetricsServer;
using testing::HttpReply;
using testing::HttpRequest;
using testing::Tricklers;
using namespace std::chrono_literals;

MetricsPage PageOf(const std::string& device) {
  MetricsPage page;
  page.labels = "device=\"" + EscapeLabelValue(device) + '"';
  page.families =
      "# HELP zelkon_satellites_used Satellites.\n# TYPE zelkon_satellites_used gauge\n"
      "zelkon_satellites_used{" +
      page.labels + "} 8\n";
  return page;
}

TEST(MetricsServer, ServesTheMetricsPathOnlyAndOnlyToGetAndHead) {
  MetricsPublisher publisher;
  publisher.Publish(PageOf("/dev/ttyUSB0"));
  MetricsServer server;
  std::string why;
  ASSERT_TRUE(server.Start(
      "127.0.0.1", 0, [&] { return publisher.Text(); }, why))
      << why;
  ASSERT_GT(server.Port(), 0);
  EXPECT_EQ(server.Url(), "http://127.0.0.1:" + std::to_string(server.Port()) + "/metrics");

  const HttpReply metrics = HttpRequest(server.Port(), "GET", "/metrics");
  EXPECT_EQ(metrics.status, 200);
  EXPECT_NE(metrics.head.find("Content-Type: text/plain; version=0.0.4; charset=utf-8"),
            std::string::npos)
      << metrics.head;
  EXPECT_EQ(metrics.body, publisher.Text());

  const HttpReply head = HttpRequest(server.Port(), "HEAD", "/metrics");
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.body, "");

  EXPECT_EQ(HttpRequest(server.Port(), "GET", "/").status, 404);
  EXPECT_EQ(HttpRequest(server.Port(), "GET", "/metrics/").status, 404);
  EXPECT_EQ(HttpRequest(server.Port(), "POST", "/elsewhere").status, 404);
  const HttpReply post = HttpRequest(server.Port(), "POST", "/metrics");
  EXPECT_EQ(post.status, 405);
  EXPECT_NE(post.head.find("Allow: GET, HEAD"), std::string::npos) << post.head;
  EXPECT_EQ(HttpRequest(server.Port(), "DELETE", "/metrics").status, 405);

  // Stopped, nothing answers any more.
  const int port = server.Port();
  server.Stop();
  EXPECT_EQ(HttpRequest(port, "GET", "/metrics").status, 0);
}

TEST(MetricsServer, SaysWhyItCannotListen) {
  MetricsServer first;
  std::string why;
  ASSERT_TRUE(first.Start(
      "127.0.0.1", 0, [] { return std::string(); }, why))
      << why;

  MetricsServer second;
  EXPECT_FALSE(second.Start(
      "127.0.0.1", first.Port(), [] { return std::string(); }, why));
  EXPECT_EQ(why, "metrics: cannot listen on 127.0.0.1:" + std::to_string(first.Port()) +
                     ": Address already in use");
  // An address of no interface of this machine (TEST-NET-1).
  EXPECT_FALSE(second.Start(
      "192.0.2.1", 0, [] { return std::string(); }, why));
  EXPECT_NE(why.find("192.0.2.1:0: Cannot assign requested address"), std::string::npos) << why;
  EXPECT_FALSE(second.Start(
      "localhost", 0, [] { return std::string(); }, why));
  EXPECT_NE(why.find("'localhost' is not a numeric"), std::string::npos) << why;
}

// Pages published on one thread while another scrapes: every scrape gets one whole page.
TEST(MetricsServer, EveryScrapeGetsOneWholePublishedPage) {
  MetricsPublisher publisher;
  publisher.Publish(PageOf("/dev/ttyS0"));
  MetricsServer server;
  std::string why;
  ASSERT_TRUE(server.Start(
      "127.0.0.1", 0, [&] { return publisher.Text(); }, why))
      << why;

  std::atomic<bool> done{false};
  std::thread publishing([&] {
    for (int i = 0; !done; ++i)
      publisher.Publish(PageOf(i % 2 == 0 ? "/dev/ttyS0" : "/dev/serial/by-id/usb-\"long\"-name"));
  });
  const std::string first = PageOf("/dev/ttyS0").families;
  const std::string second = PageOf("/dev/serial/by-id/usb-\"long\"-name").families;
  for (int i = 0; i < 50; ++i) {
    const HttpReply reply = HttpRequest(server.Port(), "GET", "/metrics");
    ASSERT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body == first || reply.body == second) << reply.body;
  }
  done = true;
  publishing.join();
}

// The soft limit of open descriptors raised to the hard one while it lives: both ends of every
// connection of a test are in this process.
class RaisedDescriptorLimit {
 public:
  RaisedDescriptorLimit() {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit raised = saved_;
    raised.rlim_cur = saved_.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &raised);
  }
  RaisedDescriptorLimit(const RaisedDescriptorLimit&) = delete;
  RaisedDescriptorLimit& operator=(const RaisedDescriptorLimit&) = delete;
  ~RaisedDescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

  rlim_t Hard() const { return saved_.rlim_max; }

 private:
  rlimit saved_{};
};

// Clients that send their request a byte at a time, each byte long before the idle timeout, are cut
// off once the request time has passed since they connected; the server answers on.
TEST(MetricsServer, CutsOffARequestThatIsNotWholeWithinTheRequestTime) {
  MetricsServer server(net::MetricsLimits{.requestTime = 500ms});
  std::string why;
  ASSERT_TRUE(server.Start(
      "127.0.0.1", 0, [] { return std::string("up 1\n"); }, why))
      << why;
  Tricklers slow;
  ASSERT_TRUE(slow.Open(server.Port(), 8));
  const auto giveUp = std::chrono::steady_clock::now() + 5s;
  while (slow.Cut() < slow.Size() && std::chrono::steady_clock::now() < giveUp) {
    slow.Trickle();
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(slow.Cut(), slow.Size());
  EXPECT_EQ(HttpRequest(server.Port(), "GET", "/metrics").body, "up 1\n");
}

// A local client trickling on more connections than the server keeps (than libmicrohttpd takes by
// itself, 1020, when this process may open enough descriptors) shuts out no scrape, not even one
// from the same address, and the server keeps no more connections than its limit.
TEST(MetricsServer, AnswersAScrapeWhileALocalClientTricklesOnManyConnections) {
  RaisedDescriptorLimit descriptors;
  MetricsPublisher publisher;
  publisher.Publish(PageOf("/dev/ttyUSB0"));
  const net::MetricsLimits limits;
  MetricsServer server(limits);
  std::string why;
  ASSERT_TRUE(server.Start(
      "127.0.0.1", 0, [&] { return publisher.Text(); }, why))
      << why;

  // Both ends of each connection, and room for the rest of the process.
  const rlim_t room = descriptors.Hard() > 400 ? (descriptors.Hard() - 200) / 2 : 100;
  const int count = static_cast<int>(std::min<rlim_t>(1100, room));
  Tricklers attack;
  ASSERT_TRUE(attack.Open(server.Port(), count));
  attack.Trickle();
  const HttpReply reply = HttpRequest(server.Port(), "GET", "/metrics");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, publisher.Text());

  const size_t kept = attack.Size() - std::min<size_t>(attack.Size(), limits.connections);
  const auto giveUp = std::chrono::steady_clock::now() + 2s;
  while (attack.Cut() < kept && std::chrono::steady_clock::now() < giveUp) {
    attack.Trickle();
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_GE(attack.Cut(), kept) << "of " << attack.Size();
}

}  // namespace
}  // namespace zelkon
