#include "toolkit/http_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/loopback_server.h"
#include "toolkit/connect_to.h"

namespace brambel {
namespace {

using testing::LoopbackServer;

std::string readAll(ByteStream& stream) {
  std::string body;
  char buffer[4096];
  while (size_t count = stream.read(buffer, sizeof buffer)) body.append(buffer, count);
  return body;
}

TEST(HttpClient, GetSendsHeadersAsWrittenAndNothingElse) {
  LoopbackServer server;
  server.serve("/page", "<html>hello</html>");
  HttpRequest request;
  request.url = server.url("/page?q=a+b");
  request.headers = "Accept-Encoding: gzip\r\nCookie:a=1; ";
  request.userAgent = "test-agent";
  auto response = sendHttpRequest(request);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status(), 200);
  EXPECT_EQ(readAll(*response), "<html>hello</html>");
  EXPECT_FALSE(response->failed());
  EXPECT_EQ(response->header("content-type"), "text/html");
  EXPECT_FALSE(response->header("Set-Cookie"));
  EXPECT_EQ(response->rawHeaders().rfind("HTTP/1.1 200", 0), 0u);
  EXPECT_EQ(response->rawHeaders().substr(response->rawHeaders().size() - 4), "\r\n\r\n");

  auto seen = server.lastRequest("/page");
  EXPECT_EQ(seen.query, "q=a+b");
  EXPECT_EQ(seen.header("Accept-Encoding"), "gzip");
  EXPECT_EQ(seen.header("Cookie"), "a=1;");
  EXPECT_EQ(seen.header("User-Agent"), "test-agent");
  EXPECT_EQ(seen.headers.count("Accept"), 0u);
}

TEST(HttpClient, PostSendsBodyAndRedirectIsNotFollowed) {
  LoopbackServer server;
  server.post("/form", [](const httplib::Request& request, httplib::Response& response) {
    response.status = 302;
    response.set_header("Location", "/elsewhere");
    response.set_content("moved: " + request.body, "text/plain");
  });
  HttpRequest request;
  request.method = "POST";
  request.url = server.url("/form");
  request.headers = "Content-Type: application/x-www-form-urlencoded";
  request.body = std::string(5000, 'x') + "&b=2";
  auto response = sendHttpRequest(request);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status(), 302);
  EXPECT_EQ(response->header("Location"), "/elsewhere");
  EXPECT_EQ(readAll(*response), "moved: " + request.body);
  EXPECT_EQ(server.requestCount(), 1);
  auto seen = server.lastRequest("/form");
  EXPECT_EQ(seen.method, "POST");
  EXPECT_EQ(seen.body, request.body);
  EXPECT_EQ(seen.header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(seen.headers.count("Expect"), 0u);
}

TEST(HttpClient, ServerNeverCompressesOnItsOwn) {
  LoopbackServer server;
  std::string text(20000, 'a');
  server.serve("/big", text, "text/plain");
  HttpRequest request;
  request.url = server.url("/big");
  request.headers = "Accept-Encoding: gzip, br";
  auto response = sendHttpRequest(request);
  ASSERT_TRUE(response);
  EXPECT_FALSE(response->header("Content-Encoding"));
  EXPECT_EQ(readAll(*response), text);
}

TEST(HttpClient, RefusesOtherSchemesAndReportsUnreachableServers) {
  std::string error;
  HttpRequest request;
  request.url = "ftp://127.0.0.1/file";
  EXPECT_FALSE(sendHttpRequest(request, &error));
  EXPECT_NE(error.find("not an http"), std::string::npos);

  int closedPort;
  {
    LoopbackServer gone;
    closedPort = gone.port();
  }
  request.url = "http://127.0.0.1:" + std::to_string(closedPort) + "/";
  error.clear();
  EXPECT_FALSE(sendHttpRequest(request, &error));
  EXPECT_FALSE(error.empty());
}

class ShortTimeouts : public ::testing::Test {
 protected:
  void SetUp() override { setHttpTimeoutLimitForTesting(std::chrono::milliseconds(300)); }
  void TearDown() override { setHttpTimeoutLimitForTesting(std::chrono::milliseconds(0)); }
};

TEST_F(ShortTimeouts, StalledAnswerTimesOut) {
  LoopbackServer server;
  server.stall("/slow");
  HttpRequest request;
  request.url = server.url("/slow");
  std::string error;
  EXPECT_FALSE(sendHttpRequest(request, &error));
  EXPECT_NE(error.find("timed out"), std::string::npos);
}

TEST_F(ShortTimeouts, BodyStalledMidwayFailsTheRead) {
  LoopbackServer server;
  server.stallAfter("/half", "first part");
  HttpRequest request;
  request.url = server.url("/half");
  auto response = sendHttpRequest(request);
  ASSERT_TRUE(response);
  EXPECT_EQ(readAll(*response), "first part");
  EXPECT_TRUE(response->failed());
  EXPECT_FALSE(response->error().empty());
}

TEST(HttpClient, ConnectToSendsAFakeHostToTheLoopbackServer) {
  LoopbackServer server;
  server.serve("/", "mapped");
  server.mapHost("www.example.test:80");
  HttpRequest request;
  request.url = "http://www.example.test/";
  auto response = sendHttpRequest(request);
  ASSERT_TRUE(response);
  EXPECT_EQ(readAll(*response), "mapped");
  EXPECT_EQ(server.lastRequest("/").header("Host"), "www.example.test");

  EXPECT_FALSE(addConnectTo("nonsense"));
  EXPECT_FALSE(addConnectTo("a:b:c:d"));
  EXPECT_TRUE(addConnectTo(":81:[::1]:8080"));
  removeConnectTo(":81:[::1]:8080");
}

TEST(HttpClient, StoppingEarlyLeavesTheRestOnTheServer) {
  LoopbackServer server;
  constexpr size_t kTotal = size_t(256) << 20;
  std::atomic<size_t> sent{0};
  server.get("/huge", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(kTotal, "text/plain", [&](size_t offset, size_t, httplib::DataSink& sink) {
      std::string block(65536, 'z');
      size_t count = std::min(block.size(), kTotal - offset);
      if (!sink.write(block.data(), count)) return false;
      sent = offset + count;
      return true;
    });
  });
  HttpRequest request;
  request.url = server.url("/huge");
  {
    auto response = sendHttpRequest(request);
    ASSERT_TRUE(response);
    char buffer[65536];
    size_t total = 0;
    while (total < 100000) total += response->read(buffer, sizeof buffer);
  }
  EXPECT_LT(sent.load(), kTotal / 4);
}

TEST(HttpClient, TenThreadsAtOnce) {
  LoopbackServer server;
  server.get("/echo", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content(request.get_param_value("n"), "text/plain");
  });
  std::vector<std::thread> threads;
  std::atomic<int> correct{0};
  for (int i = 0; i < 10; ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 5; ++round) {
        HttpRequest request;
        request.url = server.url("/echo?n=" + std::to_string(i));
        auto response = sendHttpRequest(request);
        if (response && readAll(*response) == std::to_string(i)) ++correct;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(correct.load(), 50);
}

}  // namespace
}  // namespace brambel
