#include "sources/request_parameters.h"

#include "toolkit/code_pages.h"
#include "toolkit/url_codec.h"

namespace brambel {
namespace {

// The code page the cursor's "queryEncoding" names; UTF-8 when it names none
// or one without a converter.
int queryCodePage(const HttpSearchCursor& cursor) {
  auto found = cursor.parameters.find(std::u16string_view(u"queryEncoding"));
  if (found == cursor.parameters.end()) return kCodePageUtf8;
  int codePage = codePageForCharset(toNarrow(found->second, kCodePageUtf8));
  return codePage < 0 ? kCodePageUtf8 : codePage;
}

}  // namespace

void AppendQueryParameter(std::u16string_view urlKey, std::u16string& path,
                          const std::u16string& value, const HttpSearchCursor& cursor) {
  std::u16string encoded = encodeUrl(value, queryCodePage(cursor));
  if (urlKey.empty() || urlKey[0] != u'/') {
    path += path.find(u'?') == std::u16string::npos ? u'?' : u'&';
    path += urlKey;
    path += u'=';
    path += encoded;
    return;
  }
  std::u16string suffix(urlKey.substr(1));
  if (suffix.empty()) suffix = u"/";
  size_t queryStart = path.find(u'?');
  std::u16string base = path.substr(0, queryStart);
  std::u16string query = queryStart == std::u16string::npos ? u"" : path.substr(queryStart);
  if (base.empty() || base.back() != u'/') {
    base += u'/';
    if (suffix == u"/") suffix.clear();
  }
  path = base + encoded + suffix + query;
}

bool AddParameterFromSettings(const HttpSearchCursor& cursor, std::u16string_view parameterName,
                              std::u16string_view urlKey, std::u16string& path,
                              const std::optional<std::u16string>& fallback) {
  auto found = cursor.parameters.find(parameterName);
  bool present = found != cursor.parameters.end();
  std::u16string value = present ? found->second : fallback.value_or(u"");
  if (!value.empty()) AppendQueryParameter(urlKey, path, value, cursor);
  return present;
}

}  // namespace brambel
