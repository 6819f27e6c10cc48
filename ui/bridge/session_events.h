#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "search/search_listener.h"

namespace brambel {

// Hears the search run on its source threads and repeats each event as a
// signal on the GUI thread. Every call is posted with this object as its
// context, so nothing arrives after it is deleted; bursts of result events
// are gathered into one signal per interval.
class SessionEvents : public QObject, public SearchListener {
  Q_OBJECT

 public:
  static constexpr int kBatchIntervalMs = 150;

  explicit SessionEvents(QObject* parent = nullptr);

  void ResultsChanged() override;
  void SourceFinished(const std::u16string& instanceId) override;
  void SponsorsChanged() override;
  void ResultListChanged() override;
  void CategorySwitched() override;

 signals:
  void resultsChanged();
  void sourceFinished(const QString& instanceId);
  void sponsorsChanged();
  void resultListChanged();
  void categorySwitched();

 private:
  void post(std::function<void()> call);

  QTimer resultsBatch_;
};

}  // namespace brambel
