#pragma once

#include <filesystem>

#include "formats/category_set.h"

namespace brambel {

class SourceTable;

inline constexpr char kLibraryCategoriesFileName[] = "categories.zcat";

// Where a library's categories came from.
enum class CategoriesOrigin { Library, ProgramData, BuiltIn };

// Reads "categories.zcat" of the library directory, else the one of the
// program data directory, else the default built-in set. Reads only: the
// caller adds the definitions to its source table and saves what it wants.
CategoriesOrigin readLibraryCategories(const std::filesystem::path& libraryDirectory,
                                       const std::filesystem::path& programDataDirectory, CategorySet& set,
                                       SourceDefinitions& definitions);

// Writes "categories.zcat" into `directory`, creating the directory first.
bool saveLibraryCategories(const CategorySet& set, const std::filesystem::path& directory, const SourceTable& table);

}  // namespace brambel
