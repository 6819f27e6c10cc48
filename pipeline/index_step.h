#pragma once

#include "pipeline/pipeline_jobs.h"
#include "pipeline/work_item.h"

namespace brambel {

class ContentPipeline;
class MainIndexBatch;

// The index pool's worker: records the document under each of its sources
// and hands its terms to the pipeline's batched index writer. When the queue
// runs empty it writes the batch (the documents' URLs are marked indexed
// then), writes the index cache back and saves the source index (at most
// every few seconds: each save makes its files durable, which costs more
// than indexing a page; the pipeline saves it once more when it stops).
class IndexStep {
 public:
  explicit IndexStep(ContentPipeline& pipeline) : pipeline_(pipeline) {}
  void operator()(WorkItem<IndexJob>& item);

 private:
  void writeWhileIdle(MainIndexBatch& batch);
  void saveSourceIndexWhileIdle();

  ContentPipeline& pipeline_;
};

}  // namespace brambel
