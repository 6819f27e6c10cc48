#include "search/result_merge.h"

#include "search/result_list.h"
#include "search/result_order.h"

namespace brambel {

std::vector<ResultEntry> MergeLoadedResults(const std::vector<SourceResult>& raw,
                                            const LoadMergeOptions& options) {
  ResultList list;
  const int64_t total = static_cast<int64_t>(raw.size());
  int added = 0;
  for (const SourceResult& record : raw) {
    const bool listed = list.Find(record.url) != nullptr;
    if (!listed && added >= options.searchResultMax) continue;
    if (!listed && options.categorySources) {
      bool inCategory = false;
      for (const std::u16string& id : record.sources) inCategory |= options.categorySources->count(id) != 0;
      if (!inCategory) continue;
    }
    ResultEntry entry;
    entry.record = record;
    entry.score = static_cast<int32_t>((total - record.position) * 1000 / total);
    entry.record.loadDate = 0;
    if (!listed && options.storedDates) {
      if (std::optional<StoredDates> dates = options.storedDates(record.url)) {
        entry.record.contentDate = dates->contentDate;
        entry.record.loadDate = dates->loadDate;
      }
    }
    if (list.Merge(std::move(entry), true)) ++added;
  }
  return std::move(list.entries());
}

void SortByScore(std::vector<ResultEntry>& entries) { SortResults(entries, 0); }

}  // namespace brambel
