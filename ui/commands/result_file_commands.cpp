#include "ui/commands/result_file_commands.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>

#include <ctime>

#include "formats/library_export.h"
#include "formats/result_export.h"
#include "formats/result_import.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/commands/desktop_command_host.h"

namespace brambel {
namespace {

std::filesystem::path fileSystemPath(const QString& path) { return std::filesystem::path(path.toStdU16String()); }

}  // namespace

ResultFileCommands::ResultFileCommands(LibrarySession& session, DesktopCommandHost& host, DesktopPrompter& prompter,
                                       QWidget* window, std::function<QStringList()> selection)
    : QObject(window), session_(session), host_(host), prompter_(prompter), window_(window),
      selection_(std::move(selection)) {}

void ResultFileCommands::load() {
  QFileDialog dialog(window_, tr("Load Results"));
  dialog.setObjectName(QStringLiteral("loadResultsDialog"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({tr("Supported Files (*.zset *.html *.htm *.xml)"), tr("RSS Files (*.xml)"),
                         tr("HTML Files (*.html *.htm)"), tr("Result Set Files (*.zset)"), tr("All Files (*)")});
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) loadFrom(dialog.selectedFiles().first());
}

bool ResultFileCommands::loadFrom(const QString& path) {
  std::optional<std::vector<SourceResult>> results = ImportResults(fileSystemPath(path), session_.document().sourceTable());
  if (!results) {
    prompter_.Notify(window_, QString(), tr("Cannot read the results file %1.").arg(path));
    return false;
  }
  host_.ShowResults(std::move(*results), true);
  return true;
}

void ResultFileCommands::save() {
  QFileDialog dialog(window_, tr("Save Results"));
  dialog.setObjectName(QStringLiteral("saveResultsDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // The check box joins the dialog's own layout, which only Qt's dialog has.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const QString resultSets = tr("Result Set File (*.zset)");
  dialog.setNameFilters({tr("RSS File (*.xml)"), tr("HTML File (*.html *.htm)"), resultSets, tr("All Files (*)")});
  dialog.selectNameFilter(resultSets);
  dialog.setDefaultSuffix(QStringLiteral("zset"));
  auto* selectionOnly = new QCheckBox(tr("Save Selection Only"), &dialog);
  selectionOnly->setObjectName(QStringLiteral("saveSelectionOnly"));
  selectionOnly->setToolTip(tr("Hold Ctrl while saving to export the whole library instead."));
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(selectionOnly, grid->rowCount(), 0, 1, -1);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const bool wholeLibrary = QApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  saveTo(dialog.selectedFiles().first(), selectionOnly->isChecked(), wholeLibrary);
  QApplication::restoreOverrideCursor();
}

bool ResultFileCommands::saveTo(const QString& path, bool selectionOnly, bool wholeLibrary) {
  ExportRequest request;
  if (wholeLibrary) {
    if (std::shared_ptr<LibraryStore> library = session_.document().library())
      request.results = libraryExportResults(*library);
  } else {
    for (DisplayedResult& shown : session_.displayedResults()) request.results.push_back(std::move(shown.record));
  }
  if (selectionOnly)
    for (const QString& url : selection_()) request.selection.insert(url.toStdU16String());
  for (const QString& term : QString::fromStdU16String(session_.terms()).split(QLatin1Char(' '), Qt::SkipEmptyParts))
    request.terms.push_back(term.toStdU16String());
  request.now = std::time(nullptr);
  if (ExportResults(fileSystemPath(path), request, session_.document().sourceTable())) return true;
  prompter_.Notify(window_, QString(), tr("Cannot write the results file %1.").arg(path));
  return false;
}

}  // namespace brambel
