#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "search/category_counts.h"
#include "search/result_list.h"
#include "search/result_scoring.h"
#include "search/search_run.h"

namespace brambel {

class IndexFile;
class LibraryStore;
class SourceIndex;
class TermFilter;

// The library as a result job reads it; any part may be missing (no library
// open, no index), and the job then knows nothing of stored pages.
struct ResultJobLibrary {
  const LibraryStore* store = nullptr;
  IndexFile* mainIndex = nullptr;
  const TermFilter* filter = nullptr;
  const SourceIndex* sourceIndex = nullptr;  // a category's documents, for "Permanent" and the counts
};

// What one result job builds.
struct ResultJobRequest {
  SearchMode mode = SearchMode::kLoad;
  std::u16string query;             // the typed terms ("Filter", "Permanent", Recent)
  std::vector<SourceResult> raw;    // the search's raw results ("Load", "Filter")
  // The sources of the current category; nothing for the first category.
  std::optional<std::set<std::u16string>> categorySources;
  std::vector<std::u16string> pinned;  // pinned URLs, in pinned order
  ScoringSettings scoring;
  int searchResultMax = 250;  // entries added per job
  bool noMemoryIndexing = false;
  int sortOrder = 0;
  // A "Permanent" search with terms counts its hits in each of these
  // categories too; nothing is counted when empty.
  CategorySourceLists countCategories;
};

// Builds a displayed result list by one of the four result modes:
//   "Load"       the raw results merged by URL, base score by position;
//   "Filter"     the loaded results the library knows, scored against the terms;
//   "Permanent"  the main index's hits for the terms (without terms, every
//                permanent document), scored;
//   Recent       the permanent documents, later loads scoring higher.
// Pinned URLs lead with scores from 50000 down; ignored URLs never appear.
//
// The list is filled in time slices: during a slice the job holds the list's
// lock, after it the lock is let go and `sliceDone` reports (scores present
// or not). A job that is no longer current stops adding and skips summaries.
class ResultJob {
 public:
  static constexpr std::chrono::milliseconds kSlice{500};

  ResultJob(ResultJobRequest request, ResultJobLibrary library);

  // False when the job found itself outdated before it was done.
  // After a "Permanent" search with terms, libraryHits() and
  // categoryCounts() tell what it found.
  bool Run(ResultList& list, std::mutex& listMutex, const std::function<bool()>& isCurrent,
           const std::function<void(bool scoresPresent)>& sliceDone,
           std::chrono::milliseconds slice = kSlice);

  // The index hits listed by a "Permanent" search with terms; 0 otherwise.
  size_t libraryHits() const { return libraryHits_; }
  // Hits per category of countCategories; empty when nothing was counted.
  const std::vector<size_t>& categoryCounts() const { return categoryCounts_; }

 private:
  struct Candidate {
    ResultEntry entry;
    bool score = false;  // goes through ScoreEntry
  };

  std::vector<Candidate> LoadCandidates() const;
  std::vector<Candidate> FilterCandidates() const;
  std::vector<Candidate> PermanentCandidates() const;
  std::vector<Candidate> RecentCandidates() const;
  void AddPinned(ResultList& list) const;
  UrlMarks MarksOf(const std::u16string& url) const;
  ResultEntry StoredEntry(SourceResult record, int32_t score) const;

  ResultJobRequest request_;
  ResultJobLibrary library_;
  ScoreQuery query_;
  size_t libraryHits_ = 0;
  std::vector<size_t> categoryCounts_;
};


}  // namespace brambel
