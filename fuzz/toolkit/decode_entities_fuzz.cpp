// Character references in page bytes: never longer than the input, and
// escaping then decoding gives the text back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "toolkit/code_pages.h"
#include "toolkit/entities.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 65536) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string decoded = brambel::decodeEntities(text);
  // Every reference is at least as long as what it stands for.
  if (decoded.size() > text.size()) std::abort();

  std::u16string wide = brambel::toWide(text, brambel::kCodePageUtf8);
  std::string escaped = brambel::toNarrow(brambel::escapeMarkup(wide), brambel::kCodePageUtf8);
  if (brambel::decodeEntities(escaped) != brambel::toNarrow(wide, brambel::kCodePageUtf8)) std::abort();
  return 0;
}
