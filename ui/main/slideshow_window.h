#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QLabel;

namespace brambel {

class LibrarySession;
class PreviewImageView;

// View > Slideshow: the current results one at a time, each as its preview
// image (with the preview text overlay when that is on) and its title and
// address, moving on every few seconds. Right or Space shows the next, Left
// the previous, P pauses, Return opens the result in the browser, Escape
// closes.
class SlideshowWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSlideIntervalMs = 5000;

  SlideshowWindow(LibrarySession& session, QWidget* parent = nullptr);

  int count() const { return static_cast<int>(slides_.size()); }
  int current() const { return current_; }
  bool isPaused() const { return !timer_.isActive(); }
  void showSlide(int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Slide {
    QString url;
    QString title;
    QString preview;  // the preview image file, empty when there is none
  };
  void updateImage();

  std::vector<Slide> slides_;
  int current_ = -1;
  QTimer timer_;
  PreviewImageView* image_;
  bool overlay_ = true;
  QLabel* caption_;
};

}  // namespace brambel
