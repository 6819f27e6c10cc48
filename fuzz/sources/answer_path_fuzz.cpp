// The whole answer path of every built-in source: each fuzz input is the raw
// HTTP answer (status line, headers, body) a loopback server sends to every
// request, so the request cycle, cookies, body decoding, meta refresh, next
// links and the page parsers all see hostile bytes. The first byte chooses
// the source. Every host name is routed to the loopback server.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "sources/builtin_sources.h"
#include "sources/source_registry.h"
#include "toolkit/connect_to.h"
#include "toolkit/http_client.h"

namespace {

// Answers every connection with the current answer bytes, then closes it.
class RawAnswerServer {
 public:
  RawAnswerServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      std::abort();
    port_ = ntohs(address.sin_port);
    std::thread([this] { serve(); }).detach();
  }

  int port() const { return port_; }
  void setAnswer(std::string answer) {
    std::lock_guard lock(mutex_);
    answer_ = std::move(answer);
  }

 private:
  void serve() {
    for (;;) {
      int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      timeval wait{0, 200000};
      setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos && request.size() < (1 << 16)) {
        ssize_t count = recv(connection, buffer, sizeof buffer, 0);
        if (count <= 0) break;
        request.append(buffer, count);
      }
      std::string answer;
      {
        std::lock_guard lock(mutex_);
        answer = answer_;
      }
      for (size_t sent = 0; sent < answer.size();) {
        ssize_t count = send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) break;
        sent += count;
      }
      shutdown(connection, SHUT_WR);
      while (recv(connection, buffer, sizeof buffer, 0) > 0) {
      }
      close(connection);
    }
  }

  int listener_ = -1;
  int port_ = 0;
  std::mutex mutex_;
  std::string answer_;
};

RawAnswerServer& server() {
  static RawAnswerServer* instance = [] {
    auto* created = new RawAnswerServer;
    brambel::registerBuiltinSources();
    // Any host, any port: nothing leaves the machine.
    brambel::addConnectTo("::127.0.0.1:" + std::to_string(created->port()));
    brambel::setHttpTimeoutLimitForTesting(std::chrono::milliseconds(500));
    return created;
  }();
  return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 17)) return 0;
  RawAnswerServer& answers = server();
  answers.setAnswer(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

  auto& registry = brambel::SourceRegistry::global();
  std::vector<std::u16string> keys = registry.Keys();
  const std::u16string& key = keys[data[0] % keys.size()];
  if (key == u"library") return 0;
  brambel::ParameterMap parameters{{u"url", u"http://feed.example.test/rss?x=1"}, {u"terms", u"t"}};
  std::unique_ptr<brambel::SearchSource> source = registry.Create(key, u"fuzz", u"", parameters);
  std::unique_ptr<brambel::SearchCursor> cursor = source->BeginSearch(u"big cat", 40, {}, false);
  if (!cursor) return 0;
  // Each page yields an item or ends the run, so the maximum bounds it.
  int pages = 0;
  for (brambel::ResultGroups groups; source->NextPage(*cursor, groups); groups.clear())
    if (++pages > 41) std::abort();
  source->EndSearch(std::move(cursor));
  return 0;
}
