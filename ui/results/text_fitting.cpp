#include "ui/results/text_fitting.h"

#include <algorithm>

namespace brambel {

QString fitText(const QString& text, int width, const QFontMetrics& metrics) {
  const int limit = width - width / 8;
  int textWidth = metrics.horizontalAdvance(text);
  if (textWidth <= limit) return text;
  const int average = std::max(1, metrics.averageCharWidth());
  QString cut = text;
  while (!cut.isEmpty() && textWidth > limit) {
    int step = std::max(1, (textWidth - limit) / average);
    cut.chop(std::min<int>(step, cut.size()));
    textWidth = metrics.horizontalAdvance(cut);
  }
  return cut + QStringLiteral("...");
}

}  // namespace brambel
