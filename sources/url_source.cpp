#include "sources/url_source.h"

#include "sources/page_text.h"
#include "sources/request_parameters.h"
#include "sources/search_terms.h"
#include "toolkit/code_pages.h"
#include "toolkit/html_to_text.h"
#include "toolkit/path_query.h"

namespace brambel {

SourceInfo FullUrlSource::GetInfo() const {
  SourceInfo info = HttpSearchSource::GetInfo();
  info.displayName = LabelledDisplayName(u"Full URL");
  info.homeUrl = u"http://www.brambel.org/help/fullurl.html";
  auto& descriptions = info.parameterDescriptions;
  descriptions[u"url"] = u"Page address; the search terms are added to it";
  descriptions[u"terms"] = u"Additional Terms";
  descriptions[u"pre_terms"] = u"Additional Terms (prepended)";
  descriptions[u"query_param"] = u"URL Param which will be assigned search terms. / will assign to path";
  descriptions[u"noEmpty"] = u"True if non-empty. Disallows empty queries";
  descriptions[u"cookie"] = u"literal cookie string that is passed into the request header";
  descriptions[u"post"] = u"Post parameters in url encoded format. Causes query param to be posted.";
  descriptions[u"referer"] = u"Referer to send to host.";
  return info;
}

std::u16string FullUrlSource::GetInstanceId() const {
  return MakeInstanceId(u"url", {u"url", u"query_param", u"terms"}, {u"pre_terms", u"post"}, 3);
}

std::u16string FullUrlSource::QueryText(const HttpSearchCursor& cursor) {
  return queryWithTerms(joinWithBlank(parameterValue(cursor.parameters, u"pre_terms"), cursor.query),
                        cursor.parameters);
}

bool FullUrlSource::QueryInAddress(const HttpSearchCursor& cursor) {
  return isParameterSet(cursor.parameters, u"query_param") && !isParameterSet(cursor.parameters, u"post");
}

std::u16string FullUrlSource::BuildRequestPath(HttpSearchCursor& cursor) {
  std::u16string path = UrlPathAndQuery(cursor);
  if (QueryInAddress(cursor))
    AppendQueryParameter(parameterValue(cursor.parameters, u"query_param"), path, QueryText(cursor), cursor);
  if (isParameterSet(cursor.parameters, u"cookie")) cursor.cookies = parameterValue(cursor.parameters, u"cookie");
  if (isParameterSet(cursor.parameters, u"referer")) cursor.referer = parameterValue(cursor.parameters, u"referer");
  return path;
}

// A "post" form body makes the request a POST; with "query_param" the query
// is posted as one more field of the form instead of going into the address.
void FullUrlSource::OnSearchStarted(HttpSearchCursor& cursor) {
  if (!isParameterSet(cursor.parameters, u"post")) return;
  std::u16string body = parameterValue(cursor.parameters, u"post");
  if (isParameterSet(cursor.parameters, u"query_param")) {
    std::u16string form = u"?" + body;
    AppendQueryParameter(parameterValue(cursor.parameters, u"query_param"), form, QueryText(cursor), cursor);
    body = form.substr(1);
  }
  cursor.postBody = toUtf8(body);
}

ResultItem FullUrlSource::MakePageResult(const std::string& page, const std::u16string& address,
                                         const FetchedPageHeaders& headers) {
  std::string charset = findCharset(headers.contentType.value_or(""));
  if (charset.empty()) charset = findCharset(page);
  int codePage = codePageForCharset(charset);

  ResultItem item;
  item.add(u"href", address);
  item.add(u"title", toWide(htmlToText(findPath(page, "/title")), codePage));
  item.attributes.push_back({u"content", {}, page});
  auto addHeader = [&](const char16_t* name, const std::optional<std::string>& value) {
    if (value) item.add(name, fromUtf8(*value));
  };
  addHeader(u"contentType", headers.contentType);
  addHeader(u"contentLastModified", headers.lastModified);
  addHeader(u"contentExpires", headers.expires);
  addHeader(u"contentEtag", headers.etag);
  return item;
}

void FullUrlSource::ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                              HttpSearchCursor& cursor, const std::string&) {
  std::u16string address = parameterValue(cursor.parameters, u"url");
  if (QueryInAddress(cursor))
    AppendQueryParameter(parameterValue(cursor.parameters, u"query_param"), address, QueryText(cursor), cursor);
  FetchedPageHeaders headers{response.header("Content-Type"), response.header("Last-Modified"),
                             response.header("Expires"), response.header("ETag")};
  groups.push_back({kSearchGroup, {MakePageResult(page, address, headers)}});
}

}  // namespace brambel
