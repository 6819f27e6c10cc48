#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "search/result_entry.h"
#include "store/source_result.h"

namespace brambel {

// The dates the library keeps for a URL it has stored.
struct StoredDates {
  uint32_t contentDate = 0;
  uint32_t loadDate = 0;
};

struct LoadMergeOptions {
  // The sources of the current category; nothing for the first category,
  // which shows the results of every source.
  std::optional<std::set<std::u16string>> categorySources;
  int searchResultMax = 250;  // entries added per merge
  // The library's dates for a URL; nothing when it has not stored the URL.
  std::function<std::optional<StoredDates>(const std::u16string& url)> storedDates;
};

// The result list of a search loaded from the internet: the raw results
// merged by URL, in arrival order. Each result's base score falls with its
// position in its source's answer, (N − position) × 1000 / N over the N raw
// results; a URL returned again gains the new sources and keeps the larger
// score. Dates come from the library's record of the URL; a URL the library
// has not stored keeps the content date its source gave and no load date.
std::vector<ResultEntry> MergeLoadedResults(const std::vector<SourceResult>& raw,
                                            const LoadMergeOptions& options);

// "By Score": score descending, then URL ascending by code point.
void SortByScore(std::vector<ResultEntry>& entries);

}  // namespace brambel
