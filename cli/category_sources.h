#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "formats/category_set.h"
#include "formats/source_table.h"
#include "search/search_run.h"
#include "store/library_store.h"

namespace brambel::cli {

// The category set a command works on: its categories, the table of the
// sources they name (every built-in type, the user-defined sources of the
// sources directory, then the set's own), and the library it belongs to.
struct LoadedCategories {
  CategorySet set;
  std::unique_ptr<SourceTable> table;
  std::filesystem::path libraryDirectory;
  std::shared_ptr<const LibraryStore> library;  // read-only; null without a stored library

  // The sources of the table by identity, for a search run. The table keeps
  // owning them and must outlive the run.
  SourceMap sources() const;
  // The index of the category named `name`, case ignored.
  std::optional<size_t> find(const std::string& name) const;
};

// Where user-defined source files are kept.
std::filesystem::path sourcesDirectory();
// The library `--library` names, else the default library.
std::filesystem::path libraryDirectoryOf(const std::optional<std::string>& library);

// Which category set a command works on: --library DIR and --set FILE.
struct CategorySetChoice {
  std::optional<std::string> library;
  std::optional<std::string> setFile;

  // Declares --library and --set on `command`.
  void addOptions(CLI::App& command);
};

// Reads the set `choice` names: the FILE of --set,
// else the library's "categories.zcat", the program data directory's, or the
// default built-in set (a library directory that does not exist yet reads as
// an empty library). Reads only: nothing is created. Writes a one-line
// message to `err` and returns nothing when the set cannot be had.
std::optional<LoadedCategories> loadCategories(const CategorySetChoice& choice, std::ostream& err);

}  // namespace brambel::cli
