#include "toolkit/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"
#include "toolkit/connect_to.h"
#include "toolkit/url_resolver.h"

namespace brambel {
namespace {

std::atomic<long long> timeoutLimitMs{0};

std::chrono::milliseconds limited(std::chrono::milliseconds value) {
  long long limit = timeoutLimitMs.load();
  return limit > 0 ? std::min(value, std::chrono::milliseconds(limit)) : value;
}

void initialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

void append(Slist& list, const std::string& line) { list.reset(curl_slist_append(list.release(), line.c_str())); }

// The caller's header lines, plus empty "Name:" lines that keep curl from
// adding its own Accept, Expect and Content-Type headers.
Slist headerList(const std::string& headers) {
  Slist list;
  bool hasAccept = false, hasExpect = false, hasContentType = false;
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find('\n', start);
    if (end == std::string::npos) end = headers.size();
    std::string line(trimmed(std::string_view(headers).substr(start, end - start)));
    start = end + 1;
    if (line.empty()) continue;
    hasAccept |= startsWithIgnoringCase<char>(line, 0, "accept:");
    hasExpect |= startsWithIgnoringCase<char>(line, 0, "expect:");
    hasContentType |= startsWithIgnoringCase<char>(line, 0, "content-type:");
    append(list, line);
  }
  if (!hasAccept) append(list, "Accept:");
  if (!hasExpect) append(list, "Expect:");
  if (!hasContentType) append(list, "Content-Type:");
  return list;
}

}  // namespace

// One libcurl transfer driven through a multi handle by the reading thread
// itself: bytes are pulled off the connection only while someone waits for
// them, which is what makes a limited read stop the download.
struct HttpResponse::Transfer {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  Slist headers;
  Slist connectTo;
  std::string requestBody;
  char errorText[CURL_ERROR_SIZE] = {};

  std::chrono::milliseconds receiveTimeout{30000};
  std::chrono::steady_clock::time_point deadline;

  int status = 0;
  std::string headerBlock;
  bool headersComplete = false;
  std::string pending;  // body bytes delivered but not yet read
  size_t pendingOffset = 0;
  bool finished = false;
  CURLcode result = CURLE_OK;
  bool timedOut = false;

  ~Transfer() {
    if (multi && easy) curl_multi_remove_handle(multi, easy);
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
  }

  void noteActivity() { deadline = std::chrono::steady_clock::now() + receiveTimeout; }

  static size_t onHeader(char* data, size_t size, size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    std::string_view line(data, size * count);
    transfer.noteActivity();
    if (line.rfind("HTTP/", 0) == 0) {  // a new answer begins (after 1xx ones)
      transfer.headerBlock.clear();
      size_t space = line.find(' ');
      transfer.status = space == std::string_view::npos ? 0 : std::atoi(std::string(line.substr(space + 1, 3)).c_str());
    }
    transfer.headerBlock.append(line);
    if (trimmed(line).empty() && transfer.status >= 200) transfer.headersComplete = true;
    return line.size();
  }

  static size_t onBody(char* data, size_t size, size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    transfer.noteActivity();
    transfer.headersComplete = true;
    transfer.pending.append(data, size * count);
    return size * count;
  }

  // Drives the transfer until `ready` holds, it ends, or nothing arrives
  // within the receive time-out.
  template <typename Ready>
  void pump(Ready ready) {
    while (!ready() && !finished) {
      int running = 0;
      CURLMcode code = curl_multi_perform(multi, &running);
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE) {
          finished = true;
          result = message->data.result;
        }
      }
      if (code != CURLM_OK && !finished) {
        finished = true;
        result = CURLE_FAILED_INIT;
      }
      if (ready() || finished) break;
      if (std::chrono::steady_clock::now() >= deadline) {
        finished = true;
        timedOut = true;
        break;
      }
      curl_multi_poll(multi, nullptr, 0, 50, nullptr);
    }
  }

  std::string failure() const {
    if (timedOut) return "timed out waiting for the server";
    return errorText[0] ? std::string(errorText) : std::string(curl_easy_strerror(result));
  }
};

HttpResponse::HttpResponse(std::unique_ptr<Transfer> transfer) : transfer_(std::move(transfer)) {}

HttpResponse::~HttpResponse() = default;

std::optional<std::string> HttpResponse::header(std::string_view name) const {
  size_t start = rawHeaders_.find('\n');  // skip the status line
  while (start != std::string::npos && start + 1 < rawHeaders_.size()) {
    size_t end = rawHeaders_.find('\n', start + 1);
    std::string_view line = std::string_view(rawHeaders_).substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    size_t colon = line.find(':');
    if (colon == name.size() && equalsIgnoringAsciiCase(line.substr(0, colon), name)) return std::string(trimmed(line.substr(colon + 1)));
    start = end;
  }
  return std::nullopt;
}

size_t HttpResponse::read(char* buffer, size_t size) {
  Transfer& transfer = *transfer_;
  if (size == 0) return 0;
  if (transfer.pendingOffset == transfer.pending.size()) {
    transfer.pending.clear();
    transfer.pendingOffset = 0;
    transfer.pump([&] { return !transfer.pending.empty(); });
    if (transfer.pending.empty()) {
      if (transfer.timedOut || transfer.result != CURLE_OK) {
        failed_ = true;
        error_ = transfer.failure();
      }
      return 0;
    }
  }
  size_t count = std::min(size, transfer.pending.size() - transfer.pendingOffset);
  std::memcpy(buffer, transfer.pending.data() + transfer.pendingOffset, count);
  transfer.pendingOffset += count;
  return count;
}

std::unique_ptr<HttpResponse> sendHttpRequest(const HttpRequest& request, std::string* error) {
  auto fail = [&](std::string reason) -> std::unique_ptr<HttpResponse> {
    if (error) *error = std::move(reason);
    return nullptr;
  };
  if (!startsWithIgnoringCase<char>(request.url, 0, "http://") && !startsWithIgnoringCase<char>(request.url, 0, "https://"))
    return fail("not an http or https URL: " + request.url);

  initialiseCurlOnce();
  auto transfer = std::make_unique<HttpResponse::Transfer>();
  transfer->easy = curl_easy_init();
  transfer->multi = curl_multi_init();
  if (!transfer->easy || !transfer->multi) return fail("cannot start an HTTP transfer");
  CURL* easy = transfer->easy;

  auto connectTimeout = limited(request.connectTimeout);
  transfer->receiveTimeout = limited(request.receiveTimeout);
  transfer->deadline = std::chrono::steady_clock::now() + connectTimeout + transfer->receiveTimeout;

  std::string url = percentEncodeUnsafeBytes(request.url);
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeout.count()));
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->errorText);
  if (!request.userAgent.empty()) curl_easy_setopt(easy, CURLOPT_USERAGENT, request.userAgent.c_str());

  transfer->headers = headerList(request.headers);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers.get());
  for (const auto& entry : connectToEntries()) append(transfer->connectTo, entry);
  if (transfer->connectTo) curl_easy_setopt(easy, CURLOPT_CONNECT_TO, transfer->connectTo.get());

  if (request.method == "POST" || !request.body.empty()) {
    transfer->requestBody = request.body;
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, transfer->requestBody.data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(transfer->requestBody.size()));
  }
  if (request.method != "GET" && request.method != "POST")
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());

  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpResponse::Transfer::onHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpResponse::Transfer::onBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
  curl_multi_add_handle(transfer->multi, easy);

  transfer->pump([&] { return transfer->headersComplete; });
  if (!transfer->headersComplete || (transfer->finished && transfer->result != CURLE_OK && transfer->status == 0))
    return fail(transfer->finished && !transfer->timedOut && transfer->result == CURLE_OK
                    ? "the server sent no answer"
                    : transfer->failure());

  auto response = std::unique_ptr<HttpResponse>(new HttpResponse(std::move(transfer)));
  response->status_ = response->transfer_->status;
  response->rawHeaders_ = response->transfer_->headerBlock;
  return response;
}

void setHttpTimeoutLimitForTesting(std::chrono::milliseconds limit) { timeoutLimitMs.store(limit.count()); }

}  // namespace brambel
