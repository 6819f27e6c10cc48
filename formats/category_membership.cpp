#include "formats/category_membership.h"

#include <algorithm>

#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"

namespace brambel {

Category& findOrAddCategory(CategorySet& set, const std::u16string& name) {
  for (Category& category : set.categories)
    if (equalsIgnoringAsciiCase(category.name, name)) return category;
  set.categories.push_back(Category{name});
  return set.categories.back();
}

void addReference(Category& category, const std::u16string& identity) {
  auto& references = category.references;
  if (std::find(references.begin(), references.end(), identity) == references.end()) references.push_back(identity);
}

}  // namespace brambel
