#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "pipeline/pipeline_listener.h"
#include "pipeline/pipeline_settings.h"

namespace brambel {

class IndexFile;
class LibraryStore;
class PreviewSteps;
class SourceIndex;
class TermFilter;

// What the pipeline's steps need of the open library. The document owns all
// of it and keeps it alive while the pipeline runs.
struct PipelineLibrary {
  LibraryStore* store = nullptr;        // marks and content files; required
  IndexFile* mainIndex = nullptr;       // null or read-only: nothing is indexed
  SourceIndex* sourceIndex = nullptr;   // null: the source index is switched off
  const TermFilter* termFilter = nullptr;  // null: the default filter
  PipelineListener* listener = nullptr;    // null: nobody listens
  PreviewSteps* previews = nullptr;        // null: nothing is rendered
  PipelineSettings settings;
  // The document's current search number; items of other searches are
  // dropped (those with kNoSearch never). Empty: nothing is stale.
  std::function<int32_t()> currentSearchNumber;
  // Portable mode: nothing goes into the system's web cache (libcurl keeps
  // none, so only recorded here).
  bool portable = false;
};

}  // namespace brambel
