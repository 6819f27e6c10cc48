#include <gtest/gtest.h>

#include <ctime>

#include "sources/library_source.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_result_record.h"
#include "tests/sources/source_run.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::attribute;
using testing::parameters;
using testing::runSource;

class LibrarySourceTest : public ::testing::Test {
 protected:
  LibrarySourceTest() : library(std::make_shared<LibraryStore>(dir.path(), false)) { source.attachLibrary(library); }

  // A URL with marks and, when a title is given, a stored result record.
  void add(const std::u16string& url, bool permanent, uint32_t hoverDate, const std::u16string& title = u"") {
    UrlMarks marks;
    if (!title.empty()) {
      SourceResult result;
      result.url = url;
      result.title = title;
      result.description = u"about " + title;
      std::optional<uint32_t> id = library->recordIdFor(url);
      ASSERT_TRUE(id);
      std::optional<std::filesystem::path> path = library->prepareContentPath(*id);
      ASSERT_TRUE(path);
      auto file = ContentFile::openForWriting(*path);
      ASSERT_TRUE(SourceResultRecord(result).WriteTo(file));
      marks = library->readMarks(url);
    }
    marks.setPermanent(permanent);
    marks.hoverDate = hoverDate;
    ASSERT_TRUE(library->writeMarks(url, marks));
  }

  testing::TempDir dir;
  std::shared_ptr<LibraryStore> library;
  LibrarySource source;
};

TEST_F(LibrarySourceTest, ListsPermanentUrlsWithTheirStoredTitles) {
  uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  add(u"http://kept.example/", true, 0, u"Kept page");
  add(u"http://bare.example/", true, 0);
  add(u"http://hovered.example/", false, now - 100);

  testing::SourceRun run = runSource(source, u"");
  EXPECT_EQ(run.pages, 1);
  EXPECT_EQ(run.errorFlag, 0);
  std::vector<ResultItem> items = run.items();
  ASSERT_EQ(items.size(), 2u);
  for (const ResultItem& item : items) {
    if (attribute(item, u"href") == "http://kept.example/") {
      EXPECT_EQ(attribute(item, u"title"), "Kept page");
      EXPECT_EQ(attribute(item, u"body"), "about Kept page");
    } else {
      EXPECT_EQ(attribute(item, u"href"), "http://bare.example/");
      EXPECT_EQ(attribute(item, u"title"), "<absent>");
    }
  }
}

TEST_F(LibrarySourceTest, HoverModeHonoursTheAgeLimitForThisRunOnly) {
  uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  add(u"http://recent.example/", false, now - 3600);
  add(u"http://old.example/", false, now - 3 * 86400);
  add(u"http://permanent.example/", true, 0);

  testing::SourceRun lastDay = runSource(source, u"", 100, parameters({{"mode", "2"}, {"days", "1"}}));
  ASSERT_EQ(lastDay.items().size(), 1u);
  EXPECT_EQ(attribute(lastDay.items()[0], u"href"), "http://recent.example/");

  testing::SourceRun lastWeek = runSource(source, u"", 100, parameters({{"mode", "2"}}));
  EXPECT_EQ(lastWeek.items().size(), 2u);

  // The overrides of the runs above did not stay with the source.
  testing::SourceRun plain = runSource(source, u"");
  ASSERT_EQ(plain.items().size(), 1u);
  EXPECT_EQ(attribute(plain.items()[0], u"href"), "http://permanent.example/");
}

TEST_F(LibrarySourceTest, StemAndAllMode) {
  add(u"http://a.example/docs/1", false, 0, u"One");
  add(u"http://a.example/other", true, 0, u"Two");
  source.parameters() = parameters({{"mode", "4"}, {"url_stem", "HTTP://A.EXAMPLE/DOCS"}});
  testing::SourceRun run = runSource(source, u"");
  ASSERT_EQ(run.items().size(), 1u);
  EXPECT_EQ(attribute(run.items()[0], u"href"), "http://a.example/docs/1");
  EXPECT_EQ(source.GetInstanceId(), u"library/4//HTTP://A.EXAMPLE/DOCS");
}

TEST(LibrarySource, WithoutALibraryTheRunFails) {
  LibrarySource source;
  testing::SourceRun run = runSource(source, u"cats");
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.pages, 0);
  EXPECT_EQ(run.errorFlag, 1);
}

TEST(LibrarySource, NatureIdAndName) {
  LibrarySource source;
  EXPECT_TRUE(source.AcceptsEmptyQuery());
  EXPECT_FALSE(source.IsInternetSource());
  EXPECT_TRUE(source.IsSearchable());
  EXPECT_EQ(source.GetInstanceId(), u"library");
  EXPECT_EQ(source.GetInfo().displayName, u"Library");
  source.parameters() = parameters({{"mode", "1"}});
  EXPECT_EQ(source.GetInstanceId(), u"library/1//");
}

}  // namespace
}  // namespace brambel
