#include "ui/commands/menu_commands.h"

#include <QComboBox>
#include <QFileInfo>
#include <QUrl>

#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/commands/desktop_command_host.h"
#include "ui/commands/help_commands.h"
#include "ui/commands/maintenance_commands.h"
#include "ui/commands/result_file_commands.h"
#include "ui/commands/saved_terms_menu.h"
#include "ui/main/main_window.h"
#include "ui/main/search_bar.h"
#include "ui/main/slideshow_window.h"
#include "ui/results/results_view.h"

namespace brambel {

MenuCommands::MenuCommands(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter,
                           MainWindow& window)
    : QObject(&window), session_(session), prompter_(prompter), window_(window) {
  host_ = new DesktopCommandHost(session, prompter, this);
  maintenance_ = new MaintenanceCommands(session, events, prompter, &window);
  resultFiles_ = new ResultFileCommands(session, *host_, prompter, &window,
                                        [this] { return window_.resultsView()->selectedUrls(); });
  help_ = new HelpCommands(session, prompter, &window, [this] {
    window_.saveWindowState();
    session_.Close();
  });
  connect(host_, &DesktopCommandHost::resultsLoaded, this, &MenuCommands::viewsChanged);
  connect(host_, &DesktopCommandHost::categoriesReplaced, this, &MenuCommands::viewsChanged);
  // Queued: the command may come from inside a search the field started.
  connect(host_, &DesktopCommandHost::sourceIndexRebuildRequested, maintenance_,
          &MaintenanceCommands::rebuildSourceIndex, Qt::QueuedConnection);
}

MenuCommands::~MenuCommands() = default;

SavedTermsMenu* MenuCommands::attachSavedTerms(QMenu* menu) {
  auto* saved = new SavedTermsMenu(menu, session_, [this] { return window_.searchBar()->termsBox()->currentText(); },
                                   &window_);
  connect(saved, &SavedTermsMenu::termChosen, this, [this](const QString& terms) {
    window_.searchBar()->termsBox()->setCurrentText(terms);
    window_.startSearch(terms);
  });
  return saved;
}

void MenuCommands::optimize() { maintenance_->optimize(); }

bool MenuCommands::batchLoad() {
  const QString terms = window_.searchBar()->termsBox()->currentText().trimmed();
  if (!host_->commands().BatchLoad(terms.toStdU16String())) return false;
  emit viewsChanged();
  return true;
}

bool MenuCommands::restoreBatch() {
  if (host_->commands().RestoreBatch()) return true;
  prompter_.Notify(&window_, QString(), tr("There is no batch load to restore in this library."));
  return false;
}

void MenuCommands::showSlideshow() {
  auto* slideshow = new SlideshowWindow(session_, &window_);
  slideshow->show();
}

void MenuCommands::openDocument(const QString& pathOrUrl) {
  // Files arrive as paths or as "file:" URLs (the desktop entry's %U).
  const QUrl url(pathOrUrl);
  QString given = url.isLocalFile() ? url.toLocalFile() : pathOrUrl;
  if (!given.contains(QStringLiteral("://")) && !given.isEmpty()) given = QFileInfo(given).absoluteFilePath();
  host_->commands().OpenDocumentFile(given.toStdU16String());
}

}  // namespace brambel
