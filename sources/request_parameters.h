#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sources/http_search_cursor.h"

namespace brambel {

// Adds `value` to a request path under `urlKey`, encoded in the code page the
// cursor's "queryEncoding" parameter names (UTF-8 when absent).
//  - Query style (the key does not begin with "/"): "?" or "&", the key, "="
//    and the encoded value.
//  - Path style (the key begins with "/"): the encoded value becomes a new
//    last path segment followed by the key's rest, before any query part:
//    key "/" adds "/value", key "/.rss" adds "/value.rss".
void AppendQueryParameter(std::u16string_view urlKey, std::u16string& path,
                          const std::u16string& value, const HttpSearchCursor& cursor);

// Appends the cursor's parameter `parameterName` (or `fallback` when it is
// absent and one is given) under `urlKey`, when that value is not empty.
// Returns whether the parameter was present.
bool AddParameterFromSettings(const HttpSearchCursor& cursor, std::u16string_view parameterName,
                              std::u16string_view urlKey, std::u16string& path,
                              const std::optional<std::u16string>& fallback = std::nullopt);

}  // namespace brambel
