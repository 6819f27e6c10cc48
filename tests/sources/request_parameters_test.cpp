#include "sources/request_parameters.h"

#include <gtest/gtest.h>

#include "sources/http_endpoint.h"
#include "sources/search_source.h"
#include "sources/source_registry.h"

namespace brambel {
namespace {

HttpSearchCursor cursorWith(ParameterMap parameters = {}) {
  HttpSearchCursor cursor(20, HttpEndpoint{});
  cursor.parameters = std::move(parameters);
  return cursor;
}

TEST(AppendQueryParameter, QueryStyleAddsQuestionMarkOrAmpersand) {
  HttpSearchCursor cursor = cursorWith();
  std::u16string path = u"/search";
  AppendQueryParameter(u"va", path, u"big cat", cursor);
  EXPECT_EQ(path, u"/search?va=big+cat");
  AppendQueryParameter(u"q", path, u"a&b=c", cursor);
  EXPECT_EQ(path, u"/search?va=big+cat&q=a%26b%3dc");
}

TEST(AppendQueryParameter, PathStyleKeys) {
  HttpSearchCursor cursor = cursorWith();
  std::u16string path = u"/dict";
  AppendQueryParameter(u"/", path, u"big cat", cursor);
  EXPECT_EQ(path, u"/dict/big+cat");

  path = u"/feeds/tag?format=x";
  AppendQueryParameter(u"/.rss", path, u"cats", cursor);
  EXPECT_EQ(path, u"/feeds/tag/cats.rss?format=x");

  // A base already ending with "/" keeps a "/" key's trailing slash.
  path = u"/dict/";
  AppendQueryParameter(u"/", path, u"dog", cursor);
  EXPECT_EQ(path, u"/dict/dog/");

  path = u"";
  AppendQueryParameter(u"/", path, u"x", cursor);
  EXPECT_EQ(path, u"/x");
}

TEST(AppendQueryParameter, QueryEncodingChoosesTheCodePage) {
  std::u16string path = u"/s";
  AppendQueryParameter(u"q", path, u"\u65e5", cursorWith({{u"queryEncoding", u"shift-jis"}}));
  EXPECT_EQ(path, u"/s?q=%93%fa");

  path = u"/s";
  AppendQueryParameter(u"q", path, u"\u65e5", cursorWith());
  EXPECT_EQ(path, u"/s?q=%e6%97%a5");

  // A charset without a converter falls back to UTF-8 rather than losing the terms.
  path = u"/s";
  AppendQueryParameter(u"q", path, u"\u65e5", cursorWith({{u"queryEncoding", u"no-such-charset"}}));
  EXPECT_EQ(path, u"/s?q=%e6%97%a5");
}

TEST(AddParameterFromSettings, UsesValueOrFallbackAndReportsPresence) {
  HttpSearchCursor cursor = cursorWith({{u"site", u"a.test"}, {u"empty", u""}});
  std::u16string path = u"/s";
  EXPECT_TRUE(AddParameterFromSettings(cursor, u"site", u"vs", path));
  EXPECT_TRUE(AddParameterFromSettings(cursor, u"empty", u"ve", path, u"unused"));
  EXPECT_FALSE(AddParameterFromSettings(cursor, u"lang", u"vl", path, u"en"));
  EXPECT_FALSE(AddParameterFromSettings(cursor, u"country", u"vc", path));
  EXPECT_EQ(path, u"/s?vs=a.test&vl=en");
}

class IdSource : public SearchSource {
 public:
  std::unique_ptr<SearchCursor> BeginSearch(const std::u16string&, int, const ParameterMap&, bool) override {
    return nullptr;
  }
  bool NextPage(SearchCursor&, ResultGroups&) override { return false; }
  SourceInfo GetInfo() const override { return {LabelledDisplayName(u"Ids"), {}, {}, {}}; }
  std::u16string GetKey() const override { return u"ids"; }
  std::u16string GetInstanceId() const override {
    return MakeInstanceId(u"ids", {u"url", u"query_param", u"terms"}, {u"pre_terms", u"post"}, 3);
  }
};

TEST(InstanceId, SuffixKeptOnlyWhenLongerThanTheThreshold) {
  IdSource source;
  EXPECT_EQ(source.GetInstanceId(), u"ids");
  source.parameters()[u"url"] = u"http://d.test/";
  source.parameters()[u"query_param"] = u"va";
  EXPECT_EQ(source.GetInstanceId(), u"ids/http://d.test//va/");
  source.parameters() = {{u"terms", u"x"}};
  EXPECT_EQ(source.GetInstanceId(), u"ids///x");
  source.parameters() = {{u"post", u""}};
  EXPECT_EQ(source.GetInstanceId(), u"ids///" u"/");
  source.parameters() = {{u"post", u"a"}};
  EXPECT_EQ(source.GetInstanceId(), u"ids////a");
}

TEST(SourceRegistry, RegistersByBareKeyAndCreatesFromDefinitions) {
  SourceRegistry registry;
  EXPECT_EQ(registry.Register<IdSource>(), u"ids");
  EXPECT_TRUE(registry.Contains(u"ids"));
  EXPECT_EQ(registry.Keys(), (std::vector<std::u16string>{u"ids"}));
  EXPECT_EQ(registry.Create(u"nope"), nullptr);
  EXPECT_EQ(registry.Create(u"nope", u"n", u"d", {}), nullptr);

  std::unique_ptr<SearchSource> source = registry.Create(u"ids", u"Mine", u"about", {{u"url", u"u"}});
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->displayName(), u"Mine");
  EXPECT_EQ(source->description(), u"about");
  EXPECT_EQ(source->GetInfo().displayName, u"Mine (Ids)");
  EXPECT_EQ(source->GetInstanceId(), u"ids/u//");
  // Each creation is a fresh source.
  EXPECT_TRUE(registry.Create(u"ids")->parameters().empty());
  EXPECT_EQ(registry.Create(u"ids")->GetInfo().displayName, u"Ids");
}

TEST(SplitHttpUrl, SchemesPortsAndPaths) {
  HttpEndpoint endpoint;
  std::u16string path;
  ASSERT_TRUE(splitHttpUrl(u"https://Feeds.test:8443/a/b?c=d#frag", endpoint, path));
  EXPECT_EQ(endpoint, (HttpEndpoint{ServiceType::kHttps, u"Feeds.test", 8443}));
  EXPECT_EQ(path, u"/a/b?c=d");
  EXPECT_EQ(endpoint.baseUrl(), u"https://Feeds.test:8443");

  ASSERT_TRUE(splitHttpUrl(u"HTTP://user@x.test?q=1", endpoint, path));
  EXPECT_EQ(endpoint, (HttpEndpoint{ServiceType::kHttp, u"x.test", 80}));
  EXPECT_EQ(path, u"/?q=1");
  EXPECT_EQ(endpoint.baseUrl(), u"http://x.test");

  ASSERT_TRUE(splitHttpUrl(u"https://x.test", endpoint, path));
  EXPECT_EQ(endpoint.port, 443);
  EXPECT_EQ(endpoint.baseUrl(), u"https://x.test");
  endpoint.port = 80;
  EXPECT_EQ(endpoint.baseUrl(), u"https://x.test:80");

  EXPECT_FALSE(splitHttpUrl(u"ftp://x.test/", endpoint, path));
  EXPECT_FALSE(splitHttpUrl(u"http://", endpoint, path));
  EXPECT_FALSE(splitHttpUrl(u"http://x.test:99999/", endpoint, path));
  EXPECT_FALSE(splitHttpUrl(u"http://x.test:8o/", endpoint, path));
}

}  // namespace
}  // namespace brambel
