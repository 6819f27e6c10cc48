// The document over real library directories: creating and opening a
// library, the lock and read-only mode, the result modes over stored pages,
// marks, pinning, history.
#include "app/document.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "index/index_query.h"
#include "search/result_order.h"
#include "store/content_file.h"
#include "store/source_index_text.h"
#include "store/source_result_record.h"
#include "store/source_stats.h"
#include "tests/support/doc_site.h"
#include "tests/support/temp_dir.h"
#include "toolkit/code_pages.h"
#include "toolkit/fetch_page.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using testing::readFileBytes;

// Remembers what the document asked and told.
class RecordingPrompter : public DefaultAnswers {
 public:
  using DefaultAnswers::DefaultAnswers;
  Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested, std::string_view key) override {
    asked.push_back(message.id);
    return DefaultAnswers::Ask(message, text, suggested, key);
  }
  void Tell(const MessageText& message, std::u16string_view) override { told.push_back(message.id); }
  std::vector<int> asked, told;
};

class DocumentTest : public ::testing::Test {
 protected:
  DocumentTest() {
    setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
  }

  // Stores a page as the save step does: result record, index text, counts, marks.
  void storePage(CTesserin2Doc& document, const std::u16string& url, const std::u16string& text, uint32_t loadDate) {
    LibraryStore& store = *document.library();
    std::optional<uint32_t> id = store.recordIdFor(url);
    ASSERT_TRUE(id);
    ContentFile file = ContentFile::openForWriting(*store.prepareContentPath(*id));
    SourceResult record;
    record.url = url;
    record.title = u"Title of " + url;
    record.loadDate = loadDate;
    ASSERT_TRUE(SourceResultRecord(record).WriteTo(file));
    ASSERT_TRUE(SourceIndexText(text).WriteTo(file));
    SourceStats stats;
    stats.w = 10;
    stats.t = 40;
    stats.l = static_cast<uint32_t>(text.size());
    ASSERT_TRUE(stats.WriteTo(file));
  }

  std::vector<std::u16string> urls(CTesserin2Doc& document) {
    EXPECT_TRUE(document.WaitForResults(10s));
    std::vector<std::u16string> list;
    for (const ResultEntry& entry : document.DisplayedResults()) list.push_back(entry.record.url);
    return list;
  }

  TempDir home;
  DocumentListener listener;
};

TEST_F(DocumentTest, NewLibraryComesFromTheChooserAndCancelCreatesNothing) {
  Application application({home.path() / "bin"});
  struct Cancelling : RecordingPrompter {
    std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>& offered) override {
      offeredCount = offered.size();
      return std::nullopt;
    }
    size_t offeredCount = 0;
  } cancelling;
  {
    CTesserin2Doc document(application, listener, cancelling);
    EXPECT_FALSE(document.OpenLibrary(home.path() / "Lib", true));
    EXPECT_TRUE(document.exitRequested());
  }
  EXPECT_FALSE(std::filesystem::exists(home.path() / "Lib"));
  EXPECT_EQ(cancelling.offeredCount, 5u) << "the built-in sets are installed before the chooser opens";

  // A set with a settings section makes the library's settings.
  const auto setFile = home.write("mine.zcat",
                                  "[settings]\r\nmaxSourceResults=7\r\nnoExpire=0\r\n[category]=Feeds\r\nfeed\r\n");
  RecordingPrompter chooser(false, {NewLibraryChoice::Kind::SetFile, setFile});
  CTesserin2Doc document(application, listener, chooser);
  ASSERT_TRUE(document.OpenLibrary(home.path() / "Lib", true));
  EXPECT_FALSE(document.isReadOnly());
  EXPECT_EQ(document.Title(), u"Lib");
  ASSERT_EQ(document.categories().categories.size(), 1u);
  EXPECT_EQ(document.categories().categories[0].name, u"Feeds");
  EXPECT_EQ(document.librarySettings().maxSourceResults, 7u);
  EXPECT_FALSE(document.librarySettings().noExpire);
  EXPECT_NE(readTextFile(home.path() / "Lib" / "settings.dat").value_or("").find("maxSourceResults=7"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(home.path() / "Lib" / LibraryLock::kLockFileName));
  document.CloseLibrary();
  EXPECT_FALSE(std::filesystem::exists(home.path() / "Lib" / LibraryLock::kLockFileName));
}

TEST_F(DocumentTest, StartUpAppliesTheBrowserIdEverywhere) {
  std::filesystem::create_directories(home.path() / "config" / "Brambel");
  home.write("config/Brambel/prefs.ini", "browserId=Agent/9\r\n");
  Application application({home.path() / "bin"});
  EXPECT_FALSE(application.portable());
  EXPECT_EQ(fetchUserAgent(), "Agent/9");
  EXPECT_EQ(application.startupLibrary(), home.path() / "data" / "Brambel" / "Default Library" / "");
}

TEST_F(DocumentTest, ASecondDocumentOnALockedLibraryIsReadOnlyAndWritesNothing) {
  Application application({home.path() / "bin"});
  RecordingPrompter prompter(false, {NewLibraryChoice::Kind::Blank, {}});
  CTesserin2Doc writer(application, listener, prompter);
  ASSERT_TRUE(writer.OpenLibrary(home.path() / "Lib", true));
  storePage(writer, u"http://kept.test/", u"alpha beta", 1000);
  writer.AddHistory(u"alpha");
  const auto before = testing::directorySnapshot(home.path() / "Lib");

  RecordingPrompter second;
  {
    CTesserin2Doc reader(application, listener, second);
    ASSERT_TRUE(reader.OpenLibrary(home.path() / "Lib", false));
    EXPECT_TRUE(reader.isReadOnly());
    EXPECT_EQ(reader.Title(), u"Lib (Read Only)");
    // The other instance runs here under this user: offer to switch (No: read-only).
    EXPECT_EQ(second.asked, std::vector<int>{2051});
    EXPECT_EQ(reader.history(), std::vector<std::u16string>{u"alpha"});
    EXPECT_FALSE(reader.SetPermanent(u"http://kept.test/", true));
    reader.AddHistory(u"gamma");
    reader.SetPinned(u"http://kept.test/", true);
    EXPECT_EQ(urls(reader), std::vector<std::u16string>{u"http://kept.test/"});
  }
  EXPECT_EQ(testing::directorySnapshot(home.path() / "Lib"), before);
}

TEST_F(DocumentTest, ModesFindStoredPagesScoredPinnedFirstIgnoredNever) {
  Application application({home.path() / "bin"});
  RecordingPrompter prompter(false, {NewLibraryChoice::Kind::Blank, {}});
  CTesserin2Doc document(application, listener, prompter);
  ASSERT_TRUE(document.OpenLibrary(home.path() / "Lib", true));
  storePage(document, u"http://one.test/", u"the zebra grazes near the river", 2000000000);
  storePage(document, u"http://two.test/", u"a zebra and a lion by the river bank", 1900000000);
  storePage(document, u"http://three.test/", u"nothing striped here", 1950000000);

  // Marking permanent indexes the page now.
  for (const char16_t* url : {u"http://one.test/", u"http://two.test/", u"http://three.test/"})
    ASSERT_TRUE(document.SetPermanent(url, true));
  ASSERT_TRUE(document.WaitForContent(30s));
  EXPECT_TRUE(document.Marks(u"http://one.test/").isIndexed());
  std::vector<ScoredHit> hits;
  std::vector<std::u16string> zebra{u"zebra"};
  ASSERT_TRUE(QueryIndex(*document.mainIndex(), zebra, hits, 10));
  EXPECT_EQ(hits.size(), 2u);

  document.SetResultMode(SearchMode::kPermanent, u"zebra river");
  std::vector<std::u16string> found = urls(document);
  EXPECT_EQ(std::set<std::u16string>(found.begin(), found.end()),
            (std::set<std::u16string>{u"http://one.test/", u"http://two.test/"}));
  for (const ResultEntry& entry : document.DisplayedResults()) {
    EXPECT_GE(entry.score, 300) << "the permanent bonus";
    EXPECT_NE(entry.record.description.find(u"zebra"), std::u16string::npos) << "the summary shows the terms";
  }

  // Recent: later loads first.
  document.SetResultMode(SearchMode::kRecent);
  EXPECT_EQ(urls(document),
            (std::vector<std::u16string>{u"http://one.test/", u"http://three.test/", u"http://two.test/"}));

  // Pinned lead in pinned order; an unknown pinned URL still shows.
  document.SetPinned(u"http://two.test/", true);
  document.SetPinned(u"http://elsewhere.test/", true);
  EXPECT_EQ(urls(document), (std::vector<std::u16string>{u"http://two.test/", u"http://elsewhere.test/",
                                                         u"http://one.test/", u"http://three.test/"}));
  document.SortResults(static_cast<int>(SortOrder::kByLoadDate));
  EXPECT_EQ(urls(document)[0], u"http://two.test/");
  document.SetPinned(u"http://two.test/", true, true);
  document.SetPinned(u"http://elsewhere.test/", false);
  EXPECT_EQ(urls(document).size(), 3u);

  // Ignoring asks first; an ignored URL never appears.
  EXPECT_TRUE(document.SetIgnored(u"http://three.test/", true));
  EXPECT_EQ(prompter.asked, std::vector<int>{1009});
  EXPECT_EQ(urls(document), (std::vector<std::u16string>{u"http://one.test/", u"http://two.test/"}));

  // Clicking marks read and dates the click; unread order puts the unviewed first.
  ASSERT_TRUE(document.RecordClick(u"http://one.test/", 1234));
  EXPECT_TRUE(document.Marks(u"http://one.test/").isRead());
  EXPECT_EQ(document.Marks(u"http://one.test/").clickDate, 1234u);
  document.SortResults(static_cast<int>(SortOrder::kByLastViewedUnread));
  EXPECT_EQ(urls(document), (std::vector<std::u16string>{u"http://two.test/", u"http://one.test/"}));
  EXPECT_TRUE(document.SetRead(u"http://one.test/", false));
  EXPECT_FALSE(document.Marks(u"http://one.test/").isRead());
}

TEST_F(DocumentTest, LoadedResultsReplaceOrJoinTheListInLoadModeInEveryCategory) {
  Application application({home.path() / "bin"});
  RecordingPrompter prompter(false, {NewLibraryChoice::Kind::Blank, {}});
  CTesserin2Doc document(application, listener, prompter);
  ASSERT_TRUE(document.OpenLibrary(home.path() / "Lib", true));
  CategorySet set;
  set.categories = {{u"All", 0, {}, 0}, {u"News", 0, {u"rss:elsewhere"}, 0}};
  document.SetCategories(set, {}, false);
  document.SelectCategory(1);
  document.SetResultMode(SearchMode::kPermanent, u"held terms");

  auto result = [](const std::u16string& url) {
    SourceResult record;
    record.url = url;
    record.title = u"Title of " + url;
    return record;
  };
  document.LoadResults({result(u"http://a.test/"), result(u"ftp://not.test/"), result(u"http://b.test/")}, true);
  EXPECT_EQ(document.resultMode(), SearchMode::kLoad);
  EXPECT_TRUE(document.filterTerms().empty()) << "loading forgets the held terms";
  EXPECT_EQ(urls(document), (std::vector<std::u16string>{u"http://a.test/", u"http://b.test/"}))
      << "shown though no source of the current category found them; no web address, no result";

  document.LoadResults({result(u"http://c.test/")}, false);
  EXPECT_EQ(urls(document), (std::vector<std::u16string>{u"http://a.test/", u"http://b.test/", u"http://c.test/"}));
  document.LoadResults({result(u"http://d.test/")}, true);
  EXPECT_EQ(urls(document), std::vector<std::u16string>{u"http://d.test/"});
  EXPECT_EQ(document.searchRun().RawResults().size(), 1u);
}

TEST_F(DocumentTest, CategoryCountsFollowTheModeAndTheSourcesThatFiledThePages) {
  Application application({home.path() / "bin"});
  RecordingPrompter prompter(false, {NewLibraryChoice::Kind::Blank, {}});
  CTesserin2Doc document(application, listener, prompter);
  ASSERT_TRUE(document.OpenLibrary(home.path() / "Lib", true));
  CategorySet set;
  set.categories = {{u"All", 0, {}, 0}, {u"A", 0, {u"rss/a"}, 0}, {u"B", 0, {u"rss/b", u"rss/c"}, 0}};
  document.SetCategories(set, {}, false);
  storePage(document, u"http://one.test/", u"zebra one", 2000000000);
  storePage(document, u"http://two.test/", u"zebra two", 2000000000);
  storePage(document, u"http://three.test/", u"zebra three", 2000000000);
  storePage(document, u"http://four.test/", u"lion four", 2000000000);
  auto file = [&](const char16_t* url, const char16_t* source) {
    document.sourceIndex()->add(source, *document.library()->recordIdFor(url));
  };
  file(u"http://one.test/", u"rss/a");
  file(u"http://two.test/", u"rss/b");
  file(u"http://three.test/", u"rss/c");
  file(u"http://four.test/", u"rss/a");
  for (const char16_t* url : {u"http://one.test/", u"http://two.test/", u"http://three.test/", u"http://four.test/"})
    ASSERT_TRUE(document.SetPermanent(url, true));
  ASSERT_TRUE(document.WaitForContent(30s));

  document.SetResultMode(SearchMode::kPermanent, u"zebra");
  ASSERT_EQ(urls(document).size(), 3u);
  EXPECT_EQ(document.CategoryCounts(), (std::vector<size_t>{3, 1, 2}));
  EXPECT_EQ(document.CountCaption(), u"3 entries found in library");
  // Outside the first category, what the category's sources brought in; with or without terms.
  document.SelectCategory(2);
  for (const char16_t* terms : {u"zebra", u""}) {
    document.SetResultMode(SearchMode::kPermanent, terms);
    const std::vector<std::u16string> found = urls(document);
    EXPECT_EQ(std::set<std::u16string>(found.begin(), found.end()),
              (std::set<std::u16string>{u"http://two.test/", u"http://three.test/"}));
  }
  document.SelectCategory(0);
  document.SetResultMode(SearchMode::kPermanent, u"lion");
  ASSERT_EQ(urls(document).size(), 1u);
  EXPECT_EQ(document.CategoryCounts(), (std::vector<size_t>{1, 1, 0}));
  EXPECT_EQ(document.CountCaption(), u"1 entry found in library");

  // Loaded results count by the sources that found them.
  auto result = [](const char16_t* url, const char16_t* source) {
    SourceResult record;
    record.url = url;
    record.sources = {source};
    return record;
  };
  document.LoadResults({result(u"http://x.test/", u"rss/c"), result(u"http://x.test/", u"rss/a"),
                        result(u"http://y.test/", u"rss/b"), result(u"http://z.test/", u"rss/other")},
                       true);
  EXPECT_EQ(document.CategoryCounts(), (std::vector<size_t>{3, 1, 2}));
  EXPECT_EQ(document.CountCaption(), u"") << "no caption outside a library search";
}

TEST_F(DocumentTest, TheOptimiseAsksAndShowsProgressThroughTheDocumentsPrompter) {
  Application application({home.path() / "bin"});
  struct Progressing : RecordingPrompter {
    using RecordingPrompter::RecordingPrompter;
    Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested, std::string_view key) override {
      questions.emplace_back(text);
      return decline ? Answer::No : RecordingPrompter::Ask(message, text, suggested, key);
    }
    void BeginProgress(std::u16string_view title, std::u16string_view) override { titles.emplace_back(title); }
    void Progress(int percent) override { last = percent; }
    void EndProgress() override { ended = true; }
    bool decline = true, ended = false;
    int last = -1;
    std::vector<std::u16string> questions, titles;
  } prompter(false, {NewLibraryChoice::Kind::Blank, {}});
  CTesserin2Doc document(application, listener, prompter);
  ASSERT_TRUE(document.OpenLibrary(home.path() / "Lib", true));
  storePage(document, u"http://one.test/", u"zebra one", 2000000000);
  ASSERT_TRUE(document.SetPermanent(u"http://one.test/", true));
  ASSERT_TRUE(document.WaitForContent(30s));

  EXPECT_FALSE(document.OptimizeIndexAsking()) << "declined";
  ASSERT_EQ(prompter.questions.size(), 1u);
  EXPECT_NE(prompter.questions[0].find(u"Proceed?"), std::u16string::npos);
  EXPECT_TRUE(prompter.titles.empty());

  prompter.decline = false;
  std::optional<OptimiseResult> result = document.OptimizeIndexAsking();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, OptimiseStatus::Done);
  EXPECT_EQ(prompter.titles, std::vector<std::u16string>{u"Optimizing the Library"});
  EXPECT_EQ(prompter.last, 100);
  EXPECT_TRUE(prompter.ended);
  // The index is open again and still answers.
  document.SetResultMode(SearchMode::kPermanent, u"zebra");
  EXPECT_EQ(urls(document), std::vector<std::u16string>{u"http://one.test/"});
}

TEST_F(DocumentTest, PagesStoredWithoutSourceListsAreFiledByTheResultsThatNameThemOrLeftOff) {
  Application application({home.path() / "bin"});
  RecordingPrompter prompter(false, {NewLibraryChoice::Kind::Blank, {}});
  const std::filesystem::path lib = home.path() / "Lib";
  {
    CTesserin2Doc document(application, listener, prompter);
    ASSERT_TRUE(document.OpenLibrary(lib, true));
    storePage(document, u"http://one.test/", u"zebra one", 2000000000);
    storePage(document, u"http://two.test/", u"zebra two", 2000000000);
    ASSERT_TRUE(document.SetPermanent(u"http://one.test/", true));
    ASSERT_TRUE(document.WaitForContent(30s));
    SourceResult one, two, elsewhere;
    one.url = u"http://one.test/";
    one.sources = {u"rss/a", u"rss/b"};
    two.url = u"http://two.test/";
    two.sources = {u"rss/b"};
    elsewhere.url = u"http://never-stored.test/";
    elsewhere.sources = {u"rss/a"};
    document.LoadResults({one, two, elsewhere}, true);
    std::optional<SourceIndexRebuild> outcome = document.RebuildSourceIndex();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->filed, 2u);
    EXPECT_EQ(outcome->unlisted, 2u) << "stored the way older versions did";
    const uint32_t idOne = document.Marks(u"http://one.test/").recordId;
    EXPECT_EQ(document.sourceIndex()->documentsOf(u"rss/a"), std::vector<uint32_t>{idOne});
    EXPECT_EQ(document.sourceIndex()->documentsOf(u"rss/b").size(), 2u);
  }
  // Saved: it reads back. Lost, with a main index that holds terms: question 2073.
  SourceIndex saved(lib);
  ASSERT_TRUE(saved.load());
  EXPECT_EQ(saved.documentsOf(u"rss/b").size(), 2u);
  std::filesystem::remove(lib / SourceIndex::kDirectoryName / SourceIndex::kMapFileName);
  struct Declining : RecordingPrompter {
    using RecordingPrompter::RecordingPrompter;
    Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested, std::string_view key) override {
      RecordingPrompter::Ask(message, text, suggested, key);
      return Answer::No;
    }
  } declining(false, {NewLibraryChoice::Kind::Blank, {}});
  {
    CTesserin2Doc document(application, listener, declining);
    ASSERT_TRUE(document.OpenLibrary(lib, false));
    EXPECT_EQ(declining.asked, std::vector<int>{2073});
    EXPECT_EQ(document.sourceIndex(), nullptr) << "declined: switched off, not saved";
  }
  EXPECT_FALSE(std::filesystem::exists(lib / SourceIndex::kDirectoryName / SourceIndex::kMapFileName));
  {
    CTesserin2Doc document(application, listener, prompter);
    ASSERT_TRUE(document.OpenLibrary(lib, false));
    EXPECT_EQ(prompter.asked, std::vector<int>{2073}) << "asked again, and Yes rebuilds";
    ASSERT_NE(document.sourceIndex(), nullptr);
  }
  EXPECT_TRUE(std::filesystem::exists(lib / SourceIndex::kDirectoryName / SourceIndex::kMapFileName));
}

TEST_F(DocumentTest, PressingSearchKeepsTheDocumentAndTheRunInOneMode) {
  Application application({home.path() / "bin"});
  RecordingPrompter prompter(false, {NewLibraryChoice::Kind::Blank, {}});
  CTesserin2Doc document(application, listener, prompter);
  ASSERT_TRUE(document.OpenLibrary(home.path() / "Lib", true));
  // A blank library's only category has no sources: a press searches every category.
  EXPECT_EQ(document.PressSearch(u"").action, SearchLaunch::Action::kRefreshViews);
  EXPECT_EQ(document.PressSearch(u" zebra ").action, SearchLaunch::Action::kSearchAllCategories);
  EXPECT_EQ(document.resultMode(), SearchMode::kLoad);
  EXPECT_EQ(document.history(), std::vector<std::u16string>{u"zebra"});

  CategorySet set;
  set.categories = {{u"All", 0, {u"rss/nowhere"}, 0}};
  document.SetCategories(set, {}, false);
  document.SetResultMode(SearchMode::kPermanent, u"zebra");
  ASSERT_TRUE(document.WaitForSearch(10s));
  SearchLaunch first = document.PressSearch(u"zebra");
  EXPECT_EQ(first.action, SearchLaunch::Action::kRunSearch);
  EXPECT_EQ(document.resultMode(), SearchMode::kLoad) << "the run's mode is the document's";
  EXPECT_EQ(document.searchRun().mode(), SearchMode::kLoad);
  ASSERT_TRUE(document.WaitForSearch(10s));
  SearchLaunch more = document.PressSearch(u"zebra", true);
  EXPECT_FALSE(more.newSearch);
  EXPECT_EQ(more.multiplier, 2);

  // Editing turns a "Load" view that holds nothing to the library.
  document.SearchTextEdited();
  EXPECT_EQ(document.resultMode(), SearchMode::kPermanent);
  EXPECT_EQ(document.searchRun().mode(), SearchMode::kPermanent);
  document.SetResultMode(SearchMode::kRecent);
  EXPECT_EQ(document.searchRun().mode(), SearchMode::kRecent);
}

TEST_F(DocumentTest, ASearchSavesItsPagesAndTheModesFindThemOffline) {
  if (!testing::DocSite::available()) GTEST_SKIP() << "the documentation pages are not installed";
  auto server = std::make_unique<testing::LoopbackServer>();
  testing::DocSite site(*server);
  const std::vector<std::string> pages = site.pageUrls(12);
  std::string feed = "<?xml version=\"1.0\"?><rss><channel><title>Docs</title>";
  for (const std::string& page : pages) feed += "<item><title>Doc</title><link>" + page + "</link></item>";
  server->serve("/feed.xml", feed + "</channel></rss>", "text/xml");
  const auto setFile = home.write("docs.zcat", "[source]=Docs\r\nrss\r\n\r\nurl=" + server->url("/feed.xml") +
                                                   "\r\n[category]=Docs\r\nrss/" + server->url("/feed.xml") + "/\r\n");
  Application application({home.path() / "bin"});
  RecordingPrompter prompter(false, {NewLibraryChoice::Kind::SetFile, setFile});
  CTesserin2Doc document(application, listener, prompter);
  ASSERT_TRUE(document.OpenLibrary(home.path() / "Lib", true));

  document.RunSearch(u"Python");
  ASSERT_TRUE(document.WaitForSearch(60s));
  ASSERT_TRUE(document.WaitForContent(120s));
  EXPECT_EQ(urls(document).size(), pages.size()) << "Load lists every result";
  size_t saved = 0;
  for (const std::string& page : pages) saved += document.library()->holdsRecord(toWide(page, kCodePageUtf8));
  EXPECT_EQ(saved, pages.size());
  server.reset();  // offline from here on

  // "Filter" scores the loaded results against their saved text.
  document.SetResultMode(SearchMode::kFilter, u"Python");
  std::vector<ResultEntry> filtered = (urls(document), document.DisplayedResults());
  ASSERT_FALSE(filtered.empty());
  for (const ResultEntry& entry : filtered) EXPECT_GE(entry.score, 0);

  // Marking one permanent indexes it; "Permanent" finds it through the index.
  const std::u16string first = toWide(pages[0], kCodePageUtf8);
  ASSERT_TRUE(document.SetPermanent(first, true));
  ASSERT_TRUE(document.WaitForContent(60s));
  document.SetResultMode(SearchMode::kPermanent, u"Python");
  EXPECT_EQ(urls(document), std::vector<std::u16string>{first});

  // The page marked permanent was indexed and filed under its feed. Filed
  // again from the pages' own source lists, with no results to name them,
  // every saved page is under the feed: indexed or not, they came from it.
  const auto filing = [](const SourceIndex& index) {
    std::map<std::u16string, std::set<uint32_t>> ids;
    for (const std::u16string& source : index.sourceKeys())
      for (uint32_t id : index.documentsOf(source)) ids[source].insert(id);
    return ids;
  };
  const uint32_t firstId = document.Marks(first).recordId;
  ASSERT_EQ(document.sourceIndex()->sourceKeys().size(), 1u);
  const std::u16string feedId = document.sourceIndex()->sourceKeys()[0];
  EXPECT_EQ(filing(*document.sourceIndex())[feedId], std::set<uint32_t>{firstId});
  document.LoadResults({}, true);
  std::optional<SourceIndexRebuild> outcome = document.RebuildSourceIndex();
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome->filed, pages.size());
  EXPECT_EQ(outcome->unlisted + outcome->skipped, 0u);
  std::set<uint32_t> savedIds;
  for (const std::string& page : pages) savedIds.insert(document.Marks(toWide(page, kCodePageUtf8)).recordId);
  EXPECT_EQ(filing(*document.sourceIndex()), (std::map<std::u16string, std::set<uint32_t>>{{feedId, savedIds}}));
}

}  // namespace
}  // namespace brambel
