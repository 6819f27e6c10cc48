#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "formats/category_set.h"
#include "formats/source_table.h"
#include "search/search_thread_params.h"
#include "store/source_result.h"

namespace brambel {

// What the startup commands, the "//" commands, the batch loads and the open
// command act on: the open library and its search. The desktop's document
// and the command line each provide one.
class CommandHost {
 public:
  virtual ~CommandHost() = default;

  virtual const SourceTable& sources() const = 0;
  virtual const CategorySet& categories() const = 0;
  virtual std::filesystem::path libraryDirectory() const = 0;
  virtual std::filesystem::path programDataDirectory() const = 0;
  virtual uint32_t maxSourceResults() const = 0;
  virtual std::u16string startupUrl() const = 0;

  // Starts one source thread of the current search.
  virtual void StartSource(SearchThreadParams params) = 0;
  // Searches every category's sources once, recording "raw_results.zset".
  virtual void SearchAllCategories(const std::u16string& terms) = 0;
  // The library's stored result of a URL.
  virtual std::optional<SourceResult> StoredResult(const std::u16string& url) = 0;
  // Shows `results` as the loaded results, replacing the list or added to it.
  virtual void ShowResults(std::vector<SourceResult> results, bool replace) = 0;
  // Switches the results to "Load" mode.
  virtual void SwitchToLoadMode() = 0;
  // Replaces the categories (and adds the sources the set brings).
  virtual void ReplaceCategories(CategorySet set, SourceDefinitions definitions) = 0;
  // Adds or replaces a user-defined source and saves the sources directory.
  virtual bool ImportSource(const SourceDefinition& definition) = 0;
  // Adds the feed at `url` as a source, telling the user what happened.
  virtual void AddFeedFromOutside(const std::u16string& url) = 0;
  // Opens the library in `directory` instead of the open one.
  virtual void OpenLibraryAt(const std::filesystem::path& directory) = 0;
  virtual void RebuildSourceIndex() = 0;
};

// The actions of commands that only the desktop can take. The command line
// prints what the desktop would do.
class CommandListener {
 public:
  virtual ~CommandListener() = default;
  // "//debug": the debug statistics window.
  virtual void OpenDebugWindow() {}
  // "//insight" and "//blindness": the new "termHighlighting" value.
  virtual void TermHighlightingChanged(uint32_t value) {}
  // A restored batch is ready to be shown.
  virtual void BatchRestored() {}
  // The categories were replaced and the first one selected.
  virtual void CategoriesReplaced() {}
};

}  // namespace brambel
