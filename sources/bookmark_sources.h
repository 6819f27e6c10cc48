#pragma once

#include <string>

#include "sources/http_search_source.h"

namespace brambel {

// A social bookmarking site read through its RSS feeds: the recent
// bookmarks, those of one "username", or those matching the query. Runs
// without a query too; one page per run.
class BookmarkFeedSource : public HttpSearchSource {
 public:
  using HttpSearchSource::HttpSearchSource;

  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  bool AcceptsEmptyQuery() const override { return true; }

 protected:
  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override;
};

// del.icio.us (key "delicious"): "/rss/USER/TAGS" or "/rss/tag/TAGS", the
// query's words joined by "+" as tags.
class DeliciousSource : public BookmarkFeedSource {
 public:
  static constexpr char16_t kHost[] = u"del.icio.us";

  DeliciousSource() : BookmarkFeedSource(kHost) {}
  std::u16string GetKey() const override { return u"delicious"; }

 protected:
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override;
};

// Simpy (key "simpy"): "/rss/[user/USER/]links[/search/QUERY]".
class SimpySource : public BookmarkFeedSource {
 public:
  static constexpr char16_t kHost[] = u"www.simpy.com";

  SimpySource() : BookmarkFeedSource(kHost) {}
  std::u16string GetKey() const override { return u"simpy"; }

 protected:
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override;
};

}  // namespace brambel
