#include "cli/category_sources.h"

#include <algorithm>
#include <ostream>

#include "app/source_types.h"
#include "formats/category_set_file.h"
#include "formats/library_categories.h"
#include "formats/text_lines.h"
#include "platform/directories.h"
#include "sources/library_source.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel::cli {

std::optional<size_t> LoadedCategories::find(const std::string& name) const {
  std::u16string wide = toWide(name, kCodePageUtf8);
  for (size_t i = 0; i < set.categories.size(); ++i)
    if (equalsIgnoringAsciiCase(set.categories[i].name, wide)) return i;
  return std::nullopt;
}

std::filesystem::path sourcesDirectory() { return dataDirectory() / "sources"; }

std::filesystem::path libraryDirectoryOf(const std::optional<std::string>& library) {
  return library ? std::filesystem::path(*library) : dataDirectory() / "Default Library";
}

void CategorySetChoice::addOptions(CLI::App& command) {
  command.add_option("--library", library, "the library folder (default: the default library)")->type_name("DIR");
  command.add_option("--set", setFile, "a category set file instead of the library's (- for standard input)")
      ->type_name("FILE");
}

std::optional<LoadedCategories> loadCategories(const CategorySetChoice& choice, std::ostream& err) {
  const std::optional<std::string>& library = choice.library;
  const std::optional<std::string>& setFile = choice.setFile;
  LoadedCategories loaded;
  loaded.libraryDirectory = libraryDirectoryOf(library);
  if (library && !setFile && !std::filesystem::is_directory(loaded.libraryDirectory))
    err << "brambel-cli: no library in " << *library << " yet; reading the default categories\n";

  SourceDefinitions definitions;
  if (setFile) {
    // A set file is text: it ends at its first zero byte.
    std::optional<std::string> text = *setFile == "-" ? readInput(setFile, err) : readTextFile(*setFile);
    if (!text) {
      err << "brambel-cli: cannot read category set " << *setFile << "\n";
      return std::nullopt;
    }
    text->resize(std::min(text->size(), text->find('\0')));
    ReadCategorySet(toWide(*text, kCodePageUtf8), loaded.set, definitions);
    if (loaded.set.categories.empty()) {
      err << "brambel-cli: no category in " << *setFile << "\n";
      return std::nullopt;
    }
  } else {
    readLibraryCategories(loaded.libraryDirectory, dataDirectory(), loaded.set, definitions);
  }

  if (std::filesystem::is_directory(loaded.libraryDirectory)) {
    auto store = std::make_shared<LibraryStore>(loaded.libraryDirectory, true);
    if (store->isOpen()) loaded.library = store;
  }
  loaded.table = std::make_unique<SourceTable>(builtInSourceTypes(), [library = loaded.library](SearchSource& source) {
    if (auto* librarySource = dynamic_cast<LibrarySource*>(&source); librarySource && library)
      librarySource->attachLibrary(library);
  });
  loaded.table->AddBuiltInSources();
  loaded.table->AddSourceFiles(sourcesDirectory());
  for (SourceDefinition& definition : definitions) loaded.table->AddDefinition(std::move(definition));
  return loaded;
}

}  // namespace brambel::cli
