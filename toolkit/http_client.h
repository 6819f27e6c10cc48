#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/byte_stream.h"

namespace brambel {

// One HTTP request as the program sends it. The client adds nothing of its
// own beyond what HTTP/1.1 needs (Host, Content-Length): no cookie engine, no
// redirect following, no content decoding (an "Accept-Encoding" header goes
// out as written and the body comes back as sent), no "Accept" or "Expect"
// header unless given. Proxies come from the environment (http_proxy,
// https_proxy, no_proxy); the process-wide connect-to table applies.
struct HttpRequest {
  std::string method = "GET";  // "GET" or "POST" (any token is sent as given)
  std::string url;             // absolute http:// or https:// URL; blanks, controls and
                               // bytes above ASCII go out percent-encoded
  std::string headers;         // header lines joined by CR LF, sent as given
  std::string body;            // request body; sent when not empty or when the method is POST
  std::string userAgent;       // empty sends no User-Agent header
  std::chrono::milliseconds connectTimeout{30000};
  // Longest wait for the next bytes of the answer (headers or body).
  std::chrono::milliseconds receiveTimeout{30000};
};

// The answer of one request, open while its body is read. Reading is
// streamed: only the bytes asked for (plus what the network delivered with
// them) are taken off the connection, so a reader that stops at a limit never
// downloads the rest. The connection closes when the object goes away.
// One object is used by one thread at a time; any number run side by side.
class HttpResponse : public ByteStream {
 public:
  ~HttpResponse() override;
  HttpResponse(const HttpResponse&) = delete;
  HttpResponse& operator=(const HttpResponse&) = delete;

  // Status code of the final answer (interim 1xx answers are skipped).
  int status() const { return status_; }
  // The status line and header lines of the final answer, each ending with
  // CR LF, then the empty line.
  const std::string& rawHeaders() const { return rawHeaders_; }
  // The value of the first header of that name (any case), white space
  // trimmed; nothing when absent.
  std::optional<std::string> header(std::string_view name) const;

  size_t read(char* buffer, size_t size) override;
  bool failed() const override { return failed_; }
  // Why the last read failed; empty when none did.
  const std::string& error() const { return error_; }

 private:
  friend std::unique_ptr<HttpResponse> sendHttpRequest(const HttpRequest&, std::string*);
  struct Transfer;
  explicit HttpResponse(std::unique_ptr<Transfer> transfer);

  std::unique_ptr<Transfer> transfer_;
  int status_ = 0;
  std::string rawHeaders_;
  bool failed_ = false;
  std::string error_;
};

// Sends the request and waits for the answer's headers. Answers nothing when
// the URL is not http(s), the connection or the send failed, or no headers
// came within the time-outs; `error`, when given, then receives a one-line
// reason.
std::unique_ptr<HttpResponse> sendHttpRequest(const HttpRequest& request, std::string* error = nullptr);

// Tests shorten every request's connect and receive time-outs to `limit`
// (zero restores the requests' own values). Process-wide.
void setHttpTimeoutLimitForTesting(std::chrono::milliseconds limit);

}  // namespace brambel
