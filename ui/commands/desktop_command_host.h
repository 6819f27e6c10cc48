#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/command_host.h"
#include "app/library_commands.h"
#include "formats/raw_results_file.h"

namespace brambel {

class DesktopPrompter;
class LibrarySession;

// The text commands of the open library as the desktop runs them: batch
// loads record into the library's raw results file, loaded results go into
// the document, and what only windows can do (the debug window, another
// library) is announced as signals for the main window to act on.
class DesktopCommandHost : public QObject, public CommandHost, public CommandListener {
  Q_OBJECT

 public:
  DesktopCommandHost(LibrarySession& session, DesktopPrompter& prompter, QObject* parent = nullptr);
  ~DesktopCommandHost() override;

  LibraryCommands& commands() { return *commands_; }

  const SourceTable& sources() const override;
  const CategorySet& categories() const override;
  std::filesystem::path libraryDirectory() const override;
  std::filesystem::path programDataDirectory() const override;
  uint32_t maxSourceResults() const override;
  std::u16string startupUrl() const override;
  void StartSource(SearchThreadParams params) override;
  void SearchAllCategories(const std::u16string& terms) override;
  std::optional<SourceResult> StoredResult(const std::u16string& url) override;
  void ShowResults(std::vector<SourceResult> results, bool replace) override;
  void SwitchToLoadMode() override;
  void ReplaceCategories(CategorySet set, SourceDefinitions definitions) override;
  bool ImportSource(const SourceDefinition& definition) override;
  void AddFeedFromOutside(const std::u16string& url) override;
  void OpenLibraryAt(const std::filesystem::path& directory) override;
  void RebuildSourceIndex() override;

  void OpenDebugWindow() override { emit debugWindowRequested(); }
  void TermHighlightingChanged(uint32_t value) override;
  void BatchRestored() override { emit resultsLoaded(); }
  void CategoriesReplaced() override { emit categoriesReplaced(); }

 signals:
  void debugWindowRequested();
  // Results were loaded into the document (a result file, a restored batch).
  void resultsLoaded();
  void categoriesReplaced();
  // Another library was asked for; one process serves one library.
  void libraryRequested(const QString& directory);
  // "srcrebuild": the menu commands run it behind the maintenance dialog.
  void sourceIndexRebuildRequested();

 private:
  std::filesystem::path sourcesDirectory() const;

  LibrarySession& session_;
  DesktopPrompter& prompter_;
  std::unique_ptr<RawResultsFile> rawResults_;
  std::unique_ptr<LibraryCommands> commands_;
};

}  // namespace brambel
