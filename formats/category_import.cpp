#include "formats/category_import.h"

#include "formats/category_set_file.h"
#include "formats/opml.h"
#include "formats/source_table.h"

namespace brambel {

bool readCategoriesText(const std::u16string& text, CategorySet& set, SourceDefinitions& definitions,
                        const std::u16string& baseUrl) {
  set = {};
  definitions.clear();
  // An OPML outline names its feeds itself: they come in through a table of their own.
  SourceTable feeds;
  if (readOpml(set, feeds, text, baseUrl)) {
    for (const SourceDefinition& definition : feeds.userDefinitions()) definitions.push_back(definition);
  } else {
    ReadCategorySet(text, set, definitions);
  }
  if (!set.categories.empty()) return true;
  set = {};
  definitions.clear();
  return false;
}

}  // namespace brambel
