#pragma once

#include <QDateTime>
#include <QFutureWatcher>
#include <QImage>
#include <QWidget>

namespace brambel {

// A result's preview image scaled into the widget, with the preview text
// overlay when asked; "Preview/Content Unavailable" when there is none. The
// file is decoded off the GUI thread.
class PreviewImageView : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewImageView(QWidget* parent = nullptr);

  // Shows the image in `path` (empty: none), dated by the file's time.
  void showImage(const QString& path, bool overlay);
  bool hasImage() const { return !image_.isNull(); }

 signals:
  // The image asked for is decoded (or found missing) and drawn next.
  void imageShown();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void decoded();

  QFutureWatcher<QImage> decoding_;
  QString path_;
  QImage image_;
  QDateTime made_;
  bool overlay_ = true;
};

}  // namespace brambel
