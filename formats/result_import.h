#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "store/source_result.h"

namespace brambel {

class SourceTable;

// The links of an HTML page as results: every anchor whose address begins
// with "http" and whose text is not empty, in page order, positions from 0.
std::vector<SourceResult> importHtmlLinks(std::string_view page);

// The items of an RSS feed (one holding "<rss"), or the entries of an Atom feed, as
// results: titles and descriptions as plain text, positions from 0, and the
// "brambel:source" ids of RSS items that `table` holds. Nothing for other text.
std::vector<SourceResult> importFeed(std::string_view feed, const SourceTable& table);

// The results of a file by its extension (any case): ".zset" a result set,
// ".html" and ".htm" a page's links, anything else a feed. Nothing when the
// file cannot be read.
std::optional<std::vector<SourceResult>> ImportResults(const std::filesystem::path& path, const SourceTable& table);

}  // namespace brambel
