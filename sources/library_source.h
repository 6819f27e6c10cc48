#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "sources/search_source.h"

namespace brambel {

class LibraryStore;

// The library source (key "library"): lists the URLs of the open library
// that carry a mark ("mode": 0 permanent, 1 ignored, 2 hovered or 3 clicked
// within "days" days, 4 all), optionally only those beginning with
// "url_stem" and, when the query has terms, those whose saved text matches
// them, best first. One page per run; never an internet source.
//
// The source reads the library the document attaches to it; a run without
// one yields nothing and is reported as failed.
class LibrarySource : public SearchSource {
 public:
  std::unique_ptr<SearchCursor> BeginSearch(const std::u16string& query, int maxResults,
                                            const ParameterMap& overrides, bool noCacheWrite) override;
  bool NextPage(SearchCursor& cursor, ResultGroups& groups) override;
  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  std::u16string GetKey() const override { return u"library"; }
  bool AcceptsEmptyQuery() const override { return true; }
  bool IsInternetSource() const override { return false; }
  void attachLibrary(std::shared_ptr<const LibraryStore> library);

 private:
  std::shared_ptr<const LibraryStore> library() const;

  mutable std::mutex libraryMutex_;
  std::shared_ptr<const LibraryStore> library_;
};

}  // namespace brambel
