#pragma once

#include <string>

#include "formats/category_set.h"

namespace brambel {

// Reads a text loaded as categories: an OPML outline (its feeds become
// definitions named by the outline) or else a category set file. False, with
// `set` and `definitions` empty, when the text yields no category at all, so
// that a stray file never replaces a library's categories with nothing.
// `baseUrl`: the address the text came from, for relative feed addresses.
bool readCategoriesText(const std::u16string& text, CategorySet& set, SourceDefinitions& definitions,
                        const std::u16string& baseUrl = {});

}  // namespace brambel
