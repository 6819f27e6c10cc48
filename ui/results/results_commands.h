#pragma once

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;

namespace brambel {

class LibrarySession;
class ResultsView;

// The Results commands acting on the selected results. One set of actions
// serves the main menu and the results view's context menu; the view's
// single-letter keys trigger the same actions.
class ResultsCommands : public QObject {
  Q_OBJECT

 public:
  ResultsCommands(LibrarySession& session, ResultsView& view, QObject* parent = nullptr);

  // The Results items in menu order.
  void fillMenu(QMenu* menu);
  // Enables the items that apply to the current selection.
  void updateEnabled();
  // The "Send To" items, one per destination in order ("None" when empty).
  void setDestinations(const QStringList& names);
  // Runs the command of a single-letter key (R, M, P, N, I, L); false for others.
  bool triggerKey(int key);
  // Queues these results' pages for loading again (Reload, and a press on
  // a result whose page is not in the library).
  void reloadUrls(const QStringList& urls);

  QAction* openInBrowser() const { return openInBrowser_; }
  QAction* copyUrl() const { return copyUrl_; }
  QAction* reload() const { return reload_; }
  QAction* markPermanent() const { return markPermanent_; }
  QAction* unmarkPermanent() const { return unmarkPermanent_; }
  QAction* ignore() const { return ignore_; }
  QAction* unignore() const { return unignore_; }
  QAction* pin() const { return pin_; }

 signals:
  // The marks of results changed; the views repaint them.
  void marksChanged();
  void loadMoreRequested();
  // "Send To" destination `index` was chosen for the selected results.
  void sendToRequested(int index, const QStringList& urls);

 private:
  QAction* add(const QString& text, const QString& key, void (ResultsCommands::*run)());
  QStringList selected() const;
  void onOpenInBrowser();
  void onCopyUrl();
  void onReload();
  void onRemove();
  void onMarkPermanent();
  void onUnmarkPermanent();
  void onPin();
  void onReadUnread();
  void onIgnore();
  void onUnignore();
  void onLoadMore();
  void setPermanent(bool permanent);
  void setIgnored(bool ignored);

  LibrarySession& session_;
  ResultsView& view_;
  QList<QAction*> actions_;
  QAction* openInBrowser_ = nullptr;
  QAction* copyUrl_ = nullptr;
  QAction* reload_ = nullptr;
  QAction* reloadImage_ = nullptr;
  QAction* remove_ = nullptr;
  QAction* markPermanent_ = nullptr;
  QAction* unmarkPermanent_ = nullptr;
  QAction* pin_ = nullptr;
  QAction* readUnread_ = nullptr;
  QAction* ignore_ = nullptr;
  QAction* unignore_ = nullptr;
  QAction* loadMore_ = nullptr;
  QAction* tagWithSource_ = nullptr;
  QList<QAction*> sendTo_;
};

}  // namespace brambel
