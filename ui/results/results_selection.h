#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <Qt>

namespace brambel {

// The selected results, by URL, so that a selection survives re-sorting and
// results arriving. `order` is the displayed order of the URLs.
class ResultsSelection {
 public:
  // A press on the result at `index`: alone it selects only that result;
  // Ctrl toggles it; Shift adds the run from the last selected result to it.
  void Press(int index, Qt::KeyboardModifiers modifiers, const QStringList& order);
  void SelectAll(const QStringList& order);
  void Clear();
  // Forgets URLs no longer displayed.
  void Retain(const QStringList& order);

  bool contains(const QString& url) const { return selected_.contains(url); }
  bool isEmpty() const { return selected_.isEmpty(); }
  // The selected URLs in displayed order.
  QStringList urls(const QStringList& order) const;
  const QString& anchor() const { return anchor_; }

 private:
  QSet<QString> selected_;
  QString anchor_;
  QStringList pressed_;  // results selected by presses, oldest first
};

}  // namespace brambel
