#pragma once

#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "pipeline/pipeline_jobs.h"

class QTimer;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineView;

namespace brambel {

class LibrarySession;

// The render and thumbnail steps of the content pipeline.
//
// Web pages live on the GUI thread, so a render worker does not draw: it
// hands its job to this object's off-screen pages (one per render thread)
// and waits, while the GUI thread loads the page, waits for it to complete
// (45 s at most), grabs it and returns to "about:blank". The pool's queue,
// claims and statistics stay the worker's. The worker then encodes the
// preview with the library's preview codec and queues the thumbnail, which
// a thumbnail worker scales and writes as JPEG into the library's "thumb".

class QtPreviewSteps : public QObject, public PreviewSteps {
  Q_OBJECT

 public:
  static constexpr int kRenderTimeoutMs = 45000;

  // Create on the GUI thread, before the library opens; `pages` off-screen
  // pages serve the render workers.
  QtPreviewSteps(LibrarySession& session, int pages, QObject* parent = nullptr);
  ~QtPreviewSteps() override;

  void Render(const PreviewJob& job) override;
  void Thumbnail(const PreviewJob& job) override;

  // Releases workers waiting for a page and refuses further renders; call
  // before the pipeline stops.
  void shutdown();
  // The page image of a job, drawn on the GUI thread; null on failure or
  // time-out. Blocks the calling (worker) thread.
  QImage capture(const PreviewJob& job);
  // Where a document's preview image is kept ("preview/<id>.<ext>").
  QString previewPath(uint32_t documentId) const;

 private:
  struct Request;
  struct Page;
  void pump();
  void begin(Page& page, std::shared_ptr<Request> request);
  void loadingChanged(Page& page, const QWebEngineLoadingInfo& info);
  void finish(Page& page, QImage image);
  // The page is back on its blank page (or gave up getting there): free.
  void reset(Page& page);
  // Draws the job's page and stores it as its preview image; false when
  // there is none (time-out, flagged page, no encoder, a failed write).
  bool storePreview(const PreviewJob& job);
  static bool saveImage(const QImage& image, const QString& path, const QByteArray& format);
  // The views draw the result again, its picture or its placeholder.
  void notifyUpdated(const std::u16string& url);

  LibrarySession& session_;
  std::vector<std::unique_ptr<Page>> pages_;
  std::deque<std::shared_ptr<Request>> waiting_;  // GUI thread only
  std::atomic<bool> closing_{false};
};

}  // namespace brambel
