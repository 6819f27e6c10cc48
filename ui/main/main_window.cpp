#include "ui/main/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>

#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"
#include "ui/commands/desktop_command_host.h"
#include "ui/commands/help_commands.h"
#include "ui/commands/menu_commands.h"
#include "ui/commands/result_file_commands.h"
#include "ui/commands/source_category.h"
#include "ui/dialogs/category_commands.h"
#include "ui/dialogs/debug_statistics_window.h"
#include "ui/dialogs/destination_commands.h"
#include "ui/dialogs/library_settings_dialog.h"
#include "ui/dialogs/preferences_dialog.h"
#include "ui/dialogs/preview_preferences_dialog.h"
#include "ui/main/frame_layout.h"
#include "ui/main/process_priority.h"
#include "ui/main/search_bar.h"
#include "ui/main/view_sizing.h"
#include "ui/main/window_placement.h"
#include "ui/preview/preview_window.h"
#include "ui/results/results_commands.h"
#include "ui/results/results_view.h"

namespace brambel {
namespace {

constexpr int kMaxDefaultWidth = 800;

struct SortItem {
  const char* text;
  int order;
};
constexpr SortItem kSortItems[] = {{"By Score", 0},
                                   {"By Content Date", 1},
                                   {"By Load Date", 2},
                                   {"By Last Viewed (read)", 6},
                                   {"By Last Viewed (unread)", 5}};

}  // namespace

MainWindow::MainWindow(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter, QWidget* parent)
    : QMainWindow(parent), session_(session), events_(events), prompter_(prompter) {
  setObjectName(QStringLiteral("mainWindow"));
  splitter_ = new QSplitter(Qt::Vertical, this);
  splitter_->setObjectName(QStringLiteral("frameSplitter"));
  splitter_->setChildrenCollapsible(false);
  searchBar_ = new SearchBar(session_, prompter_, splitter_);
  results_ = new ResultsView(session_, prompter_, splitter_);
  sponsors_ = new QListWidget(splitter_);
  sponsors_->setObjectName(QStringLiteral("sponsors"));
  sponsors_->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* clearSponsors = new QAction(tr("Clear Sponsors"), sponsors_);
  sponsors_->addAction(clearSponsors);
  sponsors_->setVisible(session_.settings().showSponsors);
  splitter_->addWidget(searchBar_);
  splitter_->addWidget(results_);
  splitter_->addWidget(sponsors_);
  setCentralWidget(splitter_);

  commands_ = new ResultsCommands(session_, *results_, this);
  results_->setCommands(commands_);
  results_->setThumbnailLookup([this](const QString& url) {
    return QString::fromStdString(session_.thumbnailPath(url.toStdU16String()).string());
  });
  results_->setViewMode(ViewMode::Tiles);
  categoryCommands_ = new CategoryCommands(session_, prompter_, this);
  destinationCommands_ =
      new DestinationCommands(session_, prompter_, this, programSettingsFile(session_.isPortable()).path);
  commands_->setDestinations(destinationCommands_->names());
  menuCommands_ = new MenuCommands(session_, events_, prompter_, *this);
  connect(menuCommands_, &MenuCommands::viewsChanged, this, [this] { notifyViews(ViewHint::ModeOrResults); });

  // The window opens ready to load from the internet.
  if (session_.mode() != SearchMode::kLoad) session_.SetMode(SearchMode::kLoad);
  buildMenus();
  buildStatusBar();
  updateTitle();

  connect(clearSponsors, &QAction::triggered, this, [this] {
    session_.ClearSponsors();
    refreshSponsors();
  });
  connect(&events_, &SessionEvents::resultsChanged, this, &MainWindow::resultsArrived);
  connect(&events_, &SessionEvents::sourceFinished, this, &MainWindow::updateStatus);
  connect(&events_, &SessionEvents::sponsorsChanged, this, &MainWindow::refreshSponsors);
  connect(&events_, &SessionEvents::displayedResultsChanged, this, [this] {
    results_->refresh();
    updateStatus();
  });
  connect(&events_, &SessionEvents::marksChanged, results_, &ResultsView::refresh);
  connect(&events_, &SessionEvents::resultsUpdated, this, [this](const QStringList& urls) {
    results_->thumbnailsChanged(urls);
    updateStatus();
  });
  connect(&events_, &SessionEvents::contentProgress, this, &MainWindow::updateStatus);
  connect(&events_, &SessionEvents::historyChanged, searchBar_, &SearchBar::refresh);
  connect(&events_, &SessionEvents::categoriesChanged, searchBar_, &SearchBar::refresh);
  connect(&events_, &SessionEvents::categoryCountsChanged, searchBar_, &SearchBar::refreshCounts);
  connect(&events_, &SessionEvents::resultModeChanged, searchBar_, &SearchBar::refresh);
  connect(&events_, &SessionEvents::libraryChanged, this, &MainWindow::updateTitle);
  connect(&events_, &SessionEvents::debugWindowRequested, this, &MainWindow::showDebugStatistics);
  connect(&menuCommands_->host(), &DesktopCommandHost::debugWindowRequested, this, &MainWindow::showDebugStatistics);
  connect(searchBar_, &SearchBar::searchRequested, this, [this](const QString& terms) { startSearch(terms); });
  connect(searchBar_, &SearchBar::modeSelected, this, &MainWindow::setSearchMode);
  connect(searchBar_, &SearchBar::categorySelected, this, [this](int index) {
    session_.SelectCategory(index);
    notifyViews(ViewHint::ModeOrResults);
  });
  connect(searchBar_, &SearchBar::clearRequested, this, [this] {
    session_.ClearResults();
    notifyViews(ViewHint::ModeOrResults);
  });
  connect(searchBar_, &SearchBar::moreRequested, this, [this] {
    session_.LoadMore();
    searchBar_->setMoreResultsShown(false);
    updateStatus();
  });
  connect(commands_, &ResultsCommands::marksChanged, results_, &ResultsView::refresh);
  connect(searchBar_, &SearchBar::editCategoryRequested, categoryCommands_, &CategoryCommands::editCategories);
  connect(searchBar_, &SearchBar::addFeedRequested, categoryCommands_, &CategoryCommands::addFeed);
  connect(commands_, &ResultsCommands::sendToRequested, destinationCommands_, &DestinationCommands::sendTo);
  connect(destinationCommands_, &DestinationCommands::progress, this,
          [this](const QString& text) { statusBar()->showMessage(text, 5000); });
  connect(commands_, &ResultsCommands::loadMoreRequested, searchBar_, &SearchBar::moreRequested);
  connect(results_, &ResultsView::openRequested, this,
          [this](const QString& url, bool minibrowser) { openPreview(url, minibrowser, false); });
  connect(results_, &ResultsView::hoverPreviewRequested, this,
          [this](const QString& url) { openPreview(url, false, true); });
  connect(results_, &ResultsView::preloadRequested, this, [this](const QString& url) { openPreview(url, true, true); });
  connect(results_, &ResultsView::thumbnailSizeStep, this, &MainWindow::stepThumbnailSize);
  connect(results_, &ResultsView::fontSizeStep, this, &MainWindow::stepFontSize);
  connect(results_, &ResultsView::reloadRequested, commands_,
          [this](const QString& url) { commands_->reloadUrls({url}); });
  connect(results_, &ResultsView::sourceRequested, this, [this](const QString& sourceId, bool settingsDialog) {
    if (settingsDialog)
      categoryCommands_->editSource(sourceId);
    else if (showSourceCategory(session_, sourceId.toStdU16String()))
      notifyViews(ViewHint::ModeOrResults);
  });
  connect(results_, &ResultsView::urlSearchRequested, this, [this](const QString& url) {
    session_.SetMode(SearchMode::kPermanent);
    startSearch(url);
  });
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::unavailable(QMenu* menu, const QString& text, const QKeySequence& keys) {
  QAction* action = menu->addAction(text);
  action->setShortcut(keys);
  action->setEnabled(false);
  return action;
}

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  auto openLibrary = [this](bool create) {
    const QString directory = QFileDialog::getExistingDirectory(
        this, create ? tr("New Library") : tr("Open Library"),
        QString::fromStdString(session_.libraryDirectory().parent_path().string()),
        create ? QFileDialog::ShowDirsOnly : QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (directory.isEmpty()) return;
    // One library per process: the other library opens in a process of its own.
    QStringList arguments{QStringLiteral("--library"), directory};
    if (session_.isPortable()) arguments.append(QStringLiteral("--portable"));
    if (QProcess::startDetached(QApplication::applicationFilePath(), arguments)) close();
  };
  file->addAction(tr("&New..."), QKeySequence(Qt::CTRL | Qt::Key_N), this, [openLibrary] { openLibrary(true); });
  file->addAction(tr("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O), this, [openLibrary] { openLibrary(false); });
  file->addAction(tr("Optimize..."), menuCommands_, &MenuCommands::optimize)->setObjectName(QStringLiteral("optimize"));
  file->addSeparator();
  file->addAction(tr("&Batch Load"), menuCommands_, &MenuCommands::batchLoad)->setObjectName(QStringLiteral("batchLoad"));
  file->addAction(tr("Restore Last Batch"), menuCommands_, &MenuCommands::restoreBatch)
      ->setObjectName(QStringLiteral("restoreBatch"));
  file->addSeparator();
  file->addAction(tr("Library Settings..."), this, &MainWindow::showLibrarySettings);
  file->addAction(tr("Add Rss/Atom Feed..."), this, [this] { categoryCommands_->addFeed(session_.currentCategory()); });
  file->addAction(tr("Categories..."), this, [this] { categoryCommands_->editCategories(-1); });
  file->addAction(tr("Load Categories From URL..."), categoryCommands_, qOverload<>(&CategoryCommands::loadFromUrl));
  file->addAction(tr("Load Categories From File..."), categoryCommands_, qOverload<>(&CategoryCommands::loadFromFile));
  file->addAction(tr("Save Categories..."), categoryCommands_, qOverload<>(&CategoryCommands::saveCategories));
  file->addSeparator();
  file->addAction(tr("Prefe&rences..."), this, &MainWindow::showPreferences);
  file->addAction(tr("Previe&w Preferences..."), this, &MainWindow::showPreviewPreferences);
  file->addAction(tr("Destinations..."), destinationCommands_, &DestinationCommands::configure);
  file->addSeparator();
  QAction* exit = file->addAction(tr("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);
  exit->setObjectName(QStringLiteral("exit"));

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  QLineEdit* box = searchBar_->termsBox()->lineEdit();
  edit->addAction(tr("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), box, &QLineEdit::undo);
  edit->addSeparator();
  edit->addAction(tr("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), box, &QLineEdit::cut);
  edit->addAction(tr("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), this, [this, box] {
    if (results_->hasFocus()) results_->copySelection();
    else box->copy();
  });
  edit->addAction(tr("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), box, &QLineEdit::paste);
  edit->addAction(tr("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A), this, [this, box] {
    if (results_->hasFocus()) results_->selectAllResults();
    else box->selectAll();
  });

  QMenu* view = menuBar()->addMenu(tr("&View"));
  sortGroup_ = new QActionGroup(this);
  for (const SortItem& item : kSortItems) {
    QAction* action = view->addAction(tr(item.text));
    action->setCheckable(true);
    action->setChecked(item.order == session_.sortOrder());
    action->setData(item.order);
    sortGroup_->addAction(action);
    connect(action, &QAction::triggered, this, [this, order = item.order] { setSortOrder(order); });
  }
  view->addSeparator();
  view->addAction(tr("Slideshow"), QKeySequence(Qt::CTRL | Qt::Key_S), menuCommands_, &MenuCommands::showSlideshow)
      ->setObjectName(QStringLiteral("slideshow"));
  view->addSeparator();
  viewGroup_ = new QActionGroup(this);
  QAction* tiles = view->addAction(tr("Tiles"), QKeySequence(Qt::CTRL | Qt::Key_T), this, [this] { setViewMode(1); });
  QAction* list = view->addAction(tr("List"), QKeySequence(Qt::CTRL | Qt::Key_L), this, [this] { setViewMode(0); });
  tiles->setObjectName(QStringLiteral("viewTiles"));
  list->setObjectName(QStringLiteral("viewList"));
  for (QAction* action : {tiles, list}) {
    action->setCheckable(true);
    viewGroup_->addAction(action);
  }
  tiles->setChecked(true);
  view->addSeparator();
  QAction* larger = view->addAction(tr("Increase Font Size"), this, [this] { stepFontSize(true); });
  larger->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  QAction* smaller = view->addAction(tr("Decrease Font Size"), this, [this] { stepFontSize(false); });
  smaller->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
  // "+" and "-" reach the results view's key handler; the menu shows them as hints.
  view->addAction(tr("Increase Thumbnail Size") + QStringLiteral("\t+"), this, [this] { stepThumbnailSize(true); });
  view->addAction(tr("Decrease Thumbnail Size") + QStringLiteral("\t-"), this, [this] { stepThumbnailSize(false); });
  view->addSeparator();
  QAction* sponsorsShown = view->addAction(tr("Sponsored Links"));
  sponsorsShown->setObjectName(QStringLiteral("sponsorsShown"));
  sponsorsShown->setCheckable(true);
  sponsorsShown->setChecked(session_.settings().showSponsors);
  connect(sponsorsShown, &QAction::toggled, this, [this](bool on) {
    session_.settings().showSponsors = on;
    session_.SaveSettings();
    sponsors_->setVisible(on);
    QTimer::singleShot(0, this, &MainWindow::applyFrameLayout);
  });

  QMenu* resultsMenu = menuBar()->addMenu(tr("&Results"));
  resultsMenu->addAction(tr("Load Results..."), &menuCommands_->resultFiles(), &ResultFileCommands::load)
      ->setObjectName(QStringLiteral("loadResults"));
  resultsMenu->addAction(tr("Save Results..."), &menuCommands_->resultFiles(), &ResultFileCommands::save)
      ->setObjectName(QStringLiteral("saveResults"));
  resultsMenu->addSeparator();
  commands_->fillMenu(resultsMenu);
  connect(resultsMenu, &QMenu::aboutToShow, commands_, &ResultsCommands::updateEnabled);

  QMenu* saved = menuBar()->addMenu(tr("&Saved Terms"));
  saved->setObjectName(QStringLiteral("savedTermsMenu"));
  menuCommands_->attachSavedTerms(saved);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(tr("Check For Updates"), &menuCommands_->help(), &HelpCommands::checkForUpdates)
      ->setObjectName(QStringLiteral("checkForUpdates"));
  help->addAction(tr("Uninstall..."), &menuCommands_->help(), &HelpCommands::uninstall)
      ->setObjectName(QStringLiteral("uninstall"));
  help->addSeparator();
  help->addAction(tr("&About Brambel..."), this, [this] {
    QMessageBox::about(this, tr("About Brambel"),
                       tr("Brambel %1\nA research tool: meta-search with a personal library.")
                           .arg(QApplication::applicationVersion()));
  });

  // Search modes: Ctrl+1..4 and Alt+1..4.
  for (int mode = 0; mode < 4; ++mode) {
    auto* action = new QAction(this);
    const auto key = static_cast<Qt::Key>(Qt::Key_1 + mode);
    action->setShortcuts({QKeySequence(Qt::CTRL | key), QKeySequence(Qt::ALT | key)});
    action->setObjectName(QStringLiteral("searchMode%1").arg(mode));
    connect(action, &QAction::triggered, this, [this, mode] { setSearchMode(mode); });
    addAction(action);
  }
}

void MainWindow::buildStatusBar() {
  statusText_ = new QLabel(this);
  statusText_->setObjectName(QStringLiteral("statusText"));
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setMaximumWidth(160);
  progress_->setRange(0, 0);
  progress_->hide();
  statusBar()->addWidget(statusText_, 1);
  statusBar()->addPermanentWidget(progress_);
  updateStatus();
}

void MainWindow::updateTitle() { setWindowTitle(QString::fromStdU16String(session_.title())); }

void MainWindow::placeWindow() {
  const QRect available = screen()->availableGeometry();
  const QRect fallback(available.topLeft() + QPoint(available.width() / 10, available.height() / 10),
                       available.size() * 8 / 10);
  setGeometry(initialWindowRect(session_.settings().mainPosition, fallback, available, kMaxDefaultWidth));
}

void MainWindow::applyFrameLayout() {
  // The last row shown takes what the rows above it leave.
  const int height = splitter_->height() - splitter_->handleWidth() * (sponsors_->isVisible() ? 2 : 1);
  const FrameRows rows = frameRows(height, sponsors_->isVisible());
  if (sponsors_->isVisible())
    splitter_->setSizes({rows.searchBar, rows.results, std::max(0, height - rows.searchBar - rows.results)});
  else
    splitter_->setSizes({rows.searchBar, std::max(0, height - rows.searchBar), 0});
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  applyFrameLayout();
}

void MainWindow::notifyViews(ViewHint hint, int extra) {
  switch (hint) {
    case ViewHint::ModeOrResults:
      searchBar_->refresh();
      results_->refresh();
      updateStatus();
      break;
    case ViewHint::ViewMode:
    case ViewHint::SortOrder:
      results_->refresh();
      break;
    case ViewHint::Activation: break;
  }
  emit viewsNotified(static_cast<int>(hint), extra);
}

QStringList MainWindow::searchTerms() const {
  return QString::fromStdU16String(session_.terms()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void MainWindow::startSearch(const QString& terms) {
  session_.RunSearch(terms.trimmed().toStdU16String());
  searchBar_->setMoreResultsShown(false);
  notifyViews(ViewHint::ModeOrResults);
}

void MainWindow::setSearchMode(int mode) {
  session_.SetMode(static_cast<SearchMode>(mode));
  notifyViews(ViewHint::ModeOrResults);
}

void MainWindow::setSortOrder(int order) {
  session_.SetSortOrder(order);
  for (QAction* action : sortGroup_->actions()) action->setChecked(action->data().toInt() == order);
  notifyViews(ViewHint::SortOrder, order);
}

void MainWindow::setViewMode(int mode) {
  results_->setViewMode(mode == 1 ? ViewMode::Tiles : ViewMode::List);
  viewGroup_->actions().at(mode == 1 ? 0 : 1)->setChecked(true);
  notifyViews(ViewHint::ViewMode);
}

void MainWindow::settingsChanged() {
  session_.SaveSettings();
  results_->relayout();
}

void MainWindow::stepFontSize(bool larger) {
  larger ? increaseFontScale(session_.settings(), results_->viewMode())
         : decreaseFontScale(session_.settings(), results_->viewMode());
  settingsChanged();
}

void MainWindow::stepThumbnailSize(bool larger) {
  larger ? increaseThumbnailSize(session_.settings(), results_->viewMode())
         : decreaseThumbnailSize(session_.settings(), results_->viewMode());
  settingsChanged();
}

void MainWindow::resultsArrived() {
  searchBar_->refreshCounts();
  refreshSponsors();
  updateStatus();
}

void MainWindow::updateStatus() {
  const int running = session_.searchRun().runningSourceCount();
  const int shown = results_->count();
  QString text = tr("%n result(s)", nullptr, shown);
  if (running > 0) text += QStringLiteral(" · ") + tr("%n source(s) searching", nullptr, running);
  const size_t failed = session_.searchRun().FailedSources().size();
  if (failed > 0) text += QStringLiteral(" · ") + tr("%n source(s) failed", nullptr, static_cast<int>(failed));
  bool contentBusy = false;
  if (ContentPipeline* pipeline = session_.document().pipeline()) {
    QStringList pools;
    for (const PoolStatistics& pool : pipeline->statistics()) {
      if (pool.queued == 0 && pool.processing == 0) continue;
      pools.append(tr("%1 %2/%3").arg(QString::fromStdString(pool.name)).arg(pool.processing).arg(pool.queued));
      contentBusy = true;
    }
    if (!pools.isEmpty()) text += QStringLiteral(" · ") + tr("pages (working/queued): ") + pools.join(QStringLiteral(", "));
  }
  statusText_->setText(text);
  progress_->setVisible(running > 0 || contentBusy);
  searchBar_->setMoreResultsShown(running == 0 && shown > 0 && session_.mode() == SearchMode::kLoad &&
                                  !session_.terms().empty());
}

void MainWindow::refreshSponsors() {
  sponsors_->clear();
  for (const SourceResult& sponsor : session_.sponsors()) {
    auto* item = new QListWidgetItem(QString::fromStdU16String(sponsor.title.empty() ? sponsor.url : sponsor.title));
    item->setToolTip(QString::fromStdU16String(sponsor.url));
    sponsors_->addItem(item);
  }
}

void MainWindow::openPreview(const QString& url, bool minibrowser, bool quietly) {
  if (!preview_) preview_ = new PreviewWindow(session_, prompter_, this);
  preview_->showResult(url, searchTerms(), minibrowser, quietly);
}

void MainWindow::showPreferences() {
  PreferencesDialog dialog(session_, prompter_.notices(), [this] { return storedWindowRect(normalGeometry()); }, this);
  connect(&dialog, &PreferencesDialog::applied, this, &MainWindow::settingsApplied);
  dialog.exec();
}

void MainWindow::showPreviewPreferences() {
  PreviewPreferencesDialog dialog(session_, this);
  connect(&dialog, &PreviewPreferencesDialog::applied, this, &MainWindow::settingsApplied);
  dialog.exec();
}

void MainWindow::showLibrarySettings() {
  LibrarySettingsDialog dialog(session_, this);
  connect(&dialog, &LibrarySettingsDialog::applied, this, &MainWindow::settingsApplied);
  dialog.exec();
}

void MainWindow::settingsApplied() {
  findChild<QAction*>(QStringLiteral("sponsorsShown"))->setChecked(session_.settings().showSponsors);
  if (preview_) preview_->applySettings();
  searchBar_->refresh();
  results_->relayout();
}

void MainWindow::showDebugStatistics() {
  if (!debugStatistics_) {
    debugStatistics_ = new DebugStatisticsWindow(session_, this);
    debugStatistics_->setAttribute(Qt::WA_DeleteOnClose);
  }
  debugStatistics_->show();
  debugStatistics_->raise();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  const bool active = isActiveWindow();
  setBackgroundPriority(!active);
  notifyViews(ViewHint::Activation, active ? 1 : 0);
}

void MainWindow::saveWindowState() {
  if (shutDown_) return;
  shutDown_ = true;
  session_.searchRun().StopSearch();
  if (preview_) preview_->close();
  session_.settings().mainPosition = storedWindowRect(normalGeometry());
  session_.SaveSettings();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  saveWindowState();
  event->accept();
}

}  // namespace brambel
