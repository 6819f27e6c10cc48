// The search run against a slow service: 40 sources whose pages each take
// 100 ms to arrive. Ten fetch at a time, so the ideal is four rounds of
// 100 ms; the "vs_ideal" counter is the measured wall time over 400 ms.
// Also the cost of turning one result item into a raw result.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <list>
#include <mutex>
#include <thread>

#include "search/item_to_result.h"
#include "search/result_merge.h"
#include "search/search_run.h"
#include "tests/search/line_source.h"
#include "toolkit/connect_to.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;

// Answers every request, each on a thread of its own, with `page` after `delay`.
class DelayedPageServer {
 public:
  DelayedPageServer(std::string page, std::chrono::milliseconds delay) : page_(std::move(page)), delay_(delay) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 64);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
  }
  ~DelayedPageServer() {
    shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    close(listener_);
    std::lock_guard lock(mutex_);
    for (std::thread& worker : workers_) worker.join();
  }
  int port() const { return port_; }

 private:
  void acceptLoop() {
    for (;;) {
      int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      std::lock_guard lock(mutex_);
      workers_.emplace_back([this, connection] { answer(connection); });
    }
  }
  void answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      ssize_t got = recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
    }
    std::this_thread::sleep_for(delay_);
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                        std::to_string(page_.size()) + "\r\nConnection: close\r\n\r\n" + page_;
    send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
    close(connection);
  }

  const std::string page_;
  const std::chrono::milliseconds delay_;
  int listener_ = -1;
  int port_ = 0;
  std::thread acceptor_;
  std::mutex mutex_;
  std::list<std::thread> workers_;
};

void BM_FortySlowSources(benchmark::State& state) {
  constexpr int kSources = 40;
  DelayedPageServer server(testing::itemLines("result.test", "r", 0, 20), 100ms);
  std::string route = "bench.example.test:80:127.0.0.1:" + std::to_string(server.port());
  addConnectTo(route);
  SourceMap sources;
  std::vector<std::u16string> ids;
  for (int i = 0; i < kSources; ++i) {
    std::u16string path = u"/source" + std::u16string(1, static_cast<char16_t>(u'A' + i));
    auto source = std::make_shared<testing::LineSource>(u"lines", u"bench.example.test", path);
    ids.push_back(source->GetInstanceId());
    sources[ids.back()] = source;
  }
  size_t results = 0;
  std::chrono::duration<double> searching{0};
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    SearchRun run(SearchRunOptions{});
    run.SetSources(sources);
    run.RunSearch(u"cats", true, 1, ids);
    run.WaitUntilIdle(60s);
    searching += std::chrono::steady_clock::now() - start;
    results = run.RawResults().size();
  }
  removeConnectTo(route);
  state.counters["results"] = static_cast<double>(results);
  state.counters["vs_ideal"] = searching.count() / static_cast<double>(state.iterations()) / 0.4;
}
BENCHMARK(BM_FortySlowSources)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

ResultItem typicalItem(int i) {
  ResultItem item;
  item.add(u"href", u"http://www.example.test/articles/" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
  item.add(u"title", u"  A <b>typical</b>   result title &amp; more  ");
  item.add(u"body", u"<p>Some snippet text of a result, about two lines long, with   runs of blanks "
                    u"and <i>markup</i> the conversion removes.</p>");
  item.add(u"contentLastModified", u"Sun, 06 Nov 1994 08:49:37 GMT");
  item.add(u"source0", u"Example Feed");
  return item;
}

void BM_ItemToResult(benchmark::State& state) {
  std::vector<ResultItem> items;
  for (int i = 0; i < 64; ++i) items.push_back(typicalItem(i));
  size_t bytes = 0;
  for (const ResultItem& item : items)
    for (const ResultAttribute& attribute : item.attributes) bytes += attribute.value.size() * 2;
  for (auto _ : state) {
    for (size_t i = 0; i < items.size(); ++i) benchmark::DoNotOptimize(ItemToResult(items[i], static_cast<int>(i)));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(items.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ItemToResult);

void BM_MergeLoadedResults(benchmark::State& state) {
  std::vector<SourceResult> raw;
  for (int source = 0; source < 40; ++source)
    for (int position = 0; position < 20; ++position) {
      SourceResult record = ItemToResult(typicalItem(position), position);
      record.url += u"/" + std::u16string(1, static_cast<char16_t>(u'A' + (source * 7 + position) % 50));
      record.sources = {u"source" + std::u16string(1, static_cast<char16_t>(u'A' + source))};
      raw.push_back(record);
    }
  for (auto _ : state) {
    std::vector<ResultEntry> merged = MergeLoadedResults(raw, {});
    SortByScore(merged);
    benchmark::DoNotOptimize(merged);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(raw.size()));
}
BENCHMARK(BM_MergeLoadedResults);

}  // namespace
}  // namespace brambel
