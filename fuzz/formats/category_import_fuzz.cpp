// A text loaded as categories, from a file or a URL: an OPML outline or a
// category set file. Whatever it holds, it yields at least one category or
// nothing at all, never an empty set to replace a library's categories with.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/category_import.h"
#include "toolkit/code_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::u16string text = brambel::toWide(std::string(reinterpret_cast<const char*>(data), size), brambel::kCodePageUtf8);
  brambel::CategorySet set;
  brambel::SourceDefinitions definitions;
  const bool read = brambel::readCategoriesText(text, set, definitions, u"http://base.test/dir/");
  if (read == set.categories.empty()) __builtin_trap();
  if (!read && (!definitions.empty() || set != brambel::CategorySet{})) __builtin_trap();
  return 0;
}
