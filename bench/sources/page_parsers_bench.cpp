// Throughput of the built-in sources' page parsers on pages of realistic size.

#include <benchmark/benchmark.h>

#include <string>

#include "sources/amazon_source.h"
#include "sources/feed_parsers.h"
#include "sources/google_page.h"

namespace {

// A news feed of `items` items with markup-laden, entity-escaped descriptions.
std::string newsFeed(int items) {
  std::string feed = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>News</title>\n";
  for (int i = 0; i < items; ++i) {
    std::string n = std::to_string(i);
    feed += "<item><title>Story " + n + " &amp; more</title><link>http://news.example/r?u=http%3A%2F%2Fstory.example%2F" + n +
            "</link><description>&lt;p&gt;&lt;img src=\"http://img.example/" + n +
            ".jpg\"&gt;Some text about the story, with &lt;b&gt;bold&lt;/b&gt; words and a few more sentences "
            "to make it as long as a real summary usually is.&lt;/p&gt;</description>"
            "<pubDate>Sun, 06 Nov 1994 08:49:37 GMT</pubDate><guid>http://story.example/" + n + "</guid></item>\n";
  }
  return feed + "</channel></rss>\n";
}

// A result page of 20 entries among the layout and script a result page carries.
std::string resultPage() {
  std::string page = "<html><head><title>r</title><script>" + std::string(30000, 'x') + "</script></head><body>";
  page += "<table><tr><td>a</td></tr></table><table><tr><td>b</td></tr></table><table id=mbEnd><tr><td>";
  for (int i = 0; i < 8; ++i)
    page += "<a href=\"/aclk?adurl=http://ad" + std::to_string(i) + ".example/\">Ad</a><br>text<font>url</font><br>";
  page += "</td></tr></table><div id=res><ol>";
  for (int i = 0; i < 20; ++i)
    page += "<li class=g><h3><a href=\"/url?q=http://r" + std::to_string(i) +
            ".example/&sa=U\">Result <b>title</b></a></h3><div class=s>" + std::string(300, 's') +
            "<cite>r.example</cite></div></li>";
  page += "</ol></div><table id=nav><tr>";
  for (int i = 0; i < 10; ++i) page += "<td><a href=\"/search?start=" + std::to_string(i) + "\"><span id=nf></span></a></td>";
  return page + "<td><a href=\"/search?start=20\"><span id=nn></span>Next</a></td></tr></table></body></html>";
}

std::string amazonAnswer() {
  std::string answer = "<ItemSearchResponse><Items><TotalPages>40</TotalPages>";
  for (int i = 0; i < 10; ++i)
    answer += "<Item><ASIN>B0" + std::to_string(i) + "</ASIN><DetailPageURL>http://www.amazon.com/dp/B0" + std::to_string(i) +
              "%3FSubscriptionId%3D1</DetailPageURL><ItemAttributes><Manufacturer>Acme &amp; Sons</Manufacturer>"
              "<ProductGroup>Book</ProductGroup><Title>A long book title number " + std::to_string(i) +
              "</Title></ItemAttributes></Item>";
  return answer + "</Items></ItemSearchResponse>";
}

void BM_RssFeed(benchmark::State& state) {
  std::string feed = newsFeed(static_cast<int>(state.range(0)));
  brambel::ParameterMap flags{{u"parseSubURL", u"1"}, {u"imagesOverride", u"1"}};
  for (auto _ : state) {
    brambel::ResultGroups groups;
    brambel::parseRssFeed(feed, flags, groups);
    benchmark::DoNotOptimize(groups);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_RssFeed)->Arg(20)->Arg(500);

void BM_GoogleResultPage(benchmark::State& state) {
  std::string page = resultPage();
  for (auto _ : state) {
    brambel::ResultGroups groups;
    std::u16string next;
    benchmark::DoNotOptimize(brambel::parseGooglePage(page, groups, next));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_GoogleResultPage);

void BM_AmazonAnswer(benchmark::State& state) {
  std::string answer = amazonAnswer();
  for (auto _ : state) {
    brambel::ResultGroups groups;
    benchmark::DoNotOptimize(brambel::AmazonSource::ReadItemSearchAnswer(answer, groups));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(answer.size()));
}
BENCHMARK(BM_AmazonAnswer);

}  // namespace
