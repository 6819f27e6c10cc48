#include "sources/anchored_result.h"

#include "sources/engine_links.h"
#include "sources/page_text.h"
#include "toolkit/path_query.h"

namespace brambel {

ResultItem anchoredResult(std::string_view block, std::u16string_view baseUrl, std::u16string_view titleName) {
  ResultItem item;
  AttributeMap attributes;
  std::string_view after = block;
  std::string anchor = findPath(block, "/a", {}, true, &attributes, &after);
  if (after.size() == block.size()) return item;
  if (attributes.count("href")) item.add(u"href", engineResultLink(attributes.at("href"), baseUrl));
  item.add(std::u16string(titleName), plainText(anchor));
  item.add(u"body", plainText(after));
  return item;
}

void replaceAttribute(ResultItem& item, std::u16string_view name, std::u16string value) {
  for (ResultAttribute& attribute : item.attributes)
    if (attribute.name == name) {
      attribute.value = std::move(value);
      return;
    }
  item.add(std::u16string(name), std::move(value));
}

}  // namespace brambel
