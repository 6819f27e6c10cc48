#include "ui/results/results_commands.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

#include "pipeline/work_item.h"
#include "ui/bridge/library_session.h"
#include "ui/results/results_view.h"

namespace brambel {

ResultsCommands::ResultsCommands(LibrarySession& session, ResultsView& view, QObject* parent)
    : QObject(parent), session_(session), view_(view) {
  openInBrowser_ = add(tr("Open URL in Browser"), QString(), &ResultsCommands::onOpenInBrowser);
  copyUrl_ = add(tr("Copy URL"), QString(), &ResultsCommands::onCopyUrl);
  reload_ = add(tr("Reload"), QStringLiteral("R"), &ResultsCommands::onReload);
  reloadImage_ = add(tr("Reload Image"), QStringLiteral("M"), &ResultsCommands::onReload);
  remove_ = add(tr("Remove"), QString(), &ResultsCommands::onRemove);
  markPermanent_ = add(tr("Mark Permanent"), QStringLiteral("P"), &ResultsCommands::onMarkPermanent);
  unmarkPermanent_ = add(tr("Unmark Permanent"), QString(), &ResultsCommands::onUnmarkPermanent);
  pin_ = add(tr("Pin/Unpin"), QStringLiteral("N"), &ResultsCommands::onPin);
  readUnread_ = add(tr("Read/Unread"), QString(), &ResultsCommands::onReadUnread);
  ignore_ = add(tr("Ignore"), QStringLiteral("I"), &ResultsCommands::onIgnore);
  unignore_ = add(tr("Unignore"), QString(), &ResultsCommands::onUnignore);
  loadMore_ = add(tr("Load More"), QStringLiteral("L"), &ResultsCommands::onLoadMore);
  tagWithSource_ = add(tr("Tag With Source..."), QString(), nullptr);
  openInBrowser_->setObjectName(QStringLiteral("openInBrowser"));
  markPermanent_->setObjectName(QStringLiteral("markPermanent"));
  unmarkPermanent_->setObjectName(QStringLiteral("unmarkPermanent"));
  ignore_->setObjectName(QStringLiteral("ignore"));
  unignore_->setObjectName(QStringLiteral("unignore"));
  reload_->setObjectName(QStringLiteral("reload"));
  loadMore_->setObjectName(QStringLiteral("loadMore"));
}

QAction* ResultsCommands::add(const QString& text, const QString& key, void (ResultsCommands::*run)()) {
  // The letter is shown as a hint only: the view's key handler runs it, so
  // typing in the search box never triggers a command.
  auto* action = new QAction(key.isEmpty() ? text : text + QLatin1Char('\t') + key, this);
  if (run) connect(action, &QAction::triggered, this, run);
  actions_.append(action);
  return action;
}

void ResultsCommands::fillMenu(QMenu* menu) {
  for (QAction* action : actions_) {
    menu->addAction(action);
    if (action == loadMore_) {
      QMenu* sendTo = menu->addMenu(tr("Send To"));
      sendTo->setObjectName(QStringLiteral("sendTo"));
      if (sendTo_.isEmpty()) sendTo->addAction(tr("None"))->setEnabled(false);
      sendTo->addActions(sendTo_);
    }
  }
}

void ResultsCommands::setDestinations(const QStringList& names) {
  qDeleteAll(sendTo_);
  sendTo_.clear();
  for (int index = 0; index < names.size(); ++index) {
    auto* action = new QAction(names[index], this);
    connect(action, &QAction::triggered, this, [this, index] {
      if (!selected().isEmpty()) emit sendToRequested(index, selected());
    });
    sendTo_.append(action);
  }
}

QStringList ResultsCommands::selected() const { return view_.selectedUrls(); }

void ResultsCommands::updateEnabled() {
  bool anyPermanent = false, anyNotPermanent = false, anyIgnored = false, anyNotIgnored = false;
  const QStringList urls = selected();
  for (const QString& url : urls) {
    UrlMarks marks = session_.marksOf(url.toStdU16String());
    (marks.isPermanent() ? anyPermanent : anyNotPermanent) = true;
    (marks.isIgnored() ? anyIgnored : anyNotIgnored) = true;
  }
  const bool any = !urls.isEmpty();
  const bool writable = !session_.isReadOnly();
  openInBrowser_->setEnabled(any);
  copyUrl_->setEnabled(any);
  // Reloading asks the content pipeline, which only a writable library runs.
  const bool reloadable = any && session_.document().pipeline() != nullptr;
  reload_->setEnabled(reloadable);
  reloadImage_->setEnabled(reloadable);
  remove_->setEnabled(any);
  markPermanent_->setEnabled(writable && anyNotPermanent);
  unmarkPermanent_->setEnabled(writable && anyPermanent);
  pin_->setEnabled(any);
  readUnread_->setEnabled(writable && any);
  ignore_->setEnabled(writable && anyNotIgnored);
  unignore_->setEnabled(writable && anyIgnored);
  loadMore_->setEnabled(session_.mode() == SearchMode::kLoad && !session_.terms().empty());
  tagWithSource_->setEnabled(false);
  for (QAction* send : sendTo_) send->setEnabled(any);
}

bool ResultsCommands::triggerKey(int key) {
  QAction* action = nullptr;
  switch (key) {
    case Qt::Key_R: action = reload_; break;
    case Qt::Key_M: action = reloadImage_; break;
    case Qt::Key_P: action = markPermanent_; break;
    case Qt::Key_N: action = pin_; break;
    case Qt::Key_I: action = ignore_; break;
    case Qt::Key_L: action = loadMore_; break;
    default: return false;
  }
  updateEnabled();
  if (action->isEnabled()) action->trigger();
  return true;
}

void ResultsCommands::onOpenInBrowser() {
  for (const QString& url : selected()) QDesktopServices::openUrl(QUrl(url));
}

void ResultsCommands::onCopyUrl() { view_.copySelection(); }

void ResultsCommands::onReload() { reloadUrls(selected()); }

void ResultsCommands::reloadUrls(const QStringList& urls) {
  ContentPipeline* pipeline = session_.document().pipeline();
  if (!pipeline) return;
  for (const DisplayedResult& shown : session_.displayedResults()) {
    if (!urls.contains(QString::fromStdU16String(shown.record.url))) continue;
    // Not tied to the current search: a new search does not drop it.
    ContentRequest request;
    request.result = shown.record;
    request.sourceIds = shown.record.sources;
    pipeline->AddLoad(shown.record.url, kNoSearch, std::move(request), EnqueueMode::kNeverWait, 0);
  }
}

void ResultsCommands::onRemove() {
  for (const QString& url : selected()) session_.RemoveResult(url.toStdU16String());
  emit marksChanged();
}

void ResultsCommands::setPermanent(bool permanent) {
  for (const QString& url : selected()) session_.SetPermanent(url.toStdU16String(), permanent);
  emit marksChanged();
}

void ResultsCommands::setIgnored(bool ignored) {
  for (const QString& url : selected()) session_.SetIgnored(url.toStdU16String(), ignored);
  emit marksChanged();
}

void ResultsCommands::onMarkPermanent() { setPermanent(true); }
void ResultsCommands::onUnmarkPermanent() { setPermanent(false); }
void ResultsCommands::onIgnore() { setIgnored(true); }
void ResultsCommands::onUnignore() { setIgnored(false); }

void ResultsCommands::onPin() {
  for (const QString& url : selected()) session_.TogglePinned(url.toStdU16String());
  emit marksChanged();
}

void ResultsCommands::onReadUnread() {
  for (const QString& url : selected()) {
    UrlMarks marks = session_.marksOf(url.toStdU16String());
    session_.SetRead(url.toStdU16String(), marks.clickDate == 0 && marks.hoverDate == 0);
  }
  emit marksChanged();
}

void ResultsCommands::onLoadMore() { emit loadMoreRequested(); }

}  // namespace brambel
