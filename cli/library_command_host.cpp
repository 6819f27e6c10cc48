#include "cli/library_command_host.h"

#include <ostream>
#include <string>

#include "cli/category_sources.h"
#include "cli/json_output.h"
#include "formats/feed_adding.h"

namespace brambel::cli {

LibraryCommandHost::LibraryCommandHost(CTesserin2Doc& document, std::ostream& err)
    : document_(document), err_(err), rawResults_(document.libraryDirectory(), document.sourceTable()) {
  // A batch records what it finds, as the desktop's batch loads do.
  if (!document_.isReadOnly()) document_.searchRun().SetRawResultSink(&rawResults_);
}

LibraryCommandHost::~LibraryCommandHost() {
  document_.StopSearch();
  document_.WaitForSearch(std::chrono::seconds(35));
  document_.searchRun().SetRawResultSink(nullptr);
}

std::filesystem::path LibraryCommandHost::programDataDirectory() const {
  return document_.application().paths().programData;
}

void LibraryCommandHost::StartSource(SearchThreadParams params) {
  params.generation = document_.searchRun().generation();
  document_.searchRun().StartSourceThread(std::move(params));
}

void LibraryCommandHost::SearchAllCategories(const std::u16string& terms) { document_.SearchAllCategories(terms); }

std::optional<SourceResult> LibraryCommandHost::StoredResult(const std::u16string& url) {
  std::shared_ptr<LibraryStore> library = document_.library();
  return library ? library->readRecord(url) : std::nullopt;
}

void LibraryCommandHost::ShowResults(std::vector<SourceResult> results, bool replace) {
  document_.LoadResults(std::move(results), replace);
}

void LibraryCommandHost::ReplaceCategories(CategorySet set, SourceDefinitions definitions) {
  document_.SetCategories(std::move(set), std::move(definitions), true);
  err_ << "categories replaced: " << document_.categories().categories.size() << " categories\n";
}

bool LibraryCommandHost::ImportSource(const SourceDefinition& definition) {
  SourceTable table;
  table.AddBuiltInSources();
  table.AddSourceFiles(sourcesDirectory());
  // The user has agreed to overwrite a source of the same identity.
  const SourceTable::AddResult added = table.ReplaceDefinition(definition);
  if (added != SourceTable::AddResult::Added && added != SourceTable::AddResult::Replaced) return false;
  if (!table.SaveSourceDirectory(sourcesDirectory())) return false;
  err_ << (added == SourceTable::AddResult::Replaced ? "source replaced: " : "source imported: ")
       << utf8(definition.name) << "\n";
  return true;
}

void LibraryCommandHost::AddFeedFromOutside(const std::u16string& url) {
  FeedAddOutcome outcome = addFeedFromOutside(url, sourcesDirectory());
  if (!outcome.message.empty()) err_ << utf8(outcome.message) << "\n";
  else if (outcome.status == FeedAddStatus::Unrecognized) err_ << "not a feed: nothing added\n";
}

void LibraryCommandHost::OpenLibraryAt(const std::filesystem::path& directory) {
  err_ << "the desktop would open the library in " << directory.string() << "\n";
}

void LibraryCommandHost::RebuildSourceIndex() {
  if (std::optional<SourceIndexRebuild> outcome = document_.RebuildSourceIndex())
    err_ << "source index rebuilt: " << outcome->summary() << "\n";
  else
    err_ << "the source index cannot be rebuilt: the library is read-only\n";
}

void LibraryCommandHost::OpenDebugWindow() { err_ << "the desktop would open the debug statistics window\n"; }

void LibraryCommandHost::TermHighlightingChanged(uint32_t value) {
  err_ << "term highlighting " << (value ? "on" : "off") << " (termHighlighting=" << value << ")\n";
}

std::vector<SourceResult> LibraryCommandHost::Results() const { return document_.searchRun().RawResults(); }

}  // namespace brambel::cli
