#include <gtest/gtest.h>

#include "sources/url_source.h"
#include "tests/sources/source_run.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using testing::attribute;
using testing::LoopbackServer;
using testing::parameters;
using testing::runSource;

class FullUrlSourceTest : public ::testing::Test {
 protected:
  FullUrlSourceTest() { server.mapHost("dict.example.test:80"); }

  testing::SourceRun run(std::initializer_list<std::pair<std::string, std::string>> values, const std::u16string& query) {
    source.parameters() = parameters(values);
    return runSource(source, query);
  }

  LoopbackServer server;
  FullUrlSource source;
};

TEST_F(FullUrlSourceTest, QueryParamAddsTheTermsToTheAddress) {
  server.serve("/lookup", "<html><head><title>Big cat</title></head><body>x</body></html>");
  testing::SourceRun result = run({{"url", "http://dict.example.test/lookup?db=en"}, {"query_param", "va"}}, u"big cat");
  EXPECT_EQ(server.lastRequest("/lookup").query, "db=en&va=big+cat");
  ASSERT_EQ(result.items().size(), 1u);
  EXPECT_EQ(attribute(result.items()[0], u"href"), "http://dict.example.test/lookup?db=en&va=big+cat");
  EXPECT_EQ(attribute(result.items()[0], u"title"), "Big cat");
  EXPECT_EQ(testing::utf8(result.url), "http://dict.example.test/lookup?db=en&va=big+cat");
}

TEST_F(FullUrlSourceTest, PathStyleKeyMakesTheTermsTheLastSegment) {
  server.serve("/define/big+cat", "<title>entry</title>");
  testing::SourceRun result =
      run({{"url", "http://dict.example.test/define"}, {"query_param", "/"}, {"pre_terms", "big"}}, u"cat");
  EXPECT_EQ(server.requestCount("/define/big+cat"), 1);
  ASSERT_EQ(result.items().size(), 1u);
  EXPECT_EQ(attribute(result.items()[0], u"href"), "http://dict.example.test/define/big+cat");
}

TEST_F(FullUrlSourceTest, WithoutQueryParamTheTermsAreNotSent) {
  server.serve("/fixed", "<title>Fixed</title>");
  run({{"url", "http://dict.example.test/fixed"}}, u"anything");
  EXPECT_EQ(server.lastRequest("/fixed").query, "");
  EXPECT_EQ(server.lastRequest("/fixed").method, "GET");
}

TEST_F(FullUrlSourceTest, PostSendsTheFormWithTheQueryAsOneMoreField) {
  server.post("/search", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("<title>Posted</title>", "text/html");
  });
  testing::SourceRun result = run({{"url", "http://dict.example.test/search"},
                                   {"post", "mode=full&lang=en"},
                                   {"query_param", "q"},
                                   {"terms", "pet"},
                                   {"referer", "http://dict.example.test/"},
                                   {"cookie", "a=1"}},
                                  u"big cat");
  testing::RecordedRequest request = server.lastRequest("/search");
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.query, "");
  EXPECT_EQ(request.body, "mode=full&lang=en&q=big+cat+pet");
  EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.header("Referer"), "http://dict.example.test/");
  EXPECT_EQ(request.header("Cookie"), "a=1");
  ASSERT_EQ(result.items().size(), 1u);
  EXPECT_EQ(attribute(result.items()[0], u"href"), "http://dict.example.test/search");
}

TEST_F(FullUrlSourceTest, PostWithoutQueryParamSendsTheFormUnchanged) {
  server.post("/form", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("<title>ok</title>", "text/html");
  });
  run({{"url", "http://dict.example.test/form"}, {"post", "a=1&b=%20"}}, u"ignored");
  EXPECT_EQ(server.lastRequest("/form").body, "a=1&b=%20");
}

TEST_F(FullUrlSourceTest, ThePageItselfAndItsHeadersBecomeTheResult) {
  std::string page = "<html><title>Caf\xc3\xa9 &amp; bar</title><body>menu</body></html>";
  server.get("/page", [&](const httplib::Request&, httplib::Response& response) {
    response.set_header("Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT");
    response.set_header("ETag", "\"v1\"");
    response.set_header("Expires", "Mon, 07 Nov 1994 08:49:37 GMT");
    response.set_content(page, "text/html; charset=utf-8");
  });
  testing::SourceRun result = run({{"url", "http://dict.example.test/page"}}, u"");
  std::vector<ResultItem> items = result.items();
  ASSERT_EQ(items.size(), 1u);
  const ResultItem& item = items[0];
  EXPECT_EQ(attribute(item, u"title"), "Caf\xc3\xa9 & bar");
  EXPECT_EQ(attribute(item, u"contentType"), "text/html; charset=utf-8");
  EXPECT_EQ(attribute(item, u"contentLastModified"), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(attribute(item, u"contentEtag"), "\"v1\"");
  EXPECT_EQ(attribute(item, u"contentExpires"), "Mon, 07 Nov 1994 08:49:37 GMT");
  const ResultAttribute* content = nullptr;
  for (const ResultAttribute& a : item.attributes)
    if (a.name == u"content") content = &a;
  ASSERT_NE(content, nullptr);
  EXPECT_EQ(content->data, page);
  EXPECT_EQ(result.pages, 1);
}

TEST(FullUrlSource, TheTitleIsReadInTheDeclaredCharset) {
  std::string latin1 = "<title>Caf\xe9</title>";
  ResultItem fromHeader = FullUrlSource::MakePageResult(latin1, u"http://x/", {"text/html; charset=iso-8859-1"});
  EXPECT_EQ(attribute(fromHeader, u"title"), "Caf\xc3\xa9");
  ResultItem fromPage = FullUrlSource::MakePageResult(
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">" + latin1, u"http://x/",
      {"text/html"});
  EXPECT_EQ(attribute(fromPage, u"title"), "Caf\xc3\xa9");
  ResultItem untitled = FullUrlSource::MakePageResult("<p>no title</p>", u"http://x/", {});
  EXPECT_EQ(attribute(untitled, u"title"), "");
  EXPECT_EQ(attribute(untitled, u"contentType"), "<absent>");
}

TEST(FullUrlSource, IdsSearchabilityAndEmptyQueries) {
  FullUrlSource source;
  EXPECT_EQ(source.GetInstanceId(), u"url");
  EXPECT_FALSE(source.IsSearchable());
  EXPECT_EQ(source.GetInfo().displayName, u"Full URL");
  source.parameters() = parameters({{"url", "http://d.example/x"}, {"query_param", "va"}});
  EXPECT_EQ(source.GetInstanceId(), u"url/http://d.example/x/va/");
  EXPECT_TRUE(source.IsSearchable());
  EXPECT_TRUE(source.AcceptsEmptyQuery());
  source.parameters()[u"post"] = u"a=1";
  source.parameters()[u"noEmpty"] = u"1";
  EXPECT_EQ(source.GetInstanceId(), u"url/http://d.example/x/va//a=1");
  EXPECT_FALSE(source.AcceptsEmptyQuery());
  source.setDisplayName(u"Dictionary");
  EXPECT_EQ(source.GetInfo().displayName, u"Dictionary (Full URL)");
}

}  // namespace
}  // namespace brambel
