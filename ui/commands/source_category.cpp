#include "ui/commands/source_category.h"

#include <algorithm>

#include "toolkit/ascii_case.h"
#include "ui/bridge/library_session.h"

namespace brambel {

std::optional<size_t> addSourceCategory(CategorySet& set, const std::u16string& name,
                                        const std::u16string& instanceId) {
  if (name.empty()) return std::nullopt;
  auto named = std::find_if(set.categories.begin(), set.categories.end(),
                            [&](const Category& category) { return equalsIgnoringAsciiCase(category.name, name); });
  if (named == set.categories.end()) {
    set.categories.emplace_back().name = name;
    named = std::prev(set.categories.end());
  }
  if (std::find(named->references.begin(), named->references.end(), instanceId) == named->references.end())
    named->references.push_back(instanceId);
  return static_cast<size_t>(named - set.categories.begin());
}

bool showSourceCategory(LibrarySession& session, const std::u16string& instanceId) {
  CTesserin2Doc& document = session.document();
  if (!document.sourceTable().find(instanceId)) return false;
  CategorySet set = document.categories();
  const std::optional<size_t> index = addSourceCategory(set, document.sourceTable().nameOf(instanceId), instanceId);
  if (!index) return false;
  const CategorySet& current = document.categories();
  const bool changed = set.categories.size() != current.categories.size() ||
                       set.categories[*index].references != current.categories[*index].references;
  // Replacing the categories stops a running search; an unchanged set is kept.
  if (changed) document.SetCategories(std::move(set), document.sourceTable().userDefinitions(), !session.isReadOnly());
  session.SelectCategory(*index);
  return true;
}

}  // namespace brambel
