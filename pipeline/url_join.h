#pragma once

#include <string>

namespace brambel {

// `reference` resolved against `base` (libcurl's URL API); empty when
// either cannot be parsed.
std::u16string joinUrl(const std::u16string& base, const std::u16string& reference);

}  // namespace brambel
