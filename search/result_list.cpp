#include "search/result_list.h"

#include <algorithm>

namespace brambel {

namespace {
// The hash map's first size: a typical search's results fit without a rehash.
constexpr size_t kInitialBuckets = 200;
}  // namespace

ResultList::ResultList() : byUrl_(kInitialBuckets) {}

void ResultList::Clear() {
  entries_.clear();
  byUrl_.clear();
}

ResultEntry* ResultList::Find(const std::u16string& url) {
  auto found = byUrl_.find(url);
  return found == byUrl_.end() ? nullptr : &entries_[found->second];
}

bool ResultList::Merge(ResultEntry entry, bool keepBetterScore) {
  if (ResultEntry* existing = Find(entry.record.url)) {
    std::vector<std::u16string>& sources = existing->record.sources;
    for (std::u16string& id : entry.record.sources)
      if (std::find(sources.begin(), sources.end(), id) == sources.end()) sources.push_back(std::move(id));
    if (keepBetterScore) existing->score = std::max(existing->score, entry.score);
    return false;
  }
  if (entry.score < 0) return false;
  byUrl_.emplace(entry.record.url, entries_.size());
  entries_.push_back(std::move(entry));
  return true;
}

void ResultList::Reindex() {
  byUrl_.clear();
  for (size_t i = 0; i < entries_.size(); ++i) byUrl_.emplace(entries_[i].record.url, i);
}

}  // namespace brambel
