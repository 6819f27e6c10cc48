// Scoring one entry, cutting its summary, and the sort orders.
#include "search/result_scoring.h"

#include <gtest/gtest.h>

#include "index/term_extractor.h"
#include "search/result_order.h"

namespace brambel {
namespace {

// A stored page as the library would give it, cut into terms by the index's own extractor.
StoredPage page(std::u16string text) {
  StoredPage stored;
  stored.text = std::move(text);
  TermFilter filter;
  stored.terms = ExtractTerms(stored.text, &filter).terms;
  stored.stats.w = 10;
  stored.stats.t = 50;
  stored.stats.l = static_cast<uint32_t>(stored.text.size());
  return stored;
}

ResultEntry entry(std::u16string url, int32_t score) {
  ResultEntry e;
  e.record.url = std::move(url);
  e.score = score;
  return e;
}

UrlMarks storedMarks(bool permanent) {
  UrlMarks marks;
  marks.recordId = 7;
  marks.setPermanent(permanent);
  return marks;
}

TEST(ScoreEntry, PermanentBonusFollowsTheWeightAndSparesExcludedEntries) {
  ScoringSettings settings;
  settings.aggregateTermScoring = false;
  ScoreQuery query;
  ResultEntry e = entry(u"http://a.test/", 500);
  EXPECT_FALSE(ScoreEntry(e, storedMarks(true), settings, query, true, nullptr));
  EXPECT_EQ(e.score, 800);
  e.score = 500;
  settings.permScoringWeight = 0;
  ScoreEntry(e, storedMarks(true), settings, query, true, nullptr);
  EXPECT_EQ(e.score, 500);
  settings.permScoringWeight = 300;
  e.score = -1;
  ScoreEntry(e, storedMarks(true), settings, query, true, nullptr);
  EXPECT_EQ(e.score, -1);
  e.score = 500;
  ScoreEntry(e, storedMarks(false), settings, query, true, nullptr);
  EXPECT_EQ(e.score, 500);
}

TEST(ScoreEntry, TermsScoreThePageStrictlyOrNot) {
  const StoredPage stored = page(u"the big cat sat on the small dog near a big cat");
  StoredPageReader reader = [&](uint32_t id) -> std::optional<StoredPage> {
    if (id == 7) return stored;
    return std::nullopt;
  };
  ScoringSettings settings;
  settings.contentSummaryExtraction = false;
  ScoreQuery query{{u"big", u"cat"}, {u"big", u"cat"}, true};
  ResultEntry e = entry(u"http://a.test/", 100);
  EXPECT_TRUE(ScoreEntry(e, storedMarks(false), settings, query, true, reader));
  EXPECT_GT(e.score, 100);

  // A negated term that occurs excludes under strict and is ignored otherwise.
  query.terms = {u"cat", u"-dog"};
  e.score = 100;
  ScoreEntry(e, storedMarks(false), settings, query, true, reader);
  EXPECT_EQ(e.score, -1);
  query.strict = false;
  e.score = 100;
  ScoreEntry(e, storedMarks(false), settings, query, true, reader);
  EXPECT_GE(e.score, 100);

  // A phrase whose words never follow each other.
  query.terms = {u"\"cat", u"big\""};
  e.score = 100;
  ScoreEntry(e, storedMarks(false), settings, query, true, reader);
  EXPECT_EQ(e.score, -1);

  // A page the library cannot read keeps its score.
  UrlMarks unknown;
  unknown.recordId = 99;
  query.terms = {u"cat"};
  e.score = 100;
  ScoreEntry(e, unknown, settings, query, true, reader);
  EXPECT_EQ(e.score, 100);
}

TEST(ScoreEntry, ZeroCountsScoreAsAPageWithoutTheTerms) {
  StoredPage stored = page(u"cat cat cat");
  stored.stats.w = 0;
  StoredPageReader reader = [&](uint32_t) -> std::optional<StoredPage> { return stored; };
  ScoringSettings settings;
  ScoreQuery query{{u"cat"}, {u"cat"}, true};
  ResultEntry e = entry(u"http://a.test/", 100);
  ScoreEntry(e, storedMarks(false), settings, query, true, reader);
  EXPECT_EQ(e.score, -1);  // strict: every term is required
  query.strict = false;
  e.score = 100;
  ScoreEntry(e, storedMarks(false), settings, query, true, reader);
  EXPECT_EQ(e.score, 100);
}

TEST(BestSummaryWindow, MostTermsWinEarliestOnTiesRepetitionsCount) {
  EXPECT_EQ(BestSummaryWindow({}, 128, 2), 0u);
  EXPECT_EQ(BestSummaryWindow({{300, 0}, {10, 0}, {400, 1}}, 128, 2), 300u);
  EXPECT_EQ(BestSummaryWindow({{10, 0}, {500, 0}}, 128, 2), 10u);
  // A complete set starts counting again: two full sets beat one.
  EXPECT_EQ(BestSummaryWindow({{0, 0}, {5, 1}, {400, 0}, {405, 1}, {410, 0}, {415, 1}}, 128, 2), 400u);
}

TEST(ContentSummary, ReadsFifteenBeforeTheWindowAndDropsCutWords) {
  // Best window at 10: read from 0. The first blank (at 4) lies before
  // offset 10, so the possibly cut first word "aaaa" goes.
  std::u16string text = u"aaaa bbbb kiwi " + std::u16string(200, u'x');
  StoredPage stored = page(text);
  std::u16string summary = ContentSummary(stored, std::vector<std::u16string>{u"kiwi"});
  EXPECT_EQ(summary.substr(0, 10), u"bbbb kiwi ");

  // Best window at 100: read from 85 to 213. "word " fills 0..99, so the
  // piece starts inside "word word word " and loses its first word; the
  // last blank (208) is followed by only "abcd", which goes too.
  std::u16string words;
  for (int i = 0; i < 20; ++i) words += u"word ";
  words += u"kiwi";
  for (int i = 0; i < 12; ++i) words += u" abcdefghijkl";
  stored = page(words);
  summary = ContentSummary(stored, std::vector<std::u16string>{u"kiwi"});
  EXPECT_EQ(summary, words.substr(90, 208 - 90));
}

TEST(SortResults, PinnedLeadAndEveryOrderBreaksTiesByUrl) {
  auto make = [](std::u16string url, int32_t score, uint32_t content, uint32_t load, uint32_t click, uint32_t hover) {
    ResultEntry e = entry(std::move(url), score);
    e.record.contentDate = content;
    e.record.loadDate = load;
    e.marks.clickDate = click;
    e.marks.hoverDate = hover;
    return e;
  };
  std::vector<ResultEntry> base = {
      make(u"http://e/", 50000, 0, 0, 0, 0), make(u"http://d/", 49999, 0, 0, 0, 0),
      make(u"http://a/", 10, 300, 1, 0, 0),  make(u"http://b/", 20, 100, 3, 50, 60),
      make(u"http://c/", 20, 200, 2, 70, 10), make(u"http://f/", 10, 400, 1, 0, 0),
  };
  base[0].pinned = base[1].pinned = true;
  auto urls = [&](int order) {
    std::vector<ResultEntry> entries = base;
    SortResults(entries, order);
    std::u16string list;
    for (const ResultEntry& e : entries) list += e.record.url.substr(7, 1);
    return list;
  };
  EXPECT_EQ(urls(0), u"edbcaf");
  EXPECT_EQ(urls(1), u"edfacb");
  EXPECT_EQ(urls(2), u"edbcaf");
  EXPECT_EQ(urls(3), u"edcbaf");
  EXPECT_EQ(urls(4), u"edbcaf");
  EXPECT_EQ(urls(5), u"edfabc");  // never viewed first, newest content first
  EXPECT_EQ(urls(6), u"edcbaf");  // last viewed: c 70, b 60
  EXPECT_EQ(urls(42), urls(0));
}

}  // namespace
}  // namespace brambel
