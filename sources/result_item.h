#pragma once

#include <string>
#include <vector>

namespace brambel {

// What a source returns for one page: groups of items, each item a list of
// named attributes. The search run gives meaning to the group names
// ("search", "sponsors") and to the attribute names ("href", "title",
// "override_title", "body", "content", "contentType", "contentLastModified",
// "contentExpires", "contentEtag", "overrideImage", "source..."); see
// search/item_to_result.h.

struct ResultAttribute {
  std::u16string name;
  std::u16string value;
  std::string data;  // raw page bytes; only the "content" attribute carries them
};

struct ResultItem {
  std::u16string name = u"result";
  std::vector<ResultAttribute> attributes;

  void add(std::u16string attributeName, std::u16string value) {
    attributes.push_back({std::move(attributeName), std::move(value), {}});
  }
  // The value of the first attribute named `attributeName`, or nullptr.
  const std::u16string* find(std::u16string_view attributeName) const {
    for (const ResultAttribute& attribute : attributes)
      if (attribute.name == attributeName) return &attribute.value;
    return nullptr;
  }
};

inline constexpr char16_t kSearchGroup[] = u"search";
inline constexpr char16_t kSponsorsGroup[] = u"sponsors";

struct ResultGroup {
  std::u16string name;  // "search" for ordinary results, "sponsors" for sponsored ones
  std::vector<ResultItem> items;
};

using ResultGroups = std::vector<ResultGroup>;

}  // namespace brambel
