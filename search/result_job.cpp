#include "search/result_job.h"

#include <cmath>
#include <ctime>

#include "index/index_query.h"
#include "index/library_listing.h"
#include "index/query_parser.h"
#include "search/result_order.h"
#include "store/library_store.h"

namespace brambel {

namespace {

constexpr float kFirstPinnedScore = 50000.0f;
constexpr size_t kLibraryMaximum = 5000;

// Recent scores count from 1 February 2000, 00:00 local standard time.
int64_t recentEpoch() {
  std::tm start{};
  start.tm_year = 100;
  start.tm_mon = 1;
  start.tm_mday = 1;
  start.tm_isdst = 0;
  return static_cast<int64_t>(std::mktime(&start));
}

bool inCategory(const SourceResult& record, const std::set<std::u16string>& categorySources) {
  for (const std::u16string& id : record.sources)
    if (categorySources.count(id)) return true;
  return false;
}

}  // namespace

ResultJob::ResultJob(ResultJobRequest request, ResultJobLibrary library)
    : request_(std::move(request)), library_(library) {
  if (request_.mode != SearchMode::kLoad && library_.filter) {
    query_.terms = ParseQuery(request_.query, *library_.filter);
    query_.textTerms = SummaryTerms(query_.terms);
  }
  query_.strict = request_.mode == SearchMode::kRecent || request_.noMemoryIndexing;
}

UrlMarks ResultJob::MarksOf(const std::u16string& url) const {
  return library_.store ? library_.store->readMarks(url) : UrlMarks{};
}

ResultEntry ResultJob::StoredEntry(SourceResult record, int32_t score) const {
  ResultEntry entry;
  entry.marks = MarksOf(record.url);
  entry.record = std::move(record);
  entry.score = score;
  return entry;
}

void ResultJob::AddPinned(ResultList& list) const {
  float score = kFirstPinnedScore;
  for (const std::u16string& url : request_.pinned) {
    std::optional<SourceResult> stored = library_.store ? library_.store->readRecord(url) : std::nullopt;
    SourceResult record;
    if (stored) {
      record = std::move(*stored);
    } else {
      record.url = url;
      record.title = url;
    }
    record.url = url;
    ResultEntry entry = StoredEntry(std::move(record), static_cast<int32_t>(score));
    entry.pinned = true;
    score -= 1.0f;
    if (!entry.marks.isIgnored()) list.Merge(std::move(entry), false);
  }
}

std::vector<ResultJob::Candidate> ResultJob::LoadCandidates() const {
  std::vector<Candidate> candidates;
  const int64_t total = static_cast<int64_t>(request_.raw.size());
  for (const SourceResult& raw : request_.raw) {
    Candidate candidate;
    candidate.entry.record = raw;
    // Wide arithmetic: a long run times 1000 must not overflow.
    candidate.entry.score = static_cast<int32_t>((total - raw.position) * 1000 / total);
    candidate.entry.record.loadDate = 0;
    if (library_.store) {
      if (std::optional<SourceResult> stored = library_.store->readRecord(raw.url)) {
        candidate.entry.record.contentDate = stored->contentDate;
        candidate.entry.record.loadDate = stored->loadDate;
      }
    }
    candidate.entry.marks = MarksOf(raw.url);
    candidates.push_back(std::move(candidate));
  }
  return candidates;
}

std::vector<ResultJob::Candidate> ResultJob::FilterCandidates() const {
  // The loaded list first, merged as "Load" merges it.
  ResultList loaded;
  for (Candidate& candidate : LoadCandidates())
    if (!request_.categorySources || inCategory(candidate.entry.record, *request_.categorySources))
      loaded.Merge(std::move(candidate.entry), true);
  std::vector<Candidate> candidates;
  const int64_t total = static_cast<int64_t>(loaded.size());
  for (ResultEntry& entry : loaded.entries()) {
    if (entry.marks == UrlMarks{}) continue;  // the library has no record of the URL
    Candidate candidate{std::move(entry), !query_.terms.empty()};
    if (query_.terms.empty()) {
      const int64_t base = (total - candidate.entry.record.position) * 100 / total;
      candidate.entry.score = base < 0 ? 1 : static_cast<int32_t>(base);
    }
    candidates.push_back(std::move(candidate));
  }
  return candidates;
}

std::vector<ResultJob::Candidate> ResultJob::PermanentCandidates() const {
  std::vector<Candidate> candidates;
  if (!library_.store) return candidates;
  // Outside the first category only the documents its sources brought in
  // count, as in the category's count; with the source index switched off
  // nothing tells them apart, so every document does.
  std::optional<DocumentIdSet> category;
  if (request_.categorySources && library_.sourceIndex)
    category = DocumentsOfSources(*library_.sourceIndex, *request_.categorySources);
  if (category && category->empty()) return candidates;
  if (query_.terms.empty()) {
    LibraryCriteria criteria;
    criteria.mask = kSelectPermanent;
    criteria.maximum = kLibraryMaximum;
    for (const LibraryEntry& listed : ListLibrary(*library_.store, criteria)) {
      std::optional<SourceResult> record = library_.store->readRecord(listed.url);
      if (!record) continue;
      ResultEntry entry = StoredEntry(std::move(*record), 0);
      if (!category || category->count(entry.marks.recordId)) candidates.push_back({std::move(entry), false});
    }
    return candidates;
  }
  if (!library_.mainIndex) return candidates;
  std::vector<ScoredHit> hits;
  QueryIndex(*library_.mainIndex, query_.terms, hits, kLibraryMaximum, nullptr, nullptr,
             category ? &*category : nullptr);
  for (const ScoredHit& hit : hits) {
    std::optional<SourceResult> record = library_.store->readRecord(hit.id);
    if (!record) continue;
    const int32_t base = static_cast<int32_t>(std::trunc(static_cast<double>(hit.score) * 1000.0));
    candidates.push_back({StoredEntry(std::move(*record), base), true});
  }
  return candidates;
}

std::vector<ResultJob::Candidate> ResultJob::RecentCandidates() const {
  std::vector<Candidate> candidates;
  if (!library_.store) return candidates;
  LibraryCriteria criteria;
  criteria.mask = kSelectPermanent;
  criteria.maximum = kLibraryMaximum;
  const int64_t epoch = recentEpoch();
  for (const LibraryEntry& listed : ListLibrary(*library_.store, criteria)) {
    std::optional<SourceResult> record = library_.store->readRecord(listed.url);
    if (!record) continue;
    const int64_t base = static_cast<int64_t>(record->loadDate) - epoch;
    candidates.push_back({StoredEntry(std::move(*record), static_cast<int32_t>(base)), !query_.terms.empty()});
  }
  return candidates;
}

bool ResultJob::Run(ResultList& list, std::mutex& listMutex, const std::function<bool()>& isCurrent,
                    const std::function<void(bool)>& sliceDone, std::chrono::milliseconds slice) {
  std::vector<Candidate> candidates;
  switch (request_.mode) {
    case SearchMode::kLoad: candidates = LoadCandidates(); break;
    case SearchMode::kFilter: candidates = FilterCandidates(); break;
    case SearchMode::kPermanent: candidates = PermanentCandidates(); break;
    case SearchMode::kRecent: candidates = RecentCandidates(); break;
  }
  const bool keepBetterScore = request_.mode == SearchMode::kLoad;
  const StoredPageReader readPage = [this](uint32_t recordId) -> std::optional<StoredPage> {
    if (!library_.store || !library_.filter) return std::nullopt;
    return ReadStoredPage(*library_.store, recordId, *library_.filter);
  };

  bool scoresPresent = request_.mode == SearchMode::kFilter && query_.terms.empty();
  std::unique_lock lock(listMutex);
  if (!isCurrent()) return false;
  list.Clear();
  AddPinned(list);
  int added = 0;
  auto sliceStart = std::chrono::steady_clock::now();
  for (Candidate& candidate : candidates) {
    if (!isCurrent()) return false;
    if (candidate.entry.marks.isIgnored()) continue;
    // Past the limit, or outside the category, a URL only merges into an
    // entry already listed.
    const bool listed = list.Find(candidate.entry.record.url) != nullptr;
    if (!listed && added >= request_.searchResultMax) continue;
    if (!listed && request_.mode == SearchMode::kLoad && request_.categorySources &&
        !inCategory(candidate.entry.record, *request_.categorySources))
      continue;
    if (candidate.score) {
      const UrlMarks marks = candidate.entry.marks;
      scoresPresent |= ScoreEntry(candidate.entry, marks, request_.scoring, query_, isCurrent(), readPage);
    }
    if (list.Merge(std::move(candidate.entry), keepBetterScore)) ++added;
    if (std::chrono::steady_clock::now() - sliceStart >= slice) {
      lock.unlock();
      sliceDone(scoresPresent);
      lock.lock();
      sliceStart = std::chrono::steady_clock::now();
    }
  }
  if (!isCurrent()) return false;
  SortResults(list.entries(), request_.sortOrder);
  list.Reindex();
  lock.unlock();
  const bool librarySearch = request_.mode == SearchMode::kPermanent && !query_.terms.empty();
  if (librarySearch) libraryHits_ = static_cast<size_t>(added);
  if (librarySearch && !request_.countCategories.empty() && library_.mainIndex && library_.store &&
      library_.sourceIndex)
    categoryCounts_ = CategoryHitCounts(*library_.mainIndex, *library_.store, *library_.sourceIndex, query_.terms,
                                        request_.countCategories);
  sliceDone(scoresPresent);
  return true;
}

}  // namespace brambel
