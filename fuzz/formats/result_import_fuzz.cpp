// Pages and feeds from anywhere, imported as results: every result must be
// a web address, and the feed reader must number its items in order.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/result_import.h"
#include "formats/source_table.h"
#include "sources/builtin_sources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  static brambel::SourceRegistry registry;
  static bool filled = (brambel::registerBuiltinSources(registry), true);
  (void)filled;
  static brambel::SourceTable table(registry);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const auto& result : brambel::importHtmlLinks(bytes))
    if (!result.url.starts_with(u"http") || result.title.empty()) __builtin_trap();
  auto items = brambel::importFeed(bytes, table);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].position != static_cast<int32_t>(i)) __builtin_trap();
  return 0;
}
