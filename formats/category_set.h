#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "formats/source_definition.h"

namespace brambel {

// One tab of the main window: the sources a search in it queries.
struct Category {
  static constexpr uint32_t kNotWritten = 1;  // flag bit: left out of files

  std::u16string name;  // unique in its set, compared without case
  int viewMode = 0;     // 0 default, 1 list, 2 tiled
  std::vector<std::u16string> references;  // source instance ids, in display order
  uint32_t flags = 0;

  bool operator==(const Category&) const = default;
};

// The categories of a library, with what travels with them in a ".zcat" file.
struct CategorySet {
  std::u16string description;  // lines joined with CR LF
  std::u16string settingsText;  // body of "[settings]", library settings syntax, kept verbatim
  std::vector<std::u16string> startupCommands;
  std::vector<Category> categories;

  bool operator==(const CategorySet&) const = default;
};

// Source definitions of a set, in file order. Names may repeat: the source
// table numbers a repeated name when it adds the definition ("News(1)").
using SourceDefinitions = std::vector<SourceDefinition>;

}  // namespace brambel
