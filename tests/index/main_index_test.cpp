#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "index/document_indexer.h"
#include "index/document_removal.h"
#include "index/index_optimiser.h"
#include "index/index_query.h"
#include "index/main_index.h"
#include "index/query_parser.h"
#include "index/term_extractor.h"
#include "index/term_table.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;

class MainIndexTest : public ::testing::Test {
 protected:
  std::filesystem::path path() const { return dir_.file(kMainIndexFileName); }

  IndexFile& index() {
    if (!index_) index_ = OpenMainIndex(dir_.path(), false, 1024).index;
    return *index_;
  }
  void close() { index_.reset(); }

  void add(uint32_t id, std::u16string_view text) {
    ExtractedTerms extracted = ExtractTerms(text, &filter_);
    ASSERT_TRUE(AddDocument(index(), DocumentTermTable(extracted.terms), id));
  }

  std::vector<uint32_t> ids(std::u16string_view query, std::u16string* completed = nullptr,
                            const DocumentIdSet* exclusion = nullptr,
                            const DocumentIdSet* restriction = nullptr) {
    std::vector<ScoredHit> hits;
    EXPECT_TRUE(QueryIndex(index(), ParseQuery(query, filter_), hits, 100, completed, exclusion,
                           restriction));
    std::vector<uint32_t> result;
    for (const ScoredHit& hit : hits) result.push_back(hit.id);
    return result;
  }

  void expectSound() {
    close();
    IndexCheckReport report = checkIndexFile(path(), 0, true);
    EXPECT_TRUE(report.sound()) << (report.damage.empty() ? "invalid" : report.damage.front());
  }

  TempDir dir_;
  TermFilter filter_;
  std::unique_ptr<IndexFile> index_;
};

TEST_F(MainIndexTest, DocumentAboutATermOutranksOneMentioningItOnce) {
  add(1, u"the weather today mentions a fox once among many other words here");
  add(2, u"fox fox fox: the fox den, fox cubs and fox tracks in the snow");
  add(3, u"nothing relevant at all");
  EXPECT_EQ(ids(u"fox"), (std::vector<uint32_t>{2, 1}));
}

TEST_F(MainIndexTest, AllPlainTermsMustOccurAndExcludedTermsRemoveDocuments) {
  add(1, u"cat dog");
  add(2, u"cat mouse");
  add(3, u"dog mouse");
  EXPECT_EQ(ids(u"cat -dog"), (std::vector<uint32_t>{2}));
  EXPECT_EQ(ids(u"-dog cat"), (std::vector<uint32_t>{2}));
  EXPECT_EQ(ids(u"cat mouse"), (std::vector<uint32_t>{2}));
  EXPECT_TRUE(ids(u"zebra cat").empty());
  EXPECT_TRUE(ids(u"the").empty());
}

TEST_F(MainIndexTest, RestrictionAndExclusionSetsLimitTheDocuments) {
  for (uint32_t id = 1; id <= 5; ++id) add(id, u"shared word");
  DocumentIdSet restriction{2, 3, 4}, exclusion{3};
  EXPECT_EQ(ids(u"shared", nullptr, &exclusion, &restriction), (std::vector<uint32_t>{2, 4}));
  // A restriction alone ranks its documents even when a term is excluded.
  EXPECT_EQ(ids(u"-nothing", nullptr, nullptr, &restriction), (std::vector<uint32_t>{2, 3, 4}));
}

TEST_F(MainIndexTest, LastTermIsCompletedToAStoredTermWithDocuments) {
  add(1, u"catalogue of birds");
  add(2, u"caterpillar season");
  std::u16string completed;
  EXPECT_EQ(ids(u"birds cat", &completed), (std::vector<uint32_t>{1}));
  EXPECT_EQ(completed, u"catalogue");
  completed.clear();
  EXPECT_EQ(ids(u"cate", &completed), (std::vector<uint32_t>{2}));
  EXPECT_EQ(completed, u"caterpillar");
  completed.clear();
  EXPECT_TRUE(ids(u"dog", &completed).empty());
  EXPECT_TRUE(completed.empty());
}

TEST_F(MainIndexTest, LongTermsSharingTheirKeyPrefixAreKeptApart) {
  add(1, u"internationalisation internationalization");
  add(2, u"internationalism");
  add(3, u"internationalization");
  std::vector<uint32_t> both = ids(u"internationalization");
  std::sort(both.begin(), both.end());
  EXPECT_EQ(both, (std::vector<uint32_t>{1, 3}));
  EXPECT_EQ(ids(u"internationalism"), (std::vector<uint32_t>{2}));
  std::vector<StoredTerm> listed = ListStoredTerms(index(), u"international", 10, true);
  ASSERT_EQ(listed.size(), 3u);
  uint64_t total = 0;
  for (const StoredTerm& term : listed) total += term.count;
  EXPECT_EQ(total, 4u);
  expectSound();
}

TEST_F(MainIndexTest, ManyDocumentsGrowTheTreeAndPostingChains) {
  std::set<std::u16string> vocabulary{u"common"};
  for (uint32_t id = 1; id <= 400; ++id) {
    std::u16string text = u"common ";
    for (uint32_t k = 0; k < 30; ++k) {
      std::u16string word = u"w";
      word += static_cast<char16_t>(u'a' + (id * 7 + k) % 26);
      word += static_cast<char16_t>(u'a' + (id + k * 3) % 26);
      if (std::u16string kept = word; filter_.AcceptTerm(kept)) vocabulary.insert(kept);
      text += word + u" ";
    }
    add(id, text);
  }
  EXPECT_EQ(PostingsOf(index(), u"common").size(), 400u);
  EXPECT_EQ(ids(u"common").size(), 100u);  // capped at the maximum
  std::vector<StoredTerm> all = ListStoredTerms(index(), u"", 100000);
  EXPECT_EQ(all.size(), vocabulary.size());
  for (size_t i = 1; i < all.size(); ++i) EXPECT_LT(all[i - 1].term, all[i].term);
  expectSound();
}

TEST_F(MainIndexTest, AddingADocumentTwiceStoresItsPostingsTwice) {
  add(7, u"repeat");
  add(7, u"repeat");
  EXPECT_EQ(PostingsOf(index(), u"repeat").size(), 2u);
}

// A batch term whose chain cannot be read may be stored already: the batch
// reports failure and the key is not stored a second time.
TEST_F(MainIndexTest, ATermWithAnUnreadableChainIsNotInsertedAgain) {
  add(1, u"chainedterm-beyond-key other");
  RecordAddress head = index().termRecordFor(u"chainedterm-").value().address;
  const uint64_t position = 4096 + uint64_t{head.block()} * index().clusterSize() + head.offsetInBlock() + 20;
  close();
  {
    File file = File::open(path(), File::Access::ReadWrite);
    const uint8_t huge[4] = {0xff, 0xff, 0xff, 0x7f};
    ASSERT_TRUE(file.writeAt(position, huge, sizeof huge));
  }
  ExtractedTerms extracted = ExtractTerms(u"chainedterm-beyond-key another", &filter_);
  EXPECT_FALSE(AddDocument(index(), DocumentTermTable(extracted.terms), 2));
  close();
  IndexCheckReport report = checkIndexFile(path(), 0, true);
  EXPECT_EQ(report.keys, 2u);  // "another" and the damaged chain's key, once ("other" is a stop word)
}

TEST_F(MainIndexTest, EnsuredTermsAreStoredWithoutDocuments) {
  ASSERT_TRUE(EnsureTerm(index(), u"placeholder"));
  ASSERT_TRUE(EnsureTerm(index(), u"placeholder"));
  EXPECT_EQ(ListStoredTerms(index(), u"place", 10).size(), 1u);
  EXPECT_TRUE(PostingsOf(index(), u"placeholder").empty());
  EXPECT_TRUE(ListStoredTerms(index(), u"place", 10, true).empty());
}

TEST_F(MainIndexTest, RemovedDocumentsVanishFromQueriesAndOptimiseDropsThem) {
  for (uint32_t id = 1; id <= 50; ++id) add(id, id % 2 ? u"odd number" : u"even number");
  add(51, u"internationalization only");
  ASSERT_EQ(RemoveDocuments(index(), DocumentIdSet{2, 4, 51}), std::optional<uint64_t>(6));
  std::vector<uint32_t> evens = ids(u"even");
  EXPECT_EQ(evens.size(), 23u);
  EXPECT_EQ(std::count(evens.begin(), evens.end(), 2u), 0);
  EXPECT_TRUE(ids(u"internationalization").empty());

  close();
  const uint64_t before = std::filesystem::file_size(path());
  OptimiseResult result =
      Optimise(path(), mainIndexOptions(false, 1024), DocumentIdSet{1, 3}, nullptr);
  ASSERT_EQ(result.status, OptimiseStatus::Done);
  EXPECT_EQ(result.postingsDropped, 6u + 4u);
  EXPECT_FALSE(std::filesystem::exists(path().string() + ".bak"));
  EXPECT_FALSE(std::filesystem::exists(path().string() + ".tmp"));
  EXPECT_LE(std::filesystem::file_size(path()), before);

  EXPECT_EQ(ids(u"odd").size(), 23u);
  EXPECT_EQ(ids(u"even").size(), 23u);
  EXPECT_EQ(PostingsOf(index(), u"number").size(), 46u);
  // A term whose every posting went stays stored, with no documents.
  EXPECT_EQ(ListStoredTerms(index(), u"internationalization", 10).size(), 1u);
  EXPECT_TRUE(ListStoredTerms(index(), u"internationalization", 10, true).empty());
  add(60, u"odd addition after optimise");
  EXPECT_EQ(ids(u"odd addition"), (std::vector<uint32_t>{60}));
  expectSound();
}

// What a swap of two renames left when cut between them: the index under
// its second name and a copy. Opening brings the index back.
TEST_F(MainIndexTest, AnIndexRenamedAwayByACutShortSwapComesBackAtOpen) {
  add(1, u"survivor");
  close();
  std::filesystem::rename(path(), path().string() + ".bak");
  dir_.write(path().filename().string() + ".tmp", "a copy cut short");
  EXPECT_EQ(ids(u"survivor"), (std::vector<uint32_t>{1}));
  EXPECT_FALSE(std::filesystem::exists(path().string() + ".bak"));
  EXPECT_FALSE(std::filesystem::exists(path().string() + ".tmp"));
}

// Documents added while the copy is made are in the index afterwards: the
// optimise holds the writer lock, and the waiting writer goes on in the copy.
TEST_F(MainIndexTest, DocumentsAddedDuringAnOptimiseAreKept) {
  for (uint32_t id = 1; id <= 300; ++id) add(id, u"before optimise with several words in it");
  std::atomic<bool> optimising{true};
  std::vector<uint32_t> added;
  std::thread writer([&] {
    for (uint32_t id = 1000; optimising; ++id) {
      ExtractedTerms extracted = ExtractTerms(u"during optimise", &filter_);
      if (AddDocument(index(), DocumentTermTable(extracted.terms), id)) added.push_back(id);
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  OptimiseResult result = Optimise(path(), mainIndexOptions(false, 1024), {});
  optimising = false;
  writer.join();
  ASSERT_EQ(result.status, OptimiseStatus::Done);
  ASSERT_FALSE(added.empty());
  close();
  std::vector<uint32_t> found;
  for (const Posting& posting : PostingsOf(index(), u"during")) found.push_back(posting.id);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, added);
  EXPECT_EQ(PostingsOf(index(), u"before").size(), 300u);
}

// The library command speaks through the prompter: a missing index is
// reported, a declined question changes nothing, and progress is shown.
TEST_F(MainIndexTest, OptimiseTellsAndAsksThroughThePrompter) {
  struct Recorder : MaintenancePrompter {
    bool answer = false;
    std::vector<std::string> said;
    void inform(std::string_view message) override { said.emplace_back(message); }
    bool confirm(std::string_view question) override { return said.emplace_back(question), answer; }
    void beginProgress(std::string_view title, std::string_view text) override {
      said.push_back(std::string(title) + " / " + std::string(text));
    }
    void progress(int percent) override { said.push_back(std::to_string(percent)); }
    void endProgress() override { said.push_back("done"); }
  } prompter;
  EXPECT_EQ(OptimiseWithPrompts(path(), mainIndexOptions(false, 0), {}, prompter)->status, OptimiseStatus::Missing);
  EXPECT_EQ(prompter.said, (std::vector<std::string>{
                               "Cannot Optimize the database. The Index appears non-existant or inaccessible."}));
  add(1, u"kept");
  close();
  prompter.said.clear();
  EXPECT_FALSE(OptimiseWithPrompts(path(), mainIndexOptions(false, 0), {1}, prompter));
  EXPECT_EQ(prompter.said, (std::vector<std::string>{"Optimizing can take up to several minutes to complete. Proceed?"}));
  EXPECT_EQ(ids(u"kept"), (std::vector<uint32_t>{1}));
  close();
  prompter.answer = true;
  prompter.said.clear();
  EXPECT_EQ(OptimiseWithPrompts(path(), mainIndexOptions(false, 0), {1}, prompter)->status, OptimiseStatus::Done);
  ASSERT_GE(prompter.said.size(), 4u);
  EXPECT_EQ(prompter.said[1], "Optimizing the Library / This may take several minutes to complete.");
  EXPECT_EQ(prompter.said[prompter.said.size() - 2], "100");
  EXPECT_EQ(prompter.said.back(), "done");
  EXPECT_TRUE(ids(u"kept").empty());
}

TEST_F(MainIndexTest, OptimiseOfAMissingIndexChangesNothing) {
  OptimiseResult result = Optimise(path(), mainIndexOptions(false, 1024), {}, nullptr);
  EXPECT_EQ(result.status, OptimiseStatus::Missing);
  EXPECT_FALSE(std::filesystem::exists(path()));
}

TEST_F(MainIndexTest, InvalidHeaderOpensReadOnlyAndRefusesWrites) {
  dir_.write(kMainIndexFileName, std::string(8192, '\x01'));
  OpenedMainIndex opened = OpenMainIndex(dir_.path(), false, 1024);
  EXPECT_TRUE(opened.invalidHeader);
  ASSERT_TRUE(opened.index);
  EXPECT_FALSE(AddDocument(*opened.index, {{u"some", 1.0f}}, 1));
  std::vector<ScoredHit> hits;
  EXPECT_FALSE(QueryIndex(*opened.index, std::vector<std::u16string>{u"some"}, hits, 10));
  EXPECT_EQ(testing::readFileBytes(path()), std::string(8192, '\x01'));
}

}  // namespace
}  // namespace brambel
