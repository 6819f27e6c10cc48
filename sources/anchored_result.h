#pragma once

#include <string>
#include <string_view>

#include "sources/result_item.h"

namespace brambel {

// A result from a block of markup that holds one: its first anchor gives the
// link (engineResultLink) and, under `titleName`, the title; the text after
// the anchor the snippet. Without an anchor the item has no "href".
ResultItem anchoredResult(std::string_view block, std::u16string_view baseUrl,
                          std::u16string_view titleName = u"title");

// Sets the value of the item's attribute `name`, adding it when absent.
void replaceAttribute(ResultItem& item, std::u16string_view name, std::u16string value);

}  // namespace brambel
