// The source index built again from the source lists of a library's
// content files, over real files, damaged ones among them.
#include "store/source_index_rebuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "store/content_file.h"
#include "store/library_store.h"
#include "store/little_endian.h"
#include "store/source_index.h"
#include "store/source_list.h"
#include "store/source_result_record.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;

class SourceIndexRebuildTest : public ::testing::Test {
 protected:
  // A document as the save step writes it: the list (when given), then the record.
  uint32_t store(const std::u16string& url, std::optional<std::vector<std::u16string>> sources,
                 bool withRecord = true) {
    const uint32_t id = *library.recordIdFor(url);
    ContentFile file = ContentFile::openForWriting(*library.prepareContentPath(id));
    if (sources) {
      EXPECT_TRUE(SourceList(*sources).WriteTo(file));
    }
    SourceResult record;
    record.url = url;
    if (withRecord) {
      EXPECT_TRUE(SourceResultRecord(record).WriteTo(file));
    }
    return id;
  }

  void overwrite(uint32_t id, const std::string& bytes) {
    std::ofstream(library.contentPath(id), std::ios::binary | std::ios::trunc) << bytes;
  }

  TempDir dir;
  LibraryStore library{dir.path(), false};
  SourceIndex index{dir.path()};
};

TEST_F(SourceIndexRebuildTest, ListsFileTheirDocumentsOlderOnesFallBackDamagedOnesAreCounted) {
  const uint32_t a = store(u"http://a.test/", std::vector<std::u16string>{u"rss/one", u"web/two"});
  const uint32_t b = store(u"http://b.test/", std::vector<std::u16string>{u"rss/one"});
  store(u"http://image.test/i.png", std::vector<std::u16string>{});
  const uint32_t old = store(u"http://old.test/", std::nullopt);
  store(u"http://old-unknown.test/", std::nullopt);
  store(u"http://cut.test/", std::vector<std::u16string>{u"rss/one"}, false);
  overwrite(store(u"http://short.test/", std::vector<std::u16string>{u"rss/one"}), "not a header");
  // A list whose count promises more than the file holds.
  const uint32_t hostile = store(u"http://hostile.test/", std::vector<std::u16string>{u"rss/one"});
  std::string bytes = testing::readFileBytes(library.contentPath(hostile));
  storeLe32(&bytes[loadLe64(&bytes[120])], 0xFFFFFFFF);
  overwrite(hostile, bytes);
  // A file its URL no longer names (its marks point at another record).
  const uint32_t orphan = store(u"http://moved.test/", std::vector<std::u16string>{u"rss/one"});
  UrlMarks moved = library.readMarks(u"http://moved.test/");
  moved.recordId = orphan + 1000;
  ASSERT_TRUE(library.writeMarks(u"http://moved.test/", moved));
  std::ofstream(library.contentPath(a).parent_path() / "notes.txt") << "not a content file";

  SourceResult olderResult, listedResult, unsaved;
  olderResult.url = u"http://old.test/";
  olderResult.sources = {u"web/two"};
  listedResult.url = u"http://a.test/";
  listedResult.sources = {u"rss/elsewhere"};  // the stored list decides for a listed document
  unsaved.url = u"http://never.test/";
  unsaved.sources = {u"rss/one"};
  const std::vector<SourceResult> known{olderResult, listedResult, unsaved};

  std::vector<int> progress;
  const SourceIndexRebuild outcome =
      RebuildSourceIndex(library, index, known, [&](int percent) { progress.push_back(percent); });
  EXPECT_EQ(outcome.filed, 3u);
  EXPECT_EQ(outcome.unlisted, 2u);
  EXPECT_EQ(outcome.skipped, 4u) << "cut short, short header, hostile count, orphan";
  EXPECT_EQ(index.sourceKeys(), (std::vector<std::u16string>{u"rss/one", u"web/two"}));
  std::vector<uint32_t> one = index.documentsOf(u"rss/one"), two = index.documentsOf(u"web/two");
  std::sort(one.begin(), one.end());
  std::sort(two.begin(), two.end());
  EXPECT_EQ(one, (std::vector<uint32_t>{a, b}));
  EXPECT_EQ(two, (std::vector<uint32_t>{a, old}));
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 100);
}

}  // namespace
}  // namespace brambel
