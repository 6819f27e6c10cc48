#include "ui/bridge/session_events.h"

namespace brambel {

SessionEvents::SessionEvents(QObject* parent) : QObject(parent) {
  resultsBatch_.setSingleShot(true);
  resultsBatch_.setInterval(kBatchIntervalMs);
  connect(&resultsBatch_, &QTimer::timeout, this, &SessionEvents::resultsChanged);
}

void SessionEvents::post(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void SessionEvents::ResultsChanged() {
  post([this] {
    if (!resultsBatch_.isActive()) resultsBatch_.start();
  });
}

void SessionEvents::SourceFinished(const std::u16string& instanceId) {
  QString id = QString::fromStdU16String(instanceId);
  post([this, id] {
    emit sourceFinished(id);
    if (!resultsBatch_.isActive()) resultsBatch_.start();
  });
}

void SessionEvents::SponsorsChanged() {
  post([this] { emit sponsorsChanged(); });
}

void SessionEvents::ResultListChanged() {
  post([this] { emit resultListChanged(); });
}

void SessionEvents::CategorySwitched() {
  post([this] { emit categorySwitched(); });
}

}  // namespace brambel
