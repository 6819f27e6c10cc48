#include "search/category_counts.h"

#include <set>
#include <unordered_set>

#include "store/library_store.h"

namespace brambel {

namespace {

constexpr size_t kCountMaximum = 5000;

std::u16string decimal(size_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

bool hasContent(const LibraryStore& store, uint32_t id) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(store.contentPath(id), error);
  return !error && size > 0;
}

}  // namespace

std::vector<size_t> CategoryHitCounts(IndexFile& index, const LibraryStore& store, const SourceIndex& sources,
                                      std::span<const std::u16string> terms, const CategorySourceLists& categories) {
  std::vector<size_t> counts;
  for (size_t i = 0; i < categories.size(); ++i) {
    const DocumentIdSet restriction = i == 0 ? DocumentIdSet{} : DocumentsOfSources(sources, categories[i]);
    size_t count = 0;
    std::vector<ScoredHit> hits;
    // A category whose sources filed nothing has nothing to look up.
    if (i == 0 || !restriction.empty())
      QueryIndex(index, terms, hits, kCountMaximum, nullptr, nullptr, i == 0 ? nullptr : &restriction);
    for (const ScoredHit& hit : hits) count += hasContent(store, hit.id);
    counts.push_back(count);
  }
  return counts;
}

std::vector<size_t> LoadedCategoryCounts(const std::vector<SourceResult>& raw, const CategorySourceLists& categories) {
  std::vector<size_t> counts;
  for (size_t i = 0; i < categories.size(); ++i) {
    const std::unordered_set<std::u16string> members(categories[i].begin(), categories[i].end());
    std::set<std::u16string> urls;
    for (const SourceResult& record : raw) {
      bool inCategory = i == 0;
      for (size_t s = 0; s < record.sources.size() && !inCategory; ++s) inCategory = members.count(record.sources[s]);
      if (inCategory) urls.insert(record.url);
    }
    counts.push_back(urls.size());
  }
  return counts;
}

std::u16string CountCaption(size_t hits, size_t displayMax) {
  if (hits == 0) return {};
  const std::u16string number = decimal(hits) + (hits >= displayMax ? u"+" : u"");
  return number + (hits == 1 ? u" entry found in library" : u" entries found in library");
}

}  // namespace brambel
