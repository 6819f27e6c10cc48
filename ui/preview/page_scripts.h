#pragma once

#include <QString>
#include <QStringList>

namespace brambel {

// Scripts the preview window runs in the page's application world, where
// they can edit the document while the page's own scripts are off.

inline constexpr int kHighlightsPerTerm = 32;
inline constexpr int kHighlightStepsPerTerm = 1024;

// Marks every term (case ignored) with a span "brambel_highlight_<i>_<n>"
// on a yellow background, at most 32 occurrences or 1024 search steps per
// term. The script's value is the number of spans made.
QString highlightScript(const QStringList& terms);
// Removes every span whose id begins with "brambel_highlight".
QString removeHighlightScript();
// Moves the find marker (span "brambel_search") to the next occurrence of
// `text` after offset `from` of the page text, wrapping to the top once when
// `wrap`. Its value is [status, end]: status 0 not found, 1 found,
// 2 found after wrapping; end the page text offset after the match.
QString findScript(const QString& text, int from, bool wrap);
// The insertion that swallows a page's script errors when scripts run.
QString scriptErrorGuardScript();

}  // namespace brambel
