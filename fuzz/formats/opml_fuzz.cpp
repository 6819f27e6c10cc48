// OPML text from anywhere: read it into categories and sources, write the
// result out and read that again; the second reading must find every feed
// the first one filed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/opml.h"
#include "formats/source_table.h"
#include "sources/builtin_sources.h"
#include "toolkit/code_pages.h"

namespace {

const brambel::SourceRegistry& registry() {
  static brambel::SourceRegistry instance;
  static bool filled = (brambel::registerBuiltinSources(instance), true);
  (void)filled;
  return instance;
}

size_t referenceCount(const brambel::CategorySet& set) {
  size_t count = 0;
  for (const auto& category : set.categories) count += category.references.size();
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::u16string text = brambel::toWide(std::string(reinterpret_cast<const char*>(data), size), brambel::kCodePageUtf8);
  brambel::SourceTable table(registry());
  brambel::CategorySet set;
  if (!brambel::readOpml(set, table, text)) return 0;
  brambel::SourceTable again(registry());
  brambel::CategorySet back;
  if (!brambel::readOpml(back, again, brambel::writeOpml(set, table, u"fuzz"))) __builtin_trap();
  // Categories differing only in case merge on the way back, so they may list fewer.
  if (referenceCount(back) > referenceCount(set)) __builtin_trap();
  return 0;
}
