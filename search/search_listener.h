#pragma once

#include <string>

namespace brambel {

// What a search run tells the program while it runs. Calls come from the
// source threads (results, sources, sponsors) and from the thread that starts
// a search (list changed, category switched); an implementation that drives
// a window hands each call over to the window's own thread. Every operation
// does nothing unless overridden.
class SearchListener {
 public:
  virtual ~SearchListener() = default;

  // New raw results arrived (at most one call per 300 ms per source while
  // items are converted, plus one per page and group).
  virtual void ResultsChanged() {}
  // One source thread ended, whatever its outcome.
  virtual void SourceFinished(const std::u16string& instanceId) {}
  // The sponsored results changed.
  virtual void SponsorsChanged() {}
  // The displayed result list must be rebuilt (a search started or was cleared).
  virtual void ResultListChanged() {}
  // A typed URL switched the view to the first category.
  virtual void CategorySwitched() {}
};

}  // namespace brambel
