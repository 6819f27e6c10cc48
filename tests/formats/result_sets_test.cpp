#include <gtest/gtest.h>

#include <thread>

#include "formats/raw_results_file.h"
#include "formats/result_export.h"
#include "formats/result_import.h"
#include "formats/result_set_file.h"
#include "formats/source_table.h"
#include "sources/builtin_sources.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;

const SourceRegistry& registry() {
  static SourceRegistry instance;
  static bool filled = (registerBuiltinSources(instance), true);
  (void)filled;
  return instance;
}

SourceResult result(std::u16string url, std::u16string title, std::u16string description,
                    std::vector<std::u16string> sources = {}, uint32_t contentDate = 0) {
  SourceResult r;
  r.url = std::move(url);
  r.title = std::move(title);
  r.description = std::move(description);
  r.sources = std::move(sources);
  r.contentDate = contentDate;
  return r;
}

class ResultSets : public ::testing::Test {
 protected:
  ResultSets() { table.AddBuiltInSources(); }
  SourceTable table{registry()};
};

TEST_F(ResultSets, RecordsRoundTripKeepingEveryFieldTheFormatHolds) {
  std::vector<SourceResult> results = {
      result(u"http://a.test/é", u"Café\nsecond line", u"first\r\nrest", {u"google", u"library", u"nowhere"}),
      result(u"https://b.test/", u"", u"", {u"yahoo", u"google"})};
  ExportRequest request;
  request.results = results;
  std::string text = formatExport(ExportForm::ResultSet, request, table);
  EXPECT_EQ(text.substr(0, text.find("-----")), "http://a.test/é\nCafé\nfirst\n0\ngoogle\n")
      << "line breaks cut the texts; only searchable internet sources are written";

  std::vector<SourceResult> back = parseResultSet(text, table);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].url, u"http://a.test/é");
  EXPECT_EQ(back[0].title, u"Café");
  EXPECT_EQ(back[0].description, u"first");
  EXPECT_EQ(back[0].sources, (std::vector<std::u16string>{u"google"}));
  EXPECT_EQ(back[1].position, 1);
  EXPECT_EQ(back[1].sources, results[1].sources);
}

TEST_F(ResultSets, ReadsOlderRecordsAndSkipsWhatIsNoWebAddress) {
  std::string older =
      "http://one.test/\nOne\nabout one\ngoogle\n-----\n"
      "ftp://two.test/\nTwo\n\n7\n-----\n"
      "http://three.test/\nThree\n\nunknownsource\nyahoo\n\n"
      "http://four.test/\nFour\nd\n42";
  std::vector<SourceResult> read = parseResultSet(older, table);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0].position, 0);
  EXPECT_EQ(read[0].sources, (std::vector<std::u16string>{u"google"}));
  EXPECT_EQ(read[1].position, 2) << "no position line: the record's index";
  EXPECT_EQ(read[1].sources, (std::vector<std::u16string>{u"yahoo"}));
  EXPECT_EQ(read[2].position, 42);
  EXPECT_TRUE(parseResultSet("<?xml version=\"1.0\"?>\nhttp://x.test/\n", table).empty());

  TempDir dir;
  EXPECT_FALSE(ReadResultSet(dir.file("missing.zset"), table));
}

TEST_F(ResultSets, RssExportEscapesValuesAndParsesAsXml) {
  std::vector<SourceResult> results = {
      result(u"http://a.test/?x=1&y=<2>", u"Fish & Chips <b>", u"</description><evil/>", {u"google"}),
      result(u"http://b.test/", u"Plain", u"d", {}, 1700000000),
      result(u"http://c.test/", u"Not selected", u"")};
  ExportRequest request{results, {u"http://a.test/?x=1&y=<2>", u"http://b.test/"}, {u"fish", u"&chips"}, 0};
  std::string rss = formatExport(exportFormFor("out.XML"), request, table);
  EXPECT_EQ(exportFormFor("out.anything"), ExportForm::Rss);
  auto parsed = testing::runProcess(
      "/usr/bin/python3",
      {"-c",
       "import sys, xml.etree.ElementTree as E\n"
       "c = E.fromstring(sys.stdin.buffer.read()).find('channel')\n"
       "print(c.findtext('description').strip())\n"
       "for i in c.iter('item'):\n"
       "  s = [e.text for e in i if e.tag.endswith('}source')]\n"
       "  print(i.findtext('title'), i.findtext('link'), i.findtext('description'), s, sep='|')\n"},
      rss);
  ASSERT_EQ(parsed.status, 0) << parsed.err << rss;
  EXPECT_EQ(parsed.out,
            "Search terms: fish &chips\n"
            "Fish & Chips <b>|http://a.test/?x=1&y=<2>|</description><evil/>|['google']\n"
            "Plain|http://b.test/|d|[]\n");

  // The feed comes back in with its sources.
  std::vector<SourceResult> back = importFeed(rss, table);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].url, results[0].url);
  EXPECT_EQ(back[0].sources, results[0].sources);
}

TEST_F(ResultSets, HtmlExportEscapesAndItsLinksImportBack) {
  std::vector<SourceResult> results = {result(u"http://a.test/?a=1&b=2", u"<script>x</script> & co", u"", {}, 0),
                                       result(u"http://b.test/", u"Dated", u"text", {}, 1700000000)};
  ExportRequest request;
  request.results = results;
  std::string html = formatExport(exportFormFor("list.Htm"), request, table);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;x&lt;/script&gt; &amp; co"), std::string::npos);
  EXPECT_NE(html.find("href=\"http://a.test/?a=1&amp;b=2\""), std::string::npos);
  EXPECT_EQ(html.find("Search terms"), std::string::npos) << "no terms, no terms section";
  size_t first = html.find("1.</span>"), second = html.find("2.</span>");
  ASSERT_LT(first, second);
  EXPECT_EQ(html.substr(first, second - first).find("Last Modified"), std::string::npos);
  EXPECT_NE(html.find("Last Modified", second), std::string::npos);

  std::vector<SourceResult> links = importHtmlLinks(html);
  ASSERT_EQ(links.size(), 2u) << "the two results; the footer's link is nofollow";
  EXPECT_EQ(links[0].url, u"http://a.test/?a=1&b=2");
  EXPECT_EQ(links[0].title, u"<script>x</script> & co");
  EXPECT_EQ(links[1].position, 1);
}

TEST_F(ResultSets, ImportsAtomEntriesAndFilesByExtension) {
  TempDir dir;
  dir.write("feed.atom",
            "<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>f</title>"
            "<entry><title type=\"html\">A &amp;amp; B</title><link rel=\"alternate\" href=\"http://a.test/1\"/>"
            "<content>&lt;p&gt;Body&lt;/p&gt;</content></entry>"
            "<entry><title>Second</title><link href=\"http://a.test/2\"/></entry></feed>");
  auto atom = ImportResults(dir.file("feed.atom"), table);
  ASSERT_TRUE(atom);
  ASSERT_EQ(atom->size(), 2u);
  EXPECT_EQ((*atom)[0].url, u"http://a.test/1");
  EXPECT_EQ((*atom)[1].position, 1);
  dir.write("page.HTML", "<a href=\"ftp://x.test/\">ftp</a><a href=\"http://y.test/\"></a><a href=\"http://z.test/\">z</a>");
  auto page = ImportResults(dir.file("page.HTML"), table);
  ASSERT_TRUE(page);
  ASSERT_EQ(page->size(), 1u);
  EXPECT_EQ((*page)[0].url, u"http://z.test/");
  EXPECT_FALSE(ImportResults(dir.file("absent.xml"), table));
}

TEST_F(ResultSets, RawResultsCollectEveryAppendFromManyThreads) {
  TempDir library;
  EXPECT_FALSE(HasRawResults(library.path()));
  RawResultsFile raw(library.path(), table);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        SourceResult r = result(u"http://t" + std::u16string(1, u'0' + t) + u".test/" + std::u16string(1, u'a' + i % 26),
                                u"title", u"", {u"google"});
        r.position = i;
        raw.Append(r);
      }
    });
  for (auto& thread : threads) thread.join();
  uint32_t written = 0;
  ASSERT_TRUE(HasRawResults(library.path(), &written));
  EXPECT_GT(written, 0u);
  auto restored = RestoreRawResults(library.path(), table);
  ASSERT_TRUE(restored);
  EXPECT_EQ(restored->size(), 200u);

  raw.Clear();
  EXPECT_FALSE(HasRawResults(library.path()));
  library.write("raw_results.txt", "http://old.test/\nOld\n\ngoogle\n-----\n");
  EXPECT_TRUE(HasRawResults(library.path()));
  restored = RestoreRawResults(library.path(), table);
  ASSERT_TRUE(restored);
  ASSERT_EQ(restored->size(), 1u);
  EXPECT_EQ((*restored)[0].url, u"http://old.test/");
}

}  // namespace
}  // namespace brambel
