#include "ui/main/slideshow_window.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/bridge/library_session.h"
#include "ui/render/preview_image_view.h"

namespace brambel {

SlideshowWindow::SlideshowWindow(LibrarySession& session, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("slideshow"));
  setWindowTitle(tr("Slideshow"));
  setAttribute(Qt::WA_DeleteOnClose);
  for (const DisplayedResult& result : session.displayedResults()) {
    const SourceResult& record = result.record;
    slides_.push_back({QString::fromStdU16String(record.url),
                       QString::fromStdU16String(record.title.empty() ? record.url : record.title),
                       QString::fromStdString(session.previewImagePath(record.url).string())});
  }
  overlay_ = session.settings().previewTextOverlay;
  image_ = new PreviewImageView(this);
  image_->setObjectName(QStringLiteral("slideImage"));
  image_->setMinimumSize(160, 120);
  caption_ = new QLabel(this);
  caption_->setObjectName(QStringLiteral("slideCaption"));
  caption_->setAlignment(Qt::AlignCenter);
  caption_->setTextFormat(Qt::PlainText);
  caption_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(image_, 1);
  layout->addWidget(caption_);
  timer_.setInterval(kSlideIntervalMs);
  connect(&timer_, &QTimer::timeout, this, [this] { showSlide(current_ + 1); });
  resize(800, 600);
  showSlide(0);
  if (count() > 1) timer_.start();
}

void SlideshowWindow::showSlide(int index) {
  if (slides_.empty()) {
    caption_->setText(tr("No results to show."));
    return;
  }
  current_ = (index % count() + count()) % count();
  const Slide& slide = slides_[current_];
  caption_->setText(tr("%1 of %2: %3\n%4").arg(current_ + 1).arg(count()).arg(slide.title, slide.url));
  updateImage();
}

void SlideshowWindow::updateImage() {
  if (current_ >= 0) image_->showImage(slides_[current_].preview, overlay_);
}

void SlideshowWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Space: showSlide(current_ + 1); break;
    case Qt::Key_Left: showSlide(current_ - 1); break;
    case Qt::Key_P: timer_.isActive() ? timer_.stop() : timer_.start(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (current_ >= 0) QDesktopServices::openUrl(QUrl(slides_[current_].url));
      break;
    case Qt::Key_Escape: close(); break;
    default: QWidget::keyPressEvent(event); return;
  }
  // A step by hand starts the interval again.
  if (timer_.isActive()) timer_.start();
}

}  // namespace brambel
