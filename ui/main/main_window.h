#pragma once

#include <QMainWindow>
#include <QPointer>

class QActionGroup;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QSplitter;

namespace brambel {

class CategoryCommands;
class DebugStatisticsWindow;
class DestinationCommands;
class LibrarySession;
class MenuCommands;
class PreviewWindow;
class DesktopPrompter;
class ResultsCommands;
class ResultsView;
class SearchBar;
class SessionEvents;

// What changed, as the views are told (with an extra value for some).
enum class ViewHint { ModeOrResults = 1025, ViewMode = 1028, SortOrder = 1036, Activation = 1040 };

// The main window: the search bar, the results and the sponsored links on a
// vertical splitter, the menus, and a status bar showing the work in hand.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Places the window from `mainPosition` (or the default, at most 800 wide).
  void placeWindow();
  // Sizes the splitter rows for the current height.
  void applyFrameLayout();
  // Stores the window rectangle and the settings; the shutdown's last step.
  void saveWindowState();

  SearchBar* searchBar() const { return searchBar_; }
  ResultsView* resultsView() const { return results_; }
  PreviewWindow* previewWindow() const { return preview_; }
  QSplitter* splitter() const { return splitter_; }
  ResultsCommands* commands() const { return commands_; }
  CategoryCommands* categoryCommands() const { return categoryCommands_; }
  DestinationCommands* destinationCommands() const { return destinationCommands_; }
  MenuCommands* menuCommands() const { return menuCommands_; }

  void setSearchMode(int mode);
  void setSortOrder(int order);
  void setViewMode(int mode);
  void stepFontSize(bool larger);
  void stepThumbnailSize(bool larger);
  void startSearch(const QString& terms);
  void showPreferences();
  void showPreviewPreferences();
  void showLibrarySettings();
  void showDebugStatistics();

 signals:
  void viewsNotified(int hint, int extra);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildMenus();
  void buildStatusBar();
  void notifyViews(ViewHint hint, int extra = 0);
  void resultsArrived();
  void updateStatus();
  void updateTitle();
  void refreshSponsors();
  void openPreview(const QString& url, bool minibrowser, bool quietly);
  QStringList searchTerms() const;
  void settingsChanged();
  // The settings dialogs wrote new settings: the windows show them.
  void settingsApplied();
  QAction* unavailable(QMenu* menu, const QString& text, const QKeySequence& keys = {});

  LibrarySession& session_;
  SessionEvents& events_;
  DesktopPrompter& prompter_;
  QSplitter* splitter_;
  SearchBar* searchBar_;
  ResultsView* results_;
  QListWidget* sponsors_;
  ResultsCommands* commands_;
  CategoryCommands* categoryCommands_;
  DestinationCommands* destinationCommands_;
  MenuCommands* menuCommands_;
  PreviewWindow* preview_ = nullptr;
  QPointer<DebugStatisticsWindow> debugStatistics_;
  QActionGroup* sortGroup_ = nullptr;
  QActionGroup* viewGroup_ = nullptr;
  QLabel* statusText_;
  QProgressBar* progress_;
  bool shutDown_ = false;
};

}  // namespace brambel
