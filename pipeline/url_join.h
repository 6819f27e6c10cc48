#pragma once

#include <string>

namespace brambel {

// `reference` read on the page at `base`, as the absolute URL it names
// (toolkit's resolver, in wide text); empty when there is none.
std::u16string joinUrl(const std::u16string& base, const std::u16string& reference);

}  // namespace brambel
