#include "ui/render/preview_steps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QTimer>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "ui/bridge/library_session.h"
#include "ui/render/saved_page_html.h"
#include "ui/render/image_encoder.h"
#include "ui/render/possible_crash_mark.h"
#include "ui/render/thumbnail_maker.h"

namespace brambel {
namespace {

// Pages draw a moment after they report completion.
constexpr int kPaintSettleMs = 300;
constexpr int kWaitSliceMs = 100;
// The blank page after a render loads at once; a page that does not get
// there in this time is used again all the same.
constexpr int kResetTimeoutMs = 5000;

const QUrl& blankPage() {
  static const QUrl blank(QStringLiteral("about:blank"));
  return blank;
}

}  // namespace

// One render request, shared by the waiting worker and the GUI thread.
struct QtPreviewSteps::Request {
  PreviewJob job;
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;  // guarded by mutex
  QImage image;           // guarded by mutex
};

// An off-screen page is free, drawing a request, or resetting: going back
// to "about:blank" after a request. Its load reports are matched to what it
// is doing by URL, so that the report of a load cut short by the next one is
// never taken for that one's.
struct QtPreviewSteps::Page {
  QWebEngineView* view = nullptr;
  QTimer* timeout = nullptr;
  std::shared_ptr<Request> request;
  QUrl target;  // what the request loads
  bool resetting = false;
  QString temporaryFile;
};

QtPreviewSteps::QtPreviewSteps(LibrarySession& session, int pages, QObject* parent)
    : QObject(parent), session_(session) {
  const ProgramSettings& settings = session.settings();
  auto* profile = new QWebEngineProfile(this);  // off the record
  for (int i = 0; i < std::max(1, pages); ++i) {
    auto page = std::make_unique<Page>();
    page->view = new QWebEngineView();
    page->view->setPage(new QWebEnginePage(profile, page->view));
    page->view->setAttribute(Qt::WA_DontShowOnScreen);
    // Off-screen pages never keep the program running once its windows close.
    page->view->setAttribute(Qt::WA_QuitOnClose, false);
    QWebEngineSettings* web = page->view->settings();
    web->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    web->setAttribute(QWebEngineSettings::JavascriptEnabled, settings.previewScripts);
    web->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    web->setAttribute(QWebEngineSettings::PluginsEnabled, settings.previewActiveX);
    web->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    page->view->show();
    page->timeout = new QTimer(this);
    page->timeout->setSingleShot(true);
    page->timeout->setTimerType(Qt::PreciseTimer);  // a coarse timer may end a render early
    page->timeout->setInterval(kRenderTimeoutMs);
    Page* raw = page.get();
    connect(page->timeout, &QTimer::timeout, this, [this, raw] {
      if (raw->resetting) {
        reset(*raw);
        return;
      }
      raw->view->stop();
      finish(*raw, QImage());
    });
    connect(page->view->page(), &QWebEnginePage::loadingChanged, this,
            [this, raw](const QWebEngineLoadingInfo& info) { loadingChanged(*raw, info); });
    pages_.push_back(std::move(page));
  }
}

QtPreviewSteps::~QtPreviewSteps() {
  shutdown();
  for (auto& page : pages_) delete page->view;
}

void QtPreviewSteps::shutdown() {
  closing_ = true;
  for (auto& request : waiting_) {
    std::lock_guard lock(request->mutex);
    request->finished = true;
    request->done.notify_all();
  }
  waiting_.clear();
  for (auto& page : pages_)
    if (page->request) finish(*page, QImage());
}

QImage QtPreviewSteps::capture(const PreviewJob& job) {
  if (closing_) return {};
  auto request = std::make_shared<Request>();
  request->job = job;
  QMetaObject::invokeMethod(this, [this, request] {
    if (closing_) {
      std::lock_guard lock(request->mutex);
      request->finished = true;
      request->done.notify_all();
      return;
    }
    waiting_.push_back(request);
    pump();
  }, Qt::QueuedConnection);
  // The page's own time-out ends every render; the margin covers a GUI
  // thread that is busy when it would fire.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRenderTimeoutMs + 15000);
  std::unique_lock lock(request->mutex);
  while (!request->finished && !closing_ && std::chrono::steady_clock::now() < deadline)
    request->done.wait_for(lock, std::chrono::milliseconds(kWaitSliceMs));
  return request->finished ? request->image : QImage();
}

void QtPreviewSteps::loadingChanged(Page& page, const QWebEngineLoadingInfo& info) {
  if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) return;
  if (page.resetting) {
    if (info.url() == blankPage()) reset(page);
    return;
  }
  // A live page may be redirected; a saved one is the file it was given.
  if (!page.request || info.url() == blankPage() || (page.target.isLocalFile() && info.url() != page.target)) return;
  if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus) {
    finish(page, QImage());
    return;
  }
  QTimer::singleShot(kPaintSettleMs, this, [this, &page, request = page.request] {
    // The time-out may have ended this request, and the page taken another.
    if (page.request == request) finish(page, page.view->grab().toImage());
  });
}

void QtPreviewSteps::reset(Page& page) {
  page.resetting = false;
  page.timeout->stop();
  page.timeout->setInterval(kRenderTimeoutMs);
  if (!closing_) pump();
}

void QtPreviewSteps::pump() {
  for (auto& page : pages_) {
    if (waiting_.empty()) return;
    if (page->request || page->resetting) continue;
    std::shared_ptr<Request> request = waiting_.front();
    waiting_.pop_front();
    begin(*page, std::move(request));
  }
}

void QtPreviewSteps::begin(Page& page, std::shared_ptr<Request> request) {
  page.request = std::move(request);
  // The library's preview size, known once it is open.
  const LibrarySettings& library = session_.librarySettings();
  page.view->resize(static_cast<int>(library.previewImageWidth), static_cast<int>(library.previewImageHeight));
  const std::u16string& url = page.request->job.result.url;
  const QString address = QString::fromStdU16String(url);
  page.timeout->start();
  if (std::optional<std::string> saved = session_.savedPage(url)) {
    page.temporaryFile = QString::fromStdString((session_.libraryDirectory() /
                                                 ("tmp_render_" + std::to_string(page.request->job.documentId) + ".html"))
                                                    .string());
    QFile file(page.temporaryFile);
    if (file.open(QIODevice::WriteOnly)) {
      file.write(savedPageForDisplay(*saved, address));
      file.close();
      page.target = QUrl::fromLocalFile(page.temporaryFile);
      page.view->load(page.target);
      return;
    }
  }
  page.target = QUrl(address);
  QWebEngineHttpRequest live{page.target};
  if (session_.settings().prefetchHeader) live.setHeader("X-moz", "prefetch");
  page.view->load(live);
}

void QtPreviewSteps::finish(Page& page, QImage image) {
  page.timeout->stop();
  if (!page.temporaryFile.isEmpty()) QFile::remove(page.temporaryFile);
  page.temporaryFile.clear();
  std::shared_ptr<Request> request = std::move(page.request);
  page.request.reset();
  if (request) {
    std::lock_guard lock(request->mutex);
    request->image = std::move(image);
    request->finished = true;
    request->done.notify_all();
  }
  // The page's scripts must not run on: the view rests on a blank page
  // before it takes the next request.
  if (closing_) {
    page.view->load(blankPage());
    return;
  }
  page.resetting = true;
  page.timeout->setInterval(kResetTimeoutMs);
  page.timeout->start();
  page.view->load(blankPage());
}

QString QtPreviewSteps::previewPath(uint32_t documentId) const {
  return QString::fromStdString(session_.previewImagePathFor(documentId).string());
}

void QtPreviewSteps::Render(const PreviewJob& job) {
  if (storePreview(job)) {
    ContentPipeline* pipeline = session_.document().pipeline();
    if (pipeline && !pipeline->isClosing()) pipeline->thumbPool().add(job.result.url, kNoSearch, job, AddMode::kBounded, 0);
  }
  // Made or not, the views choose the result's picture again.
  notifyUpdated(job.result.url);
}

bool QtPreviewSteps::storePreview(const PreviewJob& job) {
  std::shared_ptr<LibraryStore> store = session_.document().library();
  if (!store || PossibleCrashMark::isSet(*store, job.documentId)) return false;
  // Held from the page's load to the stored preview.
  PossibleCrashMark mark(store, job.documentId);
  QImage image = capture(job);
  std::optional<ImageEncoder> encoder =
      encoderForMimeType(QString::fromStdU16String(session_.librarySettings().previewCodec));
  if (image.isNull() || !encoder) return false;
  const QString folder = QString::fromStdString(session_.previewFolder().string());
  const QString name = QStringLiteral("%1.%2").arg(job.documentId, 8, 16, QLatin1Char('0')).arg(encoder->extension);
  return saveImage(image, QDir(folder).filePath(name), encoder->format);
}

void QtPreviewSteps::Thumbnail(const PreviewJob& job) {
  const QString source = previewPath(job.documentId);
  const ProgramSettings& settings = session_.settings();
  // A page preview fills the tile's box; so does an image.
  const QImage thumbnail = source.isEmpty() ? QImage()
                                            : makeThumbnail(QImageReader(source).read(), static_cast<int>(settings.tileWidth),
                                                            static_cast<int>(settings.tileHeight));
  std::optional<ImageEncoder> jpeg = encoderForMimeType(QStringLiteral("image/jpeg"));
  if (!thumbnail.isNull() && jpeg)
    saveImage(thumbnail, QString::fromStdString(session_.thumbnailPathFor(job.documentId).string()), jpeg->format);
  notifyUpdated(job.result.url);
}

bool QtPreviewSteps::saveImage(const QImage& image, const QString& path, const QByteArray& format) {
  QDir().mkpath(QFileInfo(path).path());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QImageWriter writer(&file, format);
  return writer.write(image) && file.commit();
}

void QtPreviewSteps::notifyUpdated(const std::u16string& url) {
  ContentPipeline* pipeline = session_.document().pipeline();
  if (pipeline && !pipeline->isClosing()) pipeline->notifyUpdated(url);
}

}  // namespace brambel
