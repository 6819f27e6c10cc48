#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "index/document_indexer.h"
#include "search/content_handoff.h"
#include "store/source_result.h"

namespace brambel {

// The work record of the save queue: a fetched page (or the news that the
// stored copy is still good) with the result it belongs to.
struct SaveJob {
  ContentRequest page;        // result, sources, body and answer headers
  bool notModified = false;   // the server answered 304: only the stored times change
  bool isImage = false;       // a non-text answer stored as it came
};

// The work record of the index queue, built by the save step.
struct IndexJob {
  uint32_t documentId = 0;
  std::vector<std::u16string> sourceIds;
  std::vector<WeightedTerm> terms;
  uint32_t count = 1;  // added to the items counter of the statistics
};

// The work record of the render and thumbnail queues.
struct PreviewJob {
  SourceResult result;
  uint32_t documentId = 0;
  std::u16string contentType;
};

// Where saved pages are drawn into previews and thumbnails. The desktop
// supplies one; without it the render and thumbnail pools do nothing with
// their items.
class PreviewSteps {
 public:
  virtual ~PreviewSteps() = default;
  virtual void Render(const PreviewJob& job) = 0;
  virtual void Thumbnail(const PreviewJob& job) = 0;
};

}  // namespace brambel
