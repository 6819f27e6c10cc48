// Destination templates and variable values from anywhere: the expansion
// must hold every character of the template outside placeholders, and
// hidden inputs scraped from a page must all be "parse_" variables.
#include <cstddef>
#include <cstdint>
#include <string>

#include "destinations/destination_template.h"
#include "toolkit/code_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16384) return 0;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  size_t split = bytes.find('\n');
  std::u16string text = brambel::toWide(bytes.substr(0, split), brambel::kCodePageUtf8);
  std::u16string value = split == std::string::npos ? u"" : brambel::toWide(bytes.substr(split + 1), brambel::kCodePageUtf8);
  brambel::DestinationVariables variables{{u"a", value}, {u"url", value}};
  std::u16string empty = brambel::ExpandTemplate(text, {});
  std::u16string expanded = brambel::ExpandTemplate(text, brambel::percentEncoded(variables));
  if (expanded.size() < empty.size()) __builtin_trap();
  for (char16_t c : brambel::percentEncode(value))
    if (c == u'&' || c == u'#' || c == u'=' || c == u' ') __builtin_trap();
  brambel::DestinationVariables scraped;
  brambel::ScrapeHiddenInputs(bytes, scraped);
  for (const auto& [name, v] : scraped)
    if (!name.starts_with(u"parse_")) __builtin_trap();
  return 0;
}
