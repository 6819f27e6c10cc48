#include "formats/source_table.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

#include "sources/builtin_sources.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;

const SourceRegistry& registry() {
  static SourceRegistry instance;
  static bool filled = (registerBuiltinSources(instance), true);
  (void)filled;
  return instance;
}

const char kFeed[] = "<?xml version=\"1.0\"?><rss><channel><title>F</title>"
                     "<item><title>One</title><link>http://one.test/</link></item></channel></rss>";

TEST(SourceTable, ASearchKeepsItsSourcesWhenTheTableIsReplaced) {
  testing::LoopbackServer server;
  server.mapHost("feeds.example.test:80");
  std::mutex mutex;
  std::condition_variable changed;
  bool asked = false, released = false;
  server.get("/slow", [&](const httplib::Request&, httplib::Response& response) {
    std::unique_lock lock(mutex);
    asked = true;
    changed.notify_all();
    changed.wait(lock, [&] { return released; });
    response.set_content(kFeed, "text/xml");
  });

  auto table = std::make_unique<SourceTable>(registry());
  std::u16string id;
  ASSERT_EQ(table->AddDefinition({u"rss", u"", {{u"url", u"http://feeds.example.test/slow"}}, u"Slow"}, &id),
            SourceTable::AddResult::Added);
  SearchRun run(SearchRunOptions{});
  run.SetSources(table->sources());
  run.RunSearch(u"x", true, 1, {id});
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 10s, [&] { return asked; }));
  }

  // New categories replace the table while the source waits for its page.
  std::weak_ptr<SearchSource> running = table->sources().at(id);
  table = std::make_unique<SourceTable>(registry());
  run.SetSources(table->sources());
  EXPECT_FALSE(running.expired()) << "the run's thread still owns its source";
  {
    std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
  ASSERT_TRUE(run.WaitUntilIdle(10s));
  ASSERT_EQ(run.RawResults().size(), 1u);
  EXPECT_EQ(run.RawResults()[0].url, u"http://one.test/");
  EXPECT_TRUE(running.expired()) << "and lets it go when it ends";
}

TEST(SourceTable, EverySourceIsPreparedBeforeTheTableHoldsIt) {
  std::vector<std::u16string> prepared;
  SourceTable table(registry(), [&](SearchSource& source) { prepared.push_back(source.GetInstanceId()); });
  table.AddBuiltInSources();
  table.AddDefinition({u"rss", u"", {{u"url", u"http://a.test/feed"}}, u"Feed"});
  std::sort(prepared.begin(), prepared.end());
  EXPECT_EQ(prepared, table.identities());
}

}  // namespace
}  // namespace brambel
