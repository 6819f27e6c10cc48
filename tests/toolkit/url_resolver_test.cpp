#include "toolkit/url_resolver.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

TEST(ResolveUrl, JoinsReferencesAsBrowsersDo) {
  const std::string base = "http://sfbay.example.test/search/sss?query=cat&s=0";
  EXPECT_EQ(resolveUrl(base, "index100.html"), "http://sfbay.example.test/search/index100.html");
  EXPECT_EQ(resolveUrl(base, "/other?page=2"), "http://sfbay.example.test/other?page=2");
  EXPECT_EQ(resolveUrl(base, "../up"), "http://sfbay.example.test/up");
  EXPECT_EQ(resolveUrl(base, "?s=100"), "http://sfbay.example.test/search/sss?s=100");
  EXPECT_EQ(resolveUrl(base, "//cdn.example.test/a.css"), "http://cdn.example.test/a.css");
  EXPECT_EQ(resolveUrl(base, "HTTPS://other.example.test:8443/x"), "https://other.example.test:8443/x");
  // A bare host-like name is a path on the same site, never another host.
  EXPECT_EQ(resolveUrl("http://www.host.test/", "x.evil.example/p"), "http://www.host.test/x.evil.example/p");
  // "://" inside the query does not make a reference absolute.
  EXPECT_EQ(resolveUrl(base, "/go?to=http://elsewhere.test/"), "http://sfbay.example.test/go?to=http://elsewhere.test/");
}

TEST(ResolveUrl, EncodesUnsafeBytesAndRefusesWhatIsNoUrl) {
  EXPECT_EQ(resolveUrl("http://h.test/a/", "  b c\xC3\xA9.html\n"), "http://h.test/a/b%20c%C3%A9.html");
  EXPECT_EQ(resolveUrl("http://h.test/a#top", ""), "http://h.test/a");
  EXPECT_EQ(resolveUrl("not a url", "x"), std::nullopt);
  EXPECT_EQ(resolveUrl("/relative/base", "x"), std::nullopt);
  EXPECT_EQ(resolveUrl("http://h.test/", "http://[broken/"), std::nullopt);
}

TEST(SameHost, ComparesHostsOnly) {
  EXPECT_TRUE(sameHost("http://WWW.Host.test/a", "https://www.host.test:8080/b"));
  EXPECT_FALSE(sameHost("http://www.host.test/", "http://www.host.test.evil.example/"));
  EXPECT_FALSE(sameHost("http://www.host.test/", "garbage"));
  EXPECT_EQ(urlHost("http://user@Mixed.Test:81/p"), "mixed.test");
  EXPECT_EQ(urlHost("nothing"), std::nullopt);
  EXPECT_EQ(requestTarget("http://h.test"), "/");
  EXPECT_EQ(requestTarget("http://h.test/a/b?c=d&e#frag"), "/a/b?c=d&e");
  EXPECT_EQ(requestTarget("http://h.test?q"), "/?q");
}

}  // namespace
}  // namespace brambel
