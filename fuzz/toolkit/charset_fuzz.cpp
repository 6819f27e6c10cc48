// Charset declarations and page bytes of unknown code page: naming,
// detection and conversion in both directions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "toolkit/code_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 65536) return 0;
  // The first byte picks the code page among those the names produce.
  constexpr int kCodePages[] = {-1, 0, 65001, 932, 51932, 949, 10002, 20936, 1250, 1251, 1252, 28592, 28597, 54936};
  int codePage = kCodePages[data[0] % (sizeof kCodePages / sizeof kCodePages[0])];
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::string charset = brambel::findCharset(bytes);
  int named = brambel::codePageForCharset(charset);
  if (named < -1) std::abort();
  brambel::findCharset(std::u16string(bytes.begin(), bytes.end()));

  std::u16string wide = brambel::toWide(bytes, codePage);
  // Bad bytes become U+FFFD, never nothing (a detected stateful code page
  // may read its escape sequences as no text, so detection is left out).
  if (codePage != -1 && !bytes.empty() && wide.empty()) std::abort();
  std::string narrow = brambel::toNarrow(wide, codePage == -1 ? brambel::kCodePageUtf8 : codePage);
  if (!wide.empty() && narrow.empty()) std::abort();
  return 0;
}
