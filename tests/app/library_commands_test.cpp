#include <gtest/gtest.h>

#include "app/command_tokens.h"
#include "app/library_commands.h"
#include "formats/raw_results_file.h"
#include "sources/builtin_sources.h"
#include "tests/support/temp_dir.h"
#include "toolkit/code_pages.h"

namespace brambel {
namespace {

using testing::TempDir;

// A library as the commands see it, recording what they ask of it.
class RecordingHost : public CommandHost {
 public:
  RecordingHost() {
    static bool registered = (registerBuiltinSources(), true);
    (void)registered;
    table.AddBuiltInSources();
  }
  const SourceTable& sources() const override { return table; }
  const CategorySet& categories() const override { return set; }
  std::filesystem::path libraryDirectory() const override { return library.path(); }
  std::filesystem::path programDataDirectory() const override { return programData.path(); }
  uint32_t maxSourceResults() const override { return 20; }
  std::u16string startupUrl() const override { return startup; }
  void StartSource(SearchThreadParams params) override { started.push_back(std::move(params)); }
  void SearchAllCategories(const std::u16string& terms) override { batches.push_back(terms); }
  std::optional<SourceResult> StoredResult(const std::u16string& url) override {
    if (url != u"http://stored.test/") return std::nullopt;
    SourceResult r;
    r.url = url;
    return r;
  }
  void ShowResults(std::vector<SourceResult> results, bool replace) override {
    if (replace) shown.clear();
    for (auto& r : results) shown.push_back(r.url);
  }
  void SwitchToLoadMode() override { loadMode = true; }
  void ReplaceCategories(CategorySet newSet, SourceDefinitions) override { set = std::move(newSet); }
  bool ImportSource(const SourceDefinition& definition) override {
    return table.ReplaceDefinition(definition) != SourceTable::AddResult::UnknownBaseKey;
  }
  void AddFeedFromOutside(const std::u16string& url) override { feeds.push_back(url); }
  void OpenLibraryAt(const std::filesystem::path& directory) override { opened = directory; }
  void RebuildSourceIndex() override {}

  TempDir library, programData;
  SourceTable table;
  CategorySet set;
  std::u16string startup;
  std::vector<SearchThreadParams> started;
  std::vector<std::u16string> batches, shown, feeds;
  std::filesystem::path opened;
  bool loadMode = false;
};

class Answers : public DefaultAnswers {
 public:
  Answer Ask(const MessageText& message, std::u16string_view, Answer suggested, std::string_view) override {
    asked.push_back(message.id);
    return answer;
  }
  Answer answer = Answer::Yes;
  std::vector<int> asked;
};

struct Listener : CommandListener {
  void TermHighlightingChanged(uint32_t value) override { highlighting.push_back(value); }
  std::vector<uint32_t> highlighting;
};

class Commands : public ::testing::Test {
 protected:
  RecordingHost host;
  ProgramSettings settings;
  Answers answers;
  Listener listener;
  LibraryCommands commands{host, settings, answers, listener};
};

TEST(CommandTokens, QuotesGroupBlanksAndVanish) {
  EXPECT_EQ(tokenizeCommandLine(u"  rss url=\"http://a b/\"  x\"y z\" \"\" last"),
            (std::vector<std::u16string>{u"rss", u"url=http://a b/", u"xy z", u"", u"last"}));
  auto command = parseSourceCommand({u"google", u"site=a", u"bare", u"site=b", u"q=x=y"});
  ASSERT_TRUE(command);
  EXPECT_EQ(command->parameters, (ParameterMap{{u"site", u"a b"}, {u"q", u"x=y"}}));
  EXPECT_FALSE(parseSourceCommand({}));
}

TEST_F(Commands, StartupLinesStartSourcesAndShowStoredResults) {
  host.set.startupCommands = {u"//source rss url=http://x.test/feed", u"//source nosuch a=b",
                              u"//seed google site=a.test",      u"//seedall yahoo",
                              u"http://stored.test/",            u"http://new.test/",
                              u"# not a command"};
  commands.RunStartupCommands(false);
  ASSERT_EQ(host.started.size(), 3u) << "the unknown source and //seedall (not the start-up library) are skipped";
  EXPECT_EQ(host.started[0].source->GetKey(), u"rss");
  EXPECT_EQ(host.started[0].overrides, (ParameterMap{{u"url", u"http://x.test/feed"}}));
  EXPECT_EQ(host.started[0].maxResults, 20);
  EXPECT_TRUE(host.started[1].skipKnown);
  EXPECT_EQ(host.started[1].startIndex, 2);
  EXPECT_EQ(host.started[2].source->GetKey(), u"url");
  EXPECT_EQ(host.started[2].overrides.at(u"url"), u"http://new.test/");
  EXPECT_EQ(host.shown, (std::vector<std::u16string>{u"http://stored.test/"}));
  EXPECT_TRUE(host.loadMode);

  host.started.clear();
  commands.RunStartupLine(u"//seedall yahoo", 0, true);
  ASSERT_EQ(host.started.size(), 1u);
  EXPECT_TRUE(host.started[0].unthrottled);
  EXPECT_EQ(host.started[0].maxResults, 1000);
}

TEST_F(Commands, StartupUrlReplacesTheLinesAndLoadsItsFile) {
  host.set.startupCommands = {u"//source rss url=http://x.test/feed"};
  host.library.write("start.zset", "http://a.test/\nA\n\n0\n-----\n");
  host.startup = u"  file://start.zset ";
  commands.RunStartupCommands(true);
  EXPECT_TRUE(host.started.empty());
  EXPECT_EQ(host.shown, (std::vector<std::u16string>{u"http://a.test/"}));
}

TEST_F(Commands, RestoreOrLoadAndTheBatchQuestion) {
  commands.RunStartupLine(u"//restoreorload  news ", 0, true);
  EXPECT_EQ(host.batches, (std::vector<std::u16string>{u"news"}));
  EXPECT_TRUE(answers.asked.empty()) << "no previous batch, no question";

  host.library.write(kRawResultsFileName, "http://r.test/\nR\n\n3\n-----\n");
  commands.RunStartupLine(u"//restoreorload news", 0, true);
  EXPECT_EQ(host.shown, (std::vector<std::u16string>{u"http://r.test/"}));
  EXPECT_EQ(host.batches.size(), 1u);

  answers.answer = Prompter::Answer::No;
  EXPECT_FALSE(commands.BatchLoad(u"again"));
  EXPECT_EQ(answers.asked, (std::vector<int>{2059}));
  EXPECT_EQ(host.batches.size(), 1u);
}

TEST_F(Commands, SearchFieldCommands) {
  EXPECT_TRUE(commands.RunSearchFieldCommand(u"//insight"));
  EXPECT_EQ(settings.termHighlighting, 64u);
  EXPECT_TRUE(commands.RunSearchFieldCommand(u"//blindness now"));
  EXPECT_EQ(listener.highlighting, (std::vector<uint32_t>{64, 0}));
  EXPECT_FALSE(commands.RunSearchFieldCommand(u"//nonsense"));
  EXPECT_TRUE(commands.RunSearchFieldCommand(u"//transmission"));
  EXPECT_EQ(host.set.categories.front().name, u"All");
  host.programData.write("mine.zcat", std::string("[category]=Mine\r\ngoogle\r\n") + '\0');
  EXPECT_TRUE(commands.RunSearchFieldCommand(u"//load mine"));
  EXPECT_EQ(host.set.categories.front().name, u"Mine");
  EXPECT_TRUE(commands.RunSearchFieldCommand(u"//load ../mine"));
  EXPECT_EQ(host.set.categories.front().name, u"Mine") << "names only, no paths";
}

TEST_F(Commands, OpeningFilesAndFeeds) {
  commands.OpenDocumentFile(u"feed://f.test/rss");
  EXPECT_EQ(host.feeds, (std::vector<std::u16string>{u"feed://f.test/rss"}));
  auto opml = host.programData.write("feeds.ZCAT", "<opml><body><outline text=\"o\" xmlUrl=\"http://o.test/\"/></body></opml>");
  commands.OpenDocumentFile(toWide(opml.string(), kCodePageUtf8));
  ASSERT_EQ(host.set.categories.size(), 1u);
  EXPECT_EQ(host.set.categories[0].name, u"All");
  auto source = host.programData.write("Mine.zsrc", "google\r\n\r\nsite=mine.test\r\n");
  commands.OpenDocumentFile(toWide(source.string(), kCodePageUtf8));
  EXPECT_EQ(answers.asked, (std::vector<int>{2036}));
  EXPECT_EQ(host.table.userDefinitions().size(), 1u);
  // The same source again, renamed: question 2030 before it is overwritten.
  auto renamed = host.programData.write("Renamed.zsrc", "google\r\n\r\nsite=mine.test\r\n");
  answers.answer = Answers::Answer::No;
  commands.OpenDocumentFile(toWide(renamed.string(), kCodePageUtf8));
  answers.answer = Answers::Answer::Yes;
  commands.OpenDocumentFile(toWide(renamed.string(), kCodePageUtf8));
  EXPECT_EQ(answers.asked, (std::vector<int>{2036, 2036, 2036, 2030}));
  ASSERT_EQ(host.table.userDefinitions().size(), 1u);
  EXPECT_EQ(host.table.userDefinitions()[0].name, u"Renamed") << "the definition was replaced";
  commands.OpenDocumentFile(u"/some/library/main__index.zidx");
  EXPECT_EQ(host.opened, "/some/library");
}

}  // namespace
}  // namespace brambel
