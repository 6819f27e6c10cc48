#include "ui/render/image_encoder.h"

#include <QImageWriter>
#include <QMimeDatabase>
#include <QRegularExpression>

namespace brambel {

std::optional<ImageEncoder> encoderForMimeType(const QString& mimeType) {
  if (!QImageWriter::supportedMimeTypes().contains(mimeType.toLatin1())) return std::nullopt;
  const QList<QByteArray> formats = QImageWriter::imageFormatsForMimeType(mimeType.toLatin1());
  if (formats.isEmpty()) return std::nullopt;
  static const QRegularExpression threeCharacters(QStringLiteral("^[A-Za-z0-9]{3}$"));
  QString extension;
  for (const QString& suffix : QMimeDatabase().mimeTypeForName(mimeType).suffixes())
    if (threeCharacters.match(suffix).hasMatch()) {
      extension = suffix;
      break;
    }
  if (extension.isEmpty()) return std::nullopt;
  return ImageEncoder{formats.first(), extension};
}

}  // namespace brambel
