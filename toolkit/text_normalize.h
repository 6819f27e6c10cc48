#pragma once

#include <string>

namespace brambel {

// Folds text for indexing: every run of separators (controls, white space,
// ASCII punctuation, the no-break and typographic spaces, the byte-order mark)
// becomes one space, leading and trailing ones vanish, and the apostrophe is
// dropped ("don't" gives "dont"). The double quote is a separator only when
// `quotesSeparate` is true.
std::u16string normalizeText(const std::u16string& text, bool quotesSeparate);

}  // namespace brambel
