#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "pipeline/content_cache.h"
#include "pipeline/disk_space_guard.h"
#include "pipeline/key_sets.h"
#include "pipeline/main_index_batch.h"
#include "pipeline/pipeline_jobs.h"
#include "pipeline/pipeline_library.h"
#include "pipeline/pool_statistics.h"
#include "pipeline/removal_log.h"
#include "pipeline/style_sheet_cache.h"
#include "pipeline/worker_pool.h"
#include "search/content_handoff.h"
#include "store/term_offsets.h"

namespace brambel {

// The system's prompts when the index or save threads do not stop in time.
inline constexpr char16_t kIndexStopPrompt[] =
    u"Indexing threads seem to be taking a long time to timeout. Continue waiting?";
inline constexpr char16_t kSaveStopPrompt[] =
    u"Save threads seem to be taking a long time to timeout. Continue waiting?";

// The five worker pools of an open library and the steps they run: load
// (fetch the page), save (rewrite it and write it into the library), index
// (add its words to the main index), render and thumbnail (handed to the
// desktop's preview steps). The search run hands results in through the
// ContentHandoff interface.
class ContentPipeline : public ContentHandoff {
 public:
  using LoadPool = WorkerPool<ContentRequest>;
  using SavePool = WorkerPool<SaveJob>;
  using IndexPool = WorkerPool<IndexJob>;
  using PreviewPool = WorkerPool<PreviewJob>;

  explicit ContentPipeline(PipelineLibrary library);
  // Stops every pool (without asking) and the removal pass.
  ~ContentPipeline() override;

  // Starts the pools' threads in the order load, render, index, save, thumb;
  // a pool whose thread count is below 1 keeps its items queued. Resumes a
  // removal pass left by an earlier run.
  void start();
  // Stops the pools in turn: load, render and thumb give up after 30 s;
  // index and save ask `keepWaiting` after every 30 s. Saves the source
  // index. Answers whether every thread ended.
  bool stop(const KeepWaiting& keepWaiting = {});

  // ContentHandoff.
  void AddLoad(const std::u16string& url, int searchNumber, ContentRequest request, EnqueueMode mode,
               int priority) override;
  void ClearForNewSearch() override;
  void ClearImageQueue() override;

  // Queues a stored document's text for the main index now (a result marked
  // permanent whose text is not indexed yet). False when there is nothing to index.
  // It is filed under the sources of its stored list and under `sourceIds`
  // (the sources that named it again).
  bool IndexStoredDocument(const std::u16string& url, const std::vector<std::u16string>& sourceIds = {});
  // Records removed from the library (deleted documents) leave the index.
  RemovalLog& removalLog() { return *removalLog_; }
  ContentCache& contentCache() { return *contentCache_; }

  // Waits until every queue is empty and no item is being worked (for
  // `search --wait` and tests); false when `limit` passed first.
  bool waitUntilIdle(std::chrono::milliseconds limit);

  // The statistics rows in the window's order: thumb, render, index, save, load.
  std::vector<PoolStatistics> statistics() const;
  // The indexing counters since the last call, then reset.
  IndexingRates takeIndexingRates();

  // The in-memory term map of a loaded document (none with noMemoryIndexing).
  std::shared_ptr<const TermOffsets> memoryTerms(const std::u16string& url) const;
  // URLs whose answer was of a kind that is not kept.
  bool isUnsupported(const std::u16string& url) const { return unsupported_.contains(url); }

  // The steps' view of the pipeline.
  const PipelineLibrary& library() const { return library_; }
  LoadPool& loadPool() { return *load_; }
  SavePool& savePool() { return *save_; }
  IndexPool& indexPool() { return *index_; }
  PreviewPool& renderPool() { return *render_; }
  PreviewPool& thumbPool() { return *thumb_; }
  // The library's batched index writer; null when the main index is not
  // written (none, or read-only).
  MainIndexBatch* indexBatch() { return indexBatch_.get(); }
  DiskSpaceGuard& diskSpace() { return *diskSpace_; }
  StyleSheetCache& styleSheets() { return styleSheets_; }
  bool isClosing() const { return closing_.load(); }
  // Whether no page waits to be loaded or saved, nor is being.
  bool upstreamIsIdle() const;
  // Whether an item of `searchNumber` belongs to an earlier search.
  bool isStale(int32_t searchNumber) const;
  void notifyUpdated(const std::u16string& url);
  void log(const std::string& line);
  void markUnsupported(const std::u16string& url) { unsupported_.insert(url); }
  void keepMemoryTerms(const std::u16string& url, std::shared_ptr<const TermOffsets> terms);
  void countIndexed(uint64_t items, uint64_t terms);
  // Moves whenever the index step writes a batch into the main index.
  uint64_t indexChangeStamp() const { return indexChanges_.load(); }
  // True at most once per interval: whether an idle index worker saves the
  // source index now (each save makes its files durable, which costs more
  // than indexing a page; stop() saves it once more).
  bool takeSourceIndexSaveTurn();
  // Held by the pipeline's read-modify-write of a URL's marks.
  std::mutex& marksMutex() { return marksMutex_; }

 private:
  PipelineLibrary library_;
  std::atomic<bool> closing_{false};
  std::atomic<uint64_t> indexChanges_{0};
  std::atomic<uint64_t> indexedItems_{0};
  std::atomic<uint64_t> indexedTerms_{0};
  std::atomic<int64_t> lastSourceIndexSave_{0};
  std::mutex marksMutex_;
  LockedKeySet unsupported_;
  StyleSheetCache styleSheets_;
  mutable std::mutex memoryTermsMutex_;
  std::unordered_map<std::u16string, std::shared_ptr<const TermOffsets>> memoryTerms_;
  std::unique_ptr<DiskSpaceGuard> diskSpace_;
  std::unique_ptr<RemovalLog> removalLog_;
  std::unique_ptr<MainIndexBatch> indexBatch_;
  std::unique_ptr<ContentCache> contentCache_;
  std::unique_ptr<LoadPool> load_;
  std::unique_ptr<PreviewPool> render_;
  std::unique_ptr<IndexPool> index_;
  std::unique_ptr<SavePool> save_;
  std::unique_ptr<PreviewPool> thumb_;
  bool started_ = false;
  bool stopped_ = false;
};

}  // namespace brambel
