#include "ui/render/preview_image_view.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtConcurrent>

#include "ui/render/preview_overlay.h"

namespace brambel {

PreviewImageView::PreviewImageView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("previewImage"));
  connect(&decoding_, &QFutureWatcher<QImage>::finished, this, &PreviewImageView::decoded);
}

void PreviewImageView::showImage(const QString& path, bool overlay) {
  path_ = path;
  overlay_ = overlay;
  made_ = QFileInfo(path).lastModified();
  decoding_.setFuture(QtConcurrent::run([path] { return path.isEmpty() ? QImage() : QImageReader(path).read(); }));
}

void PreviewImageView::decoded() {
  image_ = decoding_.result();
  update();
  emit imageShown();
}

void PreviewImageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  if (image_.isNull()) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, tr("Preview/Content Unavailable"));
    return;
  }
  QRect target(QPoint(), image_.size().scaled(size(), Qt::KeepAspectRatio));
  target.moveCenter(rect().center());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image_);
  if (overlay_) drawPreviewOverlay(painter, target, made_, locale());
}

}  // namespace brambel
