#include "search/result_merge.h"

#include <algorithm>
#include <unordered_map>

namespace brambel {
namespace {

bool inCategory(const SourceResult& record, const std::set<std::u16string>& categorySources) {
  for (const std::u16string& id : record.sources)
    if (categorySources.count(id)) return true;
  return false;
}

}  // namespace

std::vector<ResultEntry> MergeLoadedResults(const std::vector<SourceResult>& raw,
                                            const LoadMergeOptions& options) {
  std::vector<ResultEntry> entries;
  const int64_t total = static_cast<int64_t>(raw.size());
  if (total == 0) return entries;
  std::unordered_map<std::u16string, size_t> byUrl(200);
  int added = 0;
  for (const SourceResult& record : raw) {
    // Wide arithmetic: a long run times 1000 must not overflow.
    const int32_t base = static_cast<int32_t>((total - record.position) * 1000 / total);
    if (auto found = byUrl.find(record.url); found != byUrl.end()) {
      ResultEntry& existing = entries[found->second];
      for (const std::u16string& id : record.sources)
        if (std::find(existing.record.sources.begin(), existing.record.sources.end(), id) ==
            existing.record.sources.end())
          existing.record.sources.push_back(id);
      existing.score = std::max(existing.score, base);
      continue;
    }
    if (added >= options.searchResultMax) continue;
    if (base < 0) continue;
    if (options.categorySources && !inCategory(record, *options.categorySources)) continue;
    ResultEntry entry{record, base};
    entry.record.loadDate = 0;
    if (options.storedDates) {
      if (std::optional<StoredDates> dates = options.storedDates(record.url)) {
        entry.record.contentDate = dates->contentDate;
        entry.record.loadDate = dates->loadDate;
      }
    }
    byUrl.emplace(record.url, entries.size());
    entries.push_back(std::move(entry));
    ++added;
  }
  return entries;
}

void SortByScore(std::vector<ResultEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const ResultEntry& a, const ResultEntry& b) {
    if (a.score != b.score) return a.score > b.score;
    return a.record.url < b.record.url;
  });
}

}  // namespace brambel
