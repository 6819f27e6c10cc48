#include "pipeline/index_step.h"

#include <chrono>
#include <thread>
#include <utility>

#include "index/document_indexer.h"
#include "pipeline/content_pipeline.h"
#include "store/index_file.h"
#include "store/library_store.h"
#include "store/source_index.h"

namespace brambel {

namespace {

bool isWritable(const IndexFile* index) { return index && index->isValid() && !index->isReadOnly(); }

// Every document reaches the main index through this one call, so that a
// batched writer can take its place.
bool addToMainIndex(IndexFile& index, IndexJob& job, const PipelineSettings& settings) {
  IndexingOptions options;
  options.yieldInterval = settings.globalIndexSleepInterval;
  return AddDocument(index, std::move(job.terms), job.documentId, options);
}

}  // namespace

void IndexStep::operator()(WorkItem<IndexJob>& item) {
  ContentPipeline::IndexPool& pool = pipeline_.indexPool();
  if (!pool.claim(item.key)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    pool.add(item.key, item.searchNumber, std::move(item.payload), AddMode::kAlways, item.priority);
    return;
  }
  {
    ClaimGuard claim(pool.inProgress(), item.key);
    const PipelineLibrary& library = pipeline_.library();
    IndexJob& job = item.payload;
    if (isWritable(library.mainIndex) && job.documentId != 0) {
      if (library.sourceIndex)
        for (const std::u16string& source : job.sourceIds) library.sourceIndex->add(source, job.documentId);
      const uint64_t terms = job.terms.size();
      const bool added = addToMainIndex(*library.mainIndex, job, library.settings);
      pipeline_.noteIndexChanged();
      if (added) {
        std::lock_guard marksLock(pipeline_.marksMutex());
        UrlMarks marks = library.store->readMarks(item.key);
        if (marks.recordId == job.documentId) {
          marks.setIndexed(true);
          library.store->writeMarks(item.key, marks);
        }
      }
      pipeline_.countIndexed(job.count, terms);
    }
    pool.markHandled(item.key);
  }
  if (PipelineListener* listener = pipeline_.library().listener) listener->ItemIndexed(item.key);
  flushWhileIdle();
}

void IndexStep::flushWhileIdle() {
  ContentPipeline::IndexPool& pool = pipeline_.indexPool();
  const PipelineLibrary& library = pipeline_.library();
  if (!isWritable(library.mainIndex)) return;
  while (pool.count() == 0 && pool.isRunning() && library.mainIndex->flushSome()) {
  }
  if (pool.count() == 0 && library.sourceIndex) library.sourceIndex->save();
}

}  // namespace brambel
