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

const QPixmap* ThumbnailCache::find(const QString& path, QSize box) {
  if (path.isEmpty() || box.isEmpty()) return nullptr;
  const Key key{path, box};
  if (const QPixmap* pixmap = cache_.object(key)) return pixmap;
  if (pending_.contains(key) || unreadable_.contains(key)) return nullptr;
  pending_.insert(key);
  QPointer<ThumbnailCache> self(this);
  pool_.start([self, key] {
    QImageReader reader(key.path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (!image.isNull()) image = image.scaled(key.box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (self) QMetaObject::invokeMethod(self, [self, key, image] {
      if (self) self->arrived(key, image);
    }, Qt::QueuedConnection);
  });
  return nullptr;
}

void ThumbnailCache::arrived(const Key& key, const QImage& image) {
  pending_.remove(key);
  if (image.isNull()) {
    unreadable_.insert(key);
    return;
  }
  cache_.insert(key, new QPixmap(QPixmap::fromImage(image)));
  emit ready(key.path);
}

void ThumbnailCache::forget(const QString& path) {
  for (const Key& key : cache_.keys())
    if (key.path == path) cache_.remove(key);
  unreadable_.removeIf([&path](const Key& key) { return key.path == path; });
}

}  // namespace brambel
