#include "ui/results/thumbnail_cache.h"

#include <QImage>
#include <QImageReader>
#include <QPointer>

namespace brambel {

ThumbnailCache::ThumbnailCache(int capacity, QObject* parent) : QObject(parent), cache_(std::max(1, capacity)) {
  pool_.setMaxThreadCount(1);
}

ThumbnailCache::~ThumbnailCache() {
  pool_.clear();
  pool_.waitForDone();
}

QString ThumbnailCache::keyOf(const QString& path, QSize box) {
  return QStringLiteral("%1x%2:").arg(box.width()).arg(box.height()) + path;
}

const QPixmap* ThumbnailCache::find(const QString& path, QSize box) {
  if (path.isEmpty() || box.isEmpty()) return nullptr;
  const QString key = keyOf(path, box);
  if (const QPixmap* pixmap = cache_.object(key)) return pixmap;
  if (pending_.contains(key) || unreadable_.contains(key)) return nullptr;
  pending_.insert(key);
  QPointer<ThumbnailCache> self(this);
  pool_.start([self, key, path, box] {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (!image.isNull()) image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (self) QMetaObject::invokeMethod(self, [self, key, path, image] {
      if (self) self->arrived(key, path, image);
    }, Qt::QueuedConnection);
  });
  return nullptr;
}

void ThumbnailCache::arrived(const QString& key, const QString& path, const QImage& image) {
  pending_.remove(key);
  if (image.isNull()) {
    unreadable_.insert(key);
    return;
  }
  cache_.insert(key, new QPixmap(QPixmap::fromImage(image)));
  emit ready(path);
}

void ThumbnailCache::forget(const QString& path) {
  for (const QString& key : cache_.keys())
    if (key.endsWith(QLatin1Char(':') + path)) cache_.remove(key);
  QSet<QString> unreadable = unreadable_;
  for (const QString& key : unreadable)
    if (key.endsWith(QLatin1Char(':') + path)) unreadable_.remove(key);
}

}  // namespace brambel
