#include "ui/dialogs/work_settings_page.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace brambel {

WorkSettingsPage::WorkSettingsPage(QWidget* parent) : SettingsPage(parent) {
  using S = ProgramSettings;
  // A pool without threads keeps its work queued. Index and save threads
  // never go below one: adding to their queues waits for a worker to make room.
  auto* threads = new QGroupBox(tr("Threads"), this);
  auto* threadsForm = new QFormLayout(threads);
  bindings_.addNumber(threadsForm, "contextThreads", tr("Page loading:"), &S::contextThreads, 0, 32)
      ->setSpecialValueText(tr("Off"));
  bindings_.addNumber(threadsForm, "saveThreads", tr("Saving:"), &S::saveThreads, 1, 8);
  bindings_.addNumber(threadsForm, "indexThreads", tr("Indexing:"), &S::indexThreads, 1, 8);
  bindings_.addNumber(threadsForm, "imageThreads", tr("Preview rendering:"), &S::imageThreads, 0, 8)
      ->setSpecialValueText(tr("Off"));
  bindings_.addNumber(threadsForm, "thumbThreads", tr("Thumbnails:"), &S::thumbThreads, 0, 8)
      ->setSpecialValueText(tr("Off"));

  auto* index = new QGroupBox(tr("Index and caches"), this);
  auto* indexForm = new QFormLayout(index);
  bindings_.addNumber(indexForm, "indexQueueSize", tr("Index queue length:"), &S::indexQueueSize, 1, 10000);
  bindings_.addNumber(indexForm, "indexCacheSize", tr("Index cache:"), &S::indexCacheSize, 0, 4194303, tr(" KB"));
  bindings_.addNumber(indexForm, "globalIndexSleepInterval", tr("Pause between indexed pages:"),
                      &S::globalIndexSleepInterval, 0, 60000, tr(" ms"));
  bindings_.addNumber(indexForm, "thumbCacheSize", tr("Thumbnails kept in memory:"), &S::thumbCacheSize, 0, 100000);
  bindings_.addNumber(indexForm, "minSpaceThreshold", tr("Stop saving below free disk space:"), &S::minSpaceThreshold,
                      0, 1048576, tr(" MB"));

  auto* results = new QGroupBox(tr("Results and requests"), this);
  auto* resultsForm = new QFormLayout(results);
  bindings_.addNumber(resultsForm, "searchResultMax", tr("Results added per pass:"), &S::searchResultMax, 1, 100000);
  bindings_.addNumber(resultsForm, "resultDisplayMax", tr("Results shown:"), &S::resultDisplayMax, 1, 100000);
  bindings_.addText(resultsForm, "browserId", tr("User-Agent:"), &S::browserId);
  bindings_.addCheck(resultsForm, "sendReferer", tr("Send the search page as referrer"), &S::sendReferer);
  bindings_.addCheck(resultsForm, "prefetchHeader", tr("Mark page loads as prefetches"), &S::prefetchHeader);

  auto* note = new QLabel(tr("Threads, the index queue and the index cache take effect when a library is next opened."),
                          this);
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(threads);
  layout->addWidget(index);
  layout->addWidget(results);
  layout->addWidget(note);
  layout->addStretch(1);
}

}  // namespace brambel
