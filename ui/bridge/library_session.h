#pragma once

#include <cstdint>
#include <functional>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/library_settings.h"
#include "app/program_settings.h"
#include "formats/category_set.h"
#include "platform/file.h"
#include "search/result_merge.h"
#include "search/search_run.h"
#include "store/url_marks.h"

namespace brambel {

class LibraryStore;
class SourceTable;

// One result as the views draw it: the scored record and the marks the
// library keeps for its URL.
struct DisplayedResult {
  SourceResult record;
  int32_t score = 0;
  UrlMarks marks;
  bool pinned = false;
};

// The open library as the desktop windows see it: settings, categories and
// their sources, the marks, the search run and the displayed results. The
// windows reach the library only through this class, so that the library's
// document can take its place behind the same operations.
class LibrarySession {
 public:
  struct Options {
    ProgramSettingsFile settingsFile;
    std::filesystem::path libraryDirectory;
    // Open read-only even when the library lock is free (a second instance
    // that the user sent to read-only mode).
    bool forceReadOnly = false;
  };

  // `listener` hears the search run; it must outlive the session.
  LibrarySession(Options options, ProgramSettings settings, SearchListener* listener);
  // Stops the search, waits for its threads, releases the library lock.
  ~LibrarySession();
  LibrarySession(const LibrarySession&) = delete;
  LibrarySession& operator=(const LibrarySession&) = delete;

  // Reads the categories and sources, opens the marks store and takes the
  // library lock. False when the library directory cannot be made.
  bool Open();

  bool isReadOnly() const { return readOnly_; }
  bool isPortable() const { return options_.settingsFile.portable; }
  const std::filesystem::path& libraryDirectory() const { return options_.libraryDirectory; }
  // The library's name, then " (Read Only)" and " (Portable Mode)" as they apply.
  std::u16string title() const;

  ProgramSettings& settings() { return settings_; }
  // Writes the program settings now; false when the file cannot be written.
  bool SaveSettings();
  // Suppressed notices are kept in the settings file under their key.
  bool isNoticeSuppressed(const std::string& key) const;
  void SuppressNotice(const std::string& key, bool suppressed);
  const LibrarySettings& librarySettings() const { return librarySettings_; }

  const CategorySet& categories() const { return categories_; }
  size_t currentCategory() const { return currentCategory_; }
  void SelectCategory(size_t index);
  // Displayed results the category's sources returned (every result for the first).
  size_t categoryResultCount(size_t index) const;
  std::u16string sourceName(const std::u16string& instanceId) const;

  SearchMode mode() const { return mode_; }
  void SetMode(SearchMode mode);
  int sortOrder() const { return sortOrder_; }
  void SetSortOrder(int order);

  // Starts a search of the current category (mode 0); mode 1 filters the
  // loaded results by the terms instead; modes 2 and 3 list the library.
  void RunSearch(const std::u16string& terms);
  // Asks every source of the current category for further results.
  void LoadMore();
  // Empties the results and returns to mode 0.
  void ClearResults();
  SearchRun& searchRun() { return *run_; }
  const std::u16string& terms() const { return terms_; }

  // Merges the raw results again (after results arrived or an order changed).
  void RebuildResults();
  std::vector<DisplayedResult> displayedResults() const;
  std::vector<SourceResult> sponsors() const;
  void ClearSponsors();

  std::vector<std::u16string> history() const { return history_; }
  void ClearHistory() { history_.clear(); }

  // Mark changes; each writes the URL's marks and updates the displayed copy.
  void SetPermanent(const std::u16string& url, bool permanent);
  void SetIgnored(const std::u16string& url, bool ignored);
  void SetRead(const std::u16string& url, bool read);
  void RecordClick(const std::u16string& url);
  void RecordHover(const std::u16string& url);
  void TogglePinned(const std::u16string& url);
  bool isPinned(const std::u16string& url) const { return pinned_.count(url) != 0; }
  UrlMarks marksOf(const std::u16string& url) const;
  // Whether the library holds a saved copy of the URL's page.
  bool holdsPage(const std::u16string& url) const;
  // The page bytes the library saved for the URL.
  std::optional<std::string> savedPage(const std::u16string& url) const;
  // The thumbnail file of the URL in the library's "thumb" folder, empty when
  // there is none.
  std::filesystem::path thumbnailPath(const std::u16string& url) const;
  // Drops a result from the displayed list.
  void RemoveResult(const std::u16string& url);

 private:
  void UpdateMarks(const std::u16string& url, const std::function<void(UrlMarks&)>& change);
  void AcquireLock();
  void ApplyOrder(std::vector<DisplayedResult>& results) const;

  const Options options_;
  ProgramSettings settings_;
  SearchListener* const listener_;
  LibrarySettings librarySettings_;
  CategorySet categories_;
  std::unique_ptr<SourceTable> table_;
  std::shared_ptr<LibraryStore> store_;
  std::unique_ptr<SearchRun> run_;
  File lockFile_;
  bool readOnly_ = false;

  size_t currentCategory_ = 0;
  SearchMode mode_ = SearchMode::kLoad;
  int sortOrder_ = 0;
  std::u16string terms_;
  std::vector<std::u16string> history_;
  std::set<std::u16string> pinned_;
  std::set<std::u16string> removed_;
  size_t sponsorsCleared_ = 0;

  mutable std::mutex displayedMutex_;
  std::vector<DisplayedResult> displayed_;
};

}  // namespace brambel
