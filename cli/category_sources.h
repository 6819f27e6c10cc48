#pragma once

#include <memory>
#include <optional>
#include <string>

#include "formats/category_set.h"
#include "formats/source_table.h"
#include "search/search_run.h"
#include "store/library_store.h"

namespace brambel::cli {

// A category set loaded for searching: its categories, the table of the
// sources they name (every built-in type plus the set's own sources), and
// the library it came from, if any.
struct LoadedCategories {
  CategorySet set;
  std::unique_ptr<SourceTable> table;
  std::shared_ptr<const LibraryStore> library;  // read-only; null for a set file

  // The sources of the table by identity, for a search run. The table keeps
  // owning them and must outlive the run.
  SourceMap sources() const;
  // The index of the category named `name`, case ignored.
  std::optional<size_t> find(const std::string& name) const;
};

// The category set in FILE.
std::optional<LoadedCategories> loadCategoryFile(const std::string& path, std::string& error);
// The category set of the library in `directory`: its "categories.zcat",
// else the program data directory's, else the default built-in set; the
// library is attached to the set's library sources.
std::optional<LoadedCategories> loadLibraryCategories(const std::string& directory, std::string& error);

}  // namespace brambel::cli
