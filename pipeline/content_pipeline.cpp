#include "pipeline/content_pipeline.h"

#include <thread>
#include <utility>

#include "index/main_index.h"
#include "pipeline/index_step.h"
#include "pipeline/load_step.h"
#include "pipeline/page_terms.h"
#include "pipeline/save_step.h"
#include "store/content_file.h"
#include "store/index_file.h"
#include "store/library_store.h"
#include "store/source_index.h"
#include "store/source_index_text.h"
#include "store/source_list.h"
#include "store/url_marks.h"

namespace brambel {

namespace {

constexpr uint64_t kMegabyte = 1024 * 1024;
// How long an indexed page may wait in the batch before it is written.
constexpr std::chrono::milliseconds kLongestIndexWait{1000};

PoolOptions poolOptions(const char* name, ThreadPriority priority, std::u16string stopPrompt = {},
                        std::function<void()> onDrained = {}) {
  PoolOptions options;
  options.name = name;
  options.priority = priority;
  options.stopPrompt = std::move(stopPrompt);
  options.onDrained = std::move(onDrained);
  return options;
}

}  // namespace

ContentPipeline::ContentPipeline(PipelineLibrary library) : library_(std::move(library)) {
  const std::filesystem::path& directory = library_.store->directory();
  diskSpace_ = std::make_unique<DiskSpaceGuard>(directory, library_.settings.minSpaceThreshold, [this](uint32_t mb) {
    if (library_.listener) library_.listener->LowDiskSpace(mb);
  });
  RemovalLog::Hooks hooks;
  hooks.message = [this](const std::u16string& text) {
    if (library_.listener) library_.listener->Message(text);
  };
  hooks.changeStamp = [this] { return indexChangeStamp(); };
  IndexFile* writableIndex =
      library_.mainIndex && library_.mainIndex->isValid() && !library_.mainIndex->isReadOnly() ? library_.mainIndex
                                                                                                : nullptr;
  removalLog_ = std::make_unique<RemovalLog>(directory, writableIndex, std::move(hooks));
  if (writableIndex) {
    MainIndexBatch::Hooks batchHooks;
    batchHooks.indexed = [this](const std::u16string& url) {
      if (library_.listener) library_.listener->ItemIndexed(url);
    };
    batchHooks.written = [this] { ++indexChanges_; };
    indexBatch_ = std::make_unique<MainIndexBatch>(*writableIndex, *library_.store, marksMutex_,
                                                   library_.settings.globalIndexSleepInterval, kLongestIndexWait,
                                                   std::move(batchHooks));
  }
  contentCache_ = std::make_unique<ContentCache>(*library_.store, uint64_t{library_.settings.contentCacheSize} * kMegabyte,
                                                 [this](uint32_t id) { removalLog_->append(id); });

  auto drained = [this](PoolKind kind) {
    return [this, kind] {
      if (library_.listener) library_.listener->QueueDrained(kind);
    };
  };
  load_ = std::make_unique<LoadPool>(poolOptions("load", ThreadPriority::kLowest, {}, drained(PoolKind::kLoad)),
                                     LoadStep(*this));
  auto previewStep = [this](bool render) {
    return [this, render](WorkItem<PreviewJob>& item) {
      if (!library_.previews || isStale(item.searchNumber)) return;
      PreviewPool& pool = render ? *render_ : *thumb_;
      if (!pool.claimOrPutBack(item)) return;
      ClaimGuard claim(pool.inProgress(), item.key);
      if (render)
        library_.previews->Render(item.payload);
      else
        library_.previews->Thumbnail(item.payload);
      pool.markHandled(item.key);
    };
  };
  render_ = std::make_unique<PreviewPool>(poolOptions("render", ThreadPriority::kLowest), previewStep(true));
  const size_t indexCapacity = library_.settings.indexQueueSize;
  index_ = std::make_unique<IndexPool>(
      poolOptions("index", ThreadPriority::kLowest, kIndexStopPrompt, drained(PoolKind::kIndex)), IndexStep(*this),
      [indexCapacity] { return indexCapacity; });
  save_ = std::make_unique<SavePool>(poolOptions("save", ThreadPriority::kLowest, kSaveStopPrompt), SaveStep(*this),
                                     [this] { return size_t(4) * size_t(save_->liveThreads()); });
  thumb_ = std::make_unique<PreviewPool>(poolOptions("thumb", ThreadPriority::kNormal), previewStep(false));
}

ContentPipeline::~ContentPipeline() {
  closing_ = true;
  // Pools go before what their steps use, each after the pools that feed
  // it; each joins its threads first.
  load_.reset();
  save_.reset();
  render_.reset();
  index_.reset();
  thumb_.reset();
  indexBatch_.reset();
  removalLog_->stop();
}

void ContentPipeline::start() {
  if (started_) return;
  started_ = true;
  const PipelineSettings& settings = library_.settings;
  load_->addThreads(settings.contextThreads);
  render_->addThreads(settings.imageThreads);
  index_->addThreads(settings.indexThreads);
  save_->addThreads(settings.saveThreads);
  thumb_->addThreads(settings.thumbThreads);
  removalLog_->startPass(false);
}

bool ContentPipeline::stop(const KeepWaiting& keepWaiting) {
  if (stopped_) return true;
  stopped_ = true;
  closing_ = true;
  bool ended = load_->stopThreads();
  ended = render_->stopThreads() && ended;
  ended = index_->stopThreads(keepWaiting) && ended;
  ended = save_->stopThreads(keepWaiting) && ended;
  ended = thumb_->stopThreads() && ended;
  if (indexBatch_) indexBatch_->flush();
  removalLog_->stop();
  if (library_.sourceIndex) library_.sourceIndex->save();
  return ended;
}

void ContentPipeline::AddLoad(const std::u16string& url, int searchNumber, ContentRequest request, EnqueueMode mode,
                              int priority) {
  AddMode addMode = mode == EnqueueMode::kNeverWait ? AddMode::kAlways : AddMode::kWaitForRoom;
  load_->add(url, searchNumber, std::move(request), addMode, priority);
}

void ContentPipeline::ClearForNewSearch() {
  load_->purge(-1);
  render_->purge(-1);
}

void ContentPipeline::ClearImageQueue() { render_->purge(-1); }

bool ContentPipeline::IndexStoredDocument(const std::u16string& url, const std::vector<std::u16string>& sourceIds) {
  UrlMarks marks = library_.store->readMarks(url);
  if (marks.recordId == 0 || marks.isIndexed()) return false;
  // Already on its way: indexing it twice would count its words twice.
  if (index_->isQueued(url) || index_->isInProgress(url) || (indexBatch_ && indexBatch_->holds(marks.recordId)))
    return false;
  ContentFile file = ContentFile::openForReading(library_.store->contentPath(marks.recordId));
  SourceIndexText text;
  if (!text.ReadFrom(file)) return false;
  // Filed under the sources it was saved from as well as the ones naming it now.
  SourceList sources;
  sources.ReadFrom(file);
  sources.merge(sourceIds);
  IndexJob job;
  job.documentId = marks.recordId;
  job.sourceIds = std::move(sources.ids);
  job.terms = weightedPageTerms(extractPageTerms(text.text, library_.termFilter).terms);
  return index_->add(url, kAlwaysAccepted, std::move(job), AddMode::kAlways, 0);
}

bool ContentPipeline::waitUntilIdle(std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  int quietRounds = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    bool idle = true;
    for (WorkerPoolBase* pool : std::initializer_list<WorkerPoolBase*>{load_.get(), save_.get(), index_.get(),
                                                                        render_.get(), thumb_.get()}) {
      bool stuck = pool->startedThreads() == 0 || !pool->isRunning();
      if (!stuck && (pool->queuedCount() != 0 || pool->claimedCount() != 0)) idle = false;
    }
    const bool indexStuck = index_->startedThreads() == 0 || !index_->isRunning();
    if (indexBatch_ && !indexStuck && indexBatch_->bufferedDocuments() != 0) idle = false;
    // Several quiet looks in a row: an item between two pools is counted by neither for a moment.
    quietRounds = idle ? quietRounds + 1 : 0;
    if (quietRounds >= 3) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool ContentPipeline::upstreamIsIdle() const {
  return load_->count() == 0 && load_->inProgressCount() == 0 && save_->count() == 0 && save_->inProgressCount() == 0;
}

std::vector<PoolStatistics> ContentPipeline::statistics() const {
  return {thumb_->statistics(), render_->statistics(), index_->statistics(), save_->statistics(),
          load_->statistics()};
}

IndexingRates ContentPipeline::takeIndexingRates() {
  return IndexingRates{indexedItems_.exchange(0), indexedTerms_.exchange(0)};
}

void ContentPipeline::countIndexed(uint64_t items, uint64_t terms) {
  indexedItems_ += items;
  indexedTerms_ += terms;
}

std::shared_ptr<const TermOffsets> ContentPipeline::memoryTerms(const std::u16string& url) const {
  std::lock_guard lock(memoryTermsMutex_);
  auto found = memoryTerms_.find(url);
  return found == memoryTerms_.end() ? nullptr : found->second;
}

void ContentPipeline::keepMemoryTerms(const std::u16string& url, std::shared_ptr<const TermOffsets> terms) {
  std::lock_guard lock(memoryTermsMutex_);
  memoryTerms_[url] = std::move(terms);
}

bool ContentPipeline::takeSourceIndexSaveTurn() {
  constexpr int64_t kIntervalMs = 5000;
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
  int64_t last = lastSourceIndexSave_.load();
  return now - last >= kIntervalMs && lastSourceIndexSave_.compare_exchange_strong(last, now);
}

bool ContentPipeline::isStale(int32_t searchNumber) const {
  if (searchNumber == kNoSearch || searchNumber == kAlwaysAccepted || !library_.currentSearchNumber) return false;
  return searchNumber != library_.currentSearchNumber();
}

void ContentPipeline::notifyUpdated(const std::u16string& url) {
  if (library_.listener) library_.listener->ResultUpdated(url);
}

void ContentPipeline::log(const std::string& line) {
  if (library_.listener) library_.listener->Log(line);
}

}  // namespace brambel
