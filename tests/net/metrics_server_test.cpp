// The metrics endpoint's HTTP server on the loopback, answering real requests on its own thread.
#include "net/metrics_server.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
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

// A local client trickling on more connections than the server keeps (than libmicrohttpd takes by
// itself, 1020, when this process may open enough descriptors) shuts out no scrape, not even one
// from the same address, and each of its requests is cut off once the request time is over,
// however often its bytes come (each long before the idle timeout).
TEST(MetricsServer, ATricklingLocalClientShutsOutNoScrapeAndIsCutOff) {
  // Both ends of every connection are in this process: the soft descriptor limit goes up to the
  // hard one for the test.
  rlimit saved{};
  ::getrlimit(RLIMIT_NOFILE, &saved);
  const rlimit raised{saved.rlim_max, saved.rlim_max};
  ::setrlimit(RLIMIT_NOFILE, &raised);
  MetricsPublisher publisher;
  publisher.Publish(PageOf("/dev/ttyUSB0"));
  MetricsServer server(net::MetricsLimits{.requestTime = 1s});
  std::string why;
  EXPECT_TRUE(server.Start(
      "127.0.0.1", 0, [&] { return publisher.Text(); }, why))
      << why;

  auto attack = std::make_unique<Tricklers>();
  attack->Open(server.Port(), static_cast<int>(std::min<rlim_t>(1100, saved.rlim_max / 3)));
  const HttpReply reply = HttpRequest(server.Port(), "GET", "/metrics");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, publisher.Text());

  const auto giveUp = std::chrono::steady_clock::now() + 5s;
  while (attack->Cut() < attack->fds.size() && std::chrono::steady_clock::now() < giveUp) {
    attack->Trickle();
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(attack->Cut(), attack->fds.size());
  attack.reset();
  ::setrlimit(RLIMIT_NOFILE, &saved);
}

}  // namespace
}  // namespace zelkon
