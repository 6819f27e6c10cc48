#include "search/search_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "search/result_merge.h"
#include "tests/search/line_source.h"
#include "tests/support/loopback_server.h"
#include "toolkit/connect_to.h"
#include "toolkit/http_client.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;
using testing::itemLines;
using testing::LineSource;
using testing::LoopbackServer;

constexpr char kHost[] = "lines.example.test";

class RecordingListener : public SearchListener {
 public:
  void ResultsChanged() override { ++resultsChanged; }
  void SourceFinished(const std::u16string& id) override {
    std::lock_guard lock(mutex);
    finished.push_back(id);
  }
  void SponsorsChanged() override { ++sponsorsChanged; }
  void ResultListChanged() override { ++listChanged; }
  void CategorySwitched() override { ++categorySwitched; }

  std::atomic<int> resultsChanged{0}, sponsorsChanged{0}, listChanged{0}, categorySwitched{0};
  std::mutex mutex;
  std::vector<std::u16string> finished;
};

struct QueuedLoad {
  std::u16string url;
  int searchNumber;
  ContentRequest request;
  EnqueueMode mode;
  int priority;
};

class RecordingHandoff : public ContentHandoff {
 public:
  void AddLoad(const std::u16string& url, int searchNumber, ContentRequest request, EnqueueMode mode,
               int priority) override {
    std::lock_guard lock(mutex);
    loads.push_back({url, searchNumber, std::move(request), mode, priority});
  }
  void ClearForNewSearch() override { ++newSearchClears; }
  void ClearImageQueue() override { ++imageClears; }

  std::vector<QueuedLoad> snapshot() {
    std::lock_guard lock(mutex);
    return loads;
  }

  std::mutex mutex;
  std::vector<QueuedLoad> loads;
  std::atomic<int> newSearchClears{0}, imageClears{0};
};

class RecordingSink : public RawResultSink {
 public:
  void Clear() override {
    std::lock_guard lock(mutex);
    ++clears;
    results.clear();
  }
  void Append(const SourceResult& result) override {
    std::lock_guard lock(mutex);
    results.push_back(result);
  }
  std::mutex mutex;
  int clears = 0;
  std::vector<SourceResult> results;
};

// A page handler that holds its answer until released.
class Gate {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

// A source whose pages throw, as a fault in a page parser would.
class ThrowingSource : public SearchSource {
 public:
  std::unique_ptr<SearchCursor> BeginSearch(const std::u16string&, int, const ParameterMap&, bool) override {
    return std::make_unique<SearchCursor>();
  }
  bool NextPage(SearchCursor&, ResultGroups&) override { throw std::runtime_error("parser fault"); }
  SourceInfo GetInfo() const override { return {}; }
  std::u16string GetKey() const override { return u"throwing"; }
};

class SearchRunTest : public ::testing::Test {
 protected:
  SearchRunTest() { server.mapHost(std::string(kHost) + ":80"); }

  std::shared_ptr<LineSource> addSource(const std::u16string& path, const std::u16string& key = u"lines",
                                        std::u16string host = u"lines.example.test") {
    auto source = std::make_shared<LineSource>(key, std::move(host), path);
    sources[source->GetInstanceId()] = source;
    return source;
  }

  std::unique_ptr<SearchRun> makeRun(SearchRunOptions options = {}) {
    auto run = std::make_unique<SearchRun>(options, &listener);
    run->SetSources(sources);
    run->SetContentHandoff(&handoff);
    run->SetRawResultSink(&sink);
    return run;
  }

  static std::vector<std::u16string> urls(const std::vector<SourceResult>& results) {
    std::vector<std::u16string> list;
    for (const SourceResult& result : results) list.push_back(result.url);
    return list;
  }

  LoopbackServer server;
  SourceMap sources;
  RecordingListener listener;
  RecordingHandoff handoff;
  RecordingSink sink;
};

TEST_F(SearchRunTest, TwoSourcesReturningOneUrlGiveTwoRawEntriesInOneGroup) {
  server.serve("/a", "ITEM http://same.test/ Same\nITEM http://a.test/1 Only A\n", "text/plain");
  server.serve("/b", "ITEM http://same.test/ Same again\n", "text/plain");
  auto a = addSource(u"/a");
  auto b = addSource(u"/b");
  auto run = makeRun();
  run->RunSearch(u"big cats", true, 1, {a->GetInstanceId(), b->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));

  EXPECT_EQ(server.lastRequest("/a").query, "q=big+cats");
  std::vector<SourceResult> raw = run->RawResults();
  ASSERT_EQ(raw.size(), 3u);
  std::vector<size_t> group = run->UrlGroup(u"http://same.test/");
  ASSERT_EQ(group.size(), 2u);
  std::set<std::u16string> owners;
  for (size_t index : group) {
    ASSERT_EQ(raw[index].sources.size(), 1u);
    owners.insert(raw[index].sources[0]);
    EXPECT_EQ(raw[index].position, 0);
    EXPECT_EQ(raw[index].marker, -1);
  }
  EXPECT_EQ(owners, (std::set<std::u16string>{a->GetInstanceId(), b->GetInstanceId()}));
  for (const SourceResult& record : raw) {
    EXPECT_TRUE(record.searchUrl == u"http://lines.example.test/a?q=big+cats" ||
                record.searchUrl == u"http://lines.example.test/b?q=big+cats");
  }

  std::vector<ResultEntry> merged = MergeLoadedResults(raw, {});
  SortByScore(merged);
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0].record.url, u"http://same.test/");
  EXPECT_EQ(merged[0].record.sources.size(), 2u);
  EXPECT_EQ(merged[0].score, 1000);
  EXPECT_EQ(merged[1].score, 666);

  EXPECT_EQ(run->runningSourceCount(), 0);
  EXPECT_EQ(listener.finished.size(), 2u);
  EXPECT_GE(listener.resultsChanged.load(), 2);
  EXPECT_EQ(run->mode(), SearchMode::kLoad);
  EXPECT_EQ(run->imageBudget(), 20);
  EXPECT_TRUE(run->FailedSources().empty());
}

TEST_F(SearchRunTest, InternetSourceIsCutAtMaxResultsButLocalSourceIsNot) {
  server.serve("/many", itemLines("m.test", "", 0, 25) + "NEXT /page2\n", "text/plain");
  server.serve("/page2", itemLines("m.test", "two", 0, 5), "text/plain");
  auto internet = addSource(u"/many");
  auto local = addSource(u"/many", u"local");
  local->parameters()[u"local"] = u"1";
  sources[local->GetInstanceId()] = local;
  auto run = makeRun();

  run->RunSearch(u"x", true, 1, {internet->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  std::vector<SourceResult> raw = run->RawResults();
  ASSERT_EQ(raw.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(raw[i].position, i);
  EXPECT_EQ(server.requestCount("/page2"), 0);

  run->RunSearch(u"x", true, 1, {local->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  EXPECT_EQ(run->RawResults().size(), 25u);
}

TEST_F(SearchRunTest, MoreResultsKeepsTheSearchAndAddsAfterIt) {
  server.serve("/p", itemLines("p.test", "", 0, 25) + "NEXT /p2\n", "text/plain");
  server.serve("/p2", itemLines("p.test", "later", 0, 25), "text/plain");
  auto source = addSource(u"/p");
  auto run = makeRun();
  run->RunSearch(u"x", true, 1, {source->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  int generation = run->generation();
  std::vector<SourceResult> first = run->RawResults();
  ASSERT_EQ(first.size(), 20u);

  run->RunSearch(u"x", false, 2, {source->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  std::vector<SourceResult> all = run->RawResults();
  ASSERT_EQ(all.size(), 60u);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), all.begin()));
  EXPECT_EQ(all[59].url, u"http://p.test/later14");
  EXPECT_EQ(all[59].position, 39);
  EXPECT_EQ(run->generation(), generation);
  EXPECT_EQ(run->imageBudget(), 40);
  EXPECT_EQ(handoff.newSearchClears.load(), 1);
}

TEST_F(SearchRunTest, StopDuringASlowPageAddsNothingMore) {
  Gate gate;
  server.serve("/first", itemLines("s.test", "", 0, 3) + "NEXT /slow\n", "text/plain");
  server.get("/slow", [&](const httplib::Request&, httplib::Response& response) {
    gate.wait();
    response.set_content(itemLines("s.test", "slow", 0, 3) + "NEXT /third\n", "text/plain");
  });
  server.serve("/third", itemLines("s.test", "third", 0, 3), "text/plain");
  auto source = addSource(u"/first");
  auto run = makeRun();
  run->RunSearch(u"x", true, 1, {source->GetInstanceId()});
  for (int i = 0; i < 1000 && server.requestCount("/slow") == 0; ++i) std::this_thread::sleep_for(5ms);
  ASSERT_EQ(server.requestCount("/slow"), 1);

  int generation = run->generation();
  run->StopSearch();
  EXPECT_EQ(run->generation(), generation + 1);
  EXPECT_EQ(run->imageBudget(), 0);
  EXPECT_EQ(handoff.imageClears.load(), 1);
  EXPECT_EQ(run->runningSourceCount(), 1);
  gate.open();
  ASSERT_TRUE(run->WaitUntilIdle(10s));

  EXPECT_EQ(run->RawResults().size(), 3u);
  EXPECT_EQ(server.requestCount("/third"), 0);
  EXPECT_EQ(listener.finished.size(), 1u);
  EXPECT_TRUE(run->FailedSources().empty());
}

TEST_F(SearchRunTest, ANewSearchNeverReceivesTheOldOnesFailures) {
  setHttpTimeoutLimitForTesting(300ms);
  server.stall("/stalled");
  server.serve("/fresh", "ITEM http://fresh.test/ Fresh\n", "text/plain");
  auto stalled = addSource(u"/stalled");
  auto fresh = addSource(u"/fresh");
  auto run = makeRun();
  run->RunSearch(u"old", true, 1, {stalled->GetInstanceId()});
  for (int i = 0; i < 1000 && server.requestCount("/stalled") == 0; ++i) std::this_thread::sleep_for(5ms);
  run->RunSearch(u"new", true, 1, {fresh->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  setHttpTimeoutLimitForTesting(0ms);
  EXPECT_TRUE(run->FailedSources().empty());
  EXPECT_EQ(urls(run->RawResults()), (std::vector<std::u16string>{u"http://fresh.test/"}));

  // The same time-out within the running search is a failure.
  setHttpTimeoutLimitForTesting(300ms);
  run->RunSearch(u"x", true, 1, {stalled->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  setHttpTimeoutLimitForTesting(0ms);
  ASSERT_EQ(run->FailedSources().size(), 1u);
  EXPECT_EQ(run->FailedSources()[0].instanceId, stalled->GetInstanceId());
}

TEST_F(SearchRunTest, SponsorsAreMergedByUrlAndCappedPerSource) {
  std::string first;
  for (int i = 0; i < 5; ++i) first += "SPONSOR http://ads.test/a" + std::to_string(i) + "  Ad  \n";
  first += "SPONSOR http://ads.test/shared Shared\nITEM http://r.test/ Result\n";
  server.serve("/one", first, "text/plain");
  server.serve("/two", "SPONSOR http://ads.test/b0 B\nSPONSOR http://ads.test/b1 B\n"
                       "SPONSOR http://ads.test/shared Shared\n", "text/plain");
  std::string many;
  for (int i = 0; i < 25; ++i) many += "SPONSOR http://many.test/" + std::to_string(i) + " Many\n";
  server.serve("/many", many, "text/plain");
  auto one = addSource(u"/one");
  auto two = addSource(u"/two");
  auto run = makeRun();
  run->RunSearch(u"x", true, 1, {one->GetInstanceId(), two->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));

  std::vector<SourceResult> sponsors = run->Sponsors();
  ASSERT_EQ(sponsors.size(), 8u);
  auto shared = std::find_if(sponsors.begin(), sponsors.end(),
                             [](const SourceResult& s) { return s.url == u"http://ads.test/shared"; });
  ASSERT_NE(shared, sponsors.end());
  EXPECT_EQ(shared->position, 2);
  EXPECT_EQ(sponsors[0].title, u"Ad");
  EXPECT_EQ(run->RawResults().size(), 1u);
  EXPECT_GE(listener.sponsorsChanged.load(), 2);

  auto heavy = addSource(u"/many");
  run->SetSources(sources);
  run->RunSearch(u"x", true, 1, {heavy->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  sponsors = run->Sponsors();
  ASSERT_EQ(sponsors.size(), 20u);
  EXPECT_EQ(sponsors.back().position, 19);
  EXPECT_EQ(sponsors[0].sources, (std::vector<std::u16string>{heavy->GetInstanceId()}));
}

TEST_F(SearchRunTest, FailedSourcesAreListedAndOthersRunOn) {
  ASSERT_TRUE(addConnectTo("dead.example.test:80:127.0.0.1:1"));
  server.serve("/ok", "ITEM http://ok.test/ Fine\n", "text/plain");
  auto good = addSource(u"/ok");
  auto dead = addSource(u"/dead", u"lines", u"dead.example.test");
  auto hostless = addSource(u"/none", u"nohost", u"");
  auto run = makeRun();
  run->RunSearch(u"x", true, 1, {dead->GetInstanceId(), hostless->GetInstanceId(), good->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(20s));
  removeConnectTo("dead.example.test:80:127.0.0.1:1");

  std::vector<std::u16string> failed;
  for (const FailedSource& source : run->FailedSources()) {
    failed.push_back(source.instanceId);
    EXPECT_FALSE(source.reason.empty());
  }
  std::sort(failed.begin(), failed.end());
  EXPECT_EQ(failed, (std::vector<std::u16string>{dead->GetInstanceId(), hostless->GetInstanceId()}));
  EXPECT_EQ(urls(run->RawResults()), (std::vector<std::u16string>{u"http://ok.test/"}));
  EXPECT_EQ(listener.finished.size(), 3u);

  const int listChanges = listener.listChanged;
  run->ResetResults();
  EXPECT_EQ(listener.listChanged.load(), listChanges + 1) << "the listener hears of the reset";
  EXPECT_TRUE(run->FailedSources().empty());
  EXPECT_TRUE(run->RawResults().empty());
}

TEST_F(SearchRunTest, AMovedSourceFailsWithItsStatusAndNewAddress) {
  server.get("/old", [](const httplib::Request&, httplib::Response& response) {
    response.status = 301;
    response.set_header("Location", "/new");
  });
  auto moved = addSource(u"/old");
  auto run = makeRun();
  run->RunSearch(u"x", true, 1, {moved->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(20s));
  ASSERT_EQ(run->FailedSources().size(), 1u);
  EXPECT_EQ(run->FailedSources()[0].reason, "HTTP status 301, moved to http://lines.example.test/new");
}

TEST_F(SearchRunTest, EmptyTermsRunOnlySourcesThatAcceptThem) {
  server.serve("/open", "ITEM http://open.test/ Open\n", "text/plain");
  server.serve("/closed", "ITEM http://closed.test/ Closed\n", "text/plain");
  auto open = addSource(u"/open");
  open->parameters()[u"acceptsEmpty"] = u"1";
  sources[open->GetInstanceId()] = open;
  auto closed = addSource(u"/closed");
  auto run = makeRun();
  run->RunSearch(u"", true, 1, {open->GetInstanceId(), closed->GetInstanceId(), u"missing/id"});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  EXPECT_EQ(server.requestCount("/open"), 1);
  EXPECT_EQ(server.requestCount("/closed"), 0);
  EXPECT_EQ(listener.finished.size(), 1u);
}

TEST_F(SearchRunTest, AllCategoriesRunEachSourceOnceAndNeverTheLibrary) {
  server.serve("/a", "ITEM http://a.test/ A\n", "text/plain");
  server.serve("/b", "ITEM http://b.test/ B\n", "text/plain");
  server.serve("/lib", "ITEM http://lib.test/ L\n", "text/plain");
  auto a = addSource(u"/a");
  auto b = addSource(u"/b");
  auto library = addSource(u"/lib", u"library");
  library->parameters()[u"local"] = u"1";
  auto run = makeRun();
  run->SearchAllCategories(u"x", {{a->GetInstanceId(), library->GetInstanceId()},
                                  {a->GetInstanceId(), b->GetInstanceId()}});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  EXPECT_EQ(server.requestCount("/a"), 1);
  EXPECT_EQ(server.requestCount("/b"), 1);
  EXPECT_EQ(server.requestCount("/lib"), 0);
  EXPECT_TRUE(run->isBatchLoad());
  EXPECT_EQ(run->imageBudget(), 40);
  EXPECT_EQ(sink.clears, 1);
  EXPECT_EQ(sink.results.size(), 2u);
  std::vector<QueuedLoad> loads = handoff.snapshot();
  ASSERT_EQ(loads.size(), 2u);
  for (const QueuedLoad& load : loads) {
    EXPECT_EQ(load.mode, EnqueueMode::kNeverWait);
    EXPECT_TRUE(load.request.unthrottled);
    EXPECT_EQ(load.searchNumber, run->generation());
  }
  // The next ordinary search ends the batch: its category filters its results again.
  run->RunSearch(u"y", true, 1, {a->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  EXPECT_FALSE(run->isBatchLoad());
}

TEST_F(SearchRunTest, TypedUrlBecomesTheOnlyResultWithoutAnySource) {
  auto source = addSource(u"/never");
  auto run = makeRun();
  run->RunSearch(u"https://typed.test/page", true, 1, {source->GetInstanceId()});
  EXPECT_EQ(run->runningSourceCount(), 0);
  std::vector<SourceResult> raw = run->RawResults();
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0].url, u"https://typed.test/page");
  EXPECT_EQ(raw[0].title, u"https://typed.test/page");
  EXPECT_EQ(listener.categorySwitched.load(), 1);
  std::vector<QueuedLoad> loads = handoff.snapshot();
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].mode, EnqueueMode::kWaitForRoom);
  EXPECT_EQ(loads[0].priority, 0);
  EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(SearchRunTest, CommandsRunTheirHandlerAndUnknownWordsDoNothing) {
  server.serve("/a", "ITEM http://a.test/ A\n", "text/plain");
  auto source = addSource(u"/a");
  auto run = makeRun();
  std::u16string argument;
  run->commands().Register(u"seed", [&](const std::u16string& text) { argument = text; });
  run->RunSearch(u"x", true, 1, {source->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  int generation = run->generation();

  run->RunSearch(u"//nosuch thing", true, 1, {source->GetInstanceId()});
  run->RunSearch(u"//seed  rss url=x ", true, 1, {source->GetInstanceId()});
  EXPECT_EQ(argument, u"rss url=x");
  EXPECT_EQ(run->generation(), generation);
  EXPECT_EQ(run->RawResults().size(), 1u);
  EXPECT_EQ(server.requestCount("/a"), 1);
}

TEST_F(SearchRunTest, ThreadOptionsSkipKnownDropUnlinkedAndHandOver) {
  server.serve("/mixed", "ITEM http://known.test/ K\nITEM ftp://files.test/ F\nITEM http://new.test/ N\n",
               "text/plain");
  auto source = addSource(u"/mixed");
  auto run = makeRun();
  run->SetKnownUrlCheck([](const std::u16string& url) { return url == u"http://known.test/"; });
  SearchThreadParams params;
  params.source = source;
  params.terms = u"x";
  params.generation = run->generation();
  params.maxResults = 10;
  params.startIndex = 5;
  params.skipKnown = true;
  run->StartSourceThread(params);
  ASSERT_TRUE(run->WaitUntilIdle(10s));

  std::vector<SourceResult> raw = run->RawResults();
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0].url, u"http://new.test/");
  // The known URL is not counted; the ftp one is.
  EXPECT_EQ(raw[0].position, 6);
  std::vector<QueuedLoad> loads = handoff.snapshot();
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].priority, 6);
  EXPECT_TRUE(loads[0].request.skipKnown);
  EXPECT_EQ(loads[0].request.sourceIds, (std::vector<std::u16string>{source->GetInstanceId()}));
  EXPECT_EQ(loads[0].request.result.searchUrl, u"http://lines.example.test/mixed?q=x");
}

TEST_F(SearchRunTest, ReadOnlyLibraryHandsNothingOver) {
  server.serve("/a", "ITEM http://a.test/ A\n", "text/plain");
  auto source = addSource(u"/a");
  SearchRunOptions options;
  options.readOnly = true;
  auto run = makeRun(options);
  run->RunSearch(u"x", true, 1, {source->GetInstanceId()});
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  EXPECT_EQ(run->RawResults().size(), 1u);
  EXPECT_TRUE(handoff.snapshot().empty());
}

TEST_F(SearchRunTest, AtMostTenSourcesFetchAtOnce) {
  Gate gate;
  std::atomic<int> inFlight{0}, peak{0};
  server.get("/held", [&](const httplib::Request&, httplib::Response& response) {
    int now = ++inFlight;
    int seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {}
    gate.wait();
    --inFlight;
    response.set_content("ITEM http://held.test/ H\n", "text/plain");
  });
  std::vector<std::u16string> ids;
  for (int i = 0; i < 12; ++i) {
    auto source = std::make_shared<LineSource>(u"lines", u"lines.example.test", u"/held");
    source->parameters()[u"n"] = std::u16string(1, static_cast<char16_t>(u'a' + i));
    std::u16string id = source->GetInstanceId() + u"#" + source->parameters()[u"n"];
    sources[id] = source;
    ids.push_back(id);
  }
  auto run = makeRun();
  run->RunSearch(u"x", true, 1, ids);
  for (int i = 0; i < 1000 && server.requestCount("/held") < 10; ++i) std::this_thread::sleep_for(5ms);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(server.requestCount("/held"), 10);
  EXPECT_EQ(run->runningSourceCount(), 12);
  gate.open();
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  EXPECT_EQ(server.requestCount("/held"), 12);
  EXPECT_EQ(peak.load(), 10);
  EXPECT_EQ(run->RawResults().size(), 12u);
}


TEST_F(SearchRunTest, ASourceThatThrowsFailsAloneAndGivesBackItsSlot) {
  server.serve("/ok", "ITEM http://ok.test/ Fine\n", "text/plain");
  auto good = addSource(u"/ok");
  auto throwing = std::make_shared<ThrowingSource>();
  sources[throwing->GetInstanceId()] = throwing;
  auto run = makeRun();
  // More rounds than slots: a slot a throwing thread kept would stall the later rounds.
  const int rounds = SearchRun::kThreadSlots + 2;
  for (int round = 0; round < rounds; ++round) {
    run->RunSearch(u"x", true, 1, {throwing->GetInstanceId(), good->GetInstanceId()});
    ASSERT_TRUE(run->WaitUntilIdle(10s)) << "round " << round;
  }
  EXPECT_EQ(run->runningSourceCount(), 0);
  EXPECT_EQ(run->FailedSources(), (std::vector<FailedSource>{{u"throwing", "stopped by an error: parser fault"}}));
  EXPECT_EQ(urls(run->RawResults()), (std::vector<std::u16string>{u"http://ok.test/"}));
  EXPECT_EQ(listener.finished.size(), 2u * rounds);
}

}  // namespace
}  // namespace brambel
