#include <gtest/gtest.h>

#include <set>

#include "formats/builtin_category_sets.h"
#include "formats/category_set_file.h"
#include "formats/library_categories.h"
#include "formats/source_table.h"
#include "sources/builtin_sources.h"
#include "tests/support/temp_dir.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

using testing::TempDir;

const SourceRegistry& registry() {
  static SourceRegistry instance;
  static bool filled = (registerBuiltinSources(instance), true);
  (void)filled;
  return instance;
}

std::u16string u16(const std::string& text) { return toWide(text, kCodePageUtf8); }

TEST(CategorySetFile, ReadsEveryBlockKind) {
  std::u16string text = u16(
      "ignored before the first marker\r\n"
      "[description]\r\nFirst line\r\nsecond line\r\n"
      "[startup]\r\n  //source rss url=http://a.test/feed  \r\n# comment\r\n\r\n"
      "[settings]\r\nmaxSourceResults=10\r\n"
      "[source]=News\r\nrss\r\nfeed one\r\nurl=http://a.test/one\r\nflag\r\n"
      "[source]=\r\nrss\r\n\r\nurl=http://nameless.test/\r\n"
      "[category]=Tech  \r\nview=Tiled\r\nrss/http://a.test/one/\r\n*starred\r\n\r\ngoogle\r\n"
      "[category]=Other\r\nview=grid\r\nyahoo\r\n"
      "[view]=whatever\r\nnot a reference\r\n"
      "[Category]=lowercase marker\r\n"
      "[category]=tech\r\nview=list\r\nsnipbites\r\n");
  CategorySet set;
  SourceDefinitions definitions;
  ReadCategorySet(text, set, definitions);
  EXPECT_EQ(set.description, u"First line\r\nsecond line");
  EXPECT_EQ(set.startupCommands, (std::vector<std::u16string>{u"//source rss url=http://a.test/feed"}));
  EXPECT_EQ(set.settingsText, u"maxSourceResults=10");
  ASSERT_EQ(definitions.size(), 1u);
  const SourceDefinition& news = definitions[0];
  EXPECT_EQ(news.name, u"News");
  EXPECT_EQ(news.baseKey, u"rss");
  EXPECT_EQ(news.description, u"feed one");
  EXPECT_EQ(news.parameters.at(u"url"), u"http://a.test/one");
  EXPECT_EQ(news.parameters.at(u"flag"), u"");

  ASSERT_EQ(set.categories.size(), 2u);
  EXPECT_EQ(set.categories[0].name, u"Tech");
  EXPECT_EQ(set.categories[0].viewMode, 2);
  // The repeated name (any case) adds its references; its view line is a view line.
  EXPECT_EQ(set.categories[0].references,
            (std::vector<std::u16string>{u"rss/http://a.test/one/", u"google", u"snipbites"}));
  EXPECT_EQ(set.categories[1].viewMode, 0) << "view=grid leaves the default";
  EXPECT_EQ(set.categories[1].references, (std::vector<std::u16string>{u"yahoo"}));
}

TEST(CategorySetFile, WritesOnlyUserDefinedSourcesOfWrittenCategoriesAndReadsBack) {
  SourceTable table(registry());
  table.AddBuiltInSources();
  std::u16string feedId;
  ASSERT_EQ(table.AddDefinition({u"rss", u"a feed", {{u"url", u"http://a.test/feed"}}, u"Feed"}, &feedId),
            SourceTable::AddResult::Added);
  std::u16string hiddenId;
  table.AddDefinition({u"rss", u"", {{u"url", u"http://b.test/feed"}}, u"Hidden"}, &hiddenId);

  CategorySet set;
  set.description = u"Line one\r\nLine two";
  set.startupCommands = {u"//source rss url=http://a.test/feed"};
  set.settingsText = u"noExpire=0";
  set.categories = {{u"All", 0, {}, 0},
                    {u"Feeds", 2, {feedId, u"google", feedId}, 0},
                    {u"Builtins", 1, {u"google", u"yahoo"}, 0},
                    {u"Private", 0, {hiddenId}, Category::kNotWritten}};
  std::u16string text = FormatCategorySet(set, table);
  EXPECT_EQ(text.find(u"[source]="), text.rfind(u"[source]=")) << "one block per referenced source";
  EXPECT_NE(text.find(u"[source]=Feed\r\nrss\r\na feed\r\nurl=http://a.test/feed\r\n"), std::u16string::npos);
  EXPECT_EQ(text.find(u"Hidden"), std::u16string::npos);
  EXPECT_EQ(text.find(u"[settings]"), std::u16string::npos);
  EXPECT_NE(text.find(u"[category]=Feeds\r\nview=tiled\r\n"), std::u16string::npos);

  CategorySet back;
  SourceDefinitions definitions;
  ReadCategorySet(text, back, definitions);
  set.categories.pop_back();
  set.settingsText.clear();
  EXPECT_EQ(back, set);
  ASSERT_EQ(definitions.size(), 1u);
  EXPECT_EQ(definitions[0], (SourceDefinition{u"rss", u"a feed", {{u"url", u"http://a.test/feed"}}, u"Feed"}));

  CategorySet onlyBuiltIns;
  onlyBuiltIns.categories = {{u"Web", 0, {u"google", u"yahoo"}, 0}};
  EXPECT_EQ(FormatCategorySet(onlyBuiltIns, table).find(u"[source]="), std::u16string::npos);
}

TEST(CategorySetFile, AMarkerBehindAStrayCarriageReturnIsReadTheSameBeforeAndAfterWriting) {
  CategorySet set;
  SourceDefinitions definitions;
  ReadCategorySet(u"[startup]\r\n//seed x\n\r[category]=All\r\ngoogle\r\n", set, definitions);
  ASSERT_EQ(set.categories.size(), 1u);
  EXPECT_EQ(set.categories[0].name, u"All");
  EXPECT_EQ(set.startupCommands, std::vector<std::u16string>{u"//seed x"});

  SourceTable table(registry());
  CategorySet again;
  ReadCategorySet(FormatCategorySet(set, table), again, definitions);
  ASSERT_EQ(again.categories.size(), 1u);
  EXPECT_EQ(again.categories[0].name, u"All");
}

TEST(SourceTable, DuplicateNamesAreNumberedAndSameIdentitiesKept) {
  SourceTable table(registry());
  table.AddBuiltInSources();
  std::u16string first, second, third;
  EXPECT_EQ(table.AddDefinition({u"rss", u"", {{u"url", u"http://one.test/"}}, u"News"}, &first),
            SourceTable::AddResult::Added);
  EXPECT_EQ(table.AddDefinition({u"rss", u"", {{u"url", u"http://two.test/"}}, u"news"}, &second),
            SourceTable::AddResult::Added);
  EXPECT_EQ(table.AddDefinition({u"rss", u"", {{u"url", u"http://three.test/"}}, u"News"}, &third),
            SourceTable::AddResult::Added);
  EXPECT_EQ(table.nameOf(first), u"News");
  EXPECT_EQ(table.nameOf(second), u"news(1)");
  EXPECT_EQ(table.nameOf(third), u"News(2)");
  EXPECT_EQ(table.AddDefinition({u"rss", u"", {{u"url", u"http://one.test/"}}, u"Other"}),
            SourceTable::AddResult::SameIdentityExists);
  EXPECT_EQ(table.nameOf(first), u"News");
  // Overwriting, once the user agreed: the running source lives on, its name is free for the successor.
  std::shared_ptr<SearchSource> running = table.sources().at(first);
  EXPECT_EQ(table.ReplaceDefinition({u"rss", u"Fresh", {{u"url", u"http://one.test/"}}, u"News"}),
            SourceTable::AddResult::Replaced);
  EXPECT_EQ(table.nameOf(first), u"News");
  EXPECT_EQ(table.userDefinition(first)->description, u"Fresh");
  EXPECT_NE(table.sources().at(first), running);
  EXPECT_EQ(table.ReplaceDefinition({u"rss", u"", {{u"url", u"http://four.test/"}}, u"Four"}),
            SourceTable::AddResult::Added);
  EXPECT_EQ(table.AddDefinition({u"nosuchkey", u"", {}, u"X"}), SourceTable::AddResult::UnknownBaseKey);
  EXPECT_EQ(table.userDefinitions().size(), 4u);
  EXPECT_FALSE(table.userDefinition(u"google"));
}

TEST(SourceTable, SourcesDirectoryStartsWithDefaultsAndDropsStaleFiles) {
  TempDir data;
  std::filesystem::path directory = data.path() / "sources";
  {
    SourceTable table(registry());
    table.BuildSourceTable(directory);
    EXPECT_EQ(table.userDefinitions().size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(directory / "Wikipedia.zsrc"));
    EXPECT_TRUE(std::filesystem::exists(directory / "php.zsrc"));
  }
  data.write("sources/Gone.zsrc", "rss\r\n\r\nurl=http://gone.test/\r\n");
  data.write("sources/notes.txt", "not a source");
  SourceTable table(registry());
  table.BuildSourceTable(directory);
  EXPECT_EQ(table.userDefinitions().size(), 3u);

  SourceTable fresh(registry());
  fresh.AddDefinition({u"rss", u"", {{u"url", u"http://kept.test/"}}, u"Kept"});
  ASSERT_TRUE(fresh.SaveSourceDirectory(directory));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) names.push_back(entry.path().filename());
  EXPECT_EQ(names, (std::vector<std::string>{"Kept.zsrc"}));
  EXPECT_EQ(ReadSourceFile(directory / "Kept.zsrc")->parameters.at(u"url"), u"http://kept.test/");
}

TEST(SourceTable, ASaveStoppedHalfWayLosesNoSource) {
  TempDir data;
  // Only parked files: the old files were renamed, the new ones never written.
  data.write("sources/Mine.zsrc.delete", "rss\r\n\r\nurl=http://mine.test/\r\n");
  SourceTable table(registry());
  table.BuildSourceTable(data.path() / "sources");
  std::vector<SourceDefinition> definitions = table.userDefinitions();
  ASSERT_EQ(definitions.size(), 1u) << "the parked source, not the two defaults";
  EXPECT_EQ(definitions[0].name, u"Mine");
  ASSERT_TRUE(table.SaveSourceDirectory(data.path() / "sources"));
  EXPECT_TRUE(std::filesystem::exists(data.path() / "sources" / "Mine.zsrc"));
  EXPECT_FALSE(std::filesystem::exists(data.path() / "sources" / "Mine.zsrc.delete"));
}

TEST(SourceTable, SourceNamesNeverWriteOutsideTheDirectory) {
  TempDir data;
  std::filesystem::path directory = data.path() / "lib" / "sources";
  std::filesystem::create_directories(directory);
  std::string hostile =
      "[source]=../../escaped\r\nrss\r\n\r\nurl=http://a.test/1\r\n"
      "[source]=/tmp/absolute\r\nrss\r\n\r\nurl=http://a.test/2\r\n"
      "[source]=..\r\nrss\r\n\r\nurl=http://a.test/3\r\n"
      "[source]=a\\..\\..\\b\r\nrss\r\n\r\nurl=http://a.test/4\r\n"
      "[source]=" + std::string(600, 'x') + "\r\nrss\r\n\r\nurl=http://a.test/5\r\n"
      "[source]=a/b\r\nrss\r\n\r\nurl=http://a.test/6\r\n"
      "[source]=a_b\r\nrss\r\n\r\nurl=http://a.test/7\r\n";
  CategorySet set;
  SourceDefinitions definitions;
  ReadCategorySet(u16(hostile), set, definitions);
  SourceTable table(registry());
  for (const SourceDefinition& definition : definitions) table.AddDefinition(definition);
  ASSERT_TRUE(table.SaveSourceDirectory(directory));

  size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(data.path())) {
    if (!entry.is_regular_file()) continue;
    EXPECT_EQ(entry.path().parent_path(), directory) << entry.path();
    EXPECT_LE(entry.path().filename().string().size(), 255u);
    ++files;
  }
  EXPECT_EQ(files, 7u) << "every source kept, none overwriting another";
  EXPECT_EQ(sourceFileName(u"../x"), ".._x.zsrc");
  EXPECT_EQ(sourceFileName(u".."), "_...zsrc");
  EXPECT_EQ(sourceFileName(u""), "_.zsrc");
}

TEST(LibraryCategories, FallsBackToTheProgramDataSetThenTheBuiltInOne) {
  TempDir library, programData;
  CategorySet set;
  SourceDefinitions definitions;
  EXPECT_EQ(readLibraryCategories(library.path(), programData.path(), set, definitions), CategoriesOrigin::BuiltIn);
  EXPECT_EQ(set.categories.front().name, u"General");
  EXPECT_TRUE(std::filesystem::is_empty(library.path())) << "reading creates nothing";

  programData.write("categories.zcat", std::string("[category]=Shared\r\ngoogle\r\n\0[category]=Cut\r\n", 40));
  EXPECT_EQ(readLibraryCategories(library.path(), programData.path(), set, definitions),
            CategoriesOrigin::ProgramData);
  ASSERT_EQ(set.categories.size(), 1u) << "reading stops at the zero byte";

  SourceTable table(registry());
  ASSERT_TRUE(saveLibraryCategories(set, library.path() / "new", table));
  EXPECT_EQ(readLibraryCategories(library.path() / "new", programData.path(), set, definitions),
            CategoriesOrigin::Library);
  EXPECT_EQ(set.categories.front().references, (std::vector<std::u16string>{u"google"}));
}

TEST(CategorySetFile, TwoSourcesOfOneNameAreBothKeptInFileOrder) {
  const std::u16string text = u16(
      "[source]=News\r\nrss\r\n\r\nurl=http://b.test/second\r\n"
      "[source]=News\r\nrss\r\n\r\nurl=http://a.test/first\r\n"
      "[category]=Both\r\nrss/http://b.test/second/\r\nrss/http://a.test/first/\r\n");
  CategorySet set;
  SourceDefinitions definitions;
  ReadCategorySet(text, set, definitions);
  ASSERT_EQ(definitions.size(), 2u);
  EXPECT_EQ(definitions[0].parameters.at(u"url"), u"http://b.test/second");
  EXPECT_EQ(definitions[1].parameters.at(u"url"), u"http://a.test/first");

  SourceTable table(registry());
  for (const SourceDefinition& definition : definitions) table.AddDefinition(definition);
  EXPECT_EQ(table.nameOf(u"rss/http://b.test/second/"), u"News");
  EXPECT_EQ(table.nameOf(u"rss/http://a.test/first/"), u"News(1)");

  // Written and read again, both stay under their own names.
  CategorySet again;
  ReadCategorySet(FormatCategorySet(set, table), again, definitions);
  std::set<std::u16string> names;
  for (const SourceDefinition& definition : definitions) names.insert(definition.name);
  EXPECT_EQ(names, (std::set<std::u16string>{u"News", u"News(1)"}));
}

TEST(BuiltInSets, EveryReferenceNamesASourceOfTheTable) {
  for (const BuiltInSet& builtIn : builtInSets()) {
    CategorySet set;
    SourceDefinitions definitions;
    ASSERT_TRUE(LoadBuiltInSet(builtIn.resourceId, set, definitions));
    EXPECT_FALSE(set.description.empty()) << builtIn.fileName;
    SourceTable table(registry());
    table.AddBuiltInSources();
    for (const SourceDefinition& definition : definitions) {
      std::u16string identity;
      EXPECT_EQ(table.AddDefinition(definition, &identity), SourceTable::AddResult::Added)
          << toNarrow(definition.name, 0);
    }
    for (const Category& category : set.categories)
      for (const auto& reference : category.references)
        EXPECT_TRUE(table.find(reference)) << builtIn.fileName << ": " << toNarrow(reference, 0);
  }
  CategorySet set;
  SourceDefinitions definitions;
  ASSERT_TRUE(LoadBuiltInSet(115, set, definitions));
  EXPECT_NE(set.settingsText.find(u"batchFirstCategory=1"), std::u16string::npos);
  EXPECT_EQ(set.startupCommands.size(), 1u);
  EXPECT_EQ(set.categories.size(), 7u);
  EXPECT_FALSE(LoadBuiltInSet(3, set, definitions));
}

}  // namespace
}  // namespace brambel
