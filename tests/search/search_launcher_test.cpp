#include "search/search_launcher.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/search/line_source.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;
using Action = SearchLaunch::Action;
using testing::itemLines;
using testing::LineSource;

class SearchLauncherTest : public ::testing::Test {
 protected:
  SearchLauncherTest() {
    server.mapHost("lines.example.test:80");
    server.serve("/many", itemLines("m.test", "", 0, 60), "text/plain");
    server.serve("/other", itemLines("o.test", "", 0, 3), "text/plain");
    server.stall("/slow");
    for (const char16_t* path : {u"/many", u"/other", u"/slow"}) {
      auto source = std::make_shared<LineSource>(u"lines", u"lines.example.test", path);
      ids[path] = source->GetInstanceId();
      sources[source->GetInstanceId()] = source;
    }
    SearchRunOptions options;
    options.maxSourceResults = 10;
    run = std::make_unique<SearchRun>(options);
    run->SetSources(sources);
  }

  SearchLaunch press(std::u16string text, std::vector<std::vector<std::u16string>> categories, bool ctrl = false,
                     bool shift = false, size_t selected = 0) {
    return launcher.Press(*run, {std::move(text), ctrl, shift, std::move(categories), selected, false});
  }

  void startSlowSearch() {
    ASSERT_EQ(press(u"x", {{ids[u"/slow"]}}).action, Action::kRunSearch);
    for (int i = 0; i < 1000 && server.requestCount("/slow") == 0; ++i) std::this_thread::sleep_for(5ms);
    ASSERT_EQ(run->runningSourceCount(), 1);
  }

  // The run goes last: the server releases the stalled request before the run waits for its threads.
  std::unique_ptr<SearchRun> run;
  testing::LoopbackServer server;
  std::map<std::u16string, std::u16string> ids;
  SourceMap sources;
  SearchLauncher launcher;
};

TEST_F(SearchLauncherTest, RepeatingASearchAsksForMoreUntilTheTextIsEdited) {
  const std::vector<std::vector<std::u16string>> category{{ids[u"/many"]}};
  for (int expected : {1, 2, 3, 4, 5, 5}) {
    SearchLaunch launch = press(u"  cats ", category);
    EXPECT_EQ(launch.action, Action::kRunSearch);
    EXPECT_EQ(launch.terms, u"cats");
    EXPECT_TRUE(launch.newSearch);
    EXPECT_TRUE(launch.recordInHistory);
    EXPECT_EQ(launch.multiplier, expected);
    ASSERT_TRUE(run->WaitUntilIdle(10s));
    EXPECT_EQ(run->RawResults().size(), 10u * expected);
  }
  launcher.TextEdited(*run);
  EXPECT_EQ(run->mode(), SearchMode::kFilter) << "loaded results are filtered once the text changes";
  EXPECT_EQ(press(u"cats", category).multiplier, 1);
  ASSERT_TRUE(run->WaitUntilIdle(10s));

  // Ctrl keeps the results and adds to them.
  SearchLaunch more = press(u"cats", category, true);
  EXPECT_FALSE(more.newSearch);
  EXPECT_EQ(more.multiplier, 2);
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  EXPECT_EQ(run->RawResults().size(), 10u + 20u);
}

TEST_F(SearchLauncherTest, APressDuringALoadStopsUnlessAModifierOrCommandAsksOtherwise) {
  startSlowSearch();
  int generation = run->generation();
  EXPECT_EQ(press(u"x", {{ids[u"/slow"]}}).action, Action::kStop);
  EXPECT_EQ(run->generation(), generation + 1);

  // Shift searches again at once; so does a command.
  bool ran = false;
  run->commands().Register(u"ping", [&](const std::u16string&) { ran = true; });
  EXPECT_EQ(press(u"x", {{ids[u"/other"]}}, false, true).action, Action::kRunSearch);
  EXPECT_EQ(press(u"//ping", {{ids[u"/other"]}}).action, Action::kRunSearch);
  EXPECT_TRUE(ran);

  // Once the text is edited the view filters, and a press searches even while sources run.
  launcher.TextEdited(*run);
  ASSERT_GT(run->runningSourceCount(), 0) << "the stalled source still runs";
  EXPECT_EQ(press(u"y", {{ids[u"/other"]}}).action, Action::kRunSearch);
}

TEST_F(SearchLauncherTest, TheFirstCategoryWithoutSourcesSearchesEveryCategory) {
  const std::vector<std::vector<std::u16string>> set{{}, {ids[u"/many"]}, {ids[u"/other"], ids[u"/many"]}};
  EXPECT_EQ(press(u"", set).action, Action::kRefreshViews) << "nothing to search for, nothing shown";
  EXPECT_EQ(run->generation(), 0);

  SearchLaunch all = press(u"cats", set);
  EXPECT_EQ(all.action, Action::kSearchAllCategories);
  EXPECT_TRUE(all.recordInHistory);
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  EXPECT_EQ(run->RawResults().size(), 10u + 3u) << "each source once";

  // A typed address is loaded, not searched for everywhere.
  SearchLaunch url = press(u"http://typed.test/", set);
  EXPECT_EQ(url.action, Action::kRunSearch);
  ASSERT_EQ(run->RawResults().size(), 1u);

  // Another category searches only its own sources; the setting makes any first category search all.
  EXPECT_EQ(press(u"cats", set, false, false, 1).action, Action::kRunSearch);
  EXPECT_TRUE(SearchesAllCategories({{ids[u"/many"]}}, 0, true));
  EXPECT_FALSE(SearchesAllCategories({{ids[u"/many"]}}, 0, false));
  ASSERT_TRUE(run->WaitUntilIdle(10s));

  run->SetSources(sources);
  startSlowSearch();
  EXPECT_EQ(press(u"cats", {{}, {ids[u"/slow"]}}).action, Action::kStop);
}

TEST_F(SearchLauncherTest, EditingTheTextTurnsAnEmptyLoadToTheLibrary) {
  press(u"nothing", {{}, {}}, false, false, 1);
  ASSERT_TRUE(run->WaitUntilIdle(10s));
  ASSERT_EQ(run->mode(), SearchMode::kLoad);
  launcher.TextEdited(*run);
  EXPECT_EQ(run->mode(), SearchMode::kPermanent);
  launcher.TextEdited(*run);
  EXPECT_EQ(run->mode(), SearchMode::kPermanent) << "only a loaded view changes";
}

}  // namespace
}  // namespace brambel
