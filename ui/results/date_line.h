#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

namespace brambel {

// The dates a result can show, seconds since 1970 UTC (0 = none).
struct ResultDates {
  uint32_t load = 0;
  uint32_t content = 0;
  uint32_t click = 0;
  uint32_t hover = 0;
};

// The date line of a result for the `displayDate` setting: 0 none, 1 load,
// 2 content, 3 click, 4 hover, 6 the later of click and hover, 5 following
// the sort order (score: none, content date: 2, load date: 1, last viewed:
// 6). The label is followed by the date in the locale's short format in
// local time, "<No Date>" for 0. Nothing when no line is drawn.
std::optional<QString> dateLine(uint32_t displayDate, int sortOrder, const ResultDates& dates,
                                const QLocale& locale = QLocale());

}  // namespace brambel
