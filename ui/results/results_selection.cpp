#include "ui/results/results_selection.h"

#include <algorithm>

namespace brambel {

void ResultsSelection::Press(int index, Qt::KeyboardModifiers modifiers, const QStringList& order) {
  if (index < 0 || index >= order.size()) return;
  const QString& url = order[index];
  if (modifiers & Qt::ShiftModifier) {
    int from = anchor_.isEmpty() ? -1 : order.indexOf(anchor_);
    if (from < 0) from = index;
    for (int i = std::min(from, index); i <= std::max(from, index); ++i) selected_.insert(order[i]);
  } else if (modifiers & Qt::ControlModifier) {
    if (selected_.remove(url)) {
      // The anchor goes back to the last result still selected.
      pressed_.removeAll(url);
      anchor_ = pressed_.isEmpty() ? QString() : pressed_.last();
      return;
    }
    selected_.insert(url);
  } else {
    selected_ = {url};
    pressed_.clear();
  }
  pressed_.removeAll(url);
  pressed_.append(url);
  anchor_ = url;
}

void ResultsSelection::SelectAll(const QStringList& order) {
  selected_ = QSet<QString>(order.begin(), order.end());
}

void ResultsSelection::Clear() {
  selected_.clear();
  pressed_.clear();
  anchor_.clear();
}

void ResultsSelection::Retain(const QStringList& order) {
  QSet<QString> shown(order.begin(), order.end());
  selected_.intersect(shown);
  pressed_.removeIf([&](const QString& url) { return !shown.contains(url); });
  if (!shown.contains(anchor_)) anchor_.clear();
}

QStringList ResultsSelection::urls(const QStringList& order) const {
  QStringList chosen;
  for (const QString& url : order)
    if (selected_.contains(url)) chosen.append(url);
  return chosen;
}

}  // namespace brambel
