#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <httplib.h>

namespace brambel::testing {

// What the server saw of one request.
struct RecordedRequest {
  std::string method;
  std::string target;            // the request target exactly as sent, nothing decoded
  std::string path;              // without the query, percent-decoded
  std::string query;             // raw, without "?"; empty when none
  httplib::Headers headers;      // as received (names compare without case)
  std::string body;

  std::string header(const std::string& name) const;  // empty when absent
};

// An HTTP server on an ephemeral loopback port, running on a thread of its
// own from construction to destruction. Handlers are added by method and
// exact path at any time; a request to a path without one gets 404. The
// server never compresses an answer by itself: a handler that sets
// "Content-Encoding: gzip" writes the gzip bytes itself. For that, handlers
// do not see the request's Accept-Encoding header; requests() and
// lastRequest() keep it.
//
//   LoopbackServer server;
//   server.mapHost("www.example.test:80");  // requests for that host come here
//   server.get("/feed", [](const auto&, auto& res) { res.set_content("...", "text/xml"); });
class LoopbackServer {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

  LoopbackServer();
  // Stops the server (releasing stalled requests) and removes its host mappings.
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT".
  std::string baseUrl() const;
  // baseUrl() + path.
  std::string url(const std::string& path) const;

  void get(const std::string& path, Handler handler);
  void post(const std::string& path, Handler handler);
  // Answers 200 with `body` and `contentType` to GET.
  void serve(const std::string& path, std::string body, std::string contentType = "text/html");
  // GET on `path` sends nothing at all until the server stops.
  void stall(const std::string& path);
  // GET on `path` sends the headers and `prefix` (chunked), then nothing more
  // until the server stops.
  void stallAfter(const std::string& path, std::string prefix, std::string contentType = "text/html");

  // Sends requests for "HOST:PORT" (through the process-wide connect-to
  // table) to this server until it is destroyed.
  void mapHost(const std::string& hostAndPort);

  // Number of requests received for `path`, or for all paths when empty.
  int requestCount(const std::string& path = "") const;
  // Every request received so far, in order of arrival.
  std::vector<RecordedRequest> requests() const;
  // The latest request for `path`; an empty record when there was none.
  RecordedRequest lastRequest(const std::string& path) const;

 private:
  void dispatch(const httplib::Request& request, httplib::Response& response);
  void waitForStop();

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::vector<std::string> mappings_;

  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::map<std::pair<std::string, std::string>, Handler> handlers_;  // (method, path)
  std::vector<RecordedRequest> requests_;
};

}  // namespace brambel::testing
