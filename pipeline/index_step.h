#pragma once

#include "pipeline/pipeline_jobs.h"
#include "pipeline/work_item.h"

namespace brambel {

class ContentPipeline;

// The index pool's worker: records the document under each of its sources,
// adds its terms to the main index, marks the URL indexed, and while the
// queue stays empty writes the index cache back and saves the source index.
class IndexStep {
 public:
  explicit IndexStep(ContentPipeline& pipeline) : pipeline_(pipeline) {}
  void operator()(WorkItem<IndexJob>& item);

 private:
  void flushWhileIdle();

  ContentPipeline& pipeline_;
};

}  // namespace brambel
