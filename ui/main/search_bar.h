#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QTabBar;

namespace brambel {

class LibrarySession;
class DesktopPrompter;

// The band above the results: category tabs (with result counts and a menu
// each), the terms box with its history, Load, the three mode buttons,
// Clear in the recent-results mode, and the "Click For More Results" label.
class SearchBar : public QWidget {
  Q_OBJECT

 public:
  SearchBar(LibrarySession& session, DesktopPrompter& prompter, QWidget* parent = nullptr);

  // Tabs, counts, history, mode buttons and labels again from the session.
  void refresh();
  void refreshCounts();
  void setMoreResultsShown(bool shown);
  QString terms() const;
  QComboBox* termsBox() const { return terms_; }

 signals:
  void searchRequested(const QString& terms, Qt::KeyboardModifiers modifiers);
  void modeSelected(int mode);
  void categorySelected(int index);
  void editCategoryRequested(int index);
  void addFeedRequested(int index);
  void clearRequested();
  void moreRequested();

 private:
  void historyChosen(int index);
  void rebuildTabs();

  LibrarySession& session_;
  DesktopPrompter& prompter_;
  QTabBar* tabs_;
  QComboBox* terms_;
  QPushButton* load_;
  QButtonGroup* modes_;
  QPushButton* clear_;
  QLabel* countCaption_;  // "12 entries found in library" after a library search
  QLabel* more_;
  QString previousText_;
  bool rebuilding_ = false;
};

}  // namespace brambel
