#include "search/item_to_result.h"

#include <gtest/gtest.h>

#include "search/search_commands.h"

namespace brambel {
namespace {

ResultItem itemOf(std::initializer_list<std::pair<std::u16string, std::u16string>> attributes) {
  ResultItem item;
  for (const auto& [name, value] : attributes) item.add(name, value);
  return item;
}

TEST(ItemToResult, ConvertsEachMeaningfulAttribute) {
  ResultItem item = itemOf({{u"href", u"\"http://a.test/x'y\""},
                            {u"title", u"  <b>Big</b>\t\n cats  "},
                            {u"body", u"one  two\tthree"},
                            {u"contentLastModified", u"Sun, 06 Nov 1994 08:49:37 GMT"},
                            {u"contentType", u"text/html"},
                            {u"contentExpires", u"never"},
                            {u"contentEtag", u"\"e1\""},
                            {u"overrideImage", u"'http://a.test/i.png'"},
                            {u"source0", u"Feed A"},
                            {u"sourceX", u"Feed B"},
                            {u"unknown", u"ignored"}});
  item.attributes.push_back({u"content", u"", std::string("raw\0bytes", 9)});
  ItemContent content;
  SourceResult record = ItemToResult(item, 7, &content);

  EXPECT_EQ(record.url, u"http://a.test/xy");
  EXPECT_EQ(record.title, u"Big cats");
  // A single tab is not a run: only runs of two or more fold.
  EXPECT_EQ(record.description, u"one two\tthree");
  EXPECT_EQ(record.position, 7);
  EXPECT_EQ(record.marker, -1);
  EXPECT_EQ(record.contentDate, 784111777u);
  EXPECT_EQ(record.imageUrl, u"http://a.test/i.png");
  EXPECT_EQ(record.sources, (std::vector<std::u16string>{u"Feed A", u"Feed B"}));
  EXPECT_EQ(content.content, std::string("raw\0bytes", 9));
  EXPECT_EQ(content.contentType, u"text/html");
  EXPECT_EQ(content.expires, u"never");
  EXPECT_EQ(content.etag, u"\"e1\"");
  EXPECT_EQ(content.lastModified, u"Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(content.imageOverride, u"http://a.test/i.png");
  EXPECT_TRUE(content.titleOverride.empty());
}

TEST(ItemToResult, OverrideTitleIsStrippedButNotFolded) {
  ItemContent content;
  SourceResult record =
      ItemToResult(itemOf({{u"href", u"http://a.test/"}, {u"override_title", u"<i>A  B</i>"}}), 0, &content);
  EXPECT_EQ(record.title, u"A  B");
  EXPECT_EQ(content.titleOverride, u"A  B");
}

TEST(ItemToResult, EmptyTitleBecomesTheUrlAndBadDatesAreZero) {
  SourceResult record = ItemToResult(
      itemOf({{u"href", u"http://a.test/p"}, {u"title", u"<br>"}, {u"contentLastModified", u"yesterday"}}),
      3);
  EXPECT_EQ(record.title, u"http://a.test/p");
  EXPECT_EQ(record.contentDate, 0u);
}

TEST(ItemToResult, LaterAttributesOfTheSameNameWin) {
  SourceResult record =
      ItemToResult(itemOf({{u"href", u"http://one.test/"}, {u"href", u"http://two.test/"}}), 0);
  EXPECT_EQ(record.url, u"http://two.test/");
}

TEST(FoldWhiteSpace, FoldsRunsAndTrims) {
  EXPECT_EQ(foldWhiteSpace(u"  a \u00a0 b\u3000\u3000c "), u"a b c");
  EXPECT_EQ(foldWhiteSpace(u""), u"");
  EXPECT_EQ(foldWhiteSpace(u"   "), u"");
  EXPECT_EQ(trimLeadingWhiteSpace(u" \t x "), u"x ");
}

TEST(SearchCommand, SplitsWordAndTrimmedArgument) {
  auto command = ParseSearchCommand(u"//source  rss url=http://x.test/  ");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->word, u"source");
  EXPECT_EQ(command->argument, u"rss url=http://x.test/");

  command = ParseSearchCommand(u"//restore");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->word, u"restore");
  EXPECT_EQ(command->argument, u"");

  EXPECT_FALSE(ParseSearchCommand(u"/source x"));
  EXPECT_FALSE(ParseSearchCommand(u"cats //dogs"));
}

TEST(SearchCommand, MapRunsKnownWordsOnly) {
  SearchCommandMap commands;
  std::u16string seen;
  commands.Register(u"seed", [&](const std::u16string& argument) { seen = argument; });
  EXPECT_TRUE(commands.Run({u"seed", u"rss"}));
  EXPECT_EQ(seen, u"rss");
  EXPECT_FALSE(commands.Run({u"Seed", u"x"}));
  EXPECT_FALSE(commands.Run({u"", u""}));
  EXPECT_EQ(seen, u"rss");
}

TEST(SearchCommand, TypedUrls) {
  EXPECT_TRUE(IsTypedUrl(u"http://a.test/"));
  EXPECT_TRUE(IsTypedUrl(u"HTTPS://a.test/"));
  EXPECT_FALSE(IsTypedUrl(u"ftp://a.test/"));
  EXPECT_FALSE(IsTypedUrl(u"http:/a"));
  EXPECT_FALSE(IsTypedUrl(u" http://a.test/"));
}

}  // namespace
}  // namespace brambel
