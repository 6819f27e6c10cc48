#pragma once

#include <iosfwd>
#include <memory>
#include <vector>

#include "app/command_host.h"
#include "app/document.h"
#include "formats/raw_results_file.h"

namespace brambel::cli {

// The commands' view of a library opened by the command line: searches run
// in its document, results loaded by a command go into its raw results,
// and the desktop's own actions are reported on `err`.
class LibraryCommandHost : public CommandHost, public CommandListener {
 public:
  LibraryCommandHost(CTesserin2Doc& document, std::ostream& err);
  ~LibraryCommandHost() override;

  const SourceTable& sources() const override { return document_.sourceTable(); }
  const CategorySet& categories() const override { return document_.categories(); }
  std::filesystem::path libraryDirectory() const override { return document_.libraryDirectory(); }
  std::filesystem::path programDataDirectory() const override;
  uint32_t maxSourceResults() const override { return document_.librarySettings().maxSourceResults; }
  std::u16string startupUrl() const override { return document_.librarySettings().startupURL; }
  void StartSource(SearchThreadParams params) override;
  void SearchAllCategories(const std::u16string& terms) override;
  std::optional<SourceResult> StoredResult(const std::u16string& url) override;
  void ShowResults(std::vector<SourceResult> results, bool replace) override;
  void SwitchToLoadMode() override { document_.SetResultMode(SearchMode::kLoad); }
  void ReplaceCategories(CategorySet set, SourceDefinitions definitions) override;
  bool ImportSource(const SourceDefinition& definition) override;
  void AddFeedFromOutside(const std::u16string& url) override;
  void OpenLibraryAt(const std::filesystem::path& directory) override;
  void RebuildSourceIndex() override;

  void OpenDebugWindow() override;
  void TermHighlightingChanged(uint32_t value) override;

  // The document's raw results: those the commands loaded and the searches found.
  std::vector<SourceResult> Results() const;

 private:
  CTesserin2Doc& document_;
  std::ostream& err_;
  RawResultsFile rawResults_;
};

}  // namespace brambel::cli
