#include <gtest/gtest.h>

#include "sources/builtin_sources.h"

namespace brambel {
namespace {

TEST(BuiltinSources, EveryTypeIsRegisteredUnderItsKey) {
  SourceRegistry registry;
  registerBuiltinSources(registry);
  std::vector<std::u16string> expected{
      u"altavista", u"amazon",         u"atom",          u"callaw",         u"craig",
      u"delicious", u"ebay",           u"google",        u"google_books",   u"google_directory",
      u"google_patents", u"google_scholar", u"googlegroups", u"googleimages", u"library",
      u"rss",       u"simpy",          u"snipbites",     u"thottbot",       u"url",
      u"yahoo"};
  EXPECT_EQ(registry.Keys(), expected);
  for (const std::u16string& key : expected) {
    std::unique_ptr<SearchSource> source = registry.Create(key);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->GetKey(), key);
    EXPECT_FALSE(source->GetInfo().displayName.empty());
  }
}

TEST(BuiltinSources, DefinitionsCarryNamesAndParameters) {
  SourceRegistry registry;
  registerBuiltinSources(registry);
  std::unique_ptr<SearchSource> feed =
      registry.Create(u"rss", u"News", u"Daily news", ParameterMap{{u"url", u"http://n.example/rss"}});
  ASSERT_NE(feed, nullptr);
  EXPECT_EQ(feed->GetInstanceId(), u"rss/http://n.example/rss/");
  EXPECT_EQ(feed->GetInfo().displayName, u"News (rss)");
  EXPECT_EQ(feed->GetInfo().description, u"Daily news");
  EXPECT_EQ(registry.Create(u"nonesuch"), nullptr);
}

}  // namespace
}  // namespace brambel
