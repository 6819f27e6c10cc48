#include "ui/bridge/library_session.h"

#include <algorithm>
#include <cstdio>

#include "search/search_commands.h"
#include "store/content_file.h"
#include "store/source_text.h"
#include "ui/render/image_encoder.h"

namespace brambel {

LibrarySession::LibrarySession(Application& application, DocumentListener& listener, Prompter& prompter)
    : application_(application), document_(std::make_unique<CTesserin2Doc>(application, listener, prompter)) {}

LibrarySession::~LibrarySession() { document_->CloseLibrary(); }

bool LibrarySession::Open(const std::filesystem::path& directory, bool isDefault, bool readOnly) {
  return document_->OpenLibrary(directory, isDefault,
                                readOnly ? CTesserin2Doc::Access::ReadOnly : CTesserin2Doc::Access::Normal);
}

std::u16string LibrarySession::sourceName(const std::u16string& instanceId) const {
  return document_->sourceTable().nameOf(instanceId);
}

void LibrarySession::SetMode(SearchMode mode) { document_->SetResultMode(mode, terms_); }

void LibrarySession::RunSearch(const std::u16string& terms) {
  // A "//" command runs in every mode and leaves the results and terms alone.
  if (ParseSearchCommand(terms)) {
    document_->RunSearch(terms);
    return;
  }
  terms_ = terms;
  if (!terms.empty()) document_->AddHistory(terms);
  if (mode() == SearchMode::kLoad) {
    removed_.clear();
    sponsorsCleared_ = 0;
    moreRounds_ = 0;
    document_->RunSearch(terms);
  } else {
    document_->SetResultMode(mode(), terms);
  }
}

void LibrarySession::LoadMore() {
  if (mode() != SearchMode::kLoad || terms_.empty()) return;
  document_->RunSearch(terms_, false, std::min(++moreRounds_ + 1, 5));
}

void LibrarySession::ClearResults() {
  document_->StopSearch();
  document_->searchRun().ResetResults();
  terms_.clear();
  removed_.clear();
  document_->SetResultMode(SearchMode::kLoad);
}

std::vector<DisplayedResult> LibrarySession::displayedResults() const {
  std::vector<DisplayedResult> results = document_->DisplayedResults();
  if (!removed_.empty())
    std::erase_if(results, [&](const DisplayedResult& result) { return removed_.count(result.record.url) != 0; });
  return results;
}

std::vector<SourceResult> LibrarySession::sponsors() const {
  std::vector<SourceResult> all = document_->searchRun().Sponsors();
  if (sponsorsCleared_ >= all.size()) return {};
  return std::vector<SourceResult>(all.begin() + static_cast<long>(sponsorsCleared_), all.end());
}

void LibrarySession::ClearSponsors() { sponsorsCleared_ = document_->searchRun().Sponsors().size(); }

bool LibrarySession::holdsPage(const std::u16string& url) const {
  auto library = document_->library();
  return library && library->holdsRecord(url) && marksOf(url).recordId != 0;
}

std::optional<std::string> LibrarySession::savedPage(const std::u16string& url) const {
  auto library = document_->library();
  const uint32_t id = marksOf(url).recordId;
  if (!library || id == 0) return std::nullopt;
  ContentFile file = ContentFile::openForReading(library->contentPath(id));
  SourceText text;
  if (!file.isUsable() || !text.ReadFrom(file) || text.bytes.empty()) return std::nullopt;
  return std::move(text.bytes);
}

std::filesystem::path LibrarySession::thumbnailPathFor(uint32_t documentId) const {
  char name[16];
  std::snprintf(name, sizeof name, "%08x.jpg", documentId);
  return document_->libraryDirectory() / "thumb" / name;
}

std::filesystem::path LibrarySession::previewImagePathFor(uint32_t documentId) const {
  char stem[16];
  std::snprintf(stem, sizeof stem, "%08x.", documentId);
  std::error_code error;
  // Usually the image has the type previews are made in now; one made under
  // an earlier choice is looked for in the folder.
  if (std::optional<ImageEncoder> encoder = encoderForMimeType(QString::fromStdU16String(librarySettings().previewCodec))) {
    std::filesystem::path path = previewFolder() / (stem + encoder->extension.toStdString());
    if (std::filesystem::is_regular_file(path, error)) return path;
  }
  for (const auto& entry : std::filesystem::directory_iterator(previewFolder(), error))
    if (entry.path().filename().string().starts_with(stem) && entry.is_regular_file(error)) return entry.path();
  return {};
}

std::filesystem::path LibrarySession::previewImagePath(const std::u16string& url) const {
  const uint32_t id = marksOf(url).recordId;
  return id == 0 ? std::filesystem::path() : previewImagePathFor(id);
}

std::filesystem::path LibrarySession::thumbnailPath(const std::u16string& url) const {
  const uint32_t id = marksOf(url).recordId;
  if (id == 0) return {};
  std::filesystem::path path = thumbnailPathFor(id);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) ? path : std::filesystem::path();
}

}  // namespace brambel
