#pragma once

#include <sstream>
#include <string>

#include "sources/http_search_source.h"
#include "sources/request_parameters.h"
#include "toolkit/code_pages.h"

namespace brambel::testing {

// A small HTTP source for search-run tests. It asks "<path>?q=<terms>" of its
// host and reads pages made of lines:
//   ITEM <url> <title>      a result
//   SPONSOR <url> <title>   a sponsored result
//   NEXT <link>             the following page
// Parameters: "path" (the first page; also its id), "acceptsEmpty" (set: an
// empty query is accepted), "local" (set: not an internet source).
class LineSource : public HttpSearchSource {
 public:
  LineSource(std::u16string key, std::u16string host, std::u16string path)
      : HttpSearchSource(std::move(host)), key_(std::move(key)) {
    parameters()[u"path"] = std::move(path);
  }

  std::u16string GetKey() const override { return key_; }
  std::u16string GetInstanceId() const override { return MakeInstanceId(key_, {u"path"}); }
  bool AcceptsEmptyQuery() const override { return isParameterSet(parameters(), u"acceptsEmpty"); }
  bool IsInternetSource() const override { return !isParameterSet(parameters(), u"local"); }
  SourceInfo GetInfo() const override {
    SourceInfo info = HttpSearchSource::GetInfo();
    info.displayName = LabelledDisplayName(u"lines");
    return info;
  }

 protected:
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override {
    std::u16string path = parameterValue(cursor.parameters, u"path");
    AppendQueryParameter(u"q", path, cursor.query, cursor);
    return path;
  }

  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse&,
                 HttpSearchCursor& cursor, const std::string&) override {
    ResultGroup results{std::u16string(kSearchGroup), {}};
    ResultGroup sponsors{std::u16string(kSponsorsGroup), {}};
    cursor.nextLink.clear();
    std::istringstream lines(page);
    std::string kind, url, title;
    while (lines >> kind) {
      if (kind == "NEXT") {
        lines >> url;
        cursor.nextLink = toWide(url, kCodePageUtf8);
        continue;
      }
      lines >> url;
      std::getline(lines, title);
      ResultItem item;
      item.add(u"href", toWide(url, kCodePageUtf8));
      item.add(u"title", toWide(title, kCodePageUtf8));
      (kind == "SPONSOR" ? sponsors : results).items.push_back(std::move(item));
    }
    groups.push_back(std::move(results));
    if (!sponsors.items.empty()) groups.push_back(std::move(sponsors));
  }

 private:
  std::u16string key_;
};

// "ITEM http://<host>/<prefix><i> title <i>" lines for i in [first, first + count).
inline std::string itemLines(const std::string& host, const std::string& prefix, int first, int count) {
  std::string page;
  for (int i = first; i < first + count; ++i)
    page += "ITEM http://" + host + "/" + prefix + std::to_string(i) + " title " + std::to_string(i) + "\n";
  return page;
}

}  // namespace brambel::testing
