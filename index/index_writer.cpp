#include "index/index_writer.h"

#include <algorithm>
#include <chrono>
#include <numeric>

#include "store/block_write_back.h"
#include "store/index_session.h"
#include "store/posting_appender.h"
#include "store/tree_merge.h"

namespace brambel {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes a posting takes until its flush is done: its buffer entry, and its
// place in the term-ordered copy the flush makes.
constexpr uint64_t kBytesPerPosting = 12 + sizeof(Posting);

float perSecond(size_t count, Clock::time_point start, Clock::time_point end) {
  const double seconds = std::chrono::duration<double>(end - start).count();
  return static_cast<float>(count / std::max(seconds, 1e-6));
}

}  // namespace

IndexWriter::IndexWriter(IndexFile& index, IndexWriterOptions options, FlushedCallback flushed)
    : index_(index),
      options_(std::move(options)),
      yielder_(options_.yieldInterval),
      flushed_(std::move(flushed)),
      filter_(options_.filter) {}

IndexWriter::~IndexWriter() { flush(); }

size_t IndexWriter::bufferedDocuments() const {
  std::lock_guard lock(mutex_);
  return documents_.size();
}

size_t IndexWriter::bufferedPostings() const {
  std::lock_guard lock(mutex_);
  return postings_.size();
}

IndexWriter::Totals IndexWriter::totals() const {
  std::lock_guard lock(mutex_);
  return totals_;
}

uint64_t IndexWriter::bufferedBytes() const {
  std::lock_guard lock(mutex_);
  return bytesBuffered();
}

uint64_t IndexWriter::bytesBuffered() const {
  return postings_.size() * kBytesPerPosting + terms_.memoryBytes() + lastPosting_.capacity() * sizeof(uint32_t) +
         documents_.capacity() * sizeof(uint32_t);
}

bool IndexWriter::makeRoom(size_t postings) {
  // Sized once for the whole budget: growing by doubling would hold the
  // old and the new array at once and overshoot the budget.
  if (postings_.capacity() == 0) postings_.reserve(std::max<uint64_t>(1024, options_.memoryBudget / kBytesPerPosting));
  if (postings_.size() + postings <= postings_.capacity()) return true;
  return flushBuffered();
}

void IndexWriter::bufferPosting(std::u16string_view term, uint32_t documentId, float weight) {
  const uint32_t number = terms_.intern(term);
  if (number == lastPosting_.size()) lastPosting_.push_back(0);
  uint32_t& last = lastPosting_[number];
  if (last != 0 && last - 1 >= documentStart_) {
    postings_[last - 1].weight += weight;
    return;
  }
  postings_.push_back({number, documentId, weight});
  last = static_cast<uint32_t>(postings_.size());
}

bool IndexWriter::addText(uint32_t documentId, std::u16string_view text) {
  std::lock_guard lock(mutex_);
  counter_.count(text, filter_);
  // A document that does not fit flushes the ones before it; should that
  // fail it is buffered all the same.
  const bool roomMade = makeRoom(counter_.terms().size());
  documentStart_ = postings_.size();
  for (const DocumentTermCounter::Counted& counted : counter_.terms())
    if (isStorableTerm(counted.term)) bufferPosting(counted.term, documentId, counter_.weightOf(counted));
  return finishDocument(documentId) && roomMade;
}

bool IndexWriter::addTerms(uint32_t documentId, std::span<const WeightedTerm> terms) {
  std::lock_guard lock(mutex_);
  const bool roomMade = makeRoom(terms.size());
  documentStart_ = postings_.size();
  for (const WeightedTerm& term : terms)
    if (isStorableTerm(term.term)) bufferPosting(term.term, documentId, term.weight);
  return finishDocument(documentId) && roomMade;
}

bool IndexWriter::finishDocument(uint32_t documentId) {
  documents_.push_back(documentId);
  yielder_.maybeYield();
  return bytesBuffered() < options_.memoryBudget || flushBuffered();
}

bool IndexWriter::flush() {
  std::lock_guard lock(mutex_);
  return flushBuffered();
}

bool IndexWriter::flushBuffered() {
  if (documents_.empty()) return true;
  if (!writeBatch()) return false;
  totals_.flushes += 1;
  totals_.documents += documents_.size();
  totals_.postings += postings_.size();
  if (flushed_) flushed_(documents_);
  documents_.clear();
  postings_.clear();
  terms_.clear();
  lastPosting_.clear();
  documentStart_ = 0;
  return true;
}

bool IndexWriter::writeBatch() {
  if (!index_.cached() || index_.isReadOnly()) return false;
  std::optional<IndexSession> session = index_.beginWrite();
  if (!session) return false;
  const File& handle = session->handle();
  // What this writer remembers of the chains holds only if nobody else wrote since.
  if (knownVersion_ != session->startVersion()) tails_.clear();

  const Clock::time_point groupStart = Clock::now();
  // The distinct terms in code-unit order, and every term's postings
  // gathered in the order they were added.
  std::vector<uint32_t> order(terms_.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return terms_.term(a) < terms_.term(b); });
  std::vector<uint32_t> start(terms_.size() + 1, 0);
  for (const BufferedPosting& posting : postings_) ++start[posting.term + 1];
  std::partial_sum(start.begin(), start.end(), start.begin());
  std::vector<Posting> grouped(postings_.size());
  {
    std::vector<uint32_t> cursor(start.begin(), start.end() - 1);
    for (const BufferedPosting& posting : postings_) grouped[cursor[posting.term]++] = {posting.document, posting.weight};
  }
  std::vector<BatchTerm> batch;
  batch.reserve(order.size());
  for (uint32_t number : order)
    batch.push_back({terms_.term(number), std::span<const Posting>(grouped.data() + start[number],
                                                                   start[number + 1] - start[number])});

  const Clock::time_point mergeStart = Clock::now();
  // Others learn of the change (the header's counter) before its first block reaches the file.
  if (!session->beginChange()) return false;
  const uint64_t fileSize = session->fileSize();
  const RecordSpace space = RecordSpace::ofSection(index_.base(), index_.clusterSize(), fileSize, index_.weighted());
  BlockWriteBack writes(handle, space.firstBlockPosition, space.blockSize, fileSize);
  PostingAppender appender(handle, space, writes, tails_);
  TreeMerge merge(*session, writes, appender);
  std::optional<RecordAddress> root = merge.merge(batch);
  const Clock::time_point commitStart = Clock::now();
  if (!root || !session->commitBatch(writes, *root)) {
    tails_.clear();
    knownVersion_.reset();
    return false;
  }
  knownVersion_ = session->currentVersion();
  totals_.skippedTerms += merge.skippedTerms();
  const Clock::time_point end = Clock::now();
  index_.setRates({perSecond(batch.size(), groupStart, mergeStart), perSecond(batch.size(), mergeStart, commitStart),
                   perSecond(batch.size(), commitStart, end)});
  return true;
}

}  // namespace brambel
