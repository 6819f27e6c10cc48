#include "search/search_run.h"

#include <algorithm>
#include <set>

#include "toolkit/utf8_conversion.h"

namespace brambel {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

SearchRun::SearchRun(SearchRunOptions options, SearchListener* listener)
    : options_(options), listener_(listener ? listener : &silentListener_) {}

SearchRun::~SearchRun() {
  StopSearch();
  std::lock_guard lock(threadsMutex_);
  for (SourceThread& worker : threads_) worker.thread.join();
}

void SearchRun::SetSources(SourceMap sources) {
  std::lock_guard lock(sourcesMutex_);
  sources_ = std::move(sources);
}

std::shared_ptr<SearchSource> SearchRun::FindSource(const std::u16string& instanceId) const {
  std::lock_guard lock(sourcesMutex_);
  auto found = sources_.find(instanceId);
  return found == sources_.end() ? nullptr : found->second;
}

void SearchRun::RunSearch(const std::u16string& terms, bool newSearch, int multiplier,
                          const std::vector<std::u16string>& categorySourceIds) {
  if (std::optional<SearchCommandLine> command = ParseSearchCommand(terms)) {
    commands_.Run(*command);
    return;
  }
  if (newSearch) {
    ResetResults();
    imageBudget_ = options_.maxSourceResults;
  } else {
    imageBudget_ += options_.maxSourceResults;
  }
  mode_ = SearchMode::kLoad;
  sortOrder_ = 0;

  if (IsTypedUrl(terms)) {
    listener_->CategorySwitched();
    AddTypedUrl(terms);
  } else {
    listener_->ResultListChanged();
    int maxResults = multiplier == -1 ? options_.maxSourceResults : options_.maxSourceResults * multiplier;
    for (const std::u16string& id : categorySourceIds) {
      std::shared_ptr<SearchSource> source = FindSource(id);
      if (!source || !source->IsSearchable()) continue;
      if (terms.empty() && !source->AcceptsEmptyQuery()) continue;
      SearchThreadParams params;
      params.source = std::move(source);
      params.terms = terms;
      params.generation = generation_;
      params.maxResults = maxResults;
      StartSourceThread(std::move(params));
    }
  }
  displayedGeneration_ = generation_.load();
}

void SearchRun::AddTypedUrl(const std::u16string& url) {
  SourceResult record;
  record.url = url;
  record.title = url;
  record.marker = -1;
  AddRawResult(record, generation_);
  listener_->ResultListChanged();
  if (!handoff_ || options_.readOnly) return;
  ContentRequest request;
  request.result = record;
  handoff_->AddLoad(url, generation_, std::move(request), EnqueueMode::kWaitForRoom, 0);
}

void SearchRun::SearchAllCategories(const std::u16string& terms,
                                    const std::vector<std::vector<std::u16string>>& categories) {
  ResetResults();
  batchLoad_ = true;
  if (rawSink_) rawSink_->Clear();
  mode_ = SearchMode::kLoad;
  // A new search: the budget left over from the previous one does not carry over.
  imageBudget_ = 0;
  listener_->ResultListChanged();
  std::set<std::u16string> started;
  for (const std::vector<std::u16string>& category : categories) {
    for (const std::u16string& id : category) {
      if (!started.insert(id).second) continue;
      std::shared_ptr<SearchSource> source = FindSource(id);
      if (!source || !source->IsSearchable()) continue;
      if (terms.empty() && !source->AcceptsEmptyQuery()) continue;
      if (source->GetKey() == u"library") continue;
      SearchThreadParams params;
      params.source = std::move(source);
      params.terms = terms;
      params.generation = generation_;
      params.maxResults = options_.maxSourceResults;
      params.recordRaw = true;
      params.unthrottled = true;
      StartSourceThread(std::move(params));
      imageBudget_ += options_.maxSourceResults;
    }
  }
}

void SearchRun::StopSearch() {
  ++generation_;
  imageBudget_ = 0;
  if (handoff_) handoff_->ClearImageQueue();
}

void SearchRun::ResetResults() {
  if (handoff_) handoff_->ClearForNewSearch();
  {
    std::lock_guard lock(resultsMutex_);
    rawResults_.clear();
    urlGroups_.clear();
    ++generation_;
  }
  {
    std::lock_guard lock(failedMutex_);
    failedSources_.clear();
    ++resets_;
  }
  {
    std::lock_guard lock(sponsorsMutex_);
    sponsors_.clear();
  }
  mode_ = SearchMode::kPermanent;
  // A batch load's results are gone: the categories filter them again.
  batchLoad_ = false;
  listener_->ResultListChanged();
}

void SearchRun::SearchTextEdited() {
  bool holdsResults;
  {
    std::lock_guard lock(resultsMutex_);
    holdsResults = !rawResults_.empty();
  }
  SearchMode loaded = SearchMode::kLoad;
  mode_.compare_exchange_strong(loaded, holdsResults ? SearchMode::kFilter : SearchMode::kPermanent);
}

void SearchRun::StartSourceThread(SearchThreadParams params) {
  ReapFinishedThreads();
  ++runningSources_;
  {
    std::lock_guard lock(idleMutex_);
    ++unfinishedThreads_;
  }
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::lock_guard lock(threadsMutex_);
  threads_.push_back({std::thread([this, params = std::move(params), done, resets = resets_.load()]() mutable {
                        SourceSearchThread(std::move(params), resets);
                        *done = true;
                      }),
                      done});
}

void SearchRun::ReapFinishedThreads() {
  std::lock_guard lock(threadsMutex_);
  for (auto it = threads_.begin(); it != threads_.end();) {
    if (*it->done) {
      it->thread.join();
      it = threads_.erase(it);
    } else {
      ++it;
    }
  }
}

bool SearchRun::WaitUntilIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(idleMutex_);
  return idle_.wait_for(lock, timeout, [this] { return unfinishedThreads_ == 0; });
}

// Held by a source thread from the moment it has its slot: on leaving, in
// every case, the slot, the running count and the idle wait are released and
// the end is reported.
class SearchRun::ThreadEnd {
 public:
  ThreadEnd(SearchRun& run, const std::u16string& instanceId) : run_(run), instanceId_(instanceId) {}
  ThreadEnd(const ThreadEnd&) = delete;
  ThreadEnd& operator=(const ThreadEnd&) = delete;
  ~ThreadEnd() {
    --run_.runningSources_;
    try {
      run_.listener_->SourceFinished(instanceId_);
    } catch (...) {
      // A listener's failure must not keep the slot or the idle wait.
    }
    run_.threadSlots_.release();
    std::lock_guard lock(run_.idleMutex_);
    --run_.unfinishedThreads_;
    run_.idle_.notify_all();
  }

 private:
  SearchRun& run_;
  const std::u16string& instanceId_;
};

void SearchRun::SourceSearchThread(SearchThreadParams params, int resets) {
  threadSlots_.acquire();
  std::u16string instanceId;
  ThreadEnd end(*this, instanceId);
  // Destroyed before `end`: the source is let go before the thread reports its end.
  SearchThreadParams running = std::move(params);
  try {
    instanceId = running.source->GetInstanceId();
    // A thread that waited for its slot past the end of its search does not start.
    if (running.generation == generation_) RunPages(running, resets);
  } catch (const std::exception& error) {
    AddFailedSource(instanceId, std::string("stopped by an error: ") + error.what(), resets);
  } catch (...) {
    AddFailedSource(instanceId, "stopped by an unknown error", resets);
  }
}

void SearchRun::RunPages(SearchThreadParams& params, int resets) {
  SearchSource& source = *params.source;
  const std::u16string instanceId = source.GetInstanceId();
  std::unique_ptr<SearchCursor> cursor =
      source.BeginSearch(params.terms, params.maxResults, params.overrides, options_.portable);
  if (!cursor) {
    AddFailedSource(instanceId, "could not start (missing or bad parameters?)", resets);
    return;
  }
  const bool internet = source.IsInternetSource();
  const bool searchable = source.IsSearchable();
  int count = params.startIndex;
  int sponsorCount = 0;
  Clock::time_point lastRefresh = Clock::now();
  ResultGroups groups;
  while (source.NextPage(*cursor, groups) && params.generation == generation_ &&
         count < params.maxResults) {
    for (ResultGroup& group : groups) {
      if (group.name == kSearchGroup) {
        for (const ResultItem& item : group.items) {
          if (count >= params.maxResults && internet) break;
          ItemContent content;
          SourceResult record = ItemToResult(item, count, &content);
          if (params.skipKnown && isKnown_ && isKnown_(record.url)) continue;
          record.searchUrl = cursor->GetUrl();
          if (record.url.starts_with(u"http")) {
            std::vector<std::u16string> itemSources = record.sources;
            if (searchable) record.sources.push_back(instanceId);
            if (!AddRawResult(record, params.generation)) break;
            if (params.recordRaw && rawSink_) rawSink_->Append(record);
            HandOver(params, record, std::move(itemSources), std::move(content), count,
                     internet && searchable, instanceId);
          }
          ++count;
          if (Clock::now() - lastRefresh > kRefreshInterval) {
            listener_->ResultsChanged();
            lastRefresh = Clock::now();
          }
        }
        listener_->ResultsChanged();
      } else if (group.name == kSponsorsGroup) {
        for (const ResultItem& item : group.items) {
          if (sponsorCount >= kMaxSponsorsPerSource) break;
          SourceResult record = ItemToResult(item, sponsorCount);
          record.sources.push_back(instanceId);
          if (!AddSponsor(record, params.generation)) break;
          ++sponsorCount;
        }
        listener_->SponsorsChanged();
      }
    }
    groups.clear();
    listener_->ResultsChanged();
  }
  if (cursor->errorFlag) {
    // The cursor's own reason (a status and where it pointed) lets the user mend the address.
    std::string reason = cursor->errorText.empty() ? std::string() : utf16ToUtf8(cursor->errorText).value_or("");
    AddFailedSource(instanceId, reason.empty() ? "a page could not be fetched" : reason, resets);
  }
  source.EndSearch(std::move(cursor));
}

void SearchRun::HandOver(const SearchThreadParams& params, const SourceResult& record,
                         std::vector<std::u16string> sourceIds, ItemContent content, int priority,
                         bool addOwnId, const std::u16string& ownId) {
  if (!handoff_ || options_.readOnly) return;
  ContentRequest request;
  request.result = record;
  request.sourceIds = std::move(sourceIds);
  if (addOwnId) request.sourceIds.push_back(ownId);
  request.unthrottled = params.unthrottled;
  request.skipKnown = params.skipKnown;
  request.content = std::move(content.content);
  request.contentType = std::move(content.contentType);
  request.lastModified = std::move(content.lastModified);
  request.expires = std::move(content.expires);
  request.etag = std::move(content.etag);
  request.titleOverride = std::move(content.titleOverride);
  request.imageOverride = std::move(content.imageOverride);
  handoff_->AddLoad(record.url, params.generation, std::move(request),
                    params.unthrottled ? EnqueueMode::kNeverWait : EnqueueMode::kWaitForRoom, priority);
}

bool SearchRun::AddRawResult(const SourceResult& record, int generation) {
  std::lock_guard lock(resultsMutex_);
  if (generation != generation_) return false;
  rawResults_.push_back(record);
  urlGroups_[record.url].push_back(rawResults_.size() - 1);
  return true;
}

void SearchRun::AppendRawResults(std::vector<SourceResult> records) {
  {
    std::lock_guard lock(resultsMutex_);
    for (SourceResult& record : records) {
      urlGroups_[record.url].push_back(rawResults_.size());
      rawResults_.push_back(std::move(record));
    }
  }
  listener_->ResultListChanged();
}

bool SearchRun::AddSponsor(const SourceResult& record, int generation) {
  if (record.url.empty()) return true;
  SourceResult sponsor = record;
  sponsor.title = trimWhiteSpace(sponsor.title);
  sponsor.description = trimLeadingWhiteSpace(sponsor.description);
  std::lock_guard lock(sponsorsMutex_);
  if (generation != generation_) return false;
  auto [entry, inserted] = sponsors_.try_emplace(sponsor.url, sponsor);
  if (!inserted) entry->second.position = std::min(entry->second.position, sponsor.position);
  return true;
}

void SearchRun::AddFailedSource(const std::u16string& instanceId, std::string reason, int resets) {
  std::lock_guard lock(failedMutex_);
  if (resets != resets_) return;
  failedSources_.push_back({instanceId, std::move(reason)});
}

std::vector<SourceResult> SearchRun::RawResults() const {
  std::lock_guard lock(resultsMutex_);
  return rawResults_;
}

std::vector<size_t> SearchRun::UrlGroup(const std::u16string& url) const {
  std::lock_guard lock(resultsMutex_);
  auto found = urlGroups_.find(url);
  return found == urlGroups_.end() ? std::vector<size_t>() : found->second;
}

std::vector<SourceResult> SearchRun::Sponsors() const {
  std::vector<SourceResult> list;
  {
    std::lock_guard lock(sponsorsMutex_);
    for (const auto& entry : sponsors_) list.push_back(entry.second);
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const SourceResult& a, const SourceResult& b) { return a.position < b.position; });
  return list;
}

std::vector<FailedSource> SearchRun::FailedSources() const {
  std::lock_guard lock(failedMutex_);
  return failedSources_;
}

}  // namespace brambel
