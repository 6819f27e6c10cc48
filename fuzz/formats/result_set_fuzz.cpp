// Result set text from anywhere: read it, write the records again and read
// those back; the second reading must give the same results.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/result_export.h"
#include "formats/result_set_file.h"
#include "formats/source_table.h"
#include "sources/builtin_sources.h"

namespace {

const brambel::SourceTable& table() {
  static brambel::SourceRegistry registry;
  static brambel::SourceTable instance = [] {
    brambel::registerBuiltinSources(registry);
    brambel::SourceTable filled(registry);
    filled.AddBuiltInSources();
    return filled;
  }();
  return instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  brambel::ExportRequest request;
  request.results = brambel::parseResultSet(text, table());
  for (size_t i = 0; i < request.results.size(); ++i) request.results[i].position = static_cast<int32_t>(i);
  std::string written = brambel::formatExport(brambel::ExportForm::ResultSet, request, table());
  auto again = brambel::parseResultSet(written, table());
  if (again.size() != request.results.size()) __builtin_trap();
  for (size_t i = 0; i < again.size(); ++i)
    if (again[i].url != request.results[i].url || again[i].sources != request.results[i].sources) __builtin_trap();
  return 0;
}
