#include "toolkit/url_resolver.h"

#include <curl/curl.h>

#include <memory>

#include "toolkit/ascii_case.h"

namespace brambel {
namespace {

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

struct CurlTextDeleter {
  void operator()(char* text) const { curl_free(text); }
};

constexpr unsigned kParseFlags = CURLU_NON_SUPPORT_SCHEME;

std::optional<std::string> part(const UrlHandle& url, CURLUPart which) {
  char* raw = nullptr;
  if (curl_url_get(url.get(), which, &raw, 0) != CURLUE_OK || !raw) return std::nullopt;
  std::unique_ptr<char, CurlTextDeleter> text(raw);
  return std::string(text.get());
}

// A handle holding `url`, which must be absolute; nothing when curl refuses it.
UrlHandle parsed(std::string_view url) {
  UrlHandle handle(curl_url());
  if (!handle) return nullptr;
  std::string text = percentEncodeUnsafeBytes(url);
  if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), kParseFlags) != CURLUE_OK) return nullptr;
  return handle;
}

std::string_view trimmedBlanks(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string percentEncodeUnsafeBytes(std::string_view url) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(url.size());
  for (unsigned char c : url) {
    if (c <= 0x20 || c >= 0x7f) {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    } else {
      encoded += static_cast<char>(c);
    }
  }
  return encoded;
}

std::optional<std::string> resolveUrl(std::string_view base, std::string_view reference) {
  UrlHandle url = parsed(trimmedBlanks(base));
  if (!url) return std::nullopt;
  std::string joined = percentEncodeUnsafeBytes(trimmedBlanks(reference));
  // An empty reference names the base itself (without its fragment).
  if (joined.empty()) {
    curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0);
  } else if (curl_url_set(url.get(), CURLUPART_URL, joined.c_str(), kParseFlags) != CURLUE_OK) {
    return std::nullopt;
  }
  return part(url, CURLUPART_URL);
}

std::optional<std::string> urlHost(std::string_view url) {
  UrlHandle handle = parsed(trimmedBlanks(url));
  if (!handle) return std::nullopt;
  std::optional<std::string> host = part(handle, CURLUPART_HOST);
  if (!host || host->empty()) return std::nullopt;
  for (char& c : *host) c = asciiLower(c);
  return host;
}

std::optional<std::string> requestTarget(std::string_view url) {
  UrlHandle handle = parsed(trimmedBlanks(url));
  if (!handle) return std::nullopt;
  std::optional<std::string> target = part(handle, CURLUPART_PATH);
  if (!target) return std::nullopt;
  if (target->empty() || (*target)[0] != '/') target->insert(0, "/");
  if (std::optional<std::string> query = part(handle, CURLUPART_QUERY)) *target += "?" + *query;
  return target;
}

bool sameHost(std::string_view url, std::string_view otherUrl) {
  std::optional<std::string> host = urlHost(url);
  return host && host == urlHost(otherUrl);
}

}  // namespace brambel
