#pragma once

#include <QCache>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>

namespace brambel {

// Decoded thumbnails for the results view. Files are read and scaled on a
// thread of the cache's own pool (as QImage); the pixmap is made on the GUI
// thread when the image arrives. The view asks only for what it paints, so
// visible results load first and scrolling never waits for the disk.
class ThumbnailCache : public QObject {
  Q_OBJECT

 public:
  explicit ThumbnailCache(int capacity, QObject* parent = nullptr);
  ~ThumbnailCache() override;

  void setCapacity(int capacity) { cache_.setMaxCost(std::max(1, capacity)); }
  // The thumbnail of `path` fitted into `box`, or nullptr while it is being
  // decoded (ready() follows) or when the file cannot be read.
  const QPixmap* find(const QString& path, QSize box);
  // Whether `path` could not be read for `box` (find() answers nullptr for good).
  bool isUnreadable(const QString& path, QSize box) const { return unreadable_.contains({path, box}); }
  // Forgets a file's decoded thumbnails (it was written again).
  void forget(const QString& path);

 signals:
  void ready(const QString& path);

 private:
  // A file fitted into a box; looked up on every paint, so made without allocating.
  struct Key {
    QString path;
    QSize box;
    bool operator==(const Key&) const = default;
    friend size_t qHash(const Key& key, size_t seed = 0) {
      return qHashMulti(seed, key.path, key.box.width(), key.box.height());
    }
  };
  void arrived(const Key& key, const QImage& image);

  QCache<Key, QPixmap> cache_;
  QSet<Key> pending_;
  QSet<Key> unreadable_;
  QThreadPool pool_;
};

}  // namespace brambel
