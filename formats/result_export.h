#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "formats/result_templates.h"

namespace brambel {

enum class ExportForm { ResultSet, Html, Rss };

// The form a file name asks for: ".zset" a result set, ".html" or ".htm"
// the HTML page, anything else (".xml" among them) the RSS feed. Any case.
ExportForm exportFormFor(const std::filesystem::path& path);

struct ExportRequest {
  std::vector<SourceResult> results;
  // "Save Selection Only": only these URLs, when the set is not empty.
  std::set<std::u16string> selection;
  std::vector<std::u16string> terms;
  std::time_t now = 0;
};

// The file's content for the request in `form`. A result set numbers its
// records from 0 in list order.
std::string formatExport(ExportForm form, const ExportRequest& request, const SourceTable& table);

// Writes the export into `path` in the form its extension names, replacing
// the file; false when it cannot be written.
bool ExportResults(const std::filesystem::path& path, const ExportRequest& request, const SourceTable& table);

}  // namespace brambel
