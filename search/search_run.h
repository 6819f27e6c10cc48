#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "search/content_handoff.h"
#include "search/item_to_result.h"
#include "search/raw_result_sink.h"
#include "search/search_commands.h"
#include "search/search_listener.h"
#include "search/search_thread_params.h"
#include "sources/search_source.h"
#include "store/source_result.h"

namespace brambel {

// The loaded sources by instance id. Shared pointers: a source thread keeps
// its source alive even when the table is replaced while it runs.
using SourceMap = std::map<std::u16string, std::shared_ptr<SearchSource>>;

// A source whose run of the current search ended in failure, and why.
struct FailedSource {
  std::u16string instanceId;
  std::string reason;  // UTF-8, one line
  bool operator==(const FailedSource&) const = default;
};

enum class SearchMode : int { kLoad = 0, kFilter = 1, kPermanent = 2, kRecent = 3 };

struct SearchRunOptions {
  int maxSourceResults = 20;  // results asked of each source per search
  bool portable = false;      // nothing may be written to the system's web cache
  bool readOnly = false;      // the library is open read-only: nothing is handed to the pipeline
};

// The searches of one open library: starts one thread per source, collects
// what they return into the raw result list and the sponsor map, and hands
// each result to the content pipeline. A search is a generation: starting or
// stopping one increments the counter, and every thread still running for an
// older generation ends at its next page.
//
// At most kThreadSlots sources fetch at once; further threads wait for a slot.
// The raw results (and their URL groups), the sponsors and the failed-source
// list each have a lock of their own; no thread holds two of them.
class SearchRun {
 public:
  static constexpr int kThreadSlots = 10;
  static constexpr int kMaxSponsorsPerSource = 20;
  static constexpr std::chrono::milliseconds kRefreshInterval{300};

  explicit SearchRun(SearchRunOptions options, SearchListener* listener = nullptr);
  // Stops the search and waits for every source thread to end.
  ~SearchRun();
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;

  void SetSources(SourceMap sources);
  // The pipeline that takes each result; nullptr hands nothing over.
  void SetContentHandoff(ContentHandoff* handoff) { handoff_ = handoff; }
  // Where a batch search records its results; nullptr records nothing.
  void SetRawResultSink(RawResultSink* sink) { rawSink_ = sink; }
  // Tells whether the library already has a mark record for a URL.
  void SetKnownUrlCheck(std::function<bool(const std::u16string&)> check) { isKnown_ = std::move(check); }
  SearchCommandMap& commands() { return commands_; }

  // Searches the sources `categorySourceIds` (in that order) for `terms`.
  // A "//" command runs that command instead; a typed web address becomes
  // the only result. `newSearch` false keeps the results of the running
  // search and adds to them ("more results"); each source is then asked for
  // maxSourceResults × `multiplier` results (-1: maxSourceResults).
  void RunSearch(const std::u16string& terms, bool newSearch, int multiplier,
                 const std::vector<std::u16string>& categorySourceIds);
  // Searches every source of every category once (never the library source),
  // recording the results through the raw result sink.
  void SearchAllCategories(const std::u16string& terms,
                           const std::vector<std::vector<std::u16string>>& categories);
  // Ends the running search: its threads stop at their next page.
  void StopSearch();
  // Forgets the previous search: results, sponsors, failures, queued content
  // work; the listener is told that the result list changed.
  void ResetResults();
  // The search text was edited: a view of loaded results turns to filtering
  // them, or to the library when there are none.
  void SearchTextEdited();
  // The view chose a result mode itself (the document keeps the two in step).
  void SetMode(SearchMode mode) { mode_ = mode; }
  // Results that come from outside a search (a result file, a restored
  // batch, a stored page named by a startup line): appended to the raw list
  // whatever search is current; the listener is told the list changed.
  void AppendRawResults(std::vector<SourceResult> records);
  // Starts one source thread (the launcher of every search, and of commands
  // that run a source with parameters of their own).
  void StartSourceThread(SearchThreadParams params);

  // Waits until every source thread has ended, its last report made; false
  // when `timeout` passed first.
  bool WaitUntilIdle(std::chrono::milliseconds timeout);

  int generation() const { return generation_.load(); }
  int runningSourceCount() const { return runningSources_.load(); }
  int imageBudget() const { return imageBudget_.load(); }
  SearchMode mode() const { return mode_.load(); }
  int sortOrder() const { return sortOrder_.load(); }
  int displayedGeneration() const { return displayedGeneration_.load(); }
  bool isBatchLoad() const { return batchLoad_.load(); }

  // Copies taken under the respective lock.
  std::vector<SourceResult> RawResults() const;
  // Indexes into RawResults() of the entries whose URL is `url`, in arrival order.
  std::vector<size_t> UrlGroup(const std::u16string& url) const;
  // The sponsored results, lowest position first.
  std::vector<SourceResult> Sponsors() const;
  std::vector<FailedSource> FailedSources() const;

 private:
  // The body of a source thread. Whatever the source does, even throw, the
  // thread gives back its slot, lowers the running count and reports its end.
  void SourceSearchThread(SearchThreadParams params, int resets);
  class ThreadEnd;
  void RunPages(SearchThreadParams& params, int resets);
  void HandOver(const SearchThreadParams& params, const SourceResult& record,
                std::vector<std::u16string> sourceIds, ItemContent content, int priority,
                bool addOwnId, const std::u16string& ownId);
  // Both add only while `generation` is still the current search, checked
  // under the list's own lock, so a thread that is still walking a page of
  // an older search never adds to the results of a newer one. False when
  // the search has moved on.
  bool AddRawResult(const SourceResult& record, int generation);
  bool AddSponsor(const SourceResult& record, int generation);
  // Lists a failed source unless the results were reset since its thread
  // started (`resets` is the reset count the thread started with).
  void AddFailedSource(const std::u16string& instanceId, std::string reason, int resets);
  std::shared_ptr<SearchSource> FindSource(const std::u16string& instanceId) const;
  void AddTypedUrl(const std::u16string& url);
  void ReapFinishedThreads();

  const SearchRunOptions options_;
  SearchListener* const listener_;
  SearchListener silentListener_;
  ContentHandoff* handoff_ = nullptr;
  RawResultSink* rawSink_ = nullptr;
  std::function<bool(const std::u16string&)> isKnown_;
  SearchCommandMap commands_;

  std::atomic<int> generation_{0};
  std::atomic<int> runningSources_{0};
  std::atomic<int> imageBudget_{0};
  std::atomic<SearchMode> mode_{SearchMode::kLoad};
  std::atomic<int> sortOrder_{0};
  std::atomic<int> displayedGeneration_{0};
  std::atomic<bool> batchLoad_{false};
  std::counting_semaphore<kThreadSlots> threadSlots_{kThreadSlots};

  mutable std::mutex sourcesMutex_;
  SourceMap sources_;

  mutable std::mutex resultsMutex_;
  std::vector<SourceResult> rawResults_;
  std::map<std::u16string, std::vector<size_t>> urlGroups_;

  mutable std::mutex sponsorsMutex_;
  std::map<std::u16string, SourceResult> sponsors_;

  mutable std::mutex failedMutex_;
  std::vector<FailedSource> failedSources_;
  std::atomic<int> resets_{0};  // ResetResults calls so far

  // Threads, and the wait for the running count to reach zero.
  struct SourceThread {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::mutex threadsMutex_;
  std::list<SourceThread> threads_;
  std::mutex idleMutex_;
  std::condition_variable idle_;
  int unfinishedThreads_ = 0;  // guarded by idleMutex_
};

}  // namespace brambel
