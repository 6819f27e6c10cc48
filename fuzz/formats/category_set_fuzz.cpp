// Category set text from anywhere: parse, write back, parse again; the
// second reading must give the same categories. Set files are text, read up
// to their first zero byte, so the input is cut there as the readers do.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/category_set_file.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  std::u16string text = brambel::toWide(bytes, brambel::kCodePageUtf8);
  brambel::CategorySet set;
  brambel::SourceDefinitions definitions;
  brambel::ReadCategorySet(text, set, definitions);
  brambel::SourceTable table(registry());
  for (const brambel::SourceDefinition& definition : definitions) table.AddDefinition(definition);
  brambel::CategorySet again;
  brambel::SourceDefinitions againDefinitions;
  brambel::ReadCategorySet(brambel::FormatCategorySet(set, table), again, againDefinitions);
  if (again.categories.size() != set.categories.size()) __builtin_trap();
  return 0;
}
