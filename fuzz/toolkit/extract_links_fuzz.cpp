// extractLinks on arbitrary bytes: no crash; there are never more links than
// "<" characters and no href or text is longer than the page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolkit/link_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::string_view page(reinterpret_cast<const char*>(data), size);
  std::vector<brambel::PageLink> links;
  brambel::extractLinks(page, links);
  if (links.size() > static_cast<size_t>(std::count(page.begin(), page.end(), '<'))) abort();
  for (const brambel::PageLink& link : links)
    if (link.href.size() > size || link.text.size() > size) abort();
  return 0;
}
