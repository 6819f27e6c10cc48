#pragma once

#include "cli/json_output.h"
#include "search/result_entry.h"

namespace brambel::cli {

// A displayed result as JSON: the record's fields (resultJson), then
// position, score, loadDate, summary (the description shown under it) and
// marks {permanent, pinned, ignored, read}.
Json entryJson(const ResultEntry& entry);

// The results of a list, one line each, for people:
// rank, title, URL, sources, score, dates and marks.
void printEntries(const std::vector<ResultEntry>& entries, std::ostream& out);

}  // namespace brambel::cli
