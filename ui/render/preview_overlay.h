#pragma once

#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QRect>
#include <QString>

namespace brambel {

// The overlay's two lines: "Brambel Preview" and when the picture was made,
// in the locale's short date and time formats.
QString previewOverlayText(const QDateTime& made, const QLocale& locale);

// Draws the overlay across `picture`, rotated by 45 degrees about its
// centre, in a translucent grey that reads on light and dark pages alike.
void drawPreviewOverlay(QPainter& painter, const QRect& picture, const QDateTime& made, const QLocale& locale);

}  // namespace brambel
