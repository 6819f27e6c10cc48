#include "pipeline/url_join.h"

#include <curl/curl.h>

#include <memory>

#include "sources/page_walk.h"

namespace brambel {

std::u16string joinUrl(const std::u16string& base, const std::u16string& reference) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
  if (!url) return {};
  if (curl_url_set(url.get(), CURLUPART_URL, toUtf8(base).c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) return {};
  if (curl_url_set(url.get(), CURLUPART_URL, toUtf8(reference).c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
    return {};
  char* joined = nullptr;
  if (curl_url_get(url.get(), CURLUPART_URL, &joined, 0) != CURLUE_OK) return {};
  std::u16string result = fromUtf8(joined);
  curl_free(joined);
  return result;
}

}  // namespace brambel
