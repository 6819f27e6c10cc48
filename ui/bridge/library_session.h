#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/document.h"
#include "search/result_entry.h"

namespace brambel {

// One result as the views draw it: the scored record with its marks.
using DisplayedResult = ResultEntry;

// The open library as the desktop windows see it: the document and the
// application behind the few operations the windows use, in the windows'
// terms (a mode switch, a search, a mark change on one URL).
class LibrarySession {
 public:
  LibrarySession(Application& application, DocumentListener& listener, Prompter& prompter);
  // Closes the library: searches and content work stop, the lock goes.
  ~LibrarySession();
  LibrarySession(const LibrarySession&) = delete;
  LibrarySession& operator=(const LibrarySession&) = delete;

  // Opens the library in `directory`. False when it cannot be used, the new
  // library was cancelled or the user switched to the other instance
  // (exitRequested()).
  bool Open(const std::filesystem::path& directory, bool isDefault, bool readOnly = false);
  // Closes the library now (the destructor closes it otherwise).
  void Close() { document_->CloseLibrary(); }
  bool exitRequested() const { return document_->exitRequested(); }

  CTesserin2Doc& document() { return *document_; }
  Application& application() { return application_; }
  bool isReadOnly() const { return document_->isReadOnly(); }
  bool isPortable() const { return application_.portable(); }
  const std::filesystem::path& libraryDirectory() const { return document_->libraryDirectory(); }
  std::u16string title() const { return document_->Title(); }

  ProgramSettings& settings() { return application_.settings(); }
  const ProgramSettings& settings() const { return application_.settings(); }
  bool SaveSettings() { return application_.SaveSettings(); }
  const LibrarySettings& librarySettings() const { return document_->librarySettings(); }

  const CategorySet& categories() const { return document_->categories(); }
  size_t currentCategory() const { return document_->currentCategory(); }
  void SelectCategory(size_t index) { document_->SelectCategory(index); }
  std::u16string sourceName(const std::u16string& instanceId) const;

  SearchMode mode() const { return document_->resultMode(); }
  // Switches the mode; the terms of the last search stay the filter.
  void SetMode(SearchMode mode);
  int sortOrder() const { return document_->sortOrder(); }
  void SetSortOrder(int order) { document_->SortResults(order); }

  // In "Load" mode searches the current category; in the others the terms
  // filter or search the library. Records the terms in the history.
  void RunSearch(const std::u16string& terms);
  // Asks the sources of the current category for further results.
  void LoadMore();
  // Empties the results (queues, tables) and returns to "Load".
  void ClearResults();
  const std::u16string& terms() const { return terms_; }
  SearchRun& searchRun() { return document_->searchRun(); }
  void RebuildResults() { document_->RebuildResults(); }

  std::vector<DisplayedResult> displayedResults() const;
  std::vector<SourceResult> sponsors() const;
  void ClearSponsors();
  // Results the user removed from this search's list.
  void RemoveResult(const std::u16string& url) { removed_.insert(url); }

  const std::vector<std::u16string>& history() const { return document_->history(); }
  void ClearHistory() { document_->ClearHistory(true); }

  void SetPermanent(const std::u16string& url, bool permanent) { document_->SetPermanent(url, permanent); }
  void SetIgnored(const std::u16string& url, bool ignored) { document_->SetIgnored(url, ignored); }
  void SetRead(const std::u16string& url, bool read) { document_->SetRead(url, read); }
  void RecordClick(const std::u16string& url) { document_->RecordClick(url); }
  void RecordHover(const std::u16string& url) { document_->RecordHover(url); }
  void TogglePinned(const std::u16string& url) { document_->SetPinned(url, true, true); }
  bool isPinned(const std::u16string& url) const { return document_->IsPinned(url); }
  UrlMarks marksOf(const std::u16string& url) const { return document_->Marks(url); }
  // Whether the library holds a saved copy of the URL's page.
  bool holdsPage(const std::u16string& url) const;
  // The page bytes the library saved for the URL.
  std::optional<std::string> savedPage(const std::u16string& url) const;
  // The thumbnail file of the URL, empty when there is none.
  std::filesystem::path thumbnailPath(const std::u16string& url) const;
  // Where the thumbnail step writes a document's thumbnail.
  std::filesystem::path thumbnailPathFor(uint32_t documentId) const;
  // The folder of the preview images the render step stores.
  std::filesystem::path previewFolder() const { return document_->libraryDirectory() / "preview"; }
  // The preview image file of a document (named by its id, with the
  // encoder's extension), empty when there is none.
  std::filesystem::path previewImagePathFor(uint32_t documentId) const;
  std::filesystem::path previewImagePath(const std::u16string& url) const;

 private:
  Application& application_;
  std::unique_ptr<CTesserin2Doc> document_;
  std::u16string terms_;
  int moreRounds_ = 0;
  std::set<std::u16string> removed_;
  size_t sponsorsCleared_ = 0;
};

}  // namespace brambel
