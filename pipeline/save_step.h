#pragma once

#include "pipeline/pipeline_jobs.h"
#include "pipeline/work_item.h"

namespace brambel {

class ContentPipeline;

// The save pool's worker: converts the page to wide text in its code page,
// removes its scripts unless allowed, marks where it was saved from, takes
// its title and text, writes its content file (result record, page, text,
// statistics and, unless switched off, its own term table) and hands its
// terms to the index queue.
class SaveStep {
 public:
  explicit SaveStep(ContentPipeline& pipeline) : pipeline_(pipeline) {}
  void operator()(WorkItem<SaveJob>& item);

 private:
  ContentPipeline& pipeline_;
};

}  // namespace brambel
