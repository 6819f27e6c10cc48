#include "ui/preview/preview_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryFile>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "ui/bridge/library_session.h"
#include "ui/render/saved_page_html.h"
#include "ui/bridge/prompter.h"
#include "ui/main/window_placement.h"
#include "ui/preview/page_scripts.h"
#include "ui/preview/preview_page.h"
#include "ui/preview/request_interceptor.h"

namespace brambel {
PreviewWindow::PreviewWindow(LibrarySession& session, DesktopPrompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), prompter_(prompter) {
  setObjectName(QStringLiteral("previewWindow"));
  setWindowTitle(tr("Preview"));
  profile_ = new QWebEngineProfile(this);  // off the record
  interceptor_ = new RequestInterceptor(this);
  NavigationPolicy policy([this](const QUrl& url) { return session_.holdsPage(url.toString().toStdU16String()); });
  page_ = new PreviewPage(profile_, std::move(policy), this);
  page_->setUrlRequestInterceptor(interceptor_);
  view_ = new QWebEngineView(this);
  view_->setPage(page_);

  findBar_ = new QWidget(this);
  findText_ = new QLineEdit(findBar_);
  findText_->setObjectName(QStringLiteral("findText"));
  findText_->setPlaceholderText(tr("Find in page"));
  auto* next = new QPushButton(tr("Find Next"), findBar_);
  findStatus_ = new QLabel(findBar_);
  findStatus_->setObjectName(QStringLiteral("findStatus"));
  highlightBox_ = new QCheckBox(tr("Highlight Terms"), findBar_);
  highlightBox_->setObjectName(QStringLiteral("highlightTerms"));
  auto* barLayout = new QHBoxLayout(findBar_);
  barLayout->setContentsMargins(4, 2, 4, 2);
  barLayout->addWidget(findText_, 1);
  barLayout->addWidget(next);
  barLayout->addWidget(findStatus_);
  barLayout->addStretch();
  barLayout->addWidget(highlightBox_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 1);
  layout->addWidget(findBar_);

  connect(findText_, &QLineEdit::returnPressed, this, [this] { findNext(findText_->text()); });
  connect(next, &QPushButton::clicked, this, [this] { findNext(findText_->text()); });
  connect(highlightBox_, &QCheckBox::toggled, this, &PreviewWindow::setHighlighting);
  connect(view_, &QWebEngineView::loadFinished, this, &PreviewWindow::loadFinished);
  connect(page_, &PreviewPage::libraryCopyRequested, this,
          [this](const QUrl& url) { showResult(url.toString(), terms_, true); });
  connect(page_, &PreviewPage::pinRequested, this, [this](const QUrl& url) {
    if (prompter_.Confirm(this, QStringLiteral("minibrowserPin"), tr("Are you sure you want to pin this url?")) &&
        !session_.isPinned(url.toString().toStdU16String()))
      session_.TogglePinned(url.toString().toStdU16String());
  });
  connect(page_, &PreviewPage::javascriptRefused, this, [this] {
    if (isVisible())
      prompter_.Notify(this, QStringLiteral("minibrowserJavascript"),
                       tr("An attempt to execute javascript was detected. The minibrowser does not support "
                          "javascript."));
  });
  highlighting_ = session_.settings().termHighlighting != 0;
  highlightBox_->setChecked(highlighting_);
  applySettings();
}

PreviewWindow::~PreviewWindow() {
  // The page must go before its profile.
  delete view_;
  delete page_;
  removeTemporaryFile();
}

void PreviewWindow::applySettings() {
  const ProgramSettings& settings = session_.settings();
  QWebEngineSettings* web = page_->settings();
  web->setAttribute(QWebEngineSettings::JavascriptEnabled, settings.miniScripts);
  web->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  web->setAttribute(QWebEngineSettings::PluginsEnabled, settings.miniActiveX);
  web->setAttribute(QWebEngineSettings::AutoLoadImages, settings.allowRawImages);
  web->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, settings.allowRawImages);
  web->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  interceptor_->setNetworkAllowed(settings.allowRawImages && !session_.isPortable());
}

void PreviewWindow::removeTemporaryFile() {
  if (!temporaryFile_.isEmpty()) QFile::remove(temporaryFile_);
  temporaryFile_.clear();
}

void PreviewWindow::showResult(const QString& url, const QStringList& terms, bool savedOnly, bool quietly) {
  terms_ = terms;
  std::optional<std::string> saved = session_.savedPage(url.toStdU16String());
  if (!saved && savedOnly) return;
  currentUrl_ = url;
  findEnd_ = 0;
  lastFind_.clear();
  removeTemporaryFile();
  page_->expectProgramLoad();
  if (saved) {
    QTemporaryFile file(QString::fromStdString((session_.libraryDirectory() / "tmpXXXXXX.html").string()));
    file.setAutoRemove(false);
    if (file.open()) {
      file.write(savedPageForDisplay(*saved, url));
      temporaryFile_ = file.fileName();
      file.close();
      view_->load(QUrl::fromLocalFile(temporaryFile_));
    }
  } else {
    view_->load(QUrl(url));
  }
  setWindowTitle(url);
  if (!placed_) {
    const ProgramSettings& settings = session_.settings();
    const QRect available = screen()->availableGeometry();
    QRect fallback(available.topLeft() + QPoint(40, 40),
                   QSize(static_cast<int>(settings.previewWindowWidth), static_cast<int>(settings.previewWindowHeight)));
    setGeometry(initialWindowRect(settings.previewPosition, fallback, available, 0));
    placed_ = true;
  }
  if (quietly) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
  } else {
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    show();
    raise();
    activateWindow();
  }
}

void PreviewWindow::loadFinished(bool ok) {
  unsetCursor();
  if (session_.settings().miniScripts)
    page_->runJavaScript(scriptErrorGuardScript(), QWebEngineScript::ApplicationWorld);
  if (highlighting_) highlightTerms();
  if (findPending_) findNext(lastFind_);
  emit pageLoaded(currentUrl_);
}

void PreviewWindow::highlightTerms() {
  page_->runJavaScript(highlightScript(terms_), QWebEngineScript::ApplicationWorld, [this](const QVariant& spans) {
    emit highlighted(spans.toInt());
  });
}

void PreviewWindow::setHighlighting(bool on) {
  if (on == highlighting_) return;
  highlighting_ = on;
  highlightBox_->setChecked(on);
  session_.settings().termHighlighting = on ? 64 : 0;
  if (on) highlightTerms();
  else page_->runJavaScript(removeHighlightScript(), QWebEngineScript::ApplicationWorld);
}

void PreviewWindow::findNext(const QString& text) {
  if (text.isEmpty()) {
    findStatus_->clear();
    return;
  }
  if (text != lastFind_) findEnd_ = 0;
  lastFind_ = text;
  findPending_ = false;
  page_->runJavaScript(findScript(text, findEnd_, true), QWebEngineScript::ApplicationWorld,
                       [this](const QVariant& value) {
                         const QVariantList answer = value.toList();
                         const int status = answer.value(0).toInt();
                         findEnd_ = answer.value(1).toInt();
                         const QString report = status == 1   ? tr("Found")
                                                : status == 2 ? tr("Search Wrapped")
                                                              : tr("Not Found");
                         findStatus_->setText(report);
                         emit findReported(report);
                       });
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Find)) {
    findBar_->show();
    findText_->setFocus();
    findText_->selectAll();
    return;
  }
  QWidget::keyPressEvent(event);
}

void PreviewWindow::saveGeometryToSettings() {
  if (!placed_) return;
  session_.settings().previewPosition = storedWindowRect(normalGeometry());
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
  saveGeometryToSettings();
  page_->expectProgramLoad();
  view_->load(QUrl(QStringLiteral("about:blank")));
  removeTemporaryFile();
  QWidget::closeEvent(event);
}

}  // namespace brambel
