#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QLabel;

namespace brambel {

class LibrarySession;

// View > Slideshow: the current results one at a time, each as its
// thumbnail with its title and address, moving on every few seconds. Right
// or Space shows the next, Left the previous, P pauses, Return opens the
// result in the browser, Escape closes.
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
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Slide {
    QString url;
    QString title;
    QString thumbnail;
  };
  void updateImage();

  std::vector<Slide> slides_;
  int current_ = -1;
  QTimer timer_;
  QLabel* image_;
  QLabel* caption_;
};

}  // namespace brambel
