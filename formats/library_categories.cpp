#include "formats/library_categories.h"

#include <system_error>

#include "formats/builtin_category_sets.h"
#include "formats/category_set_file.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {

CategoriesOrigin readLibraryCategories(const std::filesystem::path& libraryDirectory,
                                       const std::filesystem::path& programDataDirectory, CategorySet& set,
                                       SourceDefinitions& definitions) {
  definitions.clear();
  if (std::optional<std::string> text = readTextFile(libraryDirectory / kLibraryCategoriesFileName)) {
    ReadCategorySet(toWide(*text, kCodePageUtf8), set, definitions);
    return CategoriesOrigin::Library;
  }
  if (std::optional<std::string> text = readTextFile(programDataDirectory / kLibraryCategoriesFileName)) {
    ReadCategorySet(toWide(*text, kCodePageUtf8), set, definitions);
    return CategoriesOrigin::ProgramData;
  }
  LoadBuiltInSet(kDefaultBuiltInSet, set, definitions);
  return CategoriesOrigin::BuiltIn;
}

bool saveLibraryCategories(const CategorySet& set, const std::filesystem::path& directory, const SourceTable& table) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  return WriteCategorySet(set, directory / kLibraryCategoriesFileName, table);
}

}  // namespace brambel
