// Rewrites a hostile page as the load and save steps do: its style sheets
// inlined (every sheet it names is served as the input itself, so it imports
// itself and whatever else it names), its meta refresh read, a base address,
// a content-type declaration and the saved-from marker added. Nothing may
// crash or hang, and the sheet fetches stay within the page's limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "pipeline/content_loader.h"
#include "pipeline/page_rewriting.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 16)) return 0;
  const std::string page(reinterpret_cast<const char*>(data), size);
  const std::u16string url = u"http://site.test/dir/page.html";
  size_t fetches = 0;
  const brambel::InlineLimits limits;
  std::string inlined = brambel::inlineStyleSheets(
      page, url,
      [&](const std::u16string&) -> std::optional<std::string> {
        ++fetches;
        return page;
      },
      limits);
  if (fetches > limits.maxSheets) std::abort();
  brambel::metaRefreshTarget(page, url);
  brambel::insertSavedFromMarker(url, brambel::insertContentTypeMeta(u"text/html", brambel::insertBaseHref(url, page)));
  return 0;
}
