#include "pipeline/content_loader.h"

#include <string>

#include <gtest/gtest.h>

#include "sources/page_text.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using testing::LoopbackServer;

class ContentLoaderTest : public ::testing::Test {
 protected:
  LoadResult load(const std::string& path, LoadRequest& request) {
    request.url = fromUtf8(server_.url(path));
    return loadContent(request, options_);
  }
  void redirect(const std::string& from, const std::string& to) {
    server_.get(from, [to](const httplib::Request&, httplib::Response& response) {
      response.status = 302;
      response.set_header("Location", to);
    });
  }

  LoopbackServer server_;
  LoadOptions options_;
};

TEST_F(ContentLoaderTest, ExcludedDownloadsAndOtherSchemesAreNotFetched) {
  LoadRequest request;
  EXPECT_EQ(load("/paper.PDF", request), LoadResult::kSkipped);
  EXPECT_EQ(load("/slides.ppt#page2", request), LoadResult::kSkipped);
  EXPECT_EQ(server_.requestCount(), 0);
  request.url = u"ftp://example.test/file.txt";
  EXPECT_EQ(loadContent(request, options_), LoadResult::kFailed);
  EXPECT_FALSE(isExcludedDownload(u"http://x.test/zip"));
}

TEST_F(ContentLoaderTest, SendsConditionalPrefetchRefererAndCookieHeadersAndAnswersNotModified) {
  server_.get("/page", [](const httplib::Request&, httplib::Response& response) { response.status = 304; });
  LoadRequest request;
  request.prefetch = true;
  request.lastModified = u"Sat, 05 Dec 2026 10:00:00 GMT";
  request.etag = u"\"v1\"";
  request.referer = u"http://search.test/?q=x";
  request.cookies = u"a=1; ";
  EXPECT_EQ(load("/page", request), LoadResult::kNotModified);
  const testing::RecordedRequest sent = server_.lastRequest("/page");
  EXPECT_EQ(sent.header("X-moz"), "prefetch");
  EXPECT_EQ(sent.header("If-Modified-Since"), "Sat, 05 Dec 2026 10:00:00 GMT");
  EXPECT_EQ(sent.header("If-None-Match"), "\"v1\"");
  EXPECT_EQ(sent.header("Referer"), "http://search.test/?q=x");
  EXPECT_EQ(sent.header("Cookie"), "a=1;");
  EXPECT_EQ(sent.header("Accept-Encoding"), "gzip");
}

TEST_F(ContentLoaderTest, FollowsRelativeRedirectsCarryingCookies) {
  server_.get("/start", [](const httplib::Request&, httplib::Response& response) {
    response.status = 301;
    response.set_header("Location", "next/../final?x=1");
    response.set_header("Set-Cookie", "session=abc; path=/");
  });
  server_.serve("/final", "<html><body>arrived</body></html>");
  LoadRequest request;
  EXPECT_EQ(load("/start", request), LoadResult::kFetched);
  EXPECT_EQ(request.body, "<html><body>arrived</body></html>");
  EXPECT_EQ(request.redirects, 1);
  EXPECT_EQ(server_.lastRequest("/final").header("Cookie"), "session=abc;");
  EXPECT_EQ(request.finalUrl, fromUtf8(server_.url("/final?x=1")));
}

TEST_F(ContentLoaderTest, SevenRedirectsAreFollowedAndTheEighthFails) {
  for (int i = 0; i < 8; ++i) redirect("/r" + std::to_string(i), "/r" + std::to_string(i + 1));
  server_.serve("/r8", "<p>end</p>");
  redirect("/s0", "/r2");  // seven hops to /r8
  LoadRequest chain;
  EXPECT_EQ(load("/r0", chain), LoadResult::kFailed);
  EXPECT_EQ(chain.redirects, 7);
  LoadRequest seven;
  EXPECT_EQ(load("/s0", seven), LoadResult::kFetched);
}

TEST_F(ContentLoaderTest, MetaRefreshesCountAsRedirectsAndSlowOnesAreNotFollowed) {
  server_.serve("/self", "<html><meta http-equiv=\"refresh\" content=\"0; url=/self\"></html>");
  server_.serve("/slow", "<html><meta http-equiv=\"Refresh\" content=\"60; url=/other\"></html>");
  server_.serve("/hop", "<html><META HTTP-EQUIV=refresh content=\"5; URL=target\"></html>");
  server_.serve("/target", "<html>target</html>");
  LoadRequest self;
  EXPECT_EQ(load("/self", self), LoadResult::kFailed);
  EXPECT_EQ(server_.requestCount("/self"), 8);
  LoadRequest slow;
  EXPECT_EQ(load("/slow", slow), LoadResult::kFetched);
  EXPECT_EQ(server_.requestCount("/other"), 0);
  LoadRequest hop;
  EXPECT_EQ(load("/hop", hop), LoadResult::kFetched);
  EXPECT_EQ(hop.body, "<html>target</html>");
  EXPECT_EQ(metaRefreshTarget("<meta http-equiv=refresh content=\"99999999999999999999; url=/x\">", u"http://a.test/"),
            u"");
}

TEST_F(ContentLoaderTest, EmptyBodiesFailAndPrefetchRefusalsAreRecognised) {
  server_.serve("/empty", "");
  server_.get("/refuse", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("<html>No PREFETCHING here</html>", "text/html");
  });
  LoadRequest empty;
  EXPECT_EQ(load("/empty", empty), LoadResult::kFailed);
  LoadRequest prefetch;
  prefetch.prefetch = true;
  EXPECT_EQ(load("/refuse", prefetch), LoadResult::kPrefetchRefused);
  LoadRequest plain;
  EXPECT_EQ(load("/refuse", plain), LoadResult::kFailed);
}

TEST_F(ContentLoaderTest, NonTextAnswersAreKeptOnlyWithinTheLimitAndByTheKeeper) {
  server_.serve("/pic", std::string(1000, 'x'), "image/jpeg");
  server_.serve("/doc", std::string(10, 'x'), "application/octet-stream");
  std::u16string keptType;
  options_.keepNonText = [&](const std::string& bytes, const std::u16string& type) {
    keptType = type;
    return type == u"image/jpeg";
  };
  LoadRequest picture;
  EXPECT_EQ(load("/pic", picture), LoadResult::kFetched);
  EXPECT_EQ(picture.body.size(), 1000u);
  LoadRequest other;
  EXPECT_EQ(load("/doc", other), LoadResult::kSkipped);
  options_.maxImageLength = 999;
  LoadRequest tooLarge;
  EXPECT_EQ(load("/pic", tooLarge), LoadResult::kSkipped);
}

}  // namespace
}  // namespace brambel
