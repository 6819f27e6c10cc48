#include "cli/category_sources.h"

#include <filesystem>

#include "cli/source_catalog.h"
#include "formats/category_set_file.h"
#include "formats/library_categories.h"
#include "formats/text_lines.h"
#include "platform/directories.h"
#include "sources/library_source.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel::cli {

SourceMap LoadedCategories::sources() const {
  SourceMap map;
  for (const std::u16string& id : table->identities())
    map[id] = std::shared_ptr<SearchSource>(std::shared_ptr<SearchSource>(), table->find(id));
  return map;
}

std::optional<size_t> LoadedCategories::find(const std::string& name) const {
  std::u16string wide = toWide(name, kCodePageUtf8);
  for (size_t i = 0; i < set.categories.size(); ++i)
    if (equalsIgnoringCase(set.categories[i].name, wide)) return i;
  return std::nullopt;
}

namespace {

// The table of the set's sources: every built-in type, then its definitions.
LoadedCategories withSourceTable(CategorySet set, SourceDefinitions definitions) {
  LoadedCategories loaded;
  loaded.set = std::move(set);
  loaded.table = std::make_unique<SourceTable>(sourceRegistry());
  loaded.table->AddBuiltInSources();
  for (auto& [name, definition] : definitions) loaded.table->AddDefinition(std::move(definition));
  return loaded;
}

}  // namespace

std::optional<LoadedCategories> loadCategoryFile(const std::string& path, std::string& error) {
  std::optional<std::string> text = readTextFile(path);
  if (!text) {
    error = "cannot read category set " + path;
    return std::nullopt;
  }
  CategorySet set;
  SourceDefinitions definitions;
  ReadCategorySet(toWide(*text, kCodePageUtf8), set, definitions);
  if (set.categories.empty()) {
    error = "no category in " + path;
    return std::nullopt;
  }
  return withSourceTable(std::move(set), std::move(definitions));
}

std::optional<LoadedCategories> loadLibraryCategories(const std::string& directory, std::string& error) {
  if (!std::filesystem::is_directory(directory)) {
    error = "no library directory " + directory;
    return std::nullopt;
  }
  CategorySet set;
  SourceDefinitions definitions;
  readLibraryCategories(directory, dataDirectory(), set, definitions);
  if (set.categories.empty()) {
    error = "the library in " + directory + " has no category";
    return std::nullopt;
  }
  LoadedCategories loaded = withSourceTable(std::move(set), std::move(definitions));
  auto library = std::make_shared<LibraryStore>(directory, true);
  if (!library->isOpen()) return loaded;
  loaded.library = library;
  for (const std::u16string& id : loaded.table->identities())
    if (auto* source = dynamic_cast<LibrarySource*>(loaded.table->find(id))) source->attachLibrary(library);
  return loaded;
}

}  // namespace brambel::cli
