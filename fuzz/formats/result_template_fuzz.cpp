// Template rendering over outside text: the first line of the input is a
// section to render, the rest the fields of results put into both export
// templates. No value may bring a raw "<" into the output.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/result_templates.h"
#include "formats/source_table.h"
#include "sources/builtin_sources.h"
#include "toolkit/code_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16384) return 0;
  static brambel::SourceRegistry registry;
  static bool filled = (brambel::registerBuiltinSources(registry), true);
  (void)filled;
  static brambel::SourceTable table(registry);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  size_t newline = bytes.find('\n');
  std::string section = bytes.substr(0, newline);
  std::string rest = newline == std::string::npos ? "" : bytes.substr(newline + 1);
  brambel::renderSection(section, {{"a", rest}, {"", "empty"}});
  brambel::splitTemplate(bytes);

  // The same results once with the outside text and once with a plain word:
  // both renderings must hold the same markup.
  auto render = [&](int id, const std::u16string& field) {
    std::vector<brambel::SourceResult> results(1);
    results[0].url = results[0].title = results[0].description = field;
    results[0].contentDate = static_cast<uint32_t>(size);
    return brambel::RenderTemplate(id, {&results, nullptr, {field}, 0}, table);
  };
  auto brackets = [](const std::string& text) { return std::count(text.begin(), text.end(), '<'); };
  std::u16string field = brambel::toWide(rest, brambel::kCodePageUtf8);
  for (int id : {brambel::kHtmlTemplate, brambel::kRssTemplate})
    if (brackets(render(id, field)) != brackets(render(id, u"x"))) __builtin_trap();
  return 0;
}
