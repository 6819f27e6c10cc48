#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/application.h"
#include "app/document_listener.h"
#include "app/library_settings.h"
#include "app/prompter.h"
#include "formats/category_set.h"
#include "formats/source_table.h"
#include "index/index_optimiser.h"
#include "index/term_filter.h"
#include "pipeline/content_pipeline.h"
#include "platform/library_lock.h"
#include "search/result_entry.h"
#include "search/result_job.h"
#include "search/result_list.h"
#include "search/saved_terms.h"
#include "search/search_history.h"
#include "search/search_launcher.h"
#include "search/search_run.h"
#include "store/index_file.h"
#include "store/library_store.h"
#include "store/source_index.h"
#include "store/source_index_rebuild.h"

namespace brambel {

// The document: everything of one open library. It owns the category set
// and the source table, the record store with the per-URL marks, the main
// index, the source index, the search run with its raw results and
// sponsors, the displayed result list, the pinned list, the history and the
// saved terms. Views talk to it through their listener and prompter.
//
// Threads: the public operations are called from one thread (the desktop's
// interface thread, the command line's main thread); the listener hears from
// the search threads and from the result-job thread as well. The displayed
// list has its own lock, taken by DisplayedResults and by the job one time
// slice at a time.
class CTesserin2Doc {
 public:
  // Index cache of a read-only library, in bytes.
  static constexpr uint32_t kReadOnlyIndexCache = 0x40000;
  static constexpr char kSourcesDirectoryName[] = "sources";

  CTesserin2Doc(Application& application, DocumentListener& listener, Prompter& prompter);
  // Closes the library.
  ~CTesserin2Doc();
  CTesserin2Doc(const CTesserin2Doc&) = delete;
  CTesserin2Doc& operator=(const CTesserin2Doc&) = delete;

  // ---- the library -------------------------------------------------------

  enum class Access { Normal, ReadOnly };
  // Opens the library in `path` (closing the one open). `isDefault`: the
  // library of start-up, created through the category-set chooser when it
  // does not exist. Access::ReadOnly opens without taking the lock and
  // writes nothing. False when the library cannot be used or the chooser
  // was cancelled or the user switched to the other instance
  // (exitRequested() then tells the program to end).
  bool OpenLibrary(const std::filesystem::path& path, bool isDefault, Access access = Access::Normal);
  // Stops searches, result jobs and content work, saves the lists, releases
  // the index and the lock. Nothing when no library is open.
  void CloseLibrary();

  bool isOpen() const { return library_ != nullptr; }
  bool isReadOnly() const { return readOnly_; }
  bool exitRequested() const { return exitRequested_; }
  // Why the library is read-only, for a one-line report; empty when writable.
  const std::u16string& readOnlyReason() const { return readOnlyReason_; }
  const std::filesystem::path& libraryDirectory() const { return directory_; }
  // The library's name, then "(Read Only)" and "(Portable Mode)" as they apply.
  std::u16string Title() const;
  const LibrarySettings& librarySettings() const { return librarySettings_; }
  // Writes the library's "settings.dat". The settings read as they are used
  // on the interface thread (start-up and category addresses, the search
  // label, the preview image's size, the per-source flags) change at once;
  // the search run, the term filter and the content pipeline took the rest
  // as they started and take the new ones when the library opens again.
  // False with nothing changed when read-only or the file cannot be written.
  bool SetLibrarySettings(const LibrarySettings& settings);
  const Application& application() const { return application_; }

  // ---- categories and sources ---------------------------------------------

  const CategorySet& categories() const { return categories_; }
  const SourceTable& sourceTable() const { return *sourceTable_; }
  size_t currentCategory() const { return currentCategory_; }
  // Replaces the categories and the user-defined sources they bring (a set
  // loaded from a file); `save` writes them into the library as its
  // "categories.zcat" (never in read-only mode). Stops a running search.
  void SetCategories(CategorySet set, SourceDefinitions definitions, bool save);
  void SelectCategory(size_t index);

  // ---- searching ----------------------------------------------------------

  // Searches the current category's sources (the launch rules of the search
  // run: "//" commands, typed URLs, "more results" with newSearch false).
  // Switches to "Load" mode and rebuilds the displayed list as results come.
  void RunSearch(const std::u16string& terms, bool newSearch = true, int multiplier = 1);
  // Searches every category's sources once, recording into "raw_results.zset".
  void SearchAllCategories(const std::u16string& terms);
  void StopSearch();
  // One press of the search command, Ctrl and Shift as held: the launcher
  // stops the running search, searches the selected category (Ctrl: more
  // results, kept with the others) or every category; the document's mode
  // follows the run's, and searched terms go into the history. The desktop
  // and the command line both press here, so their modes stay in step.
  SearchLaunch PressSearch(const std::u16string& text, bool ctrl = false, bool shift = false);
  // The search field was edited: the repeat counter starts over and a
  // "Load" view turns to "Filter" (or "Permanent" when nothing was loaded).
  void SearchTextEdited();
  // Asks each source for `count` results from now on instead of the
  // library's "maxSourceResults" (not stored). Stops a running search.
  void SetMaxSourceResults(uint32_t count);
  // Waits until no source thread runs; false when `timeout` passed first.
  bool WaitForSearch(std::chrono::milliseconds timeout);
  const SearchRun& searchRun() const { return *searchRun_; }
  SearchRun& searchRun() { return *searchRun_; }

  // Shows `results` (an imported file's, a restored batch's, the startup
  // commands') as the loaded results. `replace` forgets the previous search
  // first (its threads stop adding); otherwise they join the raw list. The
  // mode becomes "Load", the held filter terms are cleared, and the list is
  // shown whichever category is current. Results without a web address are
  // dropped.
  void LoadResults(std::vector<SourceResult> results, bool replace);

  // ---- the displayed results ----------------------------------------------

  SearchMode resultMode() const { return mode_; }
  // Changes the mode and the terms the modes "Filter", "Permanent" and
  // Recent score against, and rebuilds the list. Terms match as they stand:
  // the library search is case-sensitive, since neither the indexed text nor
  // the query is case-folded.
  void SetResultMode(SearchMode mode, const std::u16string& terms = {});
  std::u16string filterTerms() const;
  // Starts a result job for the current mode (the one running stops).
  void RebuildResults();
  // Waits until the latest result job has ended; false on time-out.
  bool WaitForResults(std::chrono::milliseconds timeout);
  // A copy of the displayed list, pinned entries first.
  std::vector<ResultEntry> DisplayedResults() const;
  int sortOrder() const { return sortOrder_; }
  // The count shown on each category's tab: in "Permanent" mode the hits of
  // the last library search with terms in that category, in the other modes
  // the loaded results the category's sources found. Zeros when the
  // "categoryCounts" setting is off.
  std::vector<size_t> CategoryCounts() const;
  // "12 entries found in library" after a library search with hits; empty
  // otherwise.
  std::u16string CountCaption() const;
  // Re-sorts the displayed list at once (codes of search/result_order.h).
  void SortResults(int order);

  // ---- marks --------------------------------------------------------------

  UrlMarks Marks(const std::u16string& url) const;
  // Sets or toggles the permanent mark; a page not yet in the main index is
  // indexed now. A URL the library has not stored yet keeps the mark for
  // when it is. False when read-only.
  bool SetPermanent(const std::u16string& url, bool value, bool toggle = false);
  // Pins, unpins or toggles; pinned URLs lead every list while the library
  // stays open. Works in read-only mode too (nothing is written).
  void SetPinned(const std::u16string& url, bool pin, bool toggle = false);
  bool IsPinned(const std::u16string& url) const;
  std::vector<std::u16string> pinned() const;
  // Ignoring asks first (message 1009) unless `confirmed`; ignored URLs
  // never appear in a result list.
  bool SetIgnored(const std::u16string& url, bool value, bool confirmed = false);
  bool SetRead(const std::u16string& url, bool value);
  // The user opened or hovered a result: its date becomes `when` (now).
  bool RecordClick(const std::u16string& url, uint32_t when = 0);
  bool RecordHover(const std::u16string& url, uint32_t when = 0);

  // ---- history and saved terms --------------------------------------------

  const std::vector<std::u16string>& history() const { return history_.entries(); }
  // Records a search text (see SearchHistory::Add) and saves the history.
  void AddHistory(const std::u16string& text);
  // Asks first (message 2039) unless `confirmed`; true when cleared.
  bool ClearHistory(bool confirmed = false);
  const std::vector<std::u16string>& savedTerms() const { return savedTerms_.entries(); }
  bool AddSavedTerm(const std::u16string& term);
  bool RemoveSavedTerm(const std::u16string& term);

  // ---- the content pipeline -------------------------------------------------

  // The desktop's render and thumbnail steps, used by libraries opened from
  // now on; without them nothing is rendered.
  void SetPreviewSteps(PreviewSteps* previews) { previews_ = previews; }
  // The pipeline of a writable library; null when read-only or closed.
  ContentPipeline* pipeline() const { return pipeline_.get(); }
  // The live rows of the statistics window, one per pool (queued, in
  // progress, handled since the library opened); empty without a pipeline.
  std::vector<PoolStatistics> PoolRows() const;
  // Waits until the content queues are empty and no worker is busy; true at
  // once without a pipeline, false when `timeout` passed first.
  bool WaitForContent(std::chrono::milliseconds timeout);

  // Rewrites the main index into a compact copy without the postings of
  // documents removed from the library. The pipeline stops meanwhile and
  // starts again. Failed with nothing changed when read-only.
  OptimiseResult OptimizeIndex(const std::function<void(int percent)>& progress = {});
  // The same with the user's part: the index missing or the disk too full
  // is told, the user is asked before the copy starts and sees its
  // progress. Nothing when the user declined. A view that runs it on a
  // worker thread passes a prompter that reaches its own thread.
  std::optional<OptimiseResult> OptimizeIndex(MaintenancePrompter& prompter);
  // The same through the document's own prompter (the command line).
  std::optional<OptimiseResult> OptimizeIndexAsking();

  // ---- what the content pipeline and the tools share ----------------------

  std::shared_ptr<LibraryStore> library() const { return library_; }
  IndexFile* mainIndex() const { return mainIndex_.get(); }
  // Null when the user declined to rebuild a lost one: it is then neither
  // used nor saved while the library stays open.
  SourceIndex* sourceIndex() const { return sourceIndex_.get(); }
  // Builds the source index anew from the source lists of the library's
  // content files; documents stored without a list are filed under the
  // sources that the last batch's raw results and the results loaded now
  // name for them. The library's work stops meanwhile; the progress goes to
  // `prompter` (a view running it on a worker thread passes one that
  // reaches its own thread), or to the document's own. Nothing when read-only.
  std::optional<SourceIndexRebuild> RebuildSourceIndex(MaintenancePrompter& prompter);
  std::optional<SourceIndexRebuild> RebuildSourceIndex();
  const TermFilter& termFilter() const { return *termFilter_; }
  // The record store fell below the free-space threshold: the first report
  // of the process tells the user (message 1004), later ones are silent.
  void ReportLowDiskSpace();

 private:
  class SearchEvents;
  class PipelineEvents;
  class MaintenanceBridge;

  bool CreateLibrary(const std::filesystem::path& directory);
  bool OpenStores(Access access);
  // False when the source index could not be read.
  bool OpenSourceIndex();
  // A lost source index of a library whose main index holds terms: asks
  // whether to rebuild it now, else leaves it off.
  void OfferSourceIndexRebuild();
  void LoadCategoriesAndSources();
  void BuildSources(SourceDefinitions definitions);
  void ApplyNewSetSettings(const std::u16string& settingsText);
  void ApplyLibrarySettings();
  void CreateSearchRun();
  void MarkReadOnly(std::u16string reason);
  bool UpdateMarks(const std::u16string& url, const std::function<void(UrlMarks&)>& change);
  void StartPipeline();
  void StopPipeline();
  // Stops what writes the index, runs `work` on the closed index with the
  // documents removed from the library, and reopens it.
  std::optional<OptimiseResult> RunOnClosedIndex(
      const std::function<std::optional<OptimiseResult>(const IndexFileOptions&, const DocumentIdSet&)>& work);
  void SaveHistory() const;
  void ResultJobThread();
  CategorySourceLists CategorySources() const;
  // Waits for the running job; `acceptMore` false refuses new ones until a library opens.
  void StopResultJobs(bool acceptMore = true);

  Application& application_;
  DocumentListener& listener_;
  Prompter& prompter_;
  std::unique_ptr<SearchEvents> searchEvents_;
  std::unique_ptr<PipelineEvents> pipelineEvents_;
  PreviewSteps* previews_ = nullptr;

  std::filesystem::path directory_;
  bool readOnly_ = false;
  std::u16string readOnlyReason_;
  bool exitRequested_ = false;
  bool createdFromSet_ = false;
  bool sourceIndexLost_ = false;  // while opening: the source index could not be read
  LibrarySettings librarySettings_;
  LibraryLock lock_;
  std::shared_ptr<LibraryStore> library_;
  std::unique_ptr<IndexFile> mainIndex_;
  std::unique_ptr<SourceIndex> sourceIndex_;
  std::unique_ptr<TermFilter> termFilter_;

  CategorySet categories_;
  std::unique_ptr<SourceTable> sourceTable_;
  std::atomic<size_t> currentCategory_{0};
  std::unique_ptr<SearchRun> searchRun_;
  SearchLauncher launcher_;
  std::unique_ptr<ContentPipeline> pipeline_;

  SearchHistory history_;
  SavedTerms savedTerms_;
  // What a result job starts from; source threads start jobs too.
  mutable std::mutex stateMutex_;
  std::vector<std::u16string> pinned_;                          // guarded by stateMutex_
  std::unordered_map<std::u16string, size_t> pinnedPositions_;  // guarded by stateMutex_
  std::u16string filterTerms_;                                  // guarded by stateMutex_
  size_t libraryHits_ = 0;                                      // guarded by stateMutex_
  std::vector<size_t> libraryCategoryCounts_;                   // guarded by stateMutex_

  std::atomic<SearchMode> mode_{SearchMode::kPermanent};
  // The raw list came from LoadResults rather than the category's sources,
  // so the category does not filter it.
  std::atomic<bool> loadedFromOutside_{false};
  std::atomic<int> sortOrder_{0};

  // The displayed list and the one result-job thread.
  mutable std::mutex displayedMutex_;
  ResultList displayed_;
  std::mutex jobMutex_;
  std::condition_variable jobWake_;
  std::condition_variable jobDone_;
  struct PendingJob {
    ResultJobRequest request;
    ResultJobLibrary library;
  };
  std::optional<PendingJob> pendingJob_;     // guarded by jobMutex_
  bool jobRunning_ = false;                  // guarded by jobMutex_
  bool jobThreadEnding_ = false;             // guarded by jobMutex_
  bool acceptingJobs_ = true;                // guarded by jobMutex_; false while (re)opening or closed
  std::atomic<int> jobGeneration_{0};
  std::thread jobThread_;
};

}  // namespace brambel
