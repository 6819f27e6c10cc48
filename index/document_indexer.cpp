#include "index/document_indexer.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

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

// One term of a batch with its postings, in batch order.
struct TermPostings {
  std::u16string term;
  std::vector<Posting> postings;
};

// Groups the documents' postings by term, in ascending term order. A term a
// document lists twice gets one posting carrying both weights: inserting it
// twice would store its key twice.
std::vector<TermPostings> groupByTerm(std::vector<DocumentTerms>& documents) {
  std::unordered_map<std::u16string, size_t> slots;
  std::vector<TermPostings> grouped;
  for (DocumentTerms& document : documents) {
    for (WeightedTerm& t : document.terms) {
      if (!isStorableTerm(t.term)) continue;
      auto [slot, added] = slots.try_emplace(t.term, grouped.size());
      if (added) grouped.push_back({std::move(t.term), {}});
      std::vector<Posting>& postings = grouped[slot->second].postings;
      if (!postings.empty() && postings.back().id == document.documentId)
        postings.back().weight += t.weight;
      else
        postings.push_back({document.documentId, t.weight});
    }
  }
  std::sort(grouped.begin(), grouped.end(),
            [](const TermPostings& a, const TermPostings& b) { return a.term < b.term; });
  return grouped;
}

}  // namespace

bool AddDocuments(IndexFile& index, std::vector<DocumentTerms> documents, const IndexingOptions& options) {
  if (!index.isValid() || index.isReadOnly()) return false;
  std::optional<IndexSession> session = index.beginWrite();
  if (!session) return false;
  const uint32_t prefixLength = index.prefixLength();

  const Clock::time_point collectStart = Clock::now();
  std::vector<TermPostings> terms = groupByTerm(documents);
  std::vector<std::u16string_view> sorted;
  sorted.reserve(terms.size());
  for (const TermPostings& t : terms) sorted.push_back(t.term);
  const Clock::time_point lookupStart = Clock::now();
  std::vector<TermLookup> found = lookupSortedTerms(*session, sorted);
  const Clock::time_point updateStart = Clock::now();

  WorkYielder yielder(options.yieldInterval);
  std::optional<OpenChain> openChain;
  bool written = true;
  for (size_t i = 0; i < terms.size(); ++i) {
    yielder.maybeYield();
    const std::u16string_view term = sorted[i];
    const std::span<const Posting> postings(terms[i].postings);
    TermLookup& lookup = found[i];
    if (lookup.record) {
      written &= session->appendPostings(*lookup.record, postings);
      continue;
    }
    if (lookup.unreadable) {
      written = false;
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

bool AddDocument(IndexFile& index, std::vector<WeightedTerm> terms, uint32_t documentId,
                 const IndexingOptions& options) {
  std::vector<DocumentTerms> batch(1);
  batch[0] = {documentId, std::move(terms)};
  return AddDocuments(index, std::move(batch), options);
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
