#pragma once

#include <string>
#include <vector>

#include "store/source_result.h"

namespace brambel {

// The work record handed to the content pipeline for each result: the page
// to load, and whatever the source already knows of it (a source that fetched
// the page itself passes its bytes and headers so they are not fetched again).
struct ContentRequest {
  SourceResult result;  // URL, title, description (the summary), search URL
  std::vector<std::u16string> sourceIds;
  bool unthrottled = false;
  bool skipKnown = false;
  std::string content;  // raw page bytes, empty when the source passed none
  std::u16string contentType;
  std::u16string lastModified;
  std::u16string expires;
  std::u16string etag;
  std::u16string titleOverride;
  std::u16string imageOverride;
};

// How the load pool is asked to take a request.
enum class EnqueueMode : int {
  kWaitForRoom = 1,  // block the caller until the queue has room
  kNeverWait = 2,
};

// The search run's door to the content pipeline. A run without one (no
// pipeline, a read-only library, the command line) hands nothing over.
class ContentHandoff {
 public:
  virtual ~ContentHandoff() = default;

  // Queues `request` for loading under the key `url`. `searchNumber` is the
  // generation of the search that produced it; lower `priority` goes first.
  virtual void AddLoad(const std::u16string& url, int searchNumber, ContentRequest request,
                       EnqueueMode mode, int priority) = 0;
  // Drops the queued work of the previous search (a new search starts).
  virtual void ClearForNewSearch() = 0;
  // Drops the queued image work (the search was stopped).
  virtual void ClearImageQueue() = 0;
};

}  // namespace brambel
