#include <gtest/gtest.h>

#include "sources/engine_pages.h"
#include "sources/engine_sources.h"
#include "tests/sources/source_run.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using testing::attribute;
using testing::LoopbackServer;
using testing::parameters;
using testing::runSource;

struct RequestCase {
  std::string key;
  std::string host;
  std::vector<std::pair<std::string, std::string>> parameters;
  std::string path;
  std::string query;
};

// The request each engine sends for the query "big cat" with the terms "pet".
TEST(EngineSources, EachEngineRequestsItsSearchPathOnItsHost) {
  const RequestCase cases[] = {
      {"altavista", "www.altavista.com", {{"site", "a.example"}}, "/web/results",
       "itag=ody&kgs=0&kls=0&q=big+cat+pet&aqmode=s&rc=dmn&swd=a.example&aqa=big+cat+pet"},
      {"snipbites", "www.snipbites.com", {}, "/search.php", "kp=big+cat+pet"},
      {"google_books", "books.google.com", {}, "/books", "as_brr=0&btnG=Search&q=big+cat+pet"},
      {"googlegroups", "groups.google.com", {{"groups", "rec.pets"}, {"author", "a b"}, {"lang", "en"}}, "/groups/search",
       "qt_s=Search+Groups&num=20&q=big+cat+pet&as_ugroup=rec.pets&as_uauthors=a+b&lr=en"},
      {"googleimages", "images.google.com", {{"safesearch", " 0 "}}, "/images", "q=big+cat+pet&gbv=1&safe=off"},
      {"googleimages", "images.google.com", {{"safesearch", "1"}}, "/images", "q=big+cat+pet&gbv=1&safe=on"},
      {"google_patents", "www.google.com", {}, "/patents", "btnG=Search+Patents&q=big+cat+pet"},
      {"google_scholar", "scholar.google.com",
       {{"publication", "Nature"}, {"subject", "bio, med"}, {"min_year", "1990"}, {"max_year", "2000"}}, "/scholar",
       "hl=en&lr=&btnG=Search&q=big+cat+pet&as_publication=Nature&as_allsubj=some&as_subj=bio&as_subj=med"
       "&as_yhi=2000&as_ylo=1990"},
  };
  for (const RequestCase& c : cases) {
    SCOPED_TRACE(c.key);
    LoopbackServer server;
    server.mapHost(c.host + ":80");
    server.serve(c.path, "<html><body></body></html>");
    const EngineProfile* profile = findEngineProfile(testing::wide(c.key));
    ASSERT_NE(profile, nullptr);
    EngineSource source(*profile);
    for (const auto& [name, value] : c.parameters) source.parameters()[testing::wide(name)] = testing::wide(value);
    source.parameters()[u"terms"] = u"pet";
    testing::SourceRun run = runSource(source, u"big cat");
    EXPECT_EQ(server.requestCount(c.path), 1);
    EXPECT_EQ(server.lastRequest(c.path).query, c.query);
    EXPECT_EQ(run.errorFlag, 0);
    EXPECT_TRUE(run.items().empty());
  }
}

TEST(EngineSources, IdsNamesAndDescriptions) {
  EngineSource groups(*findEngineProfile(u"googlegroups"));
  EXPECT_EQ(groups.GetInstanceId(), u"googlegroups");
  groups.parameters() = parameters({{"groups", "comp"}});
  EXPECT_EQ(groups.GetInstanceId(), u"googlegroups");  // "/comp" is not longer than 5
  groups.parameters() = parameters({{"groups", "comp.lang"}, {"lang", "en"}});
  EXPECT_EQ(groups.GetInstanceId(), u"googlegroups/comp.lang/en");
  EXPECT_EQ(groups.GetInfo().displayName, u"Google Groups");

  EngineSource scholar(*findEngineProfile(u"google_scholar"));
  scholar.parameters() = parameters({{"subject", "bio, med"}});
  EXPECT_EQ(scholar.GetInstanceId(), u"google_scholar////bio,med");

  EngineSource altavista(*findEngineProfile(u"altavista"));
  altavista.parameters() = parameters({{"site", "a.b"}});
  EXPECT_EQ(altavista.GetInstanceId(), u"altavista/a.b/");
  altavista.setDisplayName(u"AV");
  EXPECT_EQ(altavista.GetInfo().displayName, u"AV (Altavista)");
  EXPECT_EQ(altavista.GetInfo().parameterDescriptions.at(u"site"), u"Domain to search through");

  EXPECT_EQ(findEngineProfile(u"nonesuch"), nullptr);
}

template <typename Parser>
ResultGroups parse(Parser parser, const std::string& page, std::u16string& next, const ParameterMap& p = {}) {
  ResultGroups groups;
  next = u"stale";
  parser(page, p, groups, next);
  return groups;
}

TEST(EnginePages, Altavista) {
  std::string page =
      "<html><body><table><tr><td>top</td></tr></table>"
      "<div class=\"Sponsored\"><a href=\"http://ad.example/\">Ad</a> buy it <a href=\"/r?u=http://ad2.example/\">Ad2</a></div>"
      "<div class=res><a href=\"/r?rd=http://one.example/x&amp;z=1\">One   result</a><span class=s>first  snippet</span></div>"
      "<div id=res><a href=\"http://two.example/\">Two</a></div>"
      "<div class=other><a href=\"http://skip.example/\">skip</a></div>"
      "<a href=\"/web/results?q=cat&amp;stq=10\">Next</a></body></html>";
  std::u16string next;
  ResultGroups groups = parse(&parseAltavistaPage, page, next);
  ASSERT_EQ(groups.size(), 2u);
  ASSERT_EQ(groups[0].items.size(), 2u);
  EXPECT_EQ(attribute(groups[0].items[0], u"href"), "http://one.example/x");
  EXPECT_EQ(attribute(groups[0].items[0], u"title"), "One result");
  EXPECT_EQ(attribute(groups[0].items[0], u"body"), "first snippet");
  EXPECT_EQ(attribute(groups[0].items[1], u"href"), "http://two.example/");
  ASSERT_EQ(groups[1].name, u"sponsors");
  ASSERT_EQ(groups[1].items.size(), 2u);
  EXPECT_EQ(attribute(groups[1].items[0], u"body"), "buy it");
  EXPECT_EQ(attribute(groups[1].items[1], u"href"), "http://ad2.example/");
  EXPECT_EQ(testing::utf8(next), "/web/results?q=cat&stq=10");
}

TEST(EnginePages, Snipbites) {
  std::string page =
      "<html><body><body><table><tr><td>1</td><td><table><tr><td>icon</td><td>"
      "<a href=\"/wiki/Cat\">Cat</a> a small feline</td></tr></table></td></tr></table>"
      "<table><tr><td>no result here</td></tr></table></body></body></html>";
  std::u16string next;
  ResultGroups groups = parse(&parseSnipbitesPage, page, next);
  ASSERT_EQ(groups[0].items.size(), 1u);
  EXPECT_EQ(attribute(groups[0].items[0], u"href"), "http://www.snipbites.com/wiki/Cat");
  EXPECT_EQ(attribute(groups[0].items[0], u"body"), "a small feline");
  EXPECT_TRUE(next.empty());
}

TEST(EnginePages, GoogleBooks) {
  std::string page =
      "<html><body><div id=\"results_container\">"
      "<div class=rsi><div><div><h2 class=resbdy><a href=\"http://books.google.com/books?id=1\">Cats <b>book</b></a></h2>"
      "<font size=-1>by Someone - 1999</font></div></div>\n</div>"
      "<div class=rsi><div><h2><a href=\"/books?id=2\">Second</a></h2> plain text</div></div>"
      "</div><div id=navbar><table><tr><td class=b><a href=\"/books?q=a&amp;start=0\">Prev</a></td>"
      "<td>1</td><td class=b><a href=\"/books?q=a&amp;start=10\">Next</a></td></tr></table></div></body></html>";
  std::u16string next;
  ResultGroups groups = parse(&parseGoogleBooksPage, page, next);
  ASSERT_EQ(groups[0].items.size(), 2u);
  EXPECT_EQ(attribute(groups[0].items[0], u"title"), "Cats book");
  EXPECT_EQ(attribute(groups[0].items[0], u"body"), "by Someone - 1999");
  EXPECT_EQ(attribute(groups[0].items[1], u"href"), "http://books.google.com/books?id=2");
  EXPECT_EQ(attribute(groups[0].items[1], u"body"), "plain text");
  EXPECT_EQ(testing::utf8(next), "/books?q=a&start=10");
}

TEST(EnginePages, GoogleGroups) {
  std::string page =
      "<html><body><table><tr><td>a</td></tr></table><table><tr><td>b</td></tr></table>"
      "<table><tr><td>side</td><td><div><table><tbody>"
      "<tr><td><a href=\"/group/rec.pets/msg/1\">Cat <b>question</b></a><br>snippet one</td></tr>"
      "<tr><td>no link</td></tr>"
      "</tbody></table></div></td></tr></table>"
      "<a href=\"/groups/search?q=cat&amp;start=10\">Next</a></body></html>";
  std::u16string next;
  ResultGroups groups = parse(&parseGoogleGroupsPage, page, next);
  ASSERT_EQ(groups[0].items.size(), 1u);
  EXPECT_EQ(attribute(groups[0].items[0], u"href"), "http://groups.google.com/group/rec.pets/msg/1");
  EXPECT_EQ(attribute(groups[0].items[0], u"override_title"), "Cat question");
  EXPECT_EQ(attribute(groups[0].items[0], u"body"), "snippet one");
  EXPECT_EQ(testing::utf8(next), "/groups/search?q=cat&start=10");
}

TEST(EnginePages, GoogleImages) {
  std::string page =
      "<script>dyn.Img(\"http://cats.example/page.html\",\"\",\"tbnid\",\"/images?q=tbn:abc\",\"120\",\"Cute <b>cat</b>\");"
      "dyn.Img(\"\",\"no link\");</script>"
      "<a href=/images?q=cat&amp;start=20><div class=n></div><span>Next</span></a>";
  std::u16string next;
  ResultGroups groups = parse(&parseGoogleImagesPage, page, next);
  ASSERT_EQ(groups[0].items.size(), 1u);
  EXPECT_EQ(attribute(groups[0].items[0], u"href"), "http://cats.example/page.html");
  EXPECT_EQ(attribute(groups[0].items[0], u"overrideImage"), "http://images.google.com/images?q=tbn:abc");
  EXPECT_EQ(attribute(groups[0].items[0], u"override_title"), "Cute cat");
  EXPECT_EQ(testing::utf8(next), "/images?q=cat&start=20");
}

TEST(EnginePages, GooglePatentsWithThePatentOfficePage) {
  std::string page =
      "<html><body><div>top</div><div><table>"
      "<tr><td><p><a href=\"/patents?id=A1\">Cat door</a></p><font>A door for cats</font>"
      "<font>US PAT. 1234567 - 1990</font></td></tr>"
      "<tr><td><a href=\"/other\">not a patent</a></td></tr>"
      "</table></div><a href=\"/patents?q=cat&amp;start=10\">Next</a></body></html>";
  std::u16string next;
  ResultGroups plain = parse(&parseGooglePatentsPage, page, next);
  ASSERT_EQ(plain[0].items.size(), 1u);
  EXPECT_EQ(attribute(plain[0].items[0], u"href"), "http://www.google.com/patents?id=A1");
  EXPECT_EQ(attribute(plain[0].items[0], u"body"), "A door for cats");
  EXPECT_EQ(testing::utf8(next), "/patents?q=cat&start=10");

  ResultGroups zero = parse(&parseGooglePatentsPage, page, next, parameters({{"grab_uspat", "0"}}));
  EXPECT_EQ(zero[0].items.size(), 1u);
  ResultGroups grabbed = parse(&parseGooglePatentsPage, page, next, parameters({{"grab_uspat", "1"}}));
  ASSERT_EQ(grabbed[0].items.size(), 2u);
  EXPECT_EQ(attribute(grabbed[0].items[1], u"href"), "http://patft.uspto.gov/netacgi/nph-Parser?Query=PN%2F1234567");
}

TEST(EnginePages, GoogleScholar) {
  std::string page =
      "<html><body><p class=g><span class=w><a href=\"http://journal.example/cats.pdf\">Cats in <b>history</b></a></span>"
      "<font size=-1>A Smith - Journal</font> <font>cited by 3</font></p>"
      "<p>no anchor</p><p><a href=\"/scholar?cluster=1\">Plain</a></p>"
      "<div><table><tr><td>1</td><td><a href=\"/scholar?start=10&amp;q=cat\">Next</a></td></tr></table></div></body></html>";
  std::u16string next;
  ResultGroups groups = parse(&parseGoogleScholarPage, page, next);
  ASSERT_EQ(groups[0].items.size(), 2u);
  EXPECT_EQ(attribute(groups[0].items[0], u"title"), "Cats in history");
  EXPECT_EQ(attribute(groups[0].items[0], u"body"), "A Smith - Journal cited by 3");
  EXPECT_EQ(attribute(groups[0].items[1], u"href"), "http://scholar.google.com/scholar?cluster=1");
  EXPECT_EQ(testing::utf8(next), "/scholar?start=10&q=cat");
}

}  // namespace
}  // namespace brambel
