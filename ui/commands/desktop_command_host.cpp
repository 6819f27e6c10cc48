#include "ui/commands/desktop_command_host.h"

#include "app/exchange_messages.h"
#include "formats/feed_adding.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"

namespace brambel {

DesktopCommandHost::DesktopCommandHost(LibrarySession& session, DesktopPrompter& prompter, QObject* parent)
    : QObject(parent),
      session_(session),
      prompter_(prompter),
      rawResults_(std::make_unique<RawResultsFile>(session.libraryDirectory(), session.document().sourceTable())),
      commands_(std::make_unique<LibraryCommands>(*this, session.settings(), prompter, *this)) {
  // A batch records what it finds for "Restore Last Batch".
  if (!session_.isReadOnly()) session_.searchRun().SetRawResultSink(rawResults_.get());
  // "//" typed into the search field runs these commands instead of a search.
  commands_->RegisterSearchFieldCommands(session_.searchRun().commands());
}

DesktopCommandHost::~DesktopCommandHost() {
  // The search run must not call into the commands once they are gone.
  session_.searchRun().commands() = SearchCommandMap();
  if (session_.document().isOpen()) session_.searchRun().SetRawResultSink(nullptr);
}

const SourceTable& DesktopCommandHost::sources() const { return session_.document().sourceTable(); }
const CategorySet& DesktopCommandHost::categories() const { return session_.categories(); }
std::filesystem::path DesktopCommandHost::libraryDirectory() const { return session_.libraryDirectory(); }
std::filesystem::path DesktopCommandHost::programDataDirectory() const {
  return session_.application().paths().programData;
}
std::filesystem::path DesktopCommandHost::sourcesDirectory() const {
  return programDataDirectory() / CTesserin2Doc::kSourcesDirectoryName;
}
uint32_t DesktopCommandHost::maxSourceResults() const { return session_.librarySettings().maxSourceResults; }
std::u16string DesktopCommandHost::startupUrl() const { return session_.librarySettings().startupURL; }

void DesktopCommandHost::StartSource(SearchThreadParams params) {
  params.generation = session_.searchRun().generation();
  session_.searchRun().StartSourceThread(std::move(params));
}

void DesktopCommandHost::SearchAllCategories(const std::u16string& terms) {
  session_.document().SearchAllCategories(terms);
}

std::optional<SourceResult> DesktopCommandHost::StoredResult(const std::u16string& url) {
  std::shared_ptr<LibraryStore> library = session_.document().library();
  return library ? library->readRecord(url) : std::nullopt;
}

void DesktopCommandHost::ShowResults(std::vector<SourceResult> results, bool replace) {
  session_.document().LoadResults(std::move(results), replace);
  emit resultsLoaded();
}

void DesktopCommandHost::SwitchToLoadMode() { session_.SetMode(SearchMode::kLoad); }

void DesktopCommandHost::ReplaceCategories(CategorySet set, SourceDefinitions definitions) {
  session_.document().SetCategories(std::move(set), std::move(definitions), !session_.isReadOnly());
}

bool DesktopCommandHost::ImportSource(const SourceDefinition& definition) {
  // The definitions directory holds every user-defined source; the open
  // library's table learns of it when the library next opens.
  SourceTable table;
  table.AddBuiltInSources();
  table.AddSourceFiles(sourcesDirectory());
  if (table.AddDefinition(definition) != SourceTable::AddResult::Added) return false;
  return table.SaveSourceDirectory(sourcesDirectory());
}

void DesktopCommandHost::AddFeedFromOutside(const std::u16string& url) {
  const FeedAddOutcome outcome = addFeedFromOutside(url, sourcesDirectory());
  if (!outcome.message.empty()) prompter_.Notify(nullptr, QString(), QString::fromStdU16String(outcome.message));
}

void DesktopCommandHost::OpenLibraryAt(const std::filesystem::path& directory) {
  emit libraryRequested(QString::fromStdString(directory.string()));
}

void DesktopCommandHost::RebuildSourceIndex() { emit sourceIndexRebuildRequested(); }

void DesktopCommandHost::TermHighlightingChanged(uint32_t) { session_.SaveSettings(); }

}  // namespace brambel
