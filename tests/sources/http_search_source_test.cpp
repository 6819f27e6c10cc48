#include "sources/http_search_source.h"

#include <gtest/gtest.h>

#include <deque>

#include "sources/query_parameters.h"
#include "tests/support/gzip_bytes.h"
#include "tests/support/loopback_server.h"
#include "toolkit/code_pages.h"
#include "toolkit/connect_to.h"
#include "toolkit/fetch_page.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackServer;

// Records what the request cycle hands to a source. Each page's lines that
// begin with "http" become items; the next links to set are queued by the test.
class ProbeSource : public HttpSearchSource {
 public:
  ProbeSource() : HttpSearchSource(u"probe.example.test") {}

  std::u16string GetKey() const override { return u"probe"; }
  SourceInfo GetInfo() const override { return HttpSearchSource::GetInfo(); }

  std::vector<std::string> pages;
  std::vector<std::string> contentTypes;
  std::deque<std::u16string> nextLinks;

 protected:
  void ResolveEndpoint(const ParameterMap& parameters, ServiceType& service, std::u16string& host,
                       int& port) const override {
    HttpEndpoint endpoint;
    std::u16string path;
    if (!splitHttpUrl(parameterValue(parameters, u"url"), endpoint, path)) return;
    service = endpoint.service;
    host = endpoint.host;
    port = endpoint.port;
  }

  void OnSearchStarted(HttpSearchCursor& cursor) override {
    cursor.postBody = toNarrow(parameterValue(cursor.parameters, u"post"), kCodePageUtf8);
    cursor.referer = parameterValue(cursor.parameters, u"referer");
    cursor.cookies = parameterValue(cursor.parameters, u"cookie");
  }

  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override {
    std::u16string path = u"/start";
    AppendQueryParameter(u"q", path, cursor.query, cursor);
    return path;
  }

  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override {
    pages.push_back(page);
    contentTypes.push_back(contentType);
    ResultGroup group{u"search", {}};
    for (size_t at = page.find("http"); at != std::string::npos; at = page.find("http", at + 1)) {
      ResultItem item;
      item.add(u"href", toWide(page.substr(at, page.find('\n', at) - at), kCodePageUtf8));
      group.items.push_back(std::move(item));
    }
    groups.push_back(std::move(group));
    groups.push_back({u"other", {ResultItem{}}});
    cursor.nextLink.clear();
    if (!nextLinks.empty()) {
      cursor.nextLink = nextLinks.front();
      nextLinks.pop_front();
    }
  }
};

class HttpSearchSourceTest : public ::testing::Test {
 protected:
  HttpSearchSourceTest() { server.mapHost("probe.example.test:80"); }

  // Runs the source until NextPage answers false; returns the cursor.
  std::unique_ptr<HttpSearchCursor> runAll(const std::u16string& query, int maxResults = 100,
                                           const ParameterMap& overrides = {}) {
    std::unique_ptr<SearchCursor> cursor = source.BeginSearch(query, maxResults, overrides, false);
    if (!cursor) return nullptr;
    ResultGroups groups;
    for (int page = 0; page < 10 && source.NextPage(*cursor, groups); ++page) {}
    allGroups = std::move(groups);
    return std::unique_ptr<HttpSearchCursor>(static_cast<HttpSearchCursor*>(cursor.release()));
  }

  LoopbackServer server;
  ProbeSource source;
  ResultGroups allGroups;
};

TEST_F(HttpSearchSourceTest, FirstRequestPathHeadersAndCursorUrl) {
  // The application's browserId goes out with every source request.
  setFetchUserAgent("Probe-Agent/2.0 (brambel)");
  server.serve("/start", "http://r.test/1\nhttp://r.test/2\n", "text/html; charset=utf-8");
  auto cursor = runAll(u"big cat");
  ASSERT_TRUE(cursor);
  EXPECT_EQ(cursor->errorFlag, 0);
  EXPECT_EQ(cursor->GetUrl(), u"http://probe.example.test/start?q=big+cat");
  testing::RecordedRequest request = server.lastRequest("/start");
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.query, "q=big+cat");
  EXPECT_EQ(request.header("Accept-Encoding"), "gzip");
  EXPECT_EQ(request.header("User-Agent"), "Probe-Agent/2.0 (brambel)");
  setFetchUserAgent(kDefaultBrowserId);
  EXPECT_EQ(request.header("Cookie"), "");
  EXPECT_EQ(request.header("Referer"), "");
  ASSERT_EQ(source.contentTypes.size(), 1u);
  EXPECT_EQ(source.contentTypes[0], "text/html; charset=utf-8");
  // Only "search" groups count.
  EXPECT_EQ(cursor->resultCount, 2);
  EXPECT_EQ(allGroups.size(), 2u);
}

TEST_F(HttpSearchSourceTest, EndpointFromParametersAndOverrides) {
  LoopbackServer feeds;
  feeds.mapHost("feeds.example.test:8080");
  feeds.serve("/start", "http://f.test/\n", "application/rss+xml");
  auto cursor = runAll(u"x", 100, {{u"url", u"http://feeds.example.test:8080/ignored"}});
  ASSERT_TRUE(cursor);
  EXPECT_EQ(cursor->GetUrl(), u"http://feeds.example.test:8080/start?q=x");
  EXPECT_EQ(feeds.requestCount("/start"), 1);
  EXPECT_EQ(server.requestCount(), 0);
  // The source itself keeps its own default endpoint.
  EXPECT_EQ(source.EndpointFor(source.parameters()).host, u"probe.example.test");
}

TEST_F(HttpSearchSourceTest, NextLinksGoToTheRunsOwnHostWithAmpersandsUndone) {
  server.serve("/start", "http://r.test/1\n", "text/html");
  server.serve("/page2", "http://r.test/2\n", "text/html");
  server.serve("/page3", "http://r.test/3\n", "text/html");
  source.nextLinks = {u"http://elsewhere.example.test/page2?a=1&amp;b=2", u"/page3?c=3&amp;amp;d"};
  auto cursor = runAll(u"x");
  ASSERT_TRUE(cursor);
  EXPECT_EQ(cursor->errorFlag, 0);
  EXPECT_EQ(server.lastRequest("/page2").query, "a=1&b=2");
  EXPECT_EQ(server.lastRequest("/page3").query, "c=3&amp;d");
  EXPECT_EQ(server.requestCount(), 3);
  EXPECT_EQ(cursor->resultCount, 3);
  // The cursor URL stays the first page's.
  EXPECT_EQ(cursor->GetUrl(), u"http://probe.example.test/start?q=x");
}

TEST_F(HttpSearchSourceTest, CookiesAreMergedAcrossPages) {
  server.get("/start", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", "a=1; path=/");
    response.set_content("page one", "text/html");
  });
  server.get("/page2", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", "a=2");
    response.set_content("page two", "text/html");
  });
  server.serve("/page3", "page three", "text/html");
  source.nextLinks = {u"/page2", u"/page3"};
  auto cursor = runAll(u"x", 100, {{u"cookie", u"c=3; "}});
  ASSERT_TRUE(cursor);
  EXPECT_EQ(server.lastRequest("/start").header("Cookie"), "c=3;");
  EXPECT_EQ(server.lastRequest("/page2").header("Cookie"), "a=1; c=3;");
  EXPECT_EQ(server.lastRequest("/page3").header("Cookie"), "a=2; c=3;");
  EXPECT_EQ(cursor->cookies, u"a=2; c=3; ");
}

TEST_F(HttpSearchSourceTest, PostBodyAndReferer) {
  server.post("/start", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content("posted", "text/plain");
  });
  auto cursor = runAll(u"x", 100, {{u"post", u"form=1&b=2"}, {u"referer", u"http://from.test/"}});
  ASSERT_TRUE(cursor);
  testing::RecordedRequest request = server.lastRequest("/start");
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.body, "form=1&b=2");
  EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.header("Referer"), "http://from.test/");
  EXPECT_EQ(source.pages, (std::vector<std::string>{"posted"}));
}

TEST_F(HttpSearchSourceTest, NonTextAnswersCountAsFetchedWithoutItems) {
  server.serve("/start", "http://not.parsed/\n", "image/png");
  source.nextLinks = {u"/never"};
  std::unique_ptr<SearchCursor> cursor = source.BeginSearch(u"x", 10, {}, false);
  ResultGroups groups;
  EXPECT_TRUE(source.NextPage(*cursor, groups));
  EXPECT_TRUE(groups.empty());
  EXPECT_TRUE(source.pages.empty());
  EXPECT_EQ(cursor->errorFlag, 0);
  // No next link was set by a parse, so the run is over.
  EXPECT_FALSE(source.NextPage(*cursor, groups));
  source.EndSearch(std::move(cursor));

  // XML and pages without a content type are parsed.
  source.nextLinks.clear();
  server.serve("/start", "<rss/>", "application/rss+xml");
  ASSERT_TRUE(runAll(u"x"));
  server.get("/start", [](const httplib::Request&, httplib::Response& response) { response.body = "bare"; });
  ASSERT_TRUE(runAll(u"x"));
  EXPECT_EQ(source.pages, (std::vector<std::string>{"<rss/>", "bare"}));
}

TEST_F(HttpSearchSourceTest, BodiesAreCutAtTheLimitAndGzipIsUndone) {
  server.serve("/start", std::string(300000, 'a'), "text/html");
  ASSERT_TRUE(runAll(u"x"));
  ASSERT_EQ(source.pages.size(), 1u);
  EXPECT_EQ(source.pages[0].size(), HttpSearchSource::kBodyLimit);

  std::string zipped = testing::gzipBytes("http://zipped.test/\n");
  server.get("/start", [&](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Encoding", "gzip");
    response.set_content(zipped, "text/html");
  });
  ASSERT_TRUE(runAll(u"x"));
  EXPECT_EQ(source.pages.back(), "http://zipped.test/\n");
}

TEST_F(HttpSearchSourceTest, OneMetaRefreshIsFollowed) {
  LoopbackServer moved;
  moved.mapHost("moved.example.test:80");
  server.get("/start", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", "s=1");
    response.set_content("<META HTTP-EQUIV=Refresh CONTENT=\"0; URL=http://moved.example.test/new?x=1\">",
                         "text/html");
  });
  moved.serve("/new", "<meta http-equiv=\"refresh\" content=\"0;url=http://moved.example.test/again\">"
                      "http://fresh.test/\n", "text/html");
  auto cursor = runAll(u"x");
  ASSERT_TRUE(cursor);
  ASSERT_EQ(source.pages.size(), 1u);
  EXPECT_NE(source.pages[0].find("http://fresh.test/"), std::string::npos);
  EXPECT_EQ(moved.lastRequest("/new").query, "x=1");
  EXPECT_EQ(moved.lastRequest("/new").header("Cookie"), "");
  EXPECT_EQ(moved.requestCount("/again"), 0);

  // A refresh to something that is not text keeps the first page.
  moved.serve("/new", "png bytes", "image/png");
  ASSERT_TRUE(runAll(u"x"));
  EXPECT_NE(source.pages.back().find("moved.example.test/new"), std::string::npos);
}

TEST_F(HttpSearchSourceTest, NetworkErrorsSetTheErrorFlag) {
  ASSERT_TRUE(addConnectTo("dead.example.test:80:127.0.0.1:1"));
  auto cursor = runAll(u"x", 100, {{u"url", u"http://dead.example.test/"}});
  removeConnectTo("dead.example.test:80:127.0.0.1:1");
  ASSERT_TRUE(cursor);
  EXPECT_EQ(cursor->errorFlag, 1);
  EXPECT_TRUE(source.pages.empty());

  // A page that stops arriving part way fails too, after the time-out.
  setHttpTimeoutLimitForTesting(300ms);
  server.stallAfter("/start", "http://partial.test/\n");
  cursor = runAll(u"x");
  EXPECT_EQ(cursor->errorFlag, 1);
  server.stall("/start");
  cursor = runAll(u"x");
  setHttpTimeoutLimitForTesting(0ms);
  EXPECT_EQ(cursor->errorFlag, 1);
  EXPECT_TRUE(source.pages.empty());
}

TEST_F(HttpSearchSourceTest, ErrorStatusPagesAreStillParsed) {
  server.get("/start", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("http://missing.test/\n", "text/html");
  });
  auto cursor = runAll(u"x");
  EXPECT_EQ(cursor->errorFlag, 0);
  EXPECT_EQ(cursor->resultCount, 1);
}

TEST_F(HttpSearchSourceTest, ReachingTheMaximumEndsTheRunBeforeAnyRequest) {
  server.serve("/start", "http://a.test/\nhttp://b.test/\nhttp://c.test/\n", "text/html");
  server.serve("/more", "http://d.test/\n", "text/html");
  source.nextLinks = {u"/more"};
  auto cursor = runAll(u"x", 2);
  EXPECT_EQ(cursor->resultCount, 3);
  EXPECT_EQ(server.requestCount("/more"), 0);

  std::unique_ptr<SearchCursor> none = source.BeginSearch(u"x", 0, {}, false);
  ResultGroups groups;
  EXPECT_FALSE(source.NextPage(*none, groups));
  EXPECT_EQ(server.requestCount("/start"), 1);
}

TEST_F(HttpSearchSourceTest, InfoAndEmptyQueries) {
  SourceInfo info = source.GetInfo();
  EXPECT_EQ(info.parameterDescriptions.at(u"queryEncoding"),
            u"euc-jp, euc-kr,shift-jis, big5, gb2312 or windows-xxxx");
  EXPECT_FALSE(source.AcceptsEmptyQuery());
  source.parameters()[u"terms"] = u"";
  EXPECT_FALSE(source.AcceptsEmptyQuery());
  source.parameters()[u"terms"] = u"cats";
  EXPECT_TRUE(source.AcceptsEmptyQuery());
}

}  // namespace
}  // namespace brambel
