#include "ui/bridge/session_events.h"

namespace brambel {

SessionEvents::SessionEvents(QObject* parent) : QObject(parent) {
  for (QTimer* timer : {&resultsBatch_, &displayedBatch_, &updatedBatch_}) {
    timer->setSingleShot(true);
    timer->setInterval(kBatchIntervalMs);
  }
  connect(&resultsBatch_, &QTimer::timeout, this, &SessionEvents::resultsChanged);
  connect(&displayedBatch_, &QTimer::timeout, this, &SessionEvents::displayedResultsChanged);
  connect(&updatedBatch_, &QTimer::timeout, this, [this] {
    QStringList urls;
    urls.swap(updated_);
    emit resultsUpdated(urls);
    emit contentProgress();
  });
}

void SessionEvents::post(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void SessionEvents::batch(QTimer& timer) {
  post([&timer] {
    if (!timer.isActive()) timer.start();
  });
}

void SessionEvents::ResultsChanged() { batch(resultsBatch_); }

void SessionEvents::SourceFinished(const std::u16string& instanceId) {
  QString id = QString::fromStdU16String(instanceId);
  post([this, id] { emit sourceFinished(id); });
  batch(resultsBatch_);
}

void SessionEvents::SponsorsChanged() { post([this] { emit sponsorsChanged(); }); }
void SessionEvents::ResultListChanged() { batch(displayedBatch_); }
void SessionEvents::CategorySwitched() { post([this] { emit categoriesChanged(); }); }
void SessionEvents::LibraryChanged() { post([this] { emit libraryChanged(); }); }
void SessionEvents::CategoriesChanged() { post([this] { emit categoriesChanged(); }); }
void SessionEvents::ResultModeChanged() { post([this] { emit resultModeChanged(); }); }
void SessionEvents::DisplayedResultsChanged(bool) { batch(displayedBatch_); }
void SessionEvents::HistoryChanged() { post([this] { emit historyChanged(); }); }
void SessionEvents::OpenDebugWindow() { post([this] { emit debugWindowRequested(); }); }
void SessionEvents::CategoryCountsChanged() { post([this] { emit categoryCountsChanged(); }); }

void SessionEvents::MarksChanged(const std::u16string& url) {
  QString text = QString::fromStdU16String(url);
  post([this, text] { emit marksChanged(text); });
}

void SessionEvents::ResultUpdated(const std::u16string& url) {
  QString text = QString::fromStdU16String(url);
  post([this, text] {
    if (!updated_.contains(text)) updated_.append(text);
    if (!updatedBatch_.isActive()) updatedBatch_.start();
  });
}

void SessionEvents::ItemIndexed(const std::u16string&) { batch(updatedBatch_); }
void SessionEvents::QueueDrained() { batch(updatedBatch_); }

}  // namespace brambel
