#include "sources/library_source.h"

#include <charconv>

#include "index/library_listing.h"
#include "index/query_parser.h"
#include "store/library_store.h"
#include "sources/page_text.h"

namespace brambel {
namespace {

struct LibraryCursor : SearchCursor {
  int maxResults = 0;
  bool done = false;
  std::u16string query;
  ParameterMap parameters;
};

// The parameter as a whole decimal number; `fallback` when absent or not a number.
int numberParameter(const ParameterMap& parameters, std::u16string_view name, int fallback) {
  std::string text = toUtf8(parameterValue(parameters, name));
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value : fallback;
}

}  // namespace

void LibrarySource::attachLibrary(std::shared_ptr<const LibraryStore> library) {
  std::lock_guard lock(libraryMutex_);
  library_ = std::move(library);
}

std::shared_ptr<const LibraryStore> LibrarySource::library() const {
  std::lock_guard lock(libraryMutex_);
  return library_;
}

// The run's overrides apply to this run only: the source is shared by every
// search thread, and a run must not change what the next one sees.
std::unique_ptr<SearchCursor> LibrarySource::BeginSearch(const std::u16string& query, int maxResults,
                                                         const ParameterMap& overrides, bool) {
  auto cursor = std::make_unique<LibraryCursor>();
  cursor->maxResults = maxResults;
  cursor->query = query;
  cursor->parameters = overlayParameters(parameters(), overrides);
  return cursor;
}

bool LibrarySource::NextPage(SearchCursor& baseCursor, ResultGroups& groups) {
  auto& cursor = static_cast<LibraryCursor&>(baseCursor);
  if (cursor.done) return false;
  cursor.done = true;
  std::shared_ptr<const LibraryStore> store = library();
  if (!store) {
    cursor.errorFlag = 1;
    return false;
  }

  LibraryCriteria criteria;
  criteria.terms = ParseQuery(cursor.query, TermFilter());
  criteria.mask = maskForLibraryMode(numberParameter(cursor.parameters, u"mode", 0));
  criteria.days = static_cast<uint32_t>(std::max(0, numberParameter(cursor.parameters, u"days", 7)));
  criteria.urlStem = parameterValue(cursor.parameters, u"url_stem");
  if (cursor.maxResults > 0) criteria.maximum = static_cast<size_t>(cursor.maxResults);

  ResultGroup search{kSearchGroup, {}};
  for (const LibraryEntry& entry : ListLibrary(*store, criteria)) {
    ResultItem item;
    item.add(u"href", entry.url);
    if (std::optional<SourceResult> record = store->readRecord(entry.url)) {
      item.add(u"title", record->title);
      item.add(u"body", record->description);
    }
    search.items.push_back(std::move(item));
  }
  groups.push_back(std::move(search));
  return true;
}

SourceInfo LibrarySource::GetInfo() const {
  SourceInfo info;
  info.displayName = LabelledDisplayName(u"Library");
  info.description = description();
  info.homeUrl = u"http://www.brambel.org/help/library.html";
  info.parameterDescriptions[u"mode"] = u"0=permanent (default), 1=ignore,2=hoverdate,3=clickdate,4=all";
  info.parameterDescriptions[u"days"] = u"Days Old, only valid for date search";
  info.parameterDescriptions[u"url_stem"] = u"url stem constraint (e.g., http://www.example.com/docs/)";
  return info;
}

std::u16string LibrarySource::GetInstanceId() const {
  return MakeInstanceId(u"library", {u"mode", u"days", u"url_stem"});
}

}  // namespace brambel
