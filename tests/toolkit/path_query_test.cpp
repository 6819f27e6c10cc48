#include "toolkit/path_query.h"

#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <random>

#include "toolkit/tag_pattern.h"

namespace brambel {
namespace {

TEST(FindPath, WalksStepsWithIndexesAndSkipsNestedElements) {
  std::string page =
      "<html><body><table><tr><td><table><tr><td>inner</td></tr></table></td></tr></table>"
      "<table id=second><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table></body></html>";
  EXPECT_EQ(findPath(page, "/html/body/table(2)/tr(2)/td(2)"), "d");
  EXPECT_EQ(findPath(page, "/table(2)/tr/td"), "a");
  // Not nested: the first td close tag after the first td ends the answer.
  EXPECT_EQ(findPath(page, "/td"), "<table><tr><td>inner");
  EXPECT_EQ(findPath(page, "/td", {}, true), "<table><tr><td>inner</td></tr></table>");
  EXPECT_EQ(findPath("<TD class=x>Up</td>", "/td"), "Up");  // names in any case
  EXPECT_EQ(findPath("<tdx>no</tdx><td>yes</td>", "/td"), "yes");
  EXPECT_EQ(findPath("< td >a</ td >", "/td"), "a");
}

TEST(FindPath, NestedTableIsNotCounted) {
  std::string page = "<table><tr><td><table><tr><td>n</td></tr></table></td></tr></table><table>x</table>";
  EXPECT_EQ(findPath(page, "/table(2)"), "x");
  EXPECT_EQ(findPath(page, "/table(3)"), "");
}

TEST(FindPath, IndexZeroSkipsTheStepButNotItsName) {
  std::string page = "<tr><th>h</th><td>1</td></tr><tr><td>2</td></tr>";
  EXPECT_EQ(findPath(page, "/tr/td(0)"), "<th>h</th><td>1");
  EXPECT_EQ(findPath(page, "/tr(0)"), page.substr(0, page.find("</tr>")));
}

TEST(FindPath, NestedCountsOpeningTagsOfTheEndName) {
  std::string page = "<div>a<div>b</div>c</div>after";
  EXPECT_EQ(findPath(page, "/div"), "a<div>b");
  EXPECT_EQ(findPath(page, "/div", {}, true), "a<div>b</div>c");
  std::string_view rest;
  findPath(page, "/div", {}, true, nullptr, &rest);
  EXPECT_EQ(rest, "after");
  // Self-closing tags of the end name do not open anything.
  EXPECT_EQ(findPath("<div>a<div/>b</div>c", "/div", {}, true), "a<div/>b");
}

TEST(FindPath, EndNameChangesWhereTheAnswerStops) {
  std::string page = "<p>one<br>two</p><font>x</font>";
  EXPECT_EQ(findPath(page, "/br", "p"), "two");
  // An end name that can never close (as "/font") runs to the end of the text.
  std::string_view rest = "unchanged";
  EXPECT_EQ(findPath(page, "/br", "/font", false, nullptr, &rest), "two</p><font>x</font>");
  EXPECT_TRUE(rest.empty());
}

TEST(FindPath, SelfClosingElementAnswersEmptyWithRestAfterIt) {
  std::string_view rest;
  EXPECT_EQ(findPath("a<br/>b<br/>c", "/br", {}, false, nullptr, &rest), "");
  EXPECT_EQ(rest, "b<br/>c");
  // The index counts self-closing siblings rather than stopping at the first.
  EXPECT_EQ(findPath("a<br/>b<br />c<br/>d", "/br(2)", {}, false, nullptr, &rest), "");
  EXPECT_EQ(rest, "c<br/>d");
  // Without a close tag the element runs to the end and the rest is emptied.
  EXPECT_EQ(findPath("a<br>b<p>c", "/br", {}, false, nullptr, &rest), "b<p>c");
  EXPECT_TRUE(rest.empty());
}

TEST(FindPath, StrayCloseTagCountsAsAnOccurrence) { EXPECT_EQ(findPath("</p><p>a</p>", "/p"), "<p>a"); }

TEST(FindPath, StepNotFoundLeavesRestUnchanged) {
  std::string_view rest = "previous";
  AttributeMap attributes;
  EXPECT_EQ(findPath("<tr><td>1</td></tr>", "/tr/th", {}, false, &attributes, &rest), "");
  EXPECT_EQ(rest, "previous");
  EXPECT_EQ(findPath("<td>1</td>", "", {}, false, nullptr, &rest), "");
  EXPECT_EQ(findPath("<td>1</td>", "td", {}, false, nullptr, &rest), "");
  EXPECT_EQ(rest, "previous");
}

TEST(FindPath, CollectsAttributesOfTheTagsMetOnTheWay) {
  AttributeMap attributes;
  std::string_view rest;
  EXPECT_EQ(
      findPath(R"(<a href="http://x/?a=1&b=2" class=big>Text</a> tail)", "/a", {}, true, &attributes, &rest),
      "Text");
  EXPECT_EQ(attributes.at("href"), R"("http://x/?a=1&b=2")");
  EXPECT_EQ(attributes.at("class"), "big");
  EXPECT_EQ(rest, " tail");

  // Opening tags of the step's name before the one found are read too; the
  // first value of a name stays.
  attributes.clear();
  findPath(R"(<tr id=1 a=x><td>1</td></tr><tr id=2 b=y>)", "/tr(2)", {}, false, &attributes);
  EXPECT_EQ(attributes, (AttributeMap{{"id", "1"}, {"a", "x"}, {"b", "y"}}));

  attributes.clear();
  findPath(R"(<input type="text" name=q value="" />)", "/input", {}, false, &attributes);
  EXPECT_EQ(attributes, (AttributeMap{{"type", "\"text\""}, {"name", "q"}, {"value", "\"\""}}));
}

TEST(FindPath, WalkingRowsThroughTheRestVisitsEachOnce) {
  std::string table;
  for (int i = 0; i < 50; ++i) table += "<tr><td>" + std::to_string(i) + "</td></tr>\n";
  std::string_view rows = table;
  std::vector<std::string> cells;
  for (;;) {
    size_t before = rows.size();
    std::string row = findPath(rows, "/tr", {}, true, nullptr, &rows);
    if (rows.size() == before) break;
    cells.push_back(findPath(row, "/td"));
  }
  ASSERT_EQ(cells.size(), 50u);
  EXPECT_EQ(cells.front(), "0");
  EXPECT_EQ(cells.back(), "49");
}

TEST(FindPath, OutlinesReadOneAfterAnother) {
  std::string opml =
      R"(<outline text="A" xmlUrl="http://a/"/><outline title="B"><outline text="C"/></outline>)";
  std::string_view rest = opml;
  AttributeMap first, second;
  EXPECT_EQ(findPath(rest, "/outline", {}, true, &first, &rest), "");
  EXPECT_EQ(first.at("xmlUrl"), "\"http://a/\"");
  EXPECT_EQ(findPath(rest, "/outline", {}, true, &second, &rest), R"(<outline text="C"/>)");
  EXPECT_EQ(second.at("title"), "\"B\"");
  EXPECT_TRUE(rest.empty());
}

TEST(FindPath, PathSyntax) {
  std::string page = "<x:a><b_c-d>v</b_c-d></x:a>";
  EXPECT_EQ(findPath(page, "/x:a/b_c-d"), "v");
  EXPECT_EQ(findPath(page, "/x:a(1)/b_c-d(1)"), "v");
  // A huge index is simply not found.
  EXPECT_EQ(findPath(page, "/x:a(99999999999999999999)"), "");
  // The path ends at the first character that does not begin a step.
  EXPECT_EQ(findPath(page, "/x:a junk/b_c-d"), "<b_c-d>v</b_c-d>");
}

// The tag matcher against the expression it stands for, on random markup.
TEST(TagPattern, AgreesWithTheRegularExpression) {
  const std::vector<std::string> pieces{"<",  ">", "/", " ",  "\t", "\v", "td",
                                        "TD", "x", "=", "\"", "</", "/>"};
  std::mt19937 random(7);
  int tagsSeen = 0;
  for (std::string name : {"td", "", " ", " td", "/td"}) {
    std::string quoted;
    for (char c : name) quoted += c == '/' ? std::string("/") : std::string(1, c);
    boost::regex expression(
        "(<[ ]*" + quoted + "(\\s+[^>]*?)?(/?)>)|(<[ ]*(/)[ ]*" + quoted + "(\\s+[^>]*)?>)",
        boost::regex::perl | boost::regex::icase);
    for (int round = 0; round < 10000; ++round) {
      std::string html;
      int length = random() % 16;
      for (int i = 0; i < length; ++i) html += pieces[random() % pieces.size()];
      TagPattern pattern(html, name);
      size_t from = 0;
      for (;;) {
        boost::smatch expected;
        bool found = boost::regex_search(html.cbegin() + from, html.cend(), expected, expression);
        auto actual = pattern.findNext(from);
        ASSERT_EQ(found, actual.has_value()) << "name [" << name << "] html [" << html << "] from " << from;
        if (!found) break;
        size_t start = expected[0].first - html.cbegin();
        ASSERT_EQ(actual->start, start) << html;
        ASSERT_EQ(actual->end, start + expected.length(0)) << html;
        ASSERT_EQ(actual->closing, expected[5].matched) << html;
        if (!actual->closing) {
          ASSERT_EQ(actual->selfClosing, expected[3].length() == 1) << html;
          ASSERT_EQ(actual->attributeText, expected[2].str())
              << "name [" << name << "] html [" << html << "]";
        }
        from = actual->end;
        ++tagsSeen;
      }
    }
  }
  EXPECT_GT(tagsSeen, 1000);  // the random markup does hold tags
}

// The path walk done the slow way with the Perl-style expressions it is
// defined by. Returns the answer and where the rest starts (-1: unchanged).
std::pair<std::string, long> referenceFindPath(const std::string& html, const std::string& path,
                                               const std::string& endName, bool nested,
                                               AttributeMap& attributes) {
  auto tagExpression = [](const std::string& name) {
    return boost::regex("(<[ ]*" + name + "(\\s+[^>]*?)?(/?)>)|(<[ ]*(/)[ ]*" + name + "(\\s+[^>]*)?>)",
                        boost::regex::perl | boost::regex::icase);
  };
  static const boost::regex stepExpression("/([:a-zA-Z0-9_-]*)(\\(([0-9]+)\\))?");
  std::vector<std::pair<std::string, long>> steps;
  boost::smatch step;
  for (auto at = path.cbegin();
       boost::regex_search(at, path.cend(), step, stepExpression, boost::match_continuous);
       at = step[0].second)
    steps.emplace_back(step[1].str(), step[3].matched ? std::stol(step[3].str()) : 1);
  if (steps.empty()) return {"", -1};

  auto position = html.cbegin();
  for (const auto& [name, index] : steps) {
    if (index <= 0) continue;
    boost::regex expression = tagExpression(name);
    long count = 0, depth = 0;
    while (count < index) {
      boost::smatch tag;
      if (!boost::regex_search(position, html.cend(), tag, expression)) return {"", -1};
      if (depth == 0) ++count;
      position = tag[0].second;
      if (tag[5].matched) {
        ++depth;
        continue;
      }
      parseAttributes(attributes, tag[2].str());
      if (tag[3].length() == 0)
        --depth;
      else if (depth == 0 && count == index)
        return {"", position - html.cbegin()};
    }
  }
  boost::regex end = tagExpression(endName.empty() ? steps.back().first : endName);
  long depth = 0;
  boost::smatch tag;
  for (auto from = position; boost::regex_search(from, html.cend(), tag, end); from = tag[0].second) {
    if (tag[5].matched) {
      if (depth == 0) return {std::string(position, tag[0].first), tag[0].second - html.cbegin()};
      --depth;
    } else if (nested && tag[3].length() == 0) {
      ++depth;
    }
  }
  return {std::string(position, html.cend()), static_cast<long>(html.size())};
}

TEST(FindPath, AgreesWithTheExpressionsOnRandomMarkup) {
  const std::vector<std::string> pieces{"<td>",      "</td>",    "<td/>", "<TD a=1 b=\"2\">",
                                        "< td>",     "</ td x>", "<tr>",  "</tr>",
                                        "<tr c=3/>", "<tdx>",    "x",     "<",
                                        ">",         " "};
  const std::vector<std::string> paths{"/td", "/tr/td", "/td(2)", "/tr(0)/td", "/td(3)", "/tr(2)/td(2)", "/"};
  std::mt19937 random(13);
  for (int round = 0; round < 6000; ++round) {
    std::string html;
    int length = random() % 12;
    for (int i = 0; i < length; ++i) html += pieces[random() % pieces.size()];
    const std::string& path = paths[random() % paths.size()];
    std::string endName = random() % 3 ? "" : "tr";
    bool nested = random() % 2;
    AttributeMap expectedAttributes, attributes;
    auto [expected, expectedRest] = referenceFindPath(html, path, endName, nested, expectedAttributes);
    std::string_view unchanged = "unchanged";
    std::string_view rest = unchanged;
    std::string answer = findPath(html, path, endName, nested, &attributes, &rest);
    long restStart = rest.data() == unchanged.data() ? -1 : rest.data() - html.data();
    std::string context = "[" + html + "] " + path + " end " + endName + (nested ? " nested" : "");
    ASSERT_EQ(answer, expected) << context;
    ASSERT_EQ(restStart, expectedRest) << context;
    ASSERT_EQ(attributes, expectedAttributes) << context;
  }
}

TEST(ParseAttributes, ReadsQuotedBareAndMissingValues) {
  AttributeMap attributes;
  parseAttributes(attributes, R"( href = "a b" checked data-x=1 title=t>x name="" open= )");
  EXPECT_EQ(attributes, (AttributeMap{{"href", "\"a b\""},
                                      {"checked", ""},
                                      {"data", ""},
                                      {"x", "1"},
                                      {"title", "t>x"},
                                      {"name", "\"\""},
                                      {"open", ""}}));
}

TEST(ParseAttributes, FirstValueStaysAndUnclosedQuoteIsABareValue) {
  AttributeMap attributes{{"id", "old"}};
  parseAttributes(attributes, R"(id=new Class=a class=b alt="no end)");
  EXPECT_EQ(attributes.at("id"), "old");
  EXPECT_EQ(attributes.at("Class"), "a");
  EXPECT_EQ(attributes.at("class"), "b");
  EXPECT_EQ(attributes.at("alt"), "\"no");
  EXPECT_EQ(attributes.at("end"), "");
}

TEST(ParseAttributes, AgreesWithTheRegularExpression) {
  const std::string alphabet = "ab_-= \t\"x1";
  boost::regex expression("(\\w+)\\s*(?:=\\s*((\"[^\"]*\")|(\\S*)))?", boost::regex::perl);
  std::mt19937 random(11);
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    int length = random() % 20;
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    AttributeMap expected, actual;
    for (boost::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it)
      expected.emplace((*it)[1].str(), (*it)[2].str());
    parseAttributes(actual, text);
    ASSERT_EQ(actual, expected) << "[" << text << "]";
  }
}

}  // namespace
}  // namespace brambel
