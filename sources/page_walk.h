#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <boost/regex.hpp>

#include "sources/result_item.h"
#include "toolkit/attributes.h"

namespace brambel {

// Small steps the built-in sources share when they walk a fetched page with
// path queries: text conversion, attribute values, sibling walks, and the
// engines' link rules. Pages are raw narrow bytes, UTF-8 unless a source knows
// better.

std::u16string fromUtf8(std::string_view bytes);
std::string toUtf8(const std::u16string& text);

// The value of attribute `name` without the quotes the attribute parser keeps
// (double or single); empty when absent.
std::string attributeText(const AttributeMap& attributes, const std::string& name);

// Pattern searches over page text. A pattern that grows too costly on some
// input makes the regular expression engine give up (it throws); here that
// counts as no (further) match, so a hostile page cannot end a search run.
bool searchText(const std::string& text, boost::smatch& match, const boost::regex& pattern);
// Calls visit(match) for each successive match; stops when visit answers false.
void forEachMatch(const std::string& text, const boost::regex& pattern,
                  const std::function<bool(const boost::smatch&)>& visit);

// The plain text of a piece of markup with every run of white space folded to
// one blank and the ends trimmed, as wide text.
std::u16string plainText(std::string_view markup);

// Walks the siblings `path` finds in `text`, one after another, each search
// starting after the element before: visit(inner text, attributes of that
// element's opening tags, text after the element). Stops when no further
// element is found or when `visit` answers false.
using ElementVisitor =
    std::function<bool(const std::string& inner, const AttributeMap& attributes, std::string_view after)>;
void forEachElement(std::string_view text, std::string_view path, bool nested, const ElementVisitor& visit);

// The address an engine's result anchor points at. An absolute href is used
// as it stands; a relative one that embeds an absolute address after "=" or
// "-" (a redirect link) yields that address, percent-decoded; any other
// relative href is put after `baseUrl`. Surrounding quotes are dropped.
std::u16string engineResultLink(std::string href, std::u16string_view baseUrl);

// The href of the last anchor in `text` whose plain text equals `label`
// (ignoring case and surrounding blanks), with "&amp;" turned into "&";
// empty when there is none.
std::u16string findLabelledLink(std::string_view text, std::string_view label);

// Calls visit(attributes) for each opening `tag` tag in `text`, in order.
// Unlike forEachElement it needs no close tags, so it suits void elements
// such as "input" and "img".
void forEachTag(std::string_view text, std::string_view tag, const std::function<void(const AttributeMap&)>& visit);

// The inner text (nested elements kept inside) of the first `tag` element in
// `text` whose attribute `attribute` is `value` (quotes ignored); empty when
// there is none.
std::string elementWithAttribute(std::string_view text, std::string_view tag, const std::string& attribute,
                                 std::string_view value);

// A result from a block of markup that holds one: its first anchor gives the
// link (engineResultLink) and, under `titleName`, the title; the text after
// the anchor the snippet. Without an anchor the item has no "href".
ResultItem anchoredResult(std::string_view block, std::u16string_view baseUrl,
                          std::u16string_view titleName = u"title");

// Sets the value of the item's attribute `name`, adding it when absent.
void replaceAttribute(ResultItem& item, std::u16string_view name, std::u16string value);

// `text` with every "&amp;" replaced by "&".
std::u16string withPlainAmpersands(std::u16string text);

// `text` from the start up to the first `marker` (any case); all of it when
// the marker does not occur.
std::string_view cutAt(std::string_view text, std::string_view marker);

}  // namespace brambel
