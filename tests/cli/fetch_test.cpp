#include <gtest/gtest.h>

#include "tests/support/gzip_bytes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/process.h"

namespace brambel::testing {
namespace {

class FetchCommand : public ::testing::Test {
 protected:
  FetchCommand() {
    server.get("/page", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Content-Encoding", "gzip");
      response.set_header("Set-Cookie", "sid=42; path=/");
      response.set_content(gzipBytes("<html>fetched page</html>"), "text/html");
    });
    server.post("/form", [](const httplib::Request& request, httplib::Response& response) {
      response.set_content("posted " + request.body + " with " + request.get_header_value("Cookie"), "text/plain");
    });
    server.get("/moved", [](const httplib::Request&, httplib::Response& response) {
      response.status = 301;
      response.set_header("Location", "/page");
    });
  }

  std::string mapping() const { return "www.example.test:80:127.0.0.1:" + std::to_string(server.port()); }

  LoopbackServer server;
};

TEST_F(FetchCommand, FetchesThroughConnectToAndDecodesGzip) {
  auto result = runCli({"--connect-to", mapping(), "fetch", "http://www.example.test/page"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "<html>fetched page</html>");
  EXPECT_NE(result.err.find("status: 200"), std::string::npos);
  EXPECT_NE(result.err.find("cookies: sid=42;"), std::string::npos);
  EXPECT_EQ(server.lastRequest("/page").header("Host"), "www.example.test");

  auto limited = runCli({"--connect-to=" + mapping(), "fetch", "http://www.example.test/page", "--max-bytes", "6"});
  EXPECT_EQ(limited.status, 0);
  EXPECT_EQ(limited.out, "<html>");
}

TEST_F(FetchCommand, PostsWithCookies) {
  auto result = runCli({"--connect-to", mapping(), "fetch", "http://www.example.test/form", "--post", "a=1&b=2",
                        "--cookie", "k=v; "});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "posted a=1&b=2 with k=v;");
}

TEST_F(FetchCommand, ExitStatusFollowsTheFetchResult) {
  auto moved = runCli({"fetch", server.url("/moved")});
  EXPECT_EQ(moved.status, 0);
  EXPECT_EQ(moved.out, "");
  EXPECT_NE(moved.err.find("status: 301"), std::string::npos);

  auto missing = runCli({"fetch", server.url("/missing")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("status: 404"), std::string::npos);
  EXPECT_NE(missing.err.find("brambel-cli: fetch failed"), std::string::npos);

  auto scheme = runCli({"fetch", "ftp://127.0.0.1/"});
  EXPECT_EQ(scheme.status, 1);
}

TEST_F(FetchCommand, UsageErrors) {
  EXPECT_EQ(runCli({"fetch"}).status, 2);
  EXPECT_EQ(runCli({"fetch", "http://a/", "http://b/"}).status, 2);
  EXPECT_EQ(runCli({"fetch", "http://a/", "--max-bytes", "lots"}).status, 2);
  auto badMapping = runCli({"--connect-to", "nonsense", "fetch", "http://a/"});
  EXPECT_EQ(badMapping.status, 2);
  EXPECT_NE(badMapping.err.find("--connect-to"), std::string::npos);
}

}  // namespace
}  // namespace brambel::testing
