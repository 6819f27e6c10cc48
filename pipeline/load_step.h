#pragma once

#include "pipeline/pipeline_jobs.h"
#include "pipeline/work_item.h"

namespace brambel {

class ContentPipeline;

// The load pool's worker: drops stale and ignored items, claims the URL (an
// item whose URL another worker holds goes back into the queue), keeps a
// fresh stored copy, otherwise fetches the page with the stored copy's
// conditional headers, inlines its style sheets and hands it to the save
// queue. Releases the claim and tells the listener whatever the outcome.
class LoadStep {
 public:
  explicit LoadStep(ContentPipeline& pipeline) : pipeline_(pipeline) {}
  void operator()(WorkItem<ContentRequest>& item);

 private:
  ContentPipeline& pipeline_;
};

}  // namespace brambel
