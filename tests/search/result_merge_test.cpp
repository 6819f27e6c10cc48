#include "search/result_merge.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

SourceResult raw(std::u16string url, int position, std::u16string source, uint32_t contentDate = 0) {
  SourceResult record;
  record.url = std::move(url);
  record.title = record.url;
  record.position = position;
  record.sources = {std::move(source)};
  record.contentDate = contentDate;
  record.marker = -1;
  return record;
}

TEST(MergeLoadedResults, OneUrlFromThreeSourcesIsListedOnceWithAllIds) {
  std::vector<SourceResult> list;
  for (int i = 0; i < 20; ++i) list.push_back(raw(u"http://filler.test/" + std::u16string(1, u'a' + i), i, u"f"));
  list[0] = raw(u"http://same.test/", 0, u"a");
  list[4] = raw(u"http://same.test/", 4, u"b");
  list[9] = raw(u"http://same.test/", 9, u"c");
  std::vector<ResultEntry> merged = MergeLoadedResults(list, {});
  ASSERT_EQ(merged.size(), 18u);
  EXPECT_EQ(merged[0].record.url, u"http://same.test/");
  EXPECT_EQ(merged[0].record.sources, (std::vector<std::u16string>{u"a", u"b", u"c"}));
  EXPECT_EQ(merged[0].score, 1000);
  // (20 - 19) * 1000 / 20
  EXPECT_EQ(merged.back().score, 50);
}

TEST(MergeLoadedResults, LaterDuplicateWithBetterPositionRaisesTheScore) {
  std::vector<SourceResult> list = {raw(u"http://x.test/", 3, u"a"), raw(u"http://y.test/", 0, u"a"),
                                    raw(u"http://x.test/", 0, u"b"), raw(u"http://x.test/", 1, u"a")};
  std::vector<ResultEntry> merged = MergeLoadedResults(list, {});
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0].score, 1000);
  EXPECT_EQ(merged[0].record.sources, (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_EQ(merged[0].record.position, 3);  // nothing but sources and score changes
}

TEST(MergeLoadedResults, CategoryFilterLimitAndNegativeScores) {
  std::vector<SourceResult> list = {raw(u"http://1.test/", 0, u"in"), raw(u"http://2.test/", 1, u"out"),
                                    raw(u"http://3.test/", 2, u"in"), raw(u"http://4.test/", 9, u"in"),
                                    raw(u"http://5.test/", 3, u"in")};
  LoadMergeOptions options;
  options.categorySources = std::set<std::u16string>{u"in"};
  options.searchResultMax = 3;
  std::vector<ResultEntry> merged = MergeLoadedResults(list, options);
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[0].record.url, u"http://1.test/");
  EXPECT_EQ(merged[1].record.url, u"http://3.test/");
  // Position 9 of N = 5 scores below zero and is left out.
  EXPECT_EQ(merged[2].record.url, u"http://5.test/");
  EXPECT_TRUE(MergeLoadedResults({}, options).empty());
}

TEST(MergeLoadedResults, DatesComeFromTheLibraryWhenItHasTheUrl) {
  std::vector<SourceResult> list = {raw(u"http://stored.test/", 0, u"a", 5), raw(u"http://new.test/", 1, u"a", 7)};
  list[1].loadDate = 99;
  LoadMergeOptions options;
  options.storedDates = [](const std::u16string& url) -> std::optional<StoredDates> {
    if (url == u"http://stored.test/") return StoredDates{100, 200};
    return std::nullopt;
  };
  std::vector<ResultEntry> merged = MergeLoadedResults(list, options);
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0].record.contentDate, 100u);
  EXPECT_EQ(merged[0].record.loadDate, 200u);
  EXPECT_EQ(merged[1].record.contentDate, 7u);
  EXPECT_EQ(merged[1].record.loadDate, 0u);
}

TEST(SortByScore, ScoreDescendingThenUrl) {
  std::vector<ResultEntry> entries = {{raw(u"http://b.test/", 0, u""), 5},
                                      {raw(u"http://a.test/", 0, u""), 5},
                                      {raw(u"http://c.test/", 0, u""), 900},
                                      {raw(u"http://d.test/", 0, u""), INT32_MIN + 1},
                                      {raw(u"http://e.test/", 0, u""), INT32_MAX}};
  SortByScore(entries);
  std::vector<std::u16string> urls;
  for (const ResultEntry& entry : entries) urls.push_back(entry.record.url);
  EXPECT_EQ(urls, (std::vector<std::u16string>{u"http://e.test/", u"http://c.test/", u"http://a.test/",
                                                u"http://b.test/", u"http://d.test/"}));
}

}  // namespace
}  // namespace brambel
