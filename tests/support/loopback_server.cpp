#include "tests/support/loopback_server.h"

#include <chrono>
#include <stdexcept>

#include "toolkit/connect_to.h"

namespace brambel::testing {

std::string RecordedRequest::header(const std::string& name) const {
  auto found = headers.find(name);
  return found == headers.end() ? std::string() : found->second;
}

LoopbackServer::LoopbackServer() {
  // Enough workers for ten search threads plus stalled requests.
  server_.new_task_queue = [] { return new httplib::ThreadPool(16); };
  auto dispatcher = [this](const httplib::Request& request, httplib::Response& response) {
    dispatch(request, response);
  };
  server_.Get(".*", dispatcher);
  server_.Post(".*", dispatcher);
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("loopback server: cannot bind a port");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // stop() does nothing to a server that has not started running yet.
  while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer() {
  for (const auto& mapping : mappings_) removeConnectTo(mapping);
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopped_.notify_all();
  server_.stop();
  thread_.join();
}

std::string LoopbackServer::baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string LoopbackServer::url(const std::string& path) const { return baseUrl() + path; }

void LoopbackServer::get(const std::string& path, Handler handler) {
  std::lock_guard lock(mutex_);
  handlers_[{"GET", path}] = std::move(handler);
}

void LoopbackServer::post(const std::string& path, Handler handler) {
  std::lock_guard lock(mutex_);
  handlers_[{"POST", path}] = std::move(handler);
}

void LoopbackServer::serve(const std::string& path, std::string body, std::string contentType) {
  get(path, [body = std::move(body), contentType = std::move(contentType)](const httplib::Request&,
                                                                           httplib::Response& response) {
    response.set_content(body, contentType.c_str());
  });
}

void LoopbackServer::stall(const std::string& path) {
  get(path, [this](const httplib::Request&, httplib::Response& response) {
    waitForStop();
    response.status = 503;
  });
}

void LoopbackServer::stallAfter(const std::string& path, std::string prefix, std::string contentType) {
  get(path, [this, prefix = std::move(prefix), contentType = std::move(contentType)](
                const httplib::Request&, httplib::Response& response) {
    response.set_chunked_content_provider(contentType.c_str(),
                                          [this, prefix](size_t offset, httplib::DataSink& sink) {
                                            if (offset == 0) sink.write(prefix.data(), prefix.size());
                                            waitForStop();
                                            return false;  // drop the connection mid-body
                                          });
  });
}

void LoopbackServer::mapHost(const std::string& hostAndPort) {
  std::string entry = hostAndPort + ":127.0.0.1:" + std::to_string(port_);
  if (!addConnectTo(entry)) throw std::invalid_argument("loopback server: bad host " + hostAndPort);
  mappings_.push_back(entry);
}

int LoopbackServer::requestCount(const std::string& path) const {
  std::lock_guard lock(mutex_);
  int count = 0;
  for (const auto& request : requests_) count += path.empty() || request.path == path;
  return count;
}

std::vector<RecordedRequest> LoopbackServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

RecordedRequest LoopbackServer::lastRequest(const std::string& path) const {
  std::lock_guard lock(mutex_);
  for (auto it = requests_.rbegin(); it != requests_.rend(); ++it)
    if (it->path == path) return *it;
  return {};
}

void LoopbackServer::dispatch(const httplib::Request& request, httplib::Response& response) {
  RecordedRequest record{request.method, request.target, request.path, "", request.headers, request.body};
  if (auto mark = request.target.find('?'); mark != std::string::npos) record.query = request.target.substr(mark + 1);
  Handler handler;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(record);
    auto found = handlers_.find({request.method, request.path});
    if (found != handlers_.end()) handler = found->second;
  }
  // The server would gzip text answers for a client that accepts gzip; tests
  // build their encoded bodies themselves, so it must not see the header.
  // The request object is the server's own mutable one, handed over as const.
  const_cast<httplib::Request&>(request).headers.erase("Accept-Encoding");
  if (handler) {
    handler(request, response);
  } else {
    response.status = 404;
    response.set_content("not found", "text/plain");
  }
}

void LoopbackServer::waitForStop() {
  std::unique_lock lock(mutex_);
  stopped_.wait(lock, [this] { return stopping_; });
}

}  // namespace brambel::testing
