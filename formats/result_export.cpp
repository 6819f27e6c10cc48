#include "formats/result_export.h"

#include <fstream>

#include "formats/result_set_file.h"
#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"

namespace brambel {

ExportForm exportFormFor(const std::filesystem::path& path) {
  std::u16string extension = toWide(path.extension().string(), kCodePageUtf8);
  if (equalsIgnoringAsciiCase(extension, u".zset")) return ExportForm::ResultSet;
  if (equalsIgnoringAsciiCase(extension, u".html") || equalsIgnoringAsciiCase(extension, u".htm")) return ExportForm::Html;
  return ExportForm::Rss;
}

std::string formatExport(ExportForm form, const ExportRequest& request, const SourceTable& table) {
  const std::set<std::u16string>* selection = request.selection.empty() ? nullptr : &request.selection;
  if (form != ExportForm::ResultSet) {
    TemplateInput input{&request.results, selection, request.terms, request.now};
    return RenderTemplate(form == ExportForm::Html ? kHtmlTemplate : kRssTemplate, input, table);
  }
  std::string out;
  int32_t position = 0;
  for (const SourceResult& result : request.results)
    if (!selection || selection->count(result.url)) out += WriteResultRecord(result, position++, table);
  return out;
}

bool ExportResults(const std::filesystem::path& path, const ExportRequest& request, const SourceTable& table) {
  std::string content = formatExport(exportFormFor(path), request, table);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace brambel
