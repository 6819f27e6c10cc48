#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QTreeWidget;

namespace brambel {

class LibrarySession;

// The debug statistics: one row per content pool ("thumb", "render",
// "index", "save", "load") with its live threads, queue length, URLs in
// progress and items handled, and a "search" row with the source searches
// running. The index row's count shows items and terms indexed per second
// since the last refresh. Refreshes every second while shown.
class DebugStatisticsWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kRefreshIntervalMs = 1000;

  explicit DebugStatisticsWindow(LibrarySession& session, QWidget* parent = nullptr);

  // Reads the pools now.
  void refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void setRow(int row, const QString& module, const QStringList& values);

  LibrarySession& session_;
  QTreeWidget* table_;
  QTimer timer_;
  QElapsedTimer sinceRefresh_;
};

}  // namespace brambel
