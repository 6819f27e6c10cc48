#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace brambel {

// An installed image writer for a MIME type: the writer's format name and
// the file extension its files get (the first three-character suffix).
struct ImageEncoder {
  QByteArray format;
  QString extension;
};

// The writer whose MIME type equals `mimeType` exactly; nothing when none.
std::optional<ImageEncoder> encoderForMimeType(const QString& mimeType);

}  // namespace brambel
