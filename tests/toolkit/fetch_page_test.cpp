#include "toolkit/fetch_page.h"

#include <gtest/gtest.h>

#include "tests/support/gzip_bytes.h"
#include "tests/support/loopback_server.h"
#include "toolkit/http_body.h"
#include "toolkit/http_client.h"

namespace brambel {
namespace {

using testing::LoopbackServer;

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class FetchPage : public ::testing::Test {
 protected:
  FetchPage() {
    server.serve("/page", "<html>page</html>");
    server.get("/gzip", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Content-Encoding", "gzip");
      response.set_content(testing::gzipBytes(std::string(5000, 'g')), "text/html");
    });
    server.get("/moved", [](const httplib::Request&, httplib::Response& response) {
      response.status = 302;
      response.set_header("Location", "/page");
      response.set_content("moved", "text/html");
    });
    server.get("/cookies", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Set-Cookie", "session=abc; path=/");
      response.set_header("Set-Cookie", "theme=dark");
      response.set_content("ok", "text/plain");
    });
  }
  LoopbackServer server;
};

TEST_F(FetchPage, Status200GivesTheDecodedBodyAndSendsTheUsualHeaders) {
  std::string body;
  EXPECT_TRUE(fetchPage(wide(server.url("/page")), body));
  EXPECT_EQ(body, "<html>page</html>");
  auto seen = server.lastRequest("/page");
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.header("Accept-Encoding"), "gzip");
  EXPECT_EQ(seen.header("User-Agent"), kDefaultBrowserId);
  EXPECT_EQ(seen.headers.count("Cookie"), 0u);

  EXPECT_TRUE(fetchPage(wide(server.url("/gzip")), body, 1024));
  EXPECT_EQ(body, std::string(1024, 'g'));

  // A small body that unpacks into a flood is cut, and the fetch fails.
  std::string flood = testing::gzipBytes(std::string(kInflationRatioFloor * 4, 'f'));
  server.get("/flood", [&](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Encoding", "gzip");
    response.set_content(flood, "text/html");
  });
  body = "previous";
  EXPECT_FALSE(fetchPage(wide(server.url("/flood")), body));
  EXPECT_EQ(body, "previous");
}

TEST_F(FetchPage, RedirectsAreFollowedUnlessCookiesAreKeptAndErrorsLeaveTheBodyAlone) {
  std::string body = "previous";
  int status = 0;
  EXPECT_TRUE(fetchPage(wide(server.url("/moved")), body, 0, nullptr, nullptr, &status));
  EXPECT_EQ(status, 200);
  EXPECT_EQ(body, "<html>page</html>");

  // A caller that keeps cookies sees the redirect itself: success, no body.
  std::u16string cookies;
  EXPECT_TRUE(fetchPage(wide(server.url("/moved")), body, 0, &cookies, nullptr, &status));
  EXPECT_EQ(status, 302);
  EXPECT_EQ(body, "");
  EXPECT_EQ(server.requestCount("/page"), 1);

  // A POST answered by 303 goes on as a GET; a circle ends after 7 redirects.
  server.post("/form", [](const httplib::Request&, httplib::Response& response) {
    response.status = 303;
    response.set_header("Location", "page");
  });
  std::u16string form = u"a=1";
  EXPECT_TRUE(fetchPage(wide(server.url("/form")), body, 0, nullptr, &form));
  EXPECT_EQ(body, "<html>page</html>");
  server.get("/circle", [](const httplib::Request&, httplib::Response& response) {
    response.status = 302;
    response.set_header("Location", "/circle");
  });
  EXPECT_TRUE(fetchPage(wide(server.url("/circle")), body, 0, nullptr, nullptr, &status));
  EXPECT_EQ(status, 302);
  EXPECT_EQ(server.requestCount("/circle"), 8);

  body = "previous";
  EXPECT_FALSE(fetchPage(wide(server.url("/missing")), body, 0, nullptr, nullptr, &status));
  EXPECT_EQ(status, 404);
  EXPECT_EQ(body, "previous");
  EXPECT_FALSE(fetchPage(u"feed://127.0.0.1/page", body));
  EXPECT_FALSE(fetchPage(u"not a url", body));
  EXPECT_FALSE(fetchPage(u"", body));
  EXPECT_EQ(body, "previous");
}

TEST_F(FetchPage, PostSendsTheFormBodyAsUtf8) {
  server.post("/form", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content("got " + request.body, "text/plain");
  });
  std::string body;
  std::u16string form = u"title=caf\u00e9&url=x";
  EXPECT_TRUE(fetchPage(wide(server.url("/form")), body, 0, nullptr, &form));
  EXPECT_EQ(body, "got title=caf\xc3\xa9&url=x");
  EXPECT_EQ(server.lastRequest("/form").header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(FetchPage, CookiesGoOutAsGivenAndComeBackAsSet) {
  std::string body;
  std::u16string cookies = u"a=1; b=2; ";
  EXPECT_TRUE(fetchPage(wide(server.url("/cookies")), body, 0, &cookies));
  EXPECT_EQ(server.lastRequest("/cookies").header("Cookie"), "a=1; b=2;");
  EXPECT_EQ(cookies, u"session=abc;theme=dark;");

  cookies.clear();
  EXPECT_TRUE(fetchPage(wide(server.url("/cookies")), body, 0, &cookies));
  EXPECT_EQ(server.lastRequest("/cookies").headers.count("Cookie"), 0u);
  EXPECT_EQ(cookies, u"session=abc;theme=dark;");

  cookies = u"x=1;";
  EXPECT_TRUE(fetchPage(wide(server.url("/page")), body, 0, &cookies));
  EXPECT_EQ(cookies, u"") << "only what this response set";
}

TEST_F(FetchPage, ReachesAFakeHostThroughConnectTo) {
  server.mapHost("feeds.example.test:80");
  std::string body;
  EXPECT_TRUE(fetchPage(u"http://feeds.example.test/page", body));
  EXPECT_EQ(body, "<html>page</html>");
  EXPECT_EQ(server.lastRequest("/page").header("Host"), "feeds.example.test");
}

TEST_F(FetchPage, UserAgentFollowsTheSetting) {
  setFetchUserAgent("Custom/1.0");
  std::string body;
  EXPECT_TRUE(fetchPage(wide(server.url("/page")), body));
  setFetchUserAgent(kDefaultBrowserId);
  EXPECT_EQ(server.lastRequest("/page").header("User-Agent"), "Custom/1.0");
}

TEST_F(FetchPage, StalledServersFailWithinTheShortenedTimeOut) {
  setHttpTimeoutLimitForTesting(std::chrono::milliseconds(300));
  server.stall("/stall");
  server.stallAfter("/half", "partial");
  std::string body = "previous";
  EXPECT_FALSE(fetchPage(wide(server.url("/stall")), body));
  EXPECT_FALSE(fetchPage(wide(server.url("/half")), body));
  setHttpTimeoutLimitForTesting(std::chrono::milliseconds(0));
  EXPECT_EQ(body, "previous");
}

}  // namespace
}  // namespace brambel
