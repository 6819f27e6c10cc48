#include "pipeline/content_pipeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "index/index_optimiser.h"
#include "index/index_query.h"
#include "index/main_index.h"
#include "pipeline/stored_page_fields.h"
#include "sources/page_text.h"
#include "store/content_file.h"
#include "store/index_file.h"
#include "store/library_store.h"
#include "store/source_index.h"
#include "store/source_index_rebuild.h"
#include "store/source_list.h"
#include "store/source_text.h"
#include "tests/support/doc_site.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;

class CountingListener : public PipelineListener {
 public:
  void ItemIndexed(const std::u16string&) override { ++indexed; }
  void LowDiskSpace(uint32_t thresholdMb) override {
    ++lowSpace;
    lowSpaceThreshold = thresholdMb;
  }
  void Log(const std::string& line) override {
    std::lock_guard lock(mutex);
    logged.insert(line);
  }
  std::atomic<int> indexed{0};
  std::atomic<int> lowSpace{0};
  std::atomic<uint32_t> lowSpaceThreshold{0};
  std::mutex mutex;
  std::set<std::string> logged;
};

// What the desktop's preview steps would be handed.
class RecordingPreviews : public PreviewSteps {
 public:
  void Render(const PreviewJob& job) override {
    std::lock_guard lock(mutex);
    rendered.insert(job.result.url);
    EXPECT_NE(job.documentId, 0u);
  }
  void Thumbnail(const PreviewJob&) override {}
  std::mutex mutex;
  std::set<std::u16string> rendered;
};

// A library in a temporary directory with a running pipeline over it.
class PipelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::DocSite::available()) GTEST_SKIP() << "python3.11-doc is not installed";
    settings_.minSpaceThreshold = 0;
  }
  void TearDown() override {
    if (pipeline_) pipeline_->stop();
    pipeline_.reset();
  }

  void open() {
    store_ = std::make_unique<LibraryStore>(dir_.path(), false);
    index_ = OpenMainIndex(dir_.path(), false, 0).index;
    sources_ = std::make_unique<SourceIndex>(dir_.path());
    PipelineLibrary library;
    library.store = store_.get();
    library.mainIndex = index_.get();
    library.sourceIndex = sources_.get();
    library.listener = &listener_;
    library.previews = previews_;
    library.settings = settings_;
    library.currentSearchNumber = [this] { return searchNumber_.load(); };
    pipeline_ = std::make_unique<ContentPipeline>(std::move(library));
    pipeline_->start();
  }

  void load(const std::string& url, int32_t searchNumber = kNoSearch, const std::u16string& source = u"feed/site") {
    ContentRequest request;
    request.result.url = fromUtf8(url);
    request.sourceIds = {source};
    pipeline_->AddLoad(fromUtf8(url), searchNumber, std::move(request), EnqueueMode::kWaitForRoom, 0);
  }

  std::string storedPage(const std::string& url) {
    UrlMarks marks = store_->readMarks(fromUtf8(url));
    ContentFile file = ContentFile::openForReading(store_->contentPath(marks.recordId));
    SourceText text;
    return text.ReadFrom(file) ? text.bytes : std::string();
  }

  std::set<uint32_t> documentsWith(const std::u16string& term) {
    std::set<uint32_t> ids;
    for (const Posting& posting : PostingsOf(*index_, term)) ids.insert(posting.id);
    return ids;
  }

  testing::TempDir dir_;
  testing::LoopbackServer server_;
  testing::DocSite site_{server_};
  PipelineSettings settings_;
  CountingListener listener_;
  RecordingPreviews recordingPreviews_;
  PreviewSteps* previews_ = nullptr;
  std::atomic<int32_t> searchNumber_{1};
  std::unique_ptr<LibraryStore> store_;
  std::unique_ptr<IndexFile> index_;
  std::unique_ptr<SourceIndex> sources_;
  std::unique_ptr<ContentPipeline> pipeline_;
};

TEST_F(PipelineTest, EveryPageOfTheSiteIsSavedRewrittenAndIndexed) {
  open();
  const std::vector<std::string> pages = site_.pageUrls(40);
  for (const std::string& url : pages) load(url);
  for (const char* path : {"/moved", "/refresh", "/refresh-self", "/refresh-slow", "/image.png"})
    load(server_.url(path));
  ASSERT_TRUE(pipeline_->waitUntilIdle(120s));

  std::set<uint32_t> ids;
  for (const std::string& url : pages) {
    const UrlMarks marks = store_->readMarks(fromUtf8(url));
    ASSERT_NE(marks.recordId, 0u) << url;
    EXPECT_TRUE(marks.isIndexed()) << url;
    ids.insert(marks.recordId);
  }
  EXPECT_EQ(listener_.indexed.load(), static_cast<int>(pages.size()) + 3);
  // Every page of the site names Python; all of them are found.
  const std::set<uint32_t> found = documentsWith(u"Python");
  EXPECT_TRUE(std::includes(found.begin(), found.end(), ids.begin(), ids.end()));
  for (uint32_t id : ids) EXPECT_TRUE(sources_->contains(u"feed/site", id));

  // The theme's sheet and the three it imports in turn are inside the page.
  const std::string page = storedPage(site_.pageUrls(1)[0]);
  EXPECT_EQ(page.find("pydoctheme.css"), std::string::npos);
  EXPECT_NE(page.find("<style type=\"text/css\" >"), std::string::npos);
  EXPECT_EQ(page.find("@import"), std::string::npos);
  EXPECT_NE(page.find("<!-- saved from url=("), std::string::npos);
  // The pages share their sheets: fetched at most once per load worker
  // (they start together), not once per page.
  EXPECT_LE(server_.requestCount("/_static/basic.css"), settings_.contextThreads);
  EXPECT_EQ(page.find("<script"), std::string::npos);

  // A redirect and a refresh store the target under the result's own URL.
  EXPECT_NE(storedPage(server_.url("/moved")).find("saved from url="), std::string::npos);
  EXPECT_NE(store_->readMarks(fromUtf8(server_.url("/refresh"))).recordId, 0u);
  EXPECT_NE(storedPage(server_.url("/refresh-slow")).find("refreshing"), std::string::npos);
  // A page that refreshes to itself is given up after seven refreshes.
  EXPECT_EQ(store_->readMarks(fromUtf8(server_.url("/refresh-self"))).recordId, 0u);
  EXPECT_EQ(server_.requestCount("/refresh-self"), 8);
  std::optional<SourceResult> image = store_->readRecord(fromUtf8(server_.url("/image.png")));
  ASSERT_TRUE(image);
  EXPECT_EQ(StoredPageFields::contentType(*image), u"image/png");
}

TEST_F(PipelineTest, AnExpiredCopyIsReloadedConditionallyAndA304OnlyRefreshesItsTimes) {
  settings_.noExpire = false;
  int served = 0;
  server_.get("/expiring", [&](const httplib::Request& request, httplib::Response& response) {
    response.set_header("ETag", "\"e1\"");
    response.set_header("Expires", "Thu, 01 Jan 2004 00:00:00 GMT");
    if (request.get_header_value("If-None-Match") == "\"e1\"") {
      response.status = 304;
      return;
    }
    ++served;
    response.set_content("<html><title>Old</title><body>first words</body></html>", "text/html");
  });
  open();
  const std::string url = server_.url("/expiring");
  load(url, 1);
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  const uint32_t id = store_->readMarks(fromUtf8(url)).recordId;
  ASSERT_NE(id, 0u);
  load(url, 1);
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  EXPECT_EQ(served, 1);
  EXPECT_EQ(server_.lastRequest("/expiring").header("If-None-Match"), "\"e1\"");
  EXPECT_EQ(store_->readMarks(fromUtf8(url)).recordId, id);
  EXPECT_NE(storedPage(url).find("first words"), std::string::npos);
  EXPECT_EQ(store_->readRecord(id)->title, u"Old");
}

TEST_F(PipelineTest, SavedPagesKeepTheirSourcesAndTheSourceIndexIsFiledAgainFromThem) {
  settings_.noExpire = false;
  server_.get("/changing", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Expires", "Thu, 01 Jan 2004 00:00:00 GMT");
    response.set_content("<html><title>Changing</title><body>Python news</body></html>", "text/html");
  });
  const std::vector<std::string> pages = site_.pageUrls(6);
  open();
  for (size_t i = 0; i < pages.size(); ++i) load(pages[i], kNoSearch, i % 2 ? u"feed/odd" : u"feed/even");
  // Saved again by a second source: the page keeps both.
  const std::string changing = server_.url("/changing");
  load(changing, kNoSearch, u"feed/first");
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  load(changing, kNoSearch, u"feed/second");
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  pipeline_->stop();
  EXPECT_EQ(server_.requestCount("/changing"), 2);
  SourceList stored;
  ASSERT_TRUE(stored.ReadFrom(
      ContentFile::openForReading(store_->contentPath(store_->readMarks(fromUtf8(changing)).recordId))));
  EXPECT_EQ(stored.ids, (std::vector<std::u16string>{u"feed/first", u"feed/second"}));

  // What the index step filed, filed again from the content files alone.
  SourceIndex rebuilt(dir_.path() / "elsewhere");
  const SourceIndexRebuild outcome = RebuildSourceIndex(*store_, rebuilt, {}, nullptr);
  EXPECT_EQ(outcome.filed, pages.size() + 1);
  EXPECT_EQ(outcome.unlisted + outcome.skipped, 0u);
  ASSERT_EQ(rebuilt.sourceKeys(), sources_->sourceKeys());
  for (const std::u16string& source : sources_->sourceKeys()) {
    std::vector<uint32_t> live = sources_->documentsOf(source), again = rebuilt.documentsOf(source);
    std::sort(live.begin(), live.end());
    std::sort(again.begin(), again.end());
    EXPECT_EQ(again, live);
  }
  EXPECT_EQ(sources_->documentsOf(u"feed/even").size(), 3u);
}

TEST_F(PipelineTest, StaleSearchesAndIgnoredUrlsAreDroppedAndNoMainIndexingKeepsOnlyPermanentOnes) {
  settings_.noMainIndexing = true;
  const std::vector<std::string> pages = site_.pageUrls(4);
  open();
  UrlMarks ignored;
  ignored.setIgnored(true);
  store_->writeMarks(fromUtf8(pages[0]), ignored);
  UrlMarks permanent;
  permanent.setPermanent(true);
  store_->writeMarks(fromUtf8(pages[1]), permanent);
  load(pages[0], 1);
  load(pages[1], 1);
  load(pages[2], 1);
  load(pages[3], 0);  // an earlier search
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  EXPECT_EQ(store_->readMarks(fromUtf8(pages[0])).recordId, 0u);
  EXPECT_TRUE(store_->readMarks(fromUtf8(pages[1])).isIndexed());
  EXPECT_NE(store_->readMarks(fromUtf8(pages[2])).recordId, 0u);
  EXPECT_FALSE(store_->readMarks(fromUtf8(pages[2])).isIndexed());
  EXPECT_EQ(store_->readMarks(fromUtf8(pages[3])).recordId, 0u);
  EXPECT_TRUE(pipeline_->memoryTerms(fromUtf8(pages[2])));
  const uint32_t later = store_->readMarks(fromUtf8(pages[2])).recordId;
  EXPECT_FALSE(sources_->contains(u"feed/site", later)) << "filed when it is indexed";
  // Marking it permanent later indexes the stored text at once, filed under
  // the sources it was saved from.
  EXPECT_TRUE(pipeline_->IndexStoredDocument(fromUtf8(pages[2])));
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  EXPECT_TRUE(store_->readMarks(fromUtf8(pages[2])).isIndexed());
  EXPECT_TRUE(sources_->contains(u"feed/site", later));
}

// A page stored but left unindexed (as by a process killed before its index
// batch was written) is indexed from its stored text when it is loaded again,
// once, and without fetching it again.
TEST_F(PipelineTest, AStoredPageLeftUnindexedIsIndexedOnItsNextLoad) {
  settings_.noMainIndexing = true;
  const std::string page = site_.pageUrls(1)[0];
  open();
  load(page);
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  const uint32_t id = store_->readMarks(fromUtf8(page)).recordId;
  ASSERT_NE(id, 0u);
  ASSERT_FALSE(store_->readMarks(fromUtf8(page)).isIndexed());
  pipeline_->stop();
  pipeline_.reset();

  settings_.noMainIndexing = false;
  open();
  const int fetched = server_.requestCount();
  load(page);
  load(page);
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  EXPECT_EQ(server_.requestCount(), fetched);
  EXPECT_TRUE(store_->readMarks(fromUtf8(page)).isIndexed());
  EXPECT_EQ(PostingsOf(*index_, u"Python").size(), 1u);
  EXPECT_TRUE(sources_->contains(u"feed/site", id));
}

TEST_F(PipelineTest, SavedPagesAreHandedToThePreviewStepsWhenPreviewsAreWanted) {
  previews_ = &recordingPreviews_;
  const std::vector<std::string> pages = site_.pageUrls(3);
  open();
  for (const std::string& url : pages) load(url);
  load(server_.url("/image.png"));
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  std::set<std::u16string> expected;
  for (const std::string& url : pages) expected.insert(fromUtf8(url));
  EXPECT_EQ(recordingPreviews_.rendered, expected);
}

TEST_F(PipelineTest, ADiskShortOfTheThresholdSavesNothingAndSaysSoOnce) {
  settings_.minSpaceThreshold = 4000000000u;  // MB: more than any disk holds
  const std::vector<std::string> pages = site_.pageUrls(3);
  open();
  for (const std::string& url : pages) load(url);
  ASSERT_TRUE(pipeline_->waitUntilIdle(30s));
  for (const std::string& url : pages) EXPECT_EQ(store_->readMarks(fromUtf8(url)).recordId, 0u);
  EXPECT_EQ(listener_.lowSpace.load(), 1);
  EXPECT_EQ(listener_.lowSpaceThreshold.load(), 4000000000u);
}

TEST_F(PipelineTest, EvictionThenTheRemovalPassAndAnOptimiseDropTheEvictedPagesOnly) {
  settings_.contentCacheSize = 1;  // MB
  const std::vector<std::string> pages = site_.pageUrls(60);
  open();
  UrlMarks permanent;
  permanent.setPermanent(true);
  store_->writeMarks(fromUtf8(pages[0]), permanent);
  for (const std::string& url : pages) load(url);
  ASSERT_TRUE(pipeline_->waitUntilIdle(120s));
  EXPECT_LE(pipeline_->contentCache().totalBytes(), 1u << 20);

  std::set<uint32_t> kept, evicted;
  for (const std::string& url : pages) {
    const uint32_t id = store_->readMarks(fromUtf8(url)).recordId;
    if (id != 0) kept.insert(id);
  }
  const uint32_t permanentId = store_->readMarks(fromUtf8(pages[0])).recordId;
  ASSERT_NE(permanentId, 0u);
  ASSERT_LT(kept.size(), pages.size());
  const std::unordered_set<uint32_t> pending = pipeline_->removalLog().pending();
  ASSERT_FALSE(pending.empty());
  for (uint32_t id : pending) EXPECT_EQ(kept.count(id), 0u);

  pipeline_->removalLog().startPass(true);
  pipeline_->removalLog().waitForPass();
  EXPECT_TRUE(pipeline_->removalLog().pending().empty());
  EXPECT_FALSE(std::filesystem::exists(dir_.file(RemovalLog::kProcessFileName)));
  std::set<uint32_t> found = documentsWith(u"Python");
  for (uint32_t id : pending) EXPECT_EQ(found.count(id), 0u);
  EXPECT_EQ(found.count(permanentId), 1u);

  pipeline_->stop();
  pipeline_.reset();
  index_.reset();
  const std::filesystem::path indexPath = dir_.file(kMainIndexFileName);
  ASSERT_EQ(Optimise(indexPath, mainIndexOptions(false, 0), {}).status, OptimiseStatus::Done);
  index_ = OpenMainIndex(dir_.path(), true, 0).index;
  found = documentsWith(u"Python");
  EXPECT_EQ(found.count(permanentId), 1u);
  for (uint32_t id : pending) EXPECT_EQ(found.count(id), 0u);
}

}  // namespace
}  // namespace brambel
