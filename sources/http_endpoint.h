#pragma once

#include <string>

namespace brambel {

// Service types a source's endpoint may name (the values stored files use).
enum class ServiceType : int { kHttp = 3, kHttps = 4107 };

// Where a run's requests go: scheme, host and port. It stands for the
// connection a run opens at its start and reuses for every page.
struct HttpEndpoint {
  ServiceType service = ServiceType::kHttp;
  std::u16string host;
  int port = 80;

  bool secure() const { return service == ServiceType::kHttps; }
  // "http://" or "https://", the host, and ":" with the port unless it is
  // the scheme's default.
  std::u16string baseUrl() const;

  bool operator==(const HttpEndpoint&) const = default;
};

// Splits an absolute URL into its endpoint (default port of the scheme when
// absent) and its path and query ("/" when empty). False when `url` is not
// http(s) or names no host.
bool splitHttpUrl(const std::u16string& url, HttpEndpoint& endpoint, std::u16string& pathAndQuery);

}  // namespace brambel
