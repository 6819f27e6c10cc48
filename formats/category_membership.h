#pragma once

#include <string>

#include "formats/category_set.h"

namespace brambel {

// The category of `set` named `name` (without case), added at the end when
// there is none. The reference stays valid until the set's list changes.
Category& findOrAddCategory(CategorySet& set, const std::u16string& name);

// Appends `identity` to the category's sources unless it lists it already.
void addReference(Category& category, const std::u16string& identity);

}  // namespace brambel
