#pragma once

#include "pipeline/pipeline_jobs.h"
#include "pipeline/work_item.h"

namespace brambel {

class ContentPipeline;
class MainIndexBatch;

// The index pool's worker: records the document under each of its sources
// and hands its terms to the pipeline's batched index writer (which writes
// them within a second). When its queue runs empty while no page waits to be
// loaded or saved, it writes the batch at once (the documents' URLs are
// marked indexed then) and writes the index cache back; while idle it also
// saves the source index, at most every few seconds: each save makes its
// files durable, which costs more than indexing a page; the pipeline saves
// it once more when it stops.
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
