#include "index/document_indexer.h"

#include <algorithm>
#include <optional>

#include "index/term_lookup.h"
#include "index/work_yielder.h"
#include "store/index_session.h"

namespace brambel {

namespace {

using Clock = std::chrono::steady_clock;

float perSecond(size_t count, Clock::time_point start, Clock::time_point end) {
  const double seconds = std::chrono::duration<double>(end - start).count();
  return static_cast<float>(count / std::max(seconds, 1e-6));
}

// The chain of the last long term added that was new to the tree: a later
// term of the batch with the same key joins its end without a new descent.
struct OpenChain {
  std::u16string key;
  TermRecord last;
};

// A term listed twice gets one posting carrying both weights; inserting it
// twice would store its key twice.
void mergeDuplicates(std::vector<WeightedTerm>& sortedTerms) {
  size_t kept = 0;
  for (size_t i = 0; i < sortedTerms.size(); ++i) {
    if (kept > 0 && sortedTerms[kept - 1].term == sortedTerms[i].term) {
      sortedTerms[kept - 1].weight += sortedTerms[i].weight;
    } else {
      if (kept != i) sortedTerms[kept] = std::move(sortedTerms[i]);
      ++kept;
    }
  }
  sortedTerms.resize(kept);
}

}  // namespace

bool AddDocument(IndexFile& index, std::vector<WeightedTerm> terms, uint32_t documentId,
                 const IndexingOptions& options) {
  if (!index.isValid() || index.isReadOnly()) return false;
  std::optional<IndexSession> session = index.beginWrite();
  if (!session) return false;
  const uint32_t prefixLength = index.prefixLength();

  const Clock::time_point collectStart = Clock::now();
  std::erase_if(terms, [](const WeightedTerm& t) { return !isStorableTerm(t.term); });
  std::sort(terms.begin(), terms.end(),
            [](const WeightedTerm& a, const WeightedTerm& b) { return a.term < b.term; });
  mergeDuplicates(terms);
  std::vector<std::u16string_view> sorted;
  sorted.reserve(terms.size());
  for (const WeightedTerm& t : terms) sorted.push_back(t.term);
  const Clock::time_point lookupStart = Clock::now();
  std::vector<TermLookup> found = lookupSortedTerms(*session, sorted);
  const Clock::time_point updateStart = Clock::now();

  WorkYielder yielder(options.yieldInterval);
  std::optional<OpenChain> openChain;
  bool written = true;
  for (size_t i = 0; i < terms.size(); ++i) {
    yielder.maybeYield();
    const std::u16string_view term = sorted[i];
    const Posting posting{documentId, terms[i].weight};
    const std::span<const Posting> postings(&posting, 1);
    TermLookup& lookup = found[i];
    if (lookup.record) {
      written &= session->appendPostings(*lookup.record, postings);
      continue;
    }
    if (term.size() < prefixLength) {
      written &= !lookup.keyStored && session->insertTerm(term, postings, SplitMode::Normal);
      continue;
    }
    const std::u16string_view key = keyOf(term, prefixLength);
    if (!openChain || openChain->key != key) {
      openChain.reset();
      if (lookup.chainEnd) openChain = OpenChain{std::u16string(key), std::move(*lookup.chainEnd)};
    }
    if (openChain) {
      std::optional<TermRecord> added = session->appendToChain(openChain->last, term, postings);
      if (added) openChain->last = std::move(*added);
      written &= added.has_value();
      continue;
    }
    if (lookup.keyStored || !session->insertTerm(term, postings, SplitMode::Normal)) {
      written = false;
      continue;
    }
    std::optional<TermRecord> head = session->termRecordFor(key);
    if (head) openChain = OpenChain{std::u16string(key), std::move(*head)};
  }
  const Clock::time_point end = Clock::now();

  index.setRates({perSecond(terms.size(), collectStart, lookupStart),
                  perSecond(terms.size(), lookupStart, updateStart),
                  perSecond(terms.size(), updateStart, end)});
  return written;
}

bool EnsureTerm(IndexFile& index, std::u16string_view term) {
  if (!index.isValid() || index.isReadOnly() || !isStorableTerm(term)) return false;
  std::optional<IndexSession> session = index.beginWrite();
  if (!session) return false;
  if (session->findTerm(term)) return true;
  const Posting none{0, 0.0f};
  return session->addPostings(term, std::span<const Posting>(&none, 1));
}

}  // namespace brambel
