#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "toolkit/attributes.h"

namespace brambel {

// Walking the elements of a fetched page with path queries and tag scans.

// The value of attribute `name` without the quotes the attribute parser keeps
// (double or single); empty when absent.
std::string attributeText(const AttributeMap& attributes, const std::string& name);

// Walks the siblings `path` finds in `text`, one after another, each search
// starting after the element before: visit(inner text, attributes of that
// element's opening tags, text after the element). Stops when no further
// element is found or when `visit` answers false.
using ElementVisitor =
    std::function<bool(const std::string& inner, const AttributeMap& attributes, std::string_view after)>;
void forEachElement(std::string_view text, std::string_view path, bool nested, const ElementVisitor& visit);

// Calls visit(attributes) for each opening `tag` tag in `text`, in order.
// Unlike forEachElement it needs no close tags, so it suits void elements
// such as "input" and "img".
void forEachTag(std::string_view text, std::string_view tag, const std::function<void(const AttributeMap&)>& visit);

// The inner text (nested elements kept inside) of the first `tag` element in
// `text` whose attribute `attribute` is `value` (quotes ignored); empty when
// there is none.
std::string elementWithAttribute(std::string_view text, std::string_view tag, const std::string& attribute,
                                 std::string_view value);

}  // namespace brambel
