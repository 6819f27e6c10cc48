#include "ui/results/date_line.h"

#include <QDateTime>
#include <algorithm>

namespace brambel {
namespace {

uint32_t choiceForSortOrder(int sortOrder) {
  switch (sortOrder) {
    case 1: return 2;
    case 2: return 1;
    case 5:
    case 6: return 6;
    default: return 0;
  }
}

QString formatted(uint32_t seconds, const QLocale& locale) {
  if (seconds == 0) return QStringLiteral("<No Date>");
  QDateTime time = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toLocalTime();
  if (!time.isValid()) return QStringLiteral("<Invalid Date>");
  return locale.toString(time.date(), QLocale::ShortFormat);
}

}  // namespace

std::optional<QString> dateLine(uint32_t displayDate, int sortOrder, const ResultDates& dates, const QLocale& locale) {
  if (displayDate == 5) displayDate = choiceForSortOrder(sortOrder);
  switch (displayDate) {
    case 1: return QStringLiteral("Load Date:") + formatted(dates.load, locale);
    case 2: return QStringLiteral("Content Date:") + formatted(dates.content, locale);
    case 3: return QStringLiteral("Click Date:") + formatted(dates.click, locale);
    case 4: return QStringLiteral("Hover Date:") + formatted(dates.hover, locale);
    case 6: return QStringLiteral("Last Viewed:") + formatted(std::max(dates.click, dates.hover), locale);
    default: return std::nullopt;
  }
}

}  // namespace brambel
