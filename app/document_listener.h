#pragma once

#include <string>

#include "app/command_host.h"
#include "search/search_listener.h"

namespace brambel {

// What the document tells its views. Besides the search run's reports (from
// source threads), calls come from the result-job thread (displayed results),
// the content pipeline's threads (result updated, item indexed, queue
// drained) and the thread that called the document (everything else). A
// desktop implementation hands each call over to its own thread; every
// operation does nothing unless overridden. The commands typed into the
// search field reach the views as CommandListener calls.
class DocumentListener : public SearchListener, public CommandListener {
 public:
  // A library was opened or closed; title, read-only state and lists changed.
  virtual void LibraryChanged() {}
  // The categories or the selected category changed.
  virtual void CategoriesChanged() {}
  // The result mode or the sort order changed.
  virtual void ResultModeChanged() {}
  // The displayed list changed: once per time slice of a result job and once
  // when it ends. `scoresPresent` tells whether term scores were computed.
  virtual void DisplayedResultsChanged(bool scoresPresent) {}
  // A library search counted its hits per category (CategoryCounts and
  // CountCaption changed).
  virtual void CategoryCountsChanged() {}
  // A URL's marks changed (permanent, pinned, ignored, read, dates).
  virtual void MarksChanged(const std::u16string& url) {}
  virtual void HistoryChanged() {}
  virtual void SavedTermsChanged() {}
  // A content stage finished for a URL (loaded, saved, rendered, thumbnail).
  virtual void ResultUpdated(const std::u16string& url) {}
  // The index step added a URL's page to the main index.
  virtual void ItemIndexed(const std::u16string& url) {}
  // Every content queue is empty and no worker is busy.
  virtual void QueueDrained() {}
};

}  // namespace brambel
