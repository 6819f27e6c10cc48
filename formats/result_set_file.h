#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/source_result.h"

namespace brambel {

class SourceTable;

// The result set format (".zset"): UTF-8, lines separated by LF, no header.
// One record per result:
//   URL
//   title        cut before its first line break
//   description  cut before its first line break
//   position     decimal
//   source ids   one per line: the result's searchable internet sources
//   -----
// Older files have no position line: their fourth line is already a source
// id, and the position is the record's index in the file.

// One record. Only the ids of sources of `table` that are searchable and
// internet sources are written.
std::string WriteResultRecord(const SourceResult& result, int32_t position, const SourceTable& table);

// The results of a result set text. Records whose URL does not begin with
// "http" are read but not kept; source ids `table` does not hold are dropped.
// A text holding "<?xml" is no result set and gives no results.
std::vector<SourceResult> parseResultSet(std::string_view text, const SourceTable& table);

// parseResultSet over a file read up to its first zero byte; nothing when it
// cannot be opened.
std::optional<std::vector<SourceResult>> ReadResultSet(const std::filesystem::path& path, const SourceTable& table);

}  // namespace brambel
