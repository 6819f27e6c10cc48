#pragma once

#include <string>

#include "sources/url_addressed_source.h"

namespace brambel {

// A source that reads a syndication feed named by its "url" parameter. The
// search terms (and "terms") go into the feed address under "query_param",
// as a query parameter or a path segment; "cookie" is sent with the request.
// A feed is one page: the run ends after it.
class FeedSource : public UrlAddressedSource {
 public:
  SourceInfo GetInfo() const override;
  // The key, the feed address and the additional terms: "rss/URL/terms".
  std::u16string GetInstanceId() const override;

 protected:
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override;
};

// RSS 2.0 and RDF feeds (key "rss"). Besides the common parameters it can
// take each item's picture from the feed ("imagesPrefered" points the result
// at the picture, "imagesOverride" makes it the result's preview image).
class RssSource : public FeedSource {
 public:
  std::u16string GetKey() const override { return u"rss"; }
  SourceInfo GetInfo() const override;

 protected:
  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override;
};

// Atom feeds (key "atom").
class AtomSource : public FeedSource {
 public:
  std::u16string GetKey() const override { return u"atom"; }
  SourceInfo GetInfo() const override;

 protected:
  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override;
};

}  // namespace brambel
