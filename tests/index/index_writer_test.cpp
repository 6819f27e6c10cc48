// The batched writer must store exactly what one-document-at-a-time adding
// stores, keep the tree sound through splits at every level, and cope with
// other writers changing the file between its flushes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "index/document_indexer.h"
#include "index/document_term_counter.h"
#include "index/index_writer.h"
#include "index/main_index.h"
#include "index/term_extractor.h"
#include "index/term_table.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;

// Words of a made-up vocabulary, some long ones sharing their key prefix,
// a few in every document so that chains grow over many blocks.
std::u16string documentText(uint32_t id, uint32_t vocabulary) {
  std::u16string text = u"frequent common ";
  std::mt19937 random(id);
  for (int i = 0; i < 40; ++i) {
    text += u"w";
    for (uint32_t rest = random() % vocabulary; rest; rest /= 26) text += static_cast<char16_t>(u'a' + rest % 26);
    text += u' ';
  }
  text += u"internationalisation" + std::u16string(1, static_cast<char16_t>(u'a' + id % 7)) + u" ";
  text += u"the a " + std::u16string(30, u'z') + u" ";  // a stop word, a short term, a term cut to 20 units
  return text;
}

// Every stored term with its postings.
std::map<std::u16string, std::vector<Posting>> contents(IndexFile& index) {
  std::map<std::u16string, std::vector<Posting>> all;
  std::optional<IndexSession> session = index.beginRead();
  EXPECT_TRUE(session);
  if (!session) return all;
  session->forEachTerm(u"", [&](const std::u16string& term, const TermRecord& record) {
    all[term] = session->postingsOf(record);
    return true;
  });
  return all;
}

void expectSound(const std::filesystem::path& path) {
  IndexCheckReport report = checkIndexFile(path, 0, true);
  EXPECT_TRUE(report.sound()) << (report.damage.empty() ? "invalid header" : report.damage.front());
}

class IndexWriterTest : public ::testing::Test {
 protected:
  std::unique_ptr<IndexFile> open(const char* name) {
    return std::make_unique<IndexFile>(dir_.file(name), 0, mainIndexOptions(false, 1024));
  }

  // The same documents stored a term at a time through the store's record
  // path, which shares nothing with the writer but the file format.
  std::unique_ptr<IndexFile> reference(uint32_t first, uint32_t last, uint32_t vocabulary) {
    auto index = open("reference.zidx");
    const TermFilter filter;
    std::optional<IndexSession> session = index->beginWrite();
    for (uint32_t id = first; id <= last; ++id) {
      ExtractedTerms extracted = ExtractTerms(documentText(id, vocabulary), &filter);
      for (const WeightedTerm& term : DocumentTermTable(extracted.terms).WeightedTerms())
        EXPECT_TRUE(session->addPostings(term.term, std::vector<Posting>{{id, term.weight}}));
    }
    return index;
  }

  TempDir dir_;
};

TEST_F(IndexWriterTest, StoresWhatAddingTermsOneAtATimeStores) {
  // A small budget makes many flushes: new keys, appends to stored terms
  // and to chains of long terms, leaf and root splits across flushes.
  auto index = open("writer.zidx");
  std::vector<uint32_t> acknowledged;
  {
    IndexWriterOptions options;
    options.memoryBudget = 64 << 10;
    IndexWriter writer(*index, options, [&](std::span<const uint32_t> ids) {
      acknowledged.insert(acknowledged.end(), ids.begin(), ids.end());
    });
    for (uint32_t id = 1; id <= 400; ++id) ASSERT_TRUE(writer.addText(id, documentText(id, 3000)));
    EXPECT_GT(writer.totals().flushes, 5u);
    EXPECT_LT(acknowledged.size(), 400u) << "the last documents are acknowledged only by the final flush";
    ASSERT_TRUE(writer.flush());
    EXPECT_EQ(writer.totals().skippedTerms, 0u);
  }
  std::vector<uint32_t> expected(400);
  std::iota(expected.begin(), expected.end(), 1u);
  EXPECT_EQ(acknowledged, expected);

  auto written = contents(*index);
  auto wanted = contents(*reference(1, 400, 3000));
  ASSERT_EQ(written.size(), wanted.size());
  EXPECT_TRUE(written == wanted);
  EXPECT_EQ(written.count(std::u16string(20, u'z')), 1u);
  EXPECT_EQ(written.count(u"the"), 0u);
  EXPECT_EQ(written[u"frequent"].size(), 400u);
  index.reset();
  expectSound(dir_.file("writer.zidx"));
}

TEST_F(IndexWriterTest, OneLargeFlushBuildsADeepTreeAndLaterFlushesAddToIt) {
  // 20 000 new keys in one flush need several levels of new nodes at once.
  auto index = open("writer.zidx");
  {
    IndexWriter writer(*index);
    for (uint32_t id = 1; id <= 600; ++id) writer.addText(id, documentText(id, 400000));
    ASSERT_TRUE(writer.flush());
    for (uint32_t id = 601; id <= 700; ++id) writer.addText(id, documentText(id, 400000));
  }
  auto written = contents(*index);
  EXPECT_TRUE(written == contents(*reference(1, 700, 400000)));
  EXPECT_GT(written.size(), 20000u);
  index.reset();
  IndexCheckReport report = checkIndexFile(dir_.file("writer.zidx"), 0, true);
  EXPECT_TRUE(report.sound());
  EXPECT_GE(report.depth, 3u);
}

TEST_F(IndexWriterTest, AnotherWriterBetweenFlushesIsNoticed) {
  // The writer remembers where chains end; a document added through a
  // second handle moves those ends, and the next flush must not overwrite them.
  auto index = open("writer.zidx");
  IndexWriter writer(*index);
  for (uint32_t id = 1; id <= 50; ++id) writer.addText(id, documentText(id, 300));
  ASSERT_TRUE(writer.flush());
  {
    auto other = open("writer.zidx");
    const TermFilter filter;
    for (uint32_t id = 51; id <= 60; ++id) {
      ExtractedTerms extracted = ExtractTerms(documentText(id, 300), &filter);
      ASSERT_TRUE(AddDocument(*other, DocumentTermTable(extracted.terms), id));
    }
  }
  for (uint32_t id = 61; id <= 100; ++id) writer.addText(id, documentText(id, 300));
  ASSERT_TRUE(writer.flush());
  EXPECT_TRUE(contents(*index) == contents(*reference(1, 100, 300)));
}

TEST_F(IndexWriterTest, TermsListedTwiceInOneDocumentGetOnePostingWithTheSummedWeight) {
  auto index = open("writer.zidx");
  {
    IndexWriter writer(*index);
    std::vector<WeightedTerm> terms{{u"apple", 0.5f}, {u"pear", 1.0f}, {u"apple", 0.25f}, {u"", 1.0f}};
    writer.addTerms(7, terms);
    writer.addTerms(7, terms);  // the same document again adds its postings again
  }
  auto written = contents(*index);
  EXPECT_EQ(written[u"apple"], (std::vector<Posting>{{7, 0.75f}, {7, 0.75f}}));
  EXPECT_EQ(written[u"pear"].size(), 2u);
  EXPECT_EQ(written.size(), 2u);
}

TEST_F(IndexWriterTest, TermOfAKeyWhoseChainIsBrokenIsLeftOutRatherThanStoredTwice) {
  auto index = open("writer.zidx");
  IndexWriter writer(*index);
  writer.addText(1, u"internationala internationalb");
  ASSERT_TRUE(writer.flush());
  // Break the link behind the chain's first record.
  std::optional<TermRecord> head = index->termRecordFor(u"internationa");
  ASSERT_TRUE(head && head->next.isNullLink() == false);
  {
    File file = File::open(dir_.file("writer.zidx"), File::Access::ReadWrite);
    const uint64_t position = 4096 + uint64_t{head->address.block()} * index->clusterSize() + head->address.offsetInBlock();
    const uint64_t outside = RecordAddress::inBlock(60000, 8).value;
    ASSERT_TRUE(file.writeAt(position + 8, &outside, sizeof outside));
  }
  auto reopened = open("writer.zidx");
  IndexWriter again(*reopened);
  again.addText(2, u"internationala internationalz");
  ASSERT_TRUE(again.flush());
  EXPECT_EQ(again.totals().skippedTerms, 1u);
  auto written = contents(*reopened);
  EXPECT_EQ(written[u"internationala"].size(), 2u) << "the readable part of the chain still takes postings";
  EXPECT_EQ(written.count(u"internationalz"), 0u) << "a second key would have been inserted for it";
}

// Adds document 2 with every term document 1 has, while the file accepts no
// write at or past `limit`; then, with the limit lifted, flushes again. The
// exit code tells which step went otherwise than wanted.
[[noreturn]] void addWhileTheFileIsCut(const std::filesystem::path& path, const std::vector<WeightedTerm>& terms,
                                       uint64_t limit) {
  std::signal(SIGXFSZ, SIG_IGN);
  IndexFile index(path, 0, mainIndexOptions(false, 1024));
  IndexWriter writer(index);
  writer.addTerms(2, terms);
  rlimit cut{limit, RLIM_INFINITY};
  if (setrlimit(RLIMIT_FSIZE, &cut) != 0) _exit(2);
  if (writer.flush()) _exit(3);  // the flush must fail part-way
  rlimit open{RLIM_INFINITY, RLIM_INFINITY};
  if (setrlimit(RLIMIT_FSIZE, &open) != 0) _exit(2);
  _exit(writer.flush() ? 0 : 4);
}

TEST_F(IndexWriterTest, AFlushThatFailsPartWayIsUndoneSoItsRetryStoresEachPostingOnce) {
  // Every term's chain has free slots, so the second flush only patches
  // blocks spread over the whole file; those past the limit cannot be written.
  std::vector<WeightedTerm> terms;
  for (int i = 0; i < 3000; ++i) {
    std::u16string term = u"t";
    for (int rest = i + 676; rest; rest /= 26) term += static_cast<char16_t>(u'a' + rest % 26);
    terms.push_back({term, 1.0f});
  }
  const std::filesystem::path path = dir_.file("writer.zidx");
  {
    auto index = open("writer.zidx");
    IndexWriter writer(*index);
    writer.addTerms(1, terms);
    ASSERT_TRUE(writer.flush());
  }
  const uint64_t size = std::filesystem::file_size(path);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) addWhileTheFileIsCut(path, terms, size / 2);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);

  auto written = contents(*open("writer.zidx"));
  ASSERT_EQ(written.size(), terms.size());
  for (const auto& [term, postings] : written)
    ASSERT_EQ(postings, (std::vector<Posting>{{1, 1.0f}, {2, 1.0f}})) << std::string(term.begin(), term.end());
  expectSound(path);
}

TEST(DocumentTermCounter, CountsAcceptedTermsAndWeighsThemLikeTheTermTable) {
  const TermFilter filter;
  // The run of x is cut to 20 units and joins the one of exactly 20.
  const std::u16string text =
      u"the cat saw the other cat and a dog " + std::u16string(25, u'x') + u" " + std::u16string(20, u'x');
  DocumentTermCounter counter;
  counter.count(u"something else entirely", filter);
  counter.count(text, filter);
  ExtractedTerms extracted = ExtractTerms(text, &filter);
  DocumentTermTable table(extracted.terms);
  std::map<std::u16string, float> counted;
  for (const auto& term : counter.terms()) counted[std::u16string(term.term)] = counter.weightOf(term);
  std::map<std::u16string, float> expected;
  for (const WeightedTerm& term : table.WeightedTerms()) expected[term.term] = term.weight;
  EXPECT_EQ(counted, expected);
  EXPECT_EQ(counted.size(), 4u);  // cat, saw, dog and the cut run of x
}

}  // namespace
}  // namespace brambel
