// Throughput of the page-reading scanners on generated pages and feeds of a
// few MB, and on cut-off input that would make a backtracking matcher
// quadratic (each pathological case runs at 1 MB and 10 MB: equal MB/s means
// linear time).
#include <benchmark/benchmark.h>

#include <boost/regex.hpp>
#include <iterator>
#include <random>
#include <string>

#include "toolkit/feed_scanner.h"
#include "toolkit/html_to_text.h"
#include "toolkit/link_scanner.h"
#include "toolkit/path_query.h"
#include "toolkit/tag_pattern.h"

namespace {

std::string words(std::mt19937& random, int count) {
  static const char* kWords[] = {"search",  "library", "the",   "of",  "result", "page", "index", "feed",
                                 "Brambel", "text",    "query", "and", "source", "link", "tile"};
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i) text += ' ';
    text += kWords[random() % std::size(kWords)];
  }
  return text;
}

// A results page: paragraphs with inline markup and entities, links,
// scripts, styles and comments, about `size` bytes.
std::string generatedPage(size_t size) {
  std::mt19937 random(1);
  std::string page = "<html><head><title>Results</title><style>p { margin: 0 }</style></head><body>\n";
  while (page.size() < size) {
    page += "<div class=\"result\"><h3><a href=\"http://example.com/" + std::to_string(random()) + "\">" +
            words(random, 5) + "</a></h3>\n<p>" + words(random, 20) + " &amp; <b>" + words(random, 3) +
            "</b> &nbsp;" + words(random, 15) + "&rsquo;s</p>\n";
    if (random() % 8 == 0) page += "<script>var x = a < b ? '<p>' : 0;</script><!-- ad slot -->\n";
    page += "</div>\n";
  }
  return page + "</body></html>";
}

std::string generatedFeed(size_t size) {
  std::mt19937 random(2);
  std::string feed = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Feed</title>\n";
  while (feed.size() < size) {
    feed += "<item><title>" + words(random, 6) + "</title><link>http://example.com/" +
            std::to_string(random()) + "</link>\n<description><![CDATA[<p>" + words(random, 40) +
            "</p>]]></description><guid>" + std::to_string(random()) +
            "</guid><pubDate>Sun, 06 Nov 1994 08:49:37 GMT</pubDate>"
            "<media:thumbnail url=\"http://example.com/t.jpg\"/></item>\n";
  }
  return feed + "</channel></rss>";
}

std::string tableOfRows(int rows) {
  std::string table = "<html><body><table id=\"results\">\n";
  for (int i = 0; i < rows; ++i)
    table += "<tr class=\"row\"><td>" + std::to_string(i) + "</td><td><a href=\"http://example.com/" +
             std::to_string(i) + "\">result " + std::to_string(i) + "</a></td></tr>\n";
  return table + "</table></body></html>";
}

void BM_HtmlToText(benchmark::State& state) {
  std::string page = generatedPage(4 << 20);
  for (auto _ : state) benchmark::DoNotOptimize(brambel::htmlToText(page));
  state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_HtmlToText)->Unit(benchmark::kMillisecond);

void BM_ExtractFeedItems(benchmark::State& state) {
  std::string feed = generatedFeed(4 << 20);
  size_t count = 0;
  for (auto _ : state) {
    std::vector<brambel::FeedItem> items;
    brambel::extractFeedItems(feed, items);
    count = items.size();
  }
  state.SetBytesProcessed(state.iterations() * feed.size());
  state.counters["items"] = count;
}
BENCHMARK(BM_ExtractFeedItems)->Unit(benchmark::kMillisecond);

void BM_ExtractLinks(benchmark::State& state) {
  std::string page = generatedPage(4 << 20);
  size_t count = 0;
  for (auto _ : state) {
    std::vector<brambel::PageLink> links;
    brambel::extractLinks(page, links);
    count = links.size();
  }
  state.SetBytesProcessed(state.iterations() * page.size());
  state.counters["links"] = count;
}
BENCHMARK(BM_ExtractLinks)->Unit(benchmark::kMillisecond);

// The way the sources read a result table: cut out the table, then take one
// row after the other from the rest of the previous one, then a cell of it.
void BM_FindPathTableRows(benchmark::State& state) {
  std::string page = tableOfRows(static_cast<int>(state.range(0)));
  size_t rows = 0;
  for (auto _ : state) {
    std::string table = brambel::findPath(page, "/html/body/table", {}, true);
    std::string_view rest = table;
    rows = 0;
    for (;;) {
      size_t before = rest.size();
      std::string row = brambel::findPath(rest, "/tr", {}, true, nullptr, &rest);
      if (rest.size() == before) break;
      benchmark::DoNotOptimize(brambel::findPath(row, "/td(2)/a"));
      ++rows;
    }
  }
  state.SetBytesProcessed(state.iterations() * page.size());
  state.counters["rows"] = rows;
}
BENCHMARK(BM_FindPathTableRows)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The tag search of a path step, as the Perl-style expression it stands for
// and as the hand-written matcher: every "tr" tag of a 10 000-row table.
void BM_TagSearchRegex(benchmark::State& state) {
  std::string page = tableOfRows(10000);
  boost::regex expression("(<[ ]*tr(\\s+[^>]*?)?(/?)>)|(<[ ]*(/)[ ]*tr(\\s+[^>]*)?>)",
                          boost::regex::perl | boost::regex::icase);
  long tags = 0;
  for (auto _ : state)
    tags =
        std::distance(boost::sregex_iterator(page.begin(), page.end(), expression), boost::sregex_iterator());
  state.SetBytesProcessed(state.iterations() * page.size());
  state.counters["tags"] = tags;
}
BENCHMARK(BM_TagSearchRegex)->Unit(benchmark::kMillisecond);

void BM_TagSearchMatcher(benchmark::State& state) {
  std::string page = tableOfRows(10000);
  long tags = 0;
  for (auto _ : state) {
    brambel::TagPattern pattern(page, "tr");
    tags = 0;
    for (auto tag = pattern.findNext(0); tag; tag = pattern.findNext(tag->end)) ++tags;
  }
  state.SetBytesProcessed(state.iterations() * page.size());
  state.counters["tags"] = tags;
}
BENCHMARK(BM_TagSearchMatcher)->Unit(benchmark::kMillisecond);

// Cut-off input: `unit` repeated to the benchmark's size, behind `prefix`.
std::string repeated(const std::string& prefix, const std::string& unit, size_t size) {
  std::string text = prefix;
  text.reserve(size + unit.size());
  while (text.size() < size) text += unit;
  return text;
}

template <typename Scan>
void runPathological(benchmark::State& state, const std::string& input, Scan scan) {
  for (auto _ : state) scan(input);
  state.SetBytesProcessed(state.iterations() * input.size());
}

void textScan(const std::string& input) { benchmark::DoNotOptimize(brambel::htmlToText(input)); }
void feedScan(const std::string& input) {
  std::vector<brambel::FeedItem> items;
  brambel::extractFeedItems(input, items);
}
void linkScan(const std::string& input) {
  std::vector<brambel::PageLink> links;
  brambel::extractLinks(input, links);
}
void pathScan(const std::string& input) {
  std::string_view rest;
  benchmark::DoNotOptimize(brambel::findPath(input, "/td/a", {}, true, nullptr, &rest));
}

#define PATHOLOGICAL(name, scan, prefix, unit)                                                 \
  void BM_##name(benchmark::State& state) {                                                    \
    runPathological(state, repeated(prefix, unit, static_cast<size_t>(state.range(0))), scan); \
  }                                                                                            \
  BENCHMARK(BM_##name)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond)

PATHOLOGICAL(TextLessThans, textScan, "", "<");
PATHOLOGICAL(TextAmpersands, textScan, "", "&");
PATHOLOGICAL(TextScriptOpeners, textScan, "", "<script ");
PATHOLOGICAL(TextUnterminatedComment, textScan, "<!--", "<!-- -- <a> ");
PATHOLOGICAL(TextUnterminatedScript, textScan, "<script>", "</scrip <x> </ script ");
PATHOLOGICAL(FeedLessThans, feedScan, "<rss><channel><item><title>", "<");
PATHOLOGICAL(FeedItemOpeners, feedScan, "<rss><channel>", "<item ");
PATHOLOGICAL(FeedUnterminatedTitle, feedScan, "<rss><channel><item><title>", "</titl <x> ");
PATHOLOGICAL(LinkLessThans, linkScan, "", "<");
PATHOLOGICAL(LinkAnchorOpeners, linkScan, "", "<a href=\"x\" ");
PATHOLOGICAL(LinkUnterminatedAnchor, linkScan, "<a href=\"x\">", "< / a </ab text ");
PATHOLOGICAL(PathTagOpeners, pathScan, "", "<td <a ");
PATHOLOGICAL(PathUnclosedElement, pathScan, "<td><a>", "<a\t</ a <a/ ");

}  // namespace
