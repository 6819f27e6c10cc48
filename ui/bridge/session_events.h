#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "app/document_listener.h"

namespace brambel {

// Hears the document on whatever thread it reports from and repeats each
// event as a signal on the GUI thread. Every call is posted with this object
// as its context, so nothing arrives after it is deleted; bursts of result
// and content events are gathered into one signal per interval.
class SessionEvents : public QObject, public DocumentListener {
  Q_OBJECT

 public:
  static constexpr int kBatchIntervalMs = 150;

  explicit SessionEvents(QObject* parent = nullptr);

  void ResultsChanged() override;
  void SourceFinished(const std::u16string& instanceId) override;
  void SponsorsChanged() override;
  void ResultListChanged() override;
  void CategorySwitched() override;
  void LibraryChanged() override;
  void CategoriesChanged() override;
  void ResultModeChanged() override;
  void DisplayedResultsChanged(bool scoresPresent) override;
  void MarksChanged(const std::u16string& url) override;
  void HistoryChanged() override;
  void ResultUpdated(const std::u16string& url) override;
  void ItemIndexed(const std::u16string& url) override;
  void QueueDrained() override;
  void OpenDebugWindow() override;
  void CategoryCountsChanged() override;

 signals:
  void resultsChanged();
  void sourceFinished(const QString& instanceId);
  void sponsorsChanged();
  void categoriesChanged();
  void libraryChanged();
  void resultModeChanged();
  void displayedResultsChanged();
  void marksChanged(const QString& url);
  void historyChanged();
  // A content stage finished for these URLs (gathered).
  void resultsUpdated(const QStringList& urls);
  void contentProgress();
  // "//debug" was typed.
  void debugWindowRequested();
  // A library search counted its hits per category.
  void categoryCountsChanged();

 private:
  void post(std::function<void()> call);
  void batch(QTimer& timer);

  QTimer resultsBatch_;
  QTimer displayedBatch_;
  QTimer updatedBatch_;
  QStringList updated_;
};

}  // namespace brambel
