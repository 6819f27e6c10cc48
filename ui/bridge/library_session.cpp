#include "ui/bridge/library_session.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

#include "app/settings_text.h"
#include "formats/library_categories.h"
#include "formats/source_table.h"
#include "index/library_listing.h"
#include "platform/directories.h"
#include "platform/file_lock.h"
#include "sources/builtin_sources.h"
#include "sources/library_source.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

constexpr char kLockFileName[] = "main__index.lock";

SourceRegistry& registry() {
  static std::once_flag registered;
  std::call_once(registered, [] { registerBuiltinSources(SourceRegistry::global()); });
  return SourceRegistry::global();
}

std::u16string lowered(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return text;
}

// The words of a filter: blank-separated, without case.
std::vector<std::u16string> filterWords(const std::u16string& terms) {
  std::vector<std::u16string> words;
  std::u16string word;
  for (char16_t c : terms + u" ") {
    if (c == u' ' || c == u'\t') {
      if (!word.empty()) words.push_back(lowered(word));
      word.clear();
    } else {
      word += c;
    }
  }
  return words;
}

bool matchesEveryWord(const SourceResult& record, const std::vector<std::u16string>& words) {
  std::u16string text = lowered(record.title + u" " + record.description + u" " + record.url);
  return std::all_of(words.begin(), words.end(),
                     [&](const std::u16string& word) { return text.find(word) != std::u16string::npos; });
}

uint32_t lastViewed(const UrlMarks& marks) { return std::max(marks.clickDate, marks.hoverDate); }

uint32_t now() { return static_cast<uint32_t>(std::time(nullptr)); }

}  // namespace

LibrarySession::LibrarySession(Options options, ProgramSettings settings, SearchListener* listener)
    : options_(std::move(options)), settings_(std::move(settings)), listener_(listener) {
  run_ = std::make_unique<SearchRun>(SearchRunOptions{}, listener);
}

LibrarySession::~LibrarySession() {
  run_->StopSearch();
  run_.reset();
  if (lockFile_.isOpen()) {
    lockFile_.close();
    std::error_code ignored;
    std::filesystem::remove(options_.libraryDirectory / kLockFileName, ignored);
  }
}

bool LibrarySession::Open() {
  std::error_code error;
  std::filesystem::create_directories(options_.libraryDirectory, error);
  if (!std::filesystem::is_directory(options_.libraryDirectory)) return false;

  SourceDefinitions definitions;
  readLibraryCategories(options_.libraryDirectory, dataDirectory(), categories_, definitions);
  if (categories_.categories.empty()) {
    Category all;
    all.name = u"All";
    categories_.categories.push_back(std::move(all));
  }
  librarySettings_ = loadLibrarySettings(options_.libraryDirectory, dataDirectory());

  table_ = std::make_unique<SourceTable>(registry());
  table_->AddBuiltInSources();
  table_->AddSourceFiles(dataDirectory() / "sources");
  for (auto& [name, definition] : definitions) table_->AddDefinition(std::move(definition));

  AcquireLock();
  store_ = std::make_shared<LibraryStore>(options_.libraryDirectory, readOnly_);
  if (!store_->isOpen()) readOnly_ = true;
  for (const std::u16string& id : table_->identities())
    if (auto* source = dynamic_cast<LibrarySource*>(table_->find(id))) source->attachLibrary(store_);

  SourceMap sources;
  for (const std::u16string& id : table_->identities())
    sources[id] = std::shared_ptr<SearchSource>(std::shared_ptr<SearchSource>(), table_->find(id));
  SearchRunOptions runOptions;
  runOptions.maxSourceResults = static_cast<int>(librarySettings_.maxSourceResults);
  runOptions.portable = isPortable();
  runOptions.readOnly = readOnly_;
  run_ = std::make_unique<SearchRun>(runOptions, listener_);
  run_->SetSources(std::move(sources));
  run_->SetKnownUrlCheck([store = store_](const std::u16string& url) { return store->readMarks(url).recordId != 0; });
  return true;
}

void LibrarySession::AcquireLock() {
  if (options_.forceReadOnly) {
    readOnly_ = true;
    return;
  }
  lockFile_ = openWriter(options_.libraryDirectory / kLockFileName, std::chrono::milliseconds(0),
                         File::Disposition::OpenAlways);
  readOnly_ = !lockFile_.isOpen();
}

std::u16string LibrarySession::title() const {
  std::filesystem::path directory = options_.libraryDirectory;
  if (!directory.has_filename()) directory = directory.parent_path();
  std::u16string title = directory.filename().u16string();
  if (readOnly_) title += u" (Read Only)";
  if (isPortable()) title += u" (Portable Mode)";
  return title;
}

bool LibrarySession::SaveSettings() { return WriteProgramSettings(settings_, options_.settingsFile); }

bool LibrarySession::isNoticeSuppressed(const std::string& key) const {
  std::optional<std::string> text = readTextFile(options_.settingsFile.path);
  return text && settingBool(parseSettingsLines(*text), key, false);
}

void LibrarySession::SuppressNotice(const std::string& key, bool suppressed) {
  std::string existing = readTextFile(options_.settingsFile.path).value_or(std::string());
  existing.resize(std::min(existing.size(), existing.find('\0')));
  std::error_code ignored;
  std::filesystem::create_directories(options_.settingsFile.path.parent_path(), ignored);
  writeTextFile(options_.settingsFile.path, updateSettingsLines(existing, {{key, suppressed ? "1" : "0"}}));
}

void LibrarySession::SelectCategory(size_t index) {
  if (index >= categories_.categories.size()) return;
  currentCategory_ = index;
  RebuildResults();
}

size_t LibrarySession::categoryResultCount(size_t index) const {
  if (index >= categories_.categories.size()) return 0;
  std::vector<SourceResult> raw = run_->RawResults();
  std::set<std::u16string> urls;
  const auto& references = categories_.categories[index].references;
  for (const SourceResult& record : raw) {
    bool inCategory = index == 0 || std::any_of(record.sources.begin(), record.sources.end(), [&](const auto& id) {
                        return std::find(references.begin(), references.end(), id) != references.end();
                      });
    if (inCategory) urls.insert(record.url);
  }
  return urls.size();
}

std::u16string LibrarySession::sourceName(const std::u16string& instanceId) const {
  return table_ ? table_->nameOf(instanceId) : instanceId;
}

void LibrarySession::SetMode(SearchMode mode) {
  mode_ = mode;
  if (mode == SearchMode::kPermanent || mode == SearchMode::kRecent) {
    std::lock_guard lock(displayedMutex_);
    displayed_.clear();
  }
  if (mode == SearchMode::kRecent) RunSearch(terms_);
}

void LibrarySession::SetSortOrder(int order) {
  sortOrder_ = order;
  std::lock_guard lock(displayedMutex_);
  ApplyOrder(displayed_);
}

void LibrarySession::RunSearch(const std::u16string& terms) {
  terms_ = terms;
  if (!terms.empty() && terms.rfind(u"//", 0) != 0) {
    history_.erase(std::remove(history_.begin(), history_.end(), terms), history_.end());
    history_.insert(history_.begin(), terms);
    if (history_.size() > librarySettings_.maxHistory) history_.resize(librarySettings_.maxHistory);
  }
  if (mode_ == SearchMode::kLoad) {
    removed_.clear();
    sponsorsCleared_ = 0;
    run_->RunSearch(terms, true, 1, categories_.categories[currentCategory_].references);
  }
  RebuildResults();
}

void LibrarySession::LoadMore() {
  if (mode_ != SearchMode::kLoad || terms_.empty()) return;
  run_->RunSearch(terms_, false, 2, categories_.categories[currentCategory_].references);
}

void LibrarySession::ClearResults() {
  run_->StopSearch();
  run_->ResetResults();
  terms_.clear();
  mode_ = SearchMode::kLoad;
  std::lock_guard lock(displayedMutex_);
  displayed_.clear();
}

void LibrarySession::RebuildResults() {
  std::vector<DisplayedResult> results;
  if (mode_ == SearchMode::kLoad || mode_ == SearchMode::kFilter) {
    LoadMergeOptions merge;
    if (currentCategory_ != 0) {
      const auto& references = categories_.categories[currentCategory_].references;
      merge.categorySources = std::set<std::u16string>(references.begin(), references.end());
    }
    merge.searchResultMax = static_cast<int>(settings_.searchResultMax);
    merge.storedDates = [store = store_](const std::u16string& url) -> std::optional<StoredDates> {
      std::optional<SourceResult> stored = store ? store->readRecord(url) : std::nullopt;
      if (!stored) return std::nullopt;
      return StoredDates{stored->contentDate, stored->loadDate};
    };
    std::vector<std::u16string> words = mode_ == SearchMode::kFilter ? filterWords(terms_) : std::vector<std::u16string>();
    for (ResultEntry& entry : MergeLoadedResults(run_->RawResults(), merge)) {
      if (entry.score < 0 || removed_.count(entry.record.url) || !matchesEveryWord(entry.record, words)) continue;
      {
      DisplayedResult shown;
      shown.record = std::move(entry.record);
      shown.score = entry.score;
      results.push_back(std::move(shown));
    }
    }
  } else if (store_) {
    LibraryCriteria criteria;
    criteria.mask = kSelectPermanent;
    if (mode_ == SearchMode::kPermanent) criteria.terms = filterWords(terms_);
    criteria.maximum = settings_.resultDisplayMax;
    if (mode_ == SearchMode::kPermanent && criteria.terms.empty()) criteria.maximum = 0;
    for (const LibraryEntry& entry : ListLibrary(*store_, criteria)) {
      std::optional<SourceResult> stored = store_->readRecord(entry.url);
      if (!stored) continue;
      DisplayedResult shown;
      shown.record = std::move(*stored);
      shown.score = entry.score;
      results.push_back(std::move(shown));
    }
    if (mode_ == SearchMode::kRecent)
      std::stable_sort(results.begin(), results.end(),
                       [](const auto& a, const auto& b) { return a.record.loadDate > b.record.loadDate; });
  }
  for (DisplayedResult& result : results) {
    if (store_) result.marks = store_->readMarks(result.record.url);
    result.pinned = isPinned(result.record.url);
  }
  if (results.size() > settings_.resultDisplayMax) results.resize(settings_.resultDisplayMax);
  if (mode_ != SearchMode::kRecent) ApplyOrder(results);
  std::lock_guard lock(displayedMutex_);
  displayed_ = std::move(results);
}

void LibrarySession::ApplyOrder(std::vector<DisplayedResult>& results) const {
  auto by = [&](auto key) {
    std::stable_sort(results.begin(), results.end(), [&](const auto& a, const auto& b) { return key(a) > key(b); });
  };
  switch (sortOrder_) {
    case 1: by([](const DisplayedResult& r) { return r.record.contentDate; }); break;
    case 2: by([](const DisplayedResult& r) { return r.record.loadDate; }); break;
    case 5:  // unread first, then by last view
      std::stable_sort(results.begin(), results.end(), [](const auto& a, const auto& b) {
        return std::make_pair(lastViewed(a.marks) == 0, lastViewed(a.marks)) >
               std::make_pair(lastViewed(b.marks) == 0, lastViewed(b.marks));
      });
      break;
    case 6: by([](const DisplayedResult& r) { return lastViewed(r.marks); }); break;
    default:
      std::stable_sort(results.begin(), results.end(), [](const auto& a, const auto& b) {
        return a.score != b.score ? a.score > b.score : a.record.url < b.record.url;
      });
  }
}

std::vector<DisplayedResult> LibrarySession::displayedResults() const {
  std::lock_guard lock(displayedMutex_);
  return displayed_;
}

std::vector<SourceResult> LibrarySession::sponsors() const {
  std::vector<SourceResult> all = run_->Sponsors();
  if (sponsorsCleared_ >= all.size()) return {};
  return std::vector<SourceResult>(all.begin() + static_cast<long>(sponsorsCleared_), all.end());
}

void LibrarySession::ClearSponsors() { sponsorsCleared_ = run_->Sponsors().size(); }

UrlMarks LibrarySession::marksOf(const std::u16string& url) const { return store_ ? store_->readMarks(url) : UrlMarks{}; }

bool LibrarySession::holdsPage(const std::u16string& url) const { return store_ && store_->holdsRecord(url); }

void LibrarySession::UpdateMarks(const std::u16string& url, const std::function<void(UrlMarks&)>& change) {
  UrlMarks marks = marksOf(url);
  change(marks);
  if (store_ && !readOnly_) store_->writeMarks(url, marks);
  std::lock_guard lock(displayedMutex_);
  for (DisplayedResult& result : displayed_)
    if (result.record.url == url) {
      result.marks = marks;
      result.pinned = isPinned(url);
    }
}

void LibrarySession::SetPermanent(const std::u16string& url, bool permanent) {
  UpdateMarks(url, [&](UrlMarks& marks) { marks.setPermanent(permanent); });
}

void LibrarySession::SetIgnored(const std::u16string& url, bool ignored) {
  UpdateMarks(url, [&](UrlMarks& marks) { marks.setIgnored(ignored); });
}

void LibrarySession::SetRead(const std::u16string& url, bool read) {
  UpdateMarks(url, [&](UrlMarks& marks) {
    marks.clickDate = read ? now() : 0;
    if (!read) marks.hoverDate = 0;
  });
}

void LibrarySession::RecordClick(const std::u16string& url) {
  UpdateMarks(url, [](UrlMarks& marks) { marks.clickDate = now(); });
}

void LibrarySession::RecordHover(const std::u16string& url) {
  UpdateMarks(url, [](UrlMarks& marks) { marks.hoverDate = now(); });
}

void LibrarySession::TogglePinned(const std::u16string& url) {
  if (!pinned_.erase(url)) pinned_.insert(url);
  UpdateMarks(url, [](UrlMarks&) {});
}

std::optional<std::string> LibrarySession::savedPage(const std::u16string& url) const {
  const uint32_t id = marksOf(url).recordId;
  if (id == 0) return std::nullopt;
  ContentFile file = ContentFile::openForReading(store_->contentPath(id));
  SourceText text;
  if (!file.isUsable() || !text.ReadFrom(file)) return std::nullopt;
  return std::move(text.bytes);
}

std::filesystem::path LibrarySession::thumbnailPath(const std::u16string& url) const {
  const uint32_t id = marksOf(url).recordId;
  if (id == 0) return {};
  char name[16];
  std::snprintf(name, sizeof name, "%08x.jpg", id);
  std::filesystem::path path = options_.libraryDirectory / "thumb" / name;
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) ? path : std::filesystem::path();
}

void LibrarySession::RemoveResult(const std::u16string& url) {
  removed_.insert(url);
  std::lock_guard lock(displayedMutex_);
  std::erase_if(displayed_, [&](const DisplayedResult& result) { return result.record.url == url; });
}

}  // namespace brambel
