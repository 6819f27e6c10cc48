#include "ui/render/preview_overlay.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace brambel {

QString previewOverlayText(const QDateTime& made, const QLocale& locale) {
  return QStringLiteral("Brambel Preview\n") + locale.toString(made.toLocalTime(), QLocale::ShortFormat);
}

void drawPreviewOverlay(QPainter& painter, const QRect& picture, const QDateTime& made, const QLocale& locale) {
  if (picture.isEmpty()) return;
  const QString text = previewOverlayText(made, locale);
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.translate(picture.center());
  painter.rotate(-45);
  // The text spans most of the picture's diagonal.
  const double diagonal = std::hypot(picture.width(), picture.height());
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(std::max(8, static_cast<int>(diagonal / 14)));
  painter.setFont(font);
  const QRect box = QFontMetrics(font).boundingRect(QRect(), Qt::AlignCenter, text);
  painter.setPen(QColor(128, 128, 128, 140));
  painter.drawText(QRect(-box.width() / 2, -box.height() / 2, box.width(), box.height()), Qt::AlignCenter, text);
  painter.restore();
}

}  // namespace brambel
