#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/library_listing.h"
#include "index/term_extractor.h"
#include "store/btree_cache_object.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_stats.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

constexpr uint32_t kNow = 1'800'000'000;
constexpr uint32_t kDay = 86400;

class LibraryListingTest : public ::testing::Test {
 protected:
  // Stores a document with marks and, when `text` is given, its term table.
  void store(std::u16string_view url, uint32_t hover, uint32_t click, bool permanent,
             std::u16string_view text = u"") {
    std::optional<uint32_t> id = library_.recordIdFor(url);
    ASSERT_TRUE(id);
    UrlMarks marks = library_.readMarks(url);
    marks.hoverDate = hover;
    marks.clickDate = click;
    marks.setPermanent(permanent);
    ASSERT_TRUE(library_.writeMarks(url, marks));
    if (text.empty()) return;
    std::optional<std::filesystem::path> path = library_.prepareContentPath(*id);
    ASSERT_TRUE(path);
    ExtractedTerms extracted = ExtractTerms(text, &filter_);
    ContentFile file = ContentFile::openForWriting(*path);
    SourceStats stats;
    stats.w = stats.t = extracted.separatorsAndPairs;
    stats.l = static_cast<uint32_t>(text.size());
    ASSERT_TRUE(stats.WriteTo(file));
    ASSERT_TRUE(BTreeCacheObject(extracted.terms).WriteTo(file));
  }

  std::vector<std::u16string> list(uint32_t mask, std::vector<std::u16string> terms = {},
                                   std::u16string stem = u"", size_t maximum = 5000) {
    LibraryCriteria criteria;
    criteria.mask = mask;
    criteria.days = 7;
    criteria.urlStem = std::move(stem);
    criteria.terms = std::move(terms);
    criteria.maximum = maximum;
    criteria.now = kNow;
    std::vector<std::u16string> urls;
    for (const LibraryEntry& entry : ListLibrary(library_, criteria)) urls.push_back(entry.url);
    return urls;
  }

  testing::TempDir dir_;
  LibraryStore library_{dir_.path(), false};
  TermFilter filter_;
};

TEST_F(LibraryListingTest, ModesMapToMasks) {
  EXPECT_EQ(maskForLibraryMode(0), kSelectPermanent);
  EXPECT_EQ(maskForLibraryMode(1), kSelectIgnored);
  EXPECT_EQ(maskForLibraryMode(2), kSelectHovered);
  EXPECT_EQ(maskForLibraryMode(3), kSelectClicked);
  EXPECT_EQ(maskForLibraryMode(4), kSelectAll);
  EXPECT_EQ(maskForLibraryMode(9), kSelectPermanent);
}

TEST_F(LibraryListingTest, HoverModeListsRecentlyHoveredNewestFirst) {
  store(u"http://a.example/old", kNow - 10 * kDay, 0, false);
  store(u"http://b.example/recent", kNow - 2 * kDay, 0, false);
  store(u"http://c.example/newest", kNow - 60, 0, false);
  store(u"http://d.example/never", 0, kNow - 60, false);
  EXPECT_EQ(list(kSelectHovered),
            (std::vector<std::u16string>{u"http://c.example/newest", u"http://b.example/recent"}));
  EXPECT_EQ(list(kSelectClicked), (std::vector<std::u16string>{u"http://d.example/never"}));
}

TEST_F(LibraryListingTest, PermanentSelectionStemAndMaximum) {
  store(u"http://keep.example/1", 0, 0, true);
  store(u"http://keep.example/2", 0, 0, true);
  store(u"http://other.example/3", 0, 0, true);
  store(u"http://keep.example/4", 0, 0, false);
  EXPECT_EQ(list(kSelectPermanent).size(), 3u);
  EXPECT_EQ(list(kSelectAll).size(), 4u);
  EXPECT_EQ(list(kSelectPermanent, {}, u"HTTP://KEEP.").size(), 2u);
  EXPECT_TRUE(list(kSelectPermanent, {}, std::u16string(200, u'h')).empty());
  EXPECT_EQ(list(kSelectAll, {}, u"", 2).size(), 2u);
}

TEST_F(LibraryListingTest, TermsKeepOnlyMatchingDocumentsBestFirst) {
  store(u"http://x.example/fox", 0, 0, true, u"red fox jumps over the lazy dog");
  store(u"http://x.example/late", 0, 0, true,
        u"a long story about many things before we finally meet a red fox");
  store(u"http://x.example/none", 0, 0, true, u"nothing about animals");
  store(u"http://x.example/untabled", 0, 0, true);
  EXPECT_EQ(list(kSelectPermanent, {u"red", u"fox"}),
            (std::vector<std::u16string>{u"http://x.example/fox", u"http://x.example/late"}));
  EXPECT_EQ(list(kSelectPermanent, {u"fox", u"-lazy"}),
            (std::vector<std::u16string>{u"http://x.example/late"}));
}

TEST_F(LibraryListingTest, UnreadableMarkFileListsNothing) {
  testing::TempDir other;
  other.write("broken.zurl", std::string(64, '\x07'));
  KeyValueFile::Options options;
  options.readOnly = true;
  KeyValueFile broken(other.file("broken.zurl"), options);
  LibraryCriteria criteria;
  criteria.mask = kSelectAll;
  EXPECT_TRUE(ListLibrary(broken, criteria, nullptr).empty());
}

}  // namespace
}  // namespace brambel
