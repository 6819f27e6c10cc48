#include "pipeline/index_step.h"

#include "pipeline/content_pipeline.h"
#include "pipeline/main_index_batch.h"
#include "store/index_file.h"
#include "store/source_index.h"

namespace brambel {

void IndexStep::operator()(WorkItem<IndexJob>& item) {
  ContentPipeline::IndexPool& pool = pipeline_.indexPool();
  if (!pool.claimOrPutBack(item)) return;
  {
    ClaimGuard claim(pool.inProgress(), item.key);
    const PipelineLibrary& library = pipeline_.library();
    IndexJob& job = item.payload;
    MainIndexBatch* batch = pipeline_.indexBatch();
    if (batch && job.documentId != 0) {
      if (library.sourceIndex)
        for (const std::u16string& source : job.sourceIds) library.sourceIndex->add(source, job.documentId);
      batch->add(item.key, job.documentId, job.terms);
      pipeline_.countIndexed(job.count, job.terms.size());
    }
    pool.markHandled(item.key);
    // At the end of the work the batch is written at once; meanwhile its
    // timer writes it every so often.
    if (batch && pool.count() == 0 && pipeline_.upstreamIsIdle()) writeWhileIdle(*batch);
  }
  saveSourceIndexWhileIdle();
}

void IndexStep::writeWhileIdle(MainIndexBatch& batch) {
  ContentPipeline::IndexPool& pool = pipeline_.indexPool();
  IndexFile& index = *pipeline_.library().mainIndex;
  batch.flush();
  // Blocks that other writers (the removal pass) left in the cache.
  while (pool.count() == 0 && pool.isRunning() && index.flushSome()) {
  }
}

void IndexStep::saveSourceIndexWhileIdle() {
  SourceIndex* sourceIndex = pipeline_.library().sourceIndex;
  if (pipeline_.indexPool().count() == 0 && sourceIndex && pipeline_.takeSourceIndexSaveTurn()) sourceIndex->save();
}

}  // namespace brambel
