#include "app/document.h"

#include <ctime>

#include "formats/builtin_category_sets.h"
#include "formats/category_set_file.h"
#include "formats/library_categories.h"
#include "formats/raw_results_file.h"
#include "index/index_query.h"
#include "index/main_index.h"
#include "search/category_counts.h"
#include "search/result_order.h"
#include "sources/library_source.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {

namespace {

// The settings the content pipeline reads, from the program's and the library's.
PipelineSettings pipelineSettings(const ProgramSettings& program, const LibrarySettings& library) {
  PipelineSettings settings;
  settings.contextThreads = static_cast<int>(program.contextThreads);
  settings.imageThreads = static_cast<int>(program.imageThreads);
  settings.indexThreads = static_cast<int>(program.indexThreads);
  settings.saveThreads = static_cast<int>(program.saveThreads);
  settings.thumbThreads = static_cast<int>(program.thumbThreads);
  settings.indexQueueSize = program.indexQueueSize;
  settings.browserId = toNarrow(program.browserId, kCodePageUtf8);
  settings.prefetchHeader = program.prefetchHeader;
  settings.sendReferer = program.sendReferer;
  settings.noExpire = library.noExpire;
  settings.maxContentLength = library.maxContentLength;
  settings.maxImageLength = library.maxImageLength;
  settings.previewScripts = program.previewScripts;
  settings.miniScripts = program.miniScripts;
  settings.autogenPreview = library.autogenPreview;
  settings.generateAllPreviews = library.generateAllPreviews;
  settings.noMainIndexing = library.noMainIndexing;
  settings.noURLIndexing = library.noURLIndexing;
  settings.noMemoryIndexing = library.noMemoryIndexing;
  settings.globalIndexSleepInterval = std::chrono::milliseconds(program.globalIndexSleepInterval);
  settings.contentCacheSize = library.contentCacheSize;
  settings.minSpaceThreshold = program.minSpaceThreshold;
  return settings;
}

uint32_t nowSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }

std::u16string wide(const std::filesystem::path& path) { return toWide(path.string(), kCodePageUtf8); }

// Low disk space is told once per process, whichever library reports it.
std::atomic<bool> lowDiskSpaceTold{false};

// A set with the single empty category "All": a blank library's categories.
constexpr char kBlankSet[] = "[category]=All\r\n";

}  // namespace

// Hears the search run, tells the views, and keeps the "Load" list current.
class CTesserin2Doc::SearchEvents : public SearchListener {
 public:
  explicit SearchEvents(CTesserin2Doc& document) : document_(document) {}
  void ResultsChanged() override {
    if (document_.mode_ == SearchMode::kLoad) document_.RebuildResults();
    document_.listener_.ResultsChanged();
  }
  void SourceFinished(const std::u16string& instanceId) override {
    if (document_.mode_ == SearchMode::kLoad) document_.RebuildResults();
    document_.listener_.SourceFinished(instanceId);
  }
  void SponsorsChanged() override { document_.listener_.SponsorsChanged(); }
  void ResultListChanged() override { document_.listener_.ResultListChanged(); }
  void CategorySwitched() override {
    document_.currentCategory_ = 0;
    document_.listener_.CategorySwitched();
  }

 private:
  CTesserin2Doc& document_;
};

// Hears the content pipeline and tells the views and the user.
class CTesserin2Doc::PipelineEvents : public PipelineListener {
 public:
  explicit PipelineEvents(CTesserin2Doc& document) : document_(document) {}
  void ResultUpdated(const std::u16string& url) override { document_.listener_.ResultUpdated(url); }
  void ItemIndexed(const std::u16string& url) override { document_.listener_.ItemIndexed(url); }
  void QueueDrained(PoolKind) override { document_.listener_.QueueDrained(); }
  void LowDiskSpace(uint32_t) override { document_.ReportLowDiskSpace(); }
  void Message(const std::u16string& text) override { document_.prompter_.Tell({0, text}, text); }

 private:
  CTesserin2Doc& document_;
};

// Maintenance work speaks to the user through the document's prompter, so a
// view implements one interface only.
class CTesserin2Doc::MaintenanceBridge : public MaintenancePrompter {
 public:
  explicit MaintenanceBridge(Prompter& prompter) : prompter_(prompter) {}
  void inform(std::string_view message) override {
    const std::u16string text = utf16(message);
    prompter_.Tell({0, text}, text);
  }
  bool confirm(std::string_view question) override {
    const std::u16string text = utf16(question);
    return prompter_.Ask({0, text}, text, Prompter::Answer::Yes, {}) == Prompter::Answer::Yes;
  }
  void beginProgress(std::string_view title, std::string_view text) override {
    prompter_.BeginProgress(utf16(title), utf16(text));
  }
  void progress(int percent) override { prompter_.Progress(percent); }
  void endProgress() override { prompter_.EndProgress(); }

 private:
  static std::u16string utf16(std::string_view text) { return toWide(std::string(text), kCodePageUtf8); }
  Prompter& prompter_;
};

CTesserin2Doc::CTesserin2Doc(Application& application, DocumentListener& listener, Prompter& prompter)
    : application_(application),
      listener_(listener),
      prompter_(prompter),
      searchEvents_(std::make_unique<SearchEvents>(*this)),
      pipelineEvents_(std::make_unique<PipelineEvents>(*this)),
      termFilter_(std::make_unique<TermFilter>()),
      sourceTable_(std::make_unique<SourceTable>()),
      searchRun_(std::make_unique<SearchRun>(SearchRunOptions{}, searchEvents_.get())) {
  jobThread_ = std::thread([this] { ResultJobThread(); });
}

CTesserin2Doc::~CTesserin2Doc() {
  CloseLibrary();
  {
    std::lock_guard lock(jobMutex_);
    jobThreadEnding_ = true;
    ++jobGeneration_;
  }
  jobWake_.notify_all();
  jobThread_.join();
}

// ---- opening and closing ----------------------------------------------------

bool CTesserin2Doc::OpenLibrary(const std::filesystem::path& path, bool isDefault, Access access) {
  CloseLibrary();
  StopResultJobs(false);
  mode_ = SearchMode::kPermanent;
  loadedFromOutside_ = false;
  exitRequested_ = false;
  createdFromSet_ = false;
  std::error_code error;
  std::filesystem::path directory = path;
  if (!directory.has_filename()) directory = directory.parent_path();
  if (!std::filesystem::is_directory(directory, error)) {
    // A file inside a library opens that library.
    if (!isDefault && std::filesystem::is_regular_file(directory, error)) {
      directory = directory.parent_path();
    } else if (isDefault && access == Access::Normal) {
      if (!CreateLibrary(directory)) return false;
    }
  }
  directory_ = directory;

  if (!OpenStores(access)) {
    CloseLibrary();
    return false;
  }
  if (createdFromSet_) {
    // The settings section of the set the library was created from.
    CategorySet set;
    SourceDefinitions ignored;
    if (std::optional<std::string> text = readTextFile(directory_ / kLibraryCategoriesFileName))
      ReadCategorySet(toWide(*text, kCodePageUtf8), set, ignored);
    ApplyNewSetSettings(set.settingsText);
  }

  CreateSearchRun();
  LoadCategoriesAndSources();
  // The rebuild reads the batch results through the source table.
  if (sourceIndexLost_) OfferSourceIndexRebuild();
  if (!readOnly_) StartPipeline();
  {
    std::lock_guard lock(jobMutex_);
    acceptingJobs_ = true;
  }

  currentCategory_ = 0;
  listener_.LibraryChanged();
  listener_.CategoriesChanged();
  listener_.ResultModeChanged();
  return true;
}

bool CTesserin2Doc::CreateLibrary(const std::filesystem::path& directory) {
  application_.InstallBuiltInCategorySets();
  std::optional<NewLibraryChoice> choice = prompter_.ChooseCategorySet(application_.OfferedCategorySets());
  if (!choice) {
    exitRequested_ = true;
    return false;
  }
  std::error_code error;
  std::filesystem::path created = directory;
  if (!std::filesystem::create_directories(created, error) && !std::filesystem::is_directory(created, error)) {
    created = application_.paths().defaultLibrary;
    std::filesystem::create_directories(created, error);
  }
  std::optional<std::string> setText;
  switch (choice->kind) {
    case NewLibraryChoice::Kind::Blank: setText = kBlankSet; break;
    case NewLibraryChoice::Kind::Default: setText = findBuiltInSet(kDefaultBuiltInSet)->text; break;
    case NewLibraryChoice::Kind::SetFile: setText = readTextFile(choice->setFile); break;
  }
  // A chosen set that cannot be read leaves the library blank.
  if (!writeTextFile(created / kLibraryCategoriesFileName, setText.value_or(kBlankSet))) return false;
  createdFromSet_ = true;
  return true;
}

void CTesserin2Doc::MarkReadOnly(std::u16string reason) {
  if (readOnly_) return;
  readOnly_ = true;
  readOnlyReason_ = std::move(reason);
}

bool CTesserin2Doc::OpenStores(Access access) {
  readOnly_ = false;
  readOnlyReason_.clear();
  const ProgramSettings& settings = application_.settings();
  // The lock comes before any store is opened for writing, so that an
  // instance that ends up read-only never wrote to the library at all.
  if (access == Access::ReadOnly) {
    MarkReadOnly(u"opened read-only");
  } else {
    switch (lock_.Acquire(directory_)) {
      case LibraryLock::Result::Acquired:
        break;
      case LibraryLock::Result::Failed:
        MarkReadOnly(u"the library's lock file cannot be written");
        break;
      case LibraryLock::Result::HeldByOther: {
        MarkReadOnly(std::u16string(messages::kOtherProcessWriting.text));
        std::optional<ProcessIdentity> holder = LibraryLock::ReadHolder(directory_);
        if (holder && holder->sameSeatAs(currentProcessIdentity()) && isProcessRunning(holder->processId)) {
          const Prompter::Answer answer = prompter_.Ask(messages::kBringOtherInstance, messages::kBringOtherInstance.text,
                                                        Prompter::Answer::No, "readonly");
          if (answer == Prompter::Answer::Yes) {
            exitRequested_ = true;
            return false;
          }
        } else {
          prompter_.Tell(messages::kOtherProcessWriting, messages::kOtherProcessWriting.text);
        }
        break;
      }
    }
  }

  library_ = std::make_shared<LibraryStore>(directory_, readOnly_);
  if (!library_->isOpen() && !readOnly_) {
    lock_.Release();
    MarkReadOnly(u"the record store cannot be opened");
    library_ = std::make_shared<LibraryStore>(directory_, true);
  }

  const std::filesystem::path indexPath = directory_ / kMainIndexFileName;
  std::error_code error;
  if (!readOnly_ || std::filesystem::exists(indexPath, error)) {
    OpenedMainIndex opened = OpenMainIndex(directory_, readOnly_, readOnly_ ? 0 : settings.indexCacheSize);
    if (opened.invalidHeader) MarkReadOnly(u"the main index can only be read");
    if (opened.index && opened.index->isValid()) {
      mainIndex_ = std::move(opened.index);
    } else {
      prompter_.Tell(messages::kInvalidIndex, messages::kInvalidIndex.text);
    }
  }
  if (readOnly_ && lock_.isHeld()) lock_.Release();

  sourceIndexLost_ = !OpenSourceIndex();
  history_.Load(directory_);
  savedTerms_.Load(directory_);
  librarySettings_ = loadLibrarySettings(directory_, application_.paths().programData);
  ApplyLibrarySettings();
  return library_->isOpen() || readOnly_;
}

bool CTesserin2Doc::OpenSourceIndex() {
  sourceIndex_ = std::make_unique<SourceIndex>(directory_);
  return sourceIndex_->load();
}

void CTesserin2Doc::OfferSourceIndexRebuild() {
  if (readOnly_) return;
  const bool indexHoldsTerms = mainIndex_ && !ListStoredTerms(*mainIndex_, u"", 1).empty();
  if (!indexHoldsTerms) {
    sourceIndex_->save();
    return;
  }
  if (prompter_.Ask(messages::kRebuildSourceIndex, messages::kRebuildSourceIndex.text, Prompter::Answer::Yes, {}) ==
      Prompter::Answer::Yes)
    RebuildSourceIndex();
  else
    sourceIndex_.reset();
}

std::optional<SourceIndexRebuild> CTesserin2Doc::RebuildSourceIndex(MaintenancePrompter& prompter) {
  if (!library_ || readOnly_) return std::nullopt;
  prompter.beginProgress(toNarrow(std::u16string(messages::kRebuildingSourceIndexTitle), kCodePageUtf8),
                         toNarrow(std::u16string(messages::kRebuildingSourceIndexText), kCodePageUtf8));
  std::vector<SourceResult> known = RestoreRawResults(directory_, *sourceTable_).value_or(std::vector<SourceResult>{});
  for (SourceResult& result : searchRun_->RawResults()) known.push_back(std::move(result));
  // The index step files into the source index and result jobs read it:
  // both stop while it is replaced.
  StopResultJobs();
  const bool restart = pipeline_ != nullptr;
  StopPipeline();
  std::error_code error;
  std::filesystem::remove_all(directory_ / SourceIndex::kDirectoryName, error);
  sourceIndex_ = std::make_unique<SourceIndex>(directory_);
  const SourceIndexRebuild outcome = brambel::RebuildSourceIndex(*library_, *sourceIndex_, known,
                                                                 [&](int percent) { prompter.progress(percent); });
  sourceIndex_->save();
  if (restart) StartPipeline();
  prompter.endProgress();
  return outcome;
}

std::optional<SourceIndexRebuild> CTesserin2Doc::RebuildSourceIndex() {
  MaintenanceBridge bridge(prompter_);
  return RebuildSourceIndex(bridge);
}

void CTesserin2Doc::LoadCategoriesAndSources() {
  SourceDefinitions definitions;
  readLibraryCategories(directory_, application_.paths().programData, categories_, definitions);
  BuildSources(std::move(definitions));
}

void CTesserin2Doc::BuildSources(SourceDefinitions definitions) {
  // Search runs share ownership of the sources they run, so the old table
  // may go while a source thread still works.
  std::shared_ptr<const LibraryStore> library = library_;
  sourceTable_ = std::make_unique<SourceTable>(SourceRegistry::global(), [library](SearchSource& source) {
    if (auto* librarySource = dynamic_cast<LibrarySource*>(&source)) librarySource->attachLibrary(library);
  });
  const std::filesystem::path sourcesDirectory = application_.paths().programData / kSourcesDirectoryName;
  if (readOnly_) {
    sourceTable_->AddBuiltInSources();
    sourceTable_->AddSourceFiles(sourcesDirectory);
  } else {
    sourceTable_->BuildSourceTable(sourcesDirectory);
  }
  for (SourceDefinition& definition : definitions) sourceTable_->AddDefinition(std::move(definition));
  searchRun_->SetSources(sourceTable_->sources());
}

void CTesserin2Doc::SetCategories(CategorySet set, SourceDefinitions definitions, bool save) {
  searchRun_->StopSearch();
  searchRun_->WaitUntilIdle(std::chrono::seconds(35));
  categories_ = std::move(set);
  BuildSources(std::move(definitions));
  if (save && !readOnly_ && library_) saveLibraryCategories(categories_, directory_, *sourceTable_);
  currentCategory_ = 0;
  listener_.CategoriesChanged();
}

void CTesserin2Doc::ApplyNewSetSettings(const std::u16string& settingsText) {
  if (settingsText.empty() || readOnly_) return;
  const SettingsMap map = parseSettingsLines(toNarrow(settingsText, kCodePageUtf8));
  if (map.empty()) return;
  librarySettings_ = ReadLibrarySettings(map, true);
  WriteLibrarySettings(librarySettings_, directory_);
  ApplyLibrarySettings();
}

void CTesserin2Doc::ApplyLibrarySettings() {
  // The stop words and the term length reach the index through the filter;
  // the cache limits and the rest reach the pipeline when it starts.
  TermFilterOptions filterOptions;
  if (!librarySettings_.stopWords.empty()) filterOptions.stopWords = librarySettings_.stopWords;
  filterOptions.maxTermLength = static_cast<int>(librarySettings_.maxTermLength);
  termFilter_ = std::make_unique<TermFilter>(filterOptions);
}

void CTesserin2Doc::CreateSearchRun() {
  SearchRunOptions options;
  options.maxSourceResults = static_cast<int>(librarySettings_.maxSourceResults);
  options.portable = application_.portable();
  options.readOnly = readOnly_;
  searchRun_ = std::make_unique<SearchRun>(options, searchEvents_.get());
  searchRun_->commands().Register(u"debug", [this](const std::u16string&) { listener_.OpenDebugWindow(); });
  std::shared_ptr<const LibraryStore> store = library_;
  searchRun_->SetKnownUrlCheck([store](const std::u16string& url) { return store->readMarks(url) != UrlMarks{}; });
}

void CTesserin2Doc::SetMaxSourceResults(uint32_t count) {
  searchRun_->StopSearch();
  searchRun_->WaitUntilIdle(std::chrono::seconds(35));
  StopResultJobs();
  // The pipeline asks the run for the current search number: it stops
  // while the run is replaced.
  const bool restart = pipeline_ != nullptr;
  StopPipeline();
  librarySettings_.maxSourceResults = count;
  CreateSearchRun();
  searchRun_->SetSources(sourceTable_->sources());
  if (restart) StartPipeline();
}

bool CTesserin2Doc::SetLibrarySettings(const LibrarySettings& settings) {
  if (readOnly_ || !library_) return false;
  if (!WriteLibrarySettings(settings, directory_)) return false;
  // Only what the interface thread reads as it goes; the pipeline's threads
  // read the rest, which must not change under them.
  librarySettings_.startupURL = settings.startupURL;
  librarySettings_.searchLabelOverride = settings.searchLabelOverride;
  librarySettings_.categoryURL = settings.categoryURL;
  librarySettings_.maxHistory = settings.maxHistory;
  librarySettings_.batchFirstCategory = settings.batchFirstCategory;
  librarySettings_.previewImageWidth = settings.previewImageWidth;
  librarySettings_.previewImageHeight = settings.previewImageHeight;
  librarySettings_.sourceFlags = settings.sourceFlags;
  return true;
}

void CTesserin2Doc::StartPipeline() {
  PipelineLibrary library;
  library.store = library_.get();
  library.mainIndex = mainIndex_.get();
  library.sourceIndex = sourceIndex_.get();
  library.termFilter = termFilter_.get();
  library.listener = pipelineEvents_.get();
  library.previews = previews_;
  library.settings = pipelineSettings(application_.settings(), librarySettings_);
  library.currentSearchNumber = [run = searchRun_.get()] { return run->generation(); };
  pipeline_ = std::make_unique<ContentPipeline>(std::move(library));
  pipeline_->start();
  searchRun_->SetContentHandoff(pipeline_.get());
}

void CTesserin2Doc::StopPipeline() {
  if (!pipeline_) return;
  searchRun_->SetContentHandoff(nullptr);
  // The index and save pools ask after every 30 s whether to keep waiting.
  pipeline_->stop([this](const std::u16string& prompt) {
    const MessageText& message =
        prompt == messages::kIndexThreadsSlow.text ? messages::kIndexThreadsSlow : messages::kSaveThreadsSlow;
    return prompter_.Ask(message, message.text, Prompter::Answer::Yes, {}) == Prompter::Answer::Yes;
  });
  pipeline_.reset();
}

std::optional<OptimiseResult> CTesserin2Doc::RunOnClosedIndex(
    const std::function<std::optional<OptimiseResult>(const IndexFileOptions&, const DocumentIdSet&)>& work) {
  if (!library_ || readOnly_ || !mainIndex_) return OptimiseResult{};
  searchRun_->StopSearch();
  searchRun_->WaitUntilIdle(std::chrono::seconds(35));
  StopResultJobs();
  DocumentIdSet removed;
  if (pipeline_) {
    for (uint32_t id : pipeline_->removalLog().pending()) removed.insert(id);
    StopPipeline();
  }
  const uint32_t cacheKb = application_.settings().indexCacheSize;
  mainIndex_.reset();
  std::optional<OptimiseResult> result = work(mainIndexOptions(false, cacheKb), removed);
  OpenedMainIndex reopened = OpenMainIndex(directory_, false, cacheKb);
  if (reopened.index && reopened.index->isValid() && !reopened.invalidHeader) mainIndex_ = std::move(reopened.index);
  StartPipeline();
  return result;
}

OptimiseResult CTesserin2Doc::OptimizeIndex(const std::function<void(int)>& progress) {
  return *RunOnClosedIndex([&](const IndexFileOptions& options, const DocumentIdSet& removed) {
    return std::optional(Optimise(directory_ / kMainIndexFileName, options, removed, progress));
  });
}

std::optional<OptimiseResult> CTesserin2Doc::OptimizeIndex(MaintenancePrompter& prompter) {
  return RunOnClosedIndex([&](const IndexFileOptions& options, const DocumentIdSet& removed) {
    return OptimiseWithPrompts(directory_ / kMainIndexFileName, options, removed, prompter);
  });
}

std::optional<OptimiseResult> CTesserin2Doc::OptimizeIndexAsking() {
  MaintenanceBridge bridge(prompter_);
  return OptimizeIndex(bridge);
}

std::vector<PoolStatistics> CTesserin2Doc::PoolRows() const {
  return pipeline_ ? pipeline_->statistics() : std::vector<PoolStatistics>{};
}

bool CTesserin2Doc::WaitForContent(std::chrono::milliseconds timeout) {
  return !pipeline_ || pipeline_->waitUntilIdle(timeout);
}

void CTesserin2Doc::CloseLibrary() {
  if (!library_) return;
  searchRun_->StopSearch();
  // Source threads end at their next page; one stuck on the network is
  // left to its time-out rather than holding the program.
  searchRun_->WaitUntilIdle(std::chrono::seconds(35));
  StopResultJobs(false);
  StopPipeline();
  if (!readOnly_) {
    SaveHistory();
    savedTerms_.Save(directory_);
    if (sourceIndex_) sourceIndex_->save();
  }
  // Everything that writes stops before the lock goes, so no other process
  // can start writing while this one still does.
  mainIndex_.reset();
  sourceIndex_.reset();
  library_.reset();
  lock_.Release();
  {
    std::lock_guard lock(displayedMutex_);
    displayed_.Clear();
  }
  {
    std::lock_guard lock(stateMutex_);
    pinned_.clear();
    pinnedPositions_.clear();
    libraryHits_ = 0;
    libraryCategoryCounts_.clear();
  }
  history_.Clear();
  savedTerms_.Set({});
  readOnly_ = false;
  readOnlyReason_.clear();
  directory_.clear();
  listener_.LibraryChanged();
}

std::u16string CTesserin2Doc::Title() const {
  std::filesystem::path name = directory_.filename();
  std::u16string title = wide(name);
  if (readOnly_) title += u" " + std::u16string(messages::kReadOnlyTitle);
  if (application_.portable()) title += u" " + std::u16string(messages::kPortableTitle);
  return title;
}

void CTesserin2Doc::SelectCategory(size_t index) {
  if (index >= categories_.categories.size() || index == currentCategory_) return;
  currentCategory_ = index;
  listener_.CategoriesChanged();
  RebuildResults();
}

void CTesserin2Doc::ReportLowDiskSpace() {
  if (lowDiskSpaceTold.exchange(true)) return;
  prompter_.Tell(messages::kLowDiskSpace,
                 FormatMessage(messages::kLowDiskSpace.text,
                               toWide(std::to_string(application_.settings().minSpaceThreshold), kCodePageUtf8)));
}

// ---- searching ----------------------------------------------------------------

void CTesserin2Doc::RunSearch(const std::u16string& terms, bool newSearch, int multiplier) {
  if (!ParseSearchCommand(terms)) {
    mode_ = SearchMode::kLoad;
    sortOrder_ = 0;
    if (newSearch) loadedFromOutside_ = false;
  }
  const std::vector<Category>& list = categories_.categories;
  static const std::vector<std::u16string> kNone;
  searchRun_->RunSearch(terms, newSearch, multiplier,
                        currentCategory_ < list.size() ? list[currentCategory_].references : kNone);
  RebuildResults();
}

void CTesserin2Doc::SearchAllCategories(const std::u16string& terms) {
  mode_ = SearchMode::kLoad;
  loadedFromOutside_ = false;
  searchRun_->SearchAllCategories(terms, CategorySources());
  RebuildResults();
}

void CTesserin2Doc::StopSearch() { searchRun_->StopSearch(); }

SearchLaunch CTesserin2Doc::PressSearch(const std::u16string& text, bool ctrl, bool shift) {
  SearchPress press;
  press.text = text;
  press.ctrl = ctrl;
  press.shift = shift;
  press.categories = CategorySources();
  press.selectedCategory = currentCategory_;
  press.batchFirstCategory = librarySettings_.batchFirstCategory;
  searchRun_->SetMode(mode_);
  SearchLaunch launch = launcher_.Press(*searchRun_, press);
  if (launch.action == SearchLaunch::Action::kRunSearch || launch.action == SearchLaunch::Action::kSearchAllCategories) {
    mode_ = searchRun_->mode();
    if (launch.newSearch) {
      sortOrder_ = 0;
      loadedFromOutside_ = false;
    }
    listener_.ResultModeChanged();
  }
  if (launch.recordInHistory && !readOnly_) AddHistory(launch.terms);
  RebuildResults();
  return launch;
}

void CTesserin2Doc::SearchTextEdited() {
  searchRun_->SetMode(mode_);
  launcher_.TextEdited(*searchRun_);
  if (mode_ == searchRun_->mode()) return;
  mode_ = searchRun_->mode();
  listener_.ResultModeChanged();
  RebuildResults();
}

void CTesserin2Doc::LoadResults(std::vector<SourceResult> results, bool replace) {
  std::erase_if(results, [](const SourceResult& result) { return !result.url.starts_with(u"http"); });
  if (replace) searchRun_->ResetResults();
  loadedFromOutside_ = true;
  mode_ = SearchMode::kLoad;
  {
    std::lock_guard lock(stateMutex_);
    filterTerms_.clear();
  }
  searchRun_->AppendRawResults(std::move(results));
  listener_.ResultModeChanged();
  RebuildResults();
}

bool CTesserin2Doc::WaitForSearch(std::chrono::milliseconds timeout) { return searchRun_->WaitUntilIdle(timeout); }

// ---- the displayed results ----------------------------------------------------

void CTesserin2Doc::SetResultMode(SearchMode mode, const std::u16string& terms) {
  mode_ = mode;
  searchRun_->SetMode(mode);
  {
    std::lock_guard lock(stateMutex_);
    filterTerms_ = terms;
  }
  listener_.ResultModeChanged();
  RebuildResults();
}

void CTesserin2Doc::RebuildResults() {
  PendingJob job{{}, {library_.get(), mainIndex_.get(), termFilter_.get(), sourceIndex_.get()}};
  ResultJobRequest& request = job.request;
  request.mode = mode_;
  {
    std::lock_guard lock(stateMutex_);
    request.query = filterTerms_;
    request.pinned = pinned_;
  }
  if (request.mode == SearchMode::kLoad || request.mode == SearchMode::kFilter) request.raw = searchRun_->RawResults();
  const std::vector<Category>& list = categories_.categories;
  if (currentCategory_ != 0 && currentCategory_ < list.size() && !searchRun_->isBatchLoad() && !loadedFromOutside_)
    request.categorySources = std::set<std::u16string>(list[currentCategory_].references.begin(),
                                                    list[currentCategory_].references.end());
  const ProgramSettings& settings = application_.settings();
  request.scoring = {settings.aggregateTermScoring, settings.contentSummaryExtraction, settings.userScoringWeight,
                  settings.permScoringWeight};
  request.searchResultMax = static_cast<int>(settings.searchResultMax);
  request.noMemoryIndexing = librarySettings_.noMemoryIndexing;
  request.sortOrder = sortOrder_;
  if (request.mode == SearchMode::kPermanent && settings.categoryCounts) request.countCategories = CategorySources();
  {
    std::lock_guard lock(jobMutex_);
    // A source thread that outlived the close must not start a job on a
    // library that is going away.
    if (!acceptingJobs_) return;
    pendingJob_ = std::move(job);
    ++jobGeneration_;  // the running job stops at its next entry
  }
  jobWake_.notify_all();
}

void CTesserin2Doc::ResultJobThread() {
  std::unique_lock lock(jobMutex_);
  for (;;) {
    jobWake_.wait(lock, [this] { return jobThreadEnding_ || pendingJob_; });
    if (jobThreadEnding_) return;
    PendingJob pending = std::move(*pendingJob_);
    pendingJob_.reset();
    const int generation = jobGeneration_;
    jobRunning_ = true;
    lock.unlock();
    try {
      ResultJob job(std::move(pending.request), pending.library);
      if (job.Run(
              displayed_, displayedMutex_, [&] { return jobGeneration_ == generation; },
              [&](bool scoresPresent) { listener_.DisplayedResultsChanged(scoresPresent); })) {
        {
          std::lock_guard state(stateMutex_);
          libraryHits_ = job.libraryHits();
          libraryCategoryCounts_ = job.categoryCounts();
        }
        listener_.CategoryCountsChanged();
      }
    } catch (...) {
      // A job that failed leaves the list as far as it got.
    }
    lock.lock();
    jobRunning_ = false;
    jobDone_.notify_all();
  }
}

void CTesserin2Doc::StopResultJobs(bool acceptMore) {
  std::unique_lock lock(jobMutex_);
  acceptingJobs_ = acceptMore;
  pendingJob_.reset();
  ++jobGeneration_;
  jobDone_.wait(lock, [this] { return !jobRunning_; });
}

bool CTesserin2Doc::WaitForResults(std::chrono::milliseconds timeout) {
  std::unique_lock lock(jobMutex_);
  return jobDone_.wait_for(lock, timeout, [this] { return !jobRunning_ && !pendingJob_; });
}

CategorySourceLists CTesserin2Doc::CategorySources() const {
  CategorySourceLists lists;
  for (const Category& category : categories_.categories) lists.push_back(category.references);
  return lists;
}

std::vector<size_t> CTesserin2Doc::CategoryCounts() const {
  std::vector<size_t> counts(categories_.categories.size(), 0);
  if (!application_.settings().categoryCounts) return counts;
  if (mode_ != SearchMode::kPermanent) return LoadedCategoryCounts(searchRun_->RawResults(), CategorySources());
  std::lock_guard lock(stateMutex_);
  for (size_t i = 0; i < counts.size() && i < libraryCategoryCounts_.size(); ++i) counts[i] = libraryCategoryCounts_[i];
  return counts;
}

std::u16string CTesserin2Doc::CountCaption() const {
  if (mode_ != SearchMode::kPermanent) return {};
  std::lock_guard lock(stateMutex_);
  return brambel::CountCaption(libraryHits_, application_.settings().resultDisplayMax);
}

std::vector<ResultEntry> CTesserin2Doc::DisplayedResults() const {
  std::lock_guard lock(displayedMutex_);
  return displayed_.entries();
}

void CTesserin2Doc::SortResults(int order) {
  sortOrder_ = order;
  {
    std::lock_guard lock(displayedMutex_);
    brambel::SortResults(displayed_.entries(), order);
    displayed_.Reindex();
  }
  listener_.ResultModeChanged();
  listener_.DisplayedResultsChanged(false);
}

// ---- marks --------------------------------------------------------------------

UrlMarks CTesserin2Doc::Marks(const std::u16string& url) const {
  return library_ ? library_->readMarks(url) : UrlMarks{};
}

bool CTesserin2Doc::UpdateMarks(const std::u16string& url, const std::function<void(UrlMarks&)>& change) {
  if (!library_ || readOnly_) return false;
  UrlMarks marks;
  {
    // The pipeline's steps update marks too; neither may lose the other's change.
    std::unique_lock<std::mutex> marksLock;
    if (pipeline_) marksLock = std::unique_lock(pipeline_->marksMutex());
    marks = library_->readMarks(url);
    change(marks);
    if (!library_->writeMarks(url, marks)) return false;
  }
  {
    std::lock_guard lock(displayedMutex_);
    if (ResultEntry* entry = displayed_.Find(url)) entry->marks = marks;
  }
  listener_.MarksChanged(url);
  return true;
}

bool CTesserin2Doc::SetPermanent(const std::u16string& url, bool value, bool toggle) {
  UrlMarks updated;
  if (!UpdateMarks(url, [&](UrlMarks& marks) {
        marks.setPermanent(toggle ? !marks.isPermanent() : value);
        updated = marks;
      }))
    return false;
  // A page made permanent is indexed now, even where only permanent pages are.
  if (updated.isPermanent() && !updated.isIndexed() && pipeline_) pipeline_->IndexStoredDocument(url);
  return true;
}

void CTesserin2Doc::SetPinned(const std::u16string& url, bool pin, bool toggle) {
  {
    std::lock_guard lock(stateMutex_);
    const auto found = pinnedPositions_.find(url);
    const bool pinnedNow = found != pinnedPositions_.end();
    const bool wanted = toggle ? !pinnedNow : pin;
    if (wanted == pinnedNow) return;
    if (wanted) {
      pinnedPositions_[url] = pinned_.size();
      pinned_.push_back(url);
    } else {
      pinned_.erase(pinned_.begin() + static_cast<ptrdiff_t>(found->second));
      pinnedPositions_.clear();
      for (size_t i = 0; i < pinned_.size(); ++i) pinnedPositions_[pinned_[i]] = i;
    }
  }
  listener_.MarksChanged(url);
  RebuildResults();
}

bool CTesserin2Doc::IsPinned(const std::u16string& url) const {
  std::lock_guard lock(stateMutex_);
  return pinnedPositions_.count(url) != 0;
}

std::vector<std::u16string> CTesserin2Doc::pinned() const {
  std::lock_guard lock(stateMutex_);
  return pinned_;
}

std::u16string CTesserin2Doc::filterTerms() const {
  std::lock_guard lock(stateMutex_);
  return filterTerms_;
}

bool CTesserin2Doc::SetIgnored(const std::u16string& url, bool value, bool confirmed) {
  if (value && !confirmed &&
      prompter_.Ask(messages::kConfirmIgnore, messages::kConfirmIgnore.text, Prompter::Answer::Yes, {}) !=
          Prompter::Answer::Yes)
    return false;
  if (!UpdateMarks(url, [&](UrlMarks& marks) { marks.setIgnored(value); })) return false;
  RebuildResults();
  return true;
}

bool CTesserin2Doc::SetRead(const std::u16string& url, bool value) {
  return UpdateMarks(url, [&](UrlMarks& marks) { marks.setRead(value); });
}

bool CTesserin2Doc::RecordClick(const std::u16string& url, uint32_t when) {
  return UpdateMarks(url, [&](UrlMarks& marks) {
    marks.clickDate = when ? when : nowSeconds();
    marks.setRead(true);
  });
}

bool CTesserin2Doc::RecordHover(const std::u16string& url, uint32_t when) {
  return UpdateMarks(url, [&](UrlMarks& marks) { marks.hoverDate = when ? when : nowSeconds(); });
}

// ---- history and saved terms ------------------------------------------------

void CTesserin2Doc::SaveHistory() const {
  if (library_ && !readOnly_) history_.Save(directory_);
}

void CTesserin2Doc::AddHistory(const std::u16string& text) {
  if (!history_.Add(text)) return;
  SaveHistory();
  listener_.HistoryChanged();
}

bool CTesserin2Doc::ClearHistory(bool confirmed) {
  if (!confirmed && prompter_.Ask(messages::kConfirmClearHistory, messages::kConfirmClearHistory.text,
                                  Prompter::Answer::Yes, {}) != Prompter::Answer::Yes)
    return false;
  history_.Clear();
  SaveHistory();
  listener_.HistoryChanged();
  return true;
}

bool CTesserin2Doc::AddSavedTerm(const std::u16string& term) {
  if (!savedTerms_.Add(term)) return false;
  if (!readOnly_ && library_) savedTerms_.Save(directory_);
  listener_.SavedTermsChanged();
  return true;
}

bool CTesserin2Doc::RemoveSavedTerm(const std::u16string& term) {
  if (!savedTerms_.Remove(term)) return false;
  if (!readOnly_ && library_) savedTerms_.Save(directory_);
  listener_.SavedTermsChanged();
  return true;
}

}  // namespace brambel
