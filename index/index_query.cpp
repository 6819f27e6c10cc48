#include "index/index_query.h"

#include <algorithm>

#include "store/index_session.h"

namespace brambel {

namespace {

std::vector<Posting> admittedPostings(IndexSession& session, std::u16string_view term,
                                      const DocumentFilter& filter) {
  std::vector<Posting> postings;
  if (!isStorableTerm(term)) return postings;
  std::optional<TermRecord> record = session.findTerm(term);
  if (!record) return postings;
  postings = session.postingsOf(*record);
  std::erase_if(postings, [&](const Posting& p) { return !filter.admits(p.id); });
  return postings;
}

struct QueryWord {
  std::u16string_view text;
  bool excluded = false;
};

// Takes "+", "-" and the phrase quotes off a query term.
QueryWord readQueryWord(std::u16string_view term) {
  QueryWord word;
  if (!term.empty() && term.front() == u'"') term.remove_prefix(1);
  if (!term.empty() && (term.front() == u'+' || term.front() == u'-')) {
    word.excluded = term.front() == u'-';
    term.remove_prefix(1);
  }
  if (!term.empty() && term.back() == u'"') term.remove_suffix(1);
  word.text = term;
  return word;
}

}  // namespace

std::vector<Posting> LookupTerm(IndexSession& session, std::u16string_view term,
                                const DocumentFilter& filter, std::u16string* completed) {
  std::vector<Posting> postings = admittedPostings(session, term, filter);
  if (!postings.empty() || !completed || term.empty()) return postings;
  for (const StoredTerm& candidate : ListStoredTerms(session, term, 2, true, filter)) {
    if (candidate.term == term) continue;
    *completed = candidate.term;
    return admittedPostings(session, candidate.term, filter);
  }
  return postings;
}

namespace {

// Postings ordered by id, with the weights of a repeated id summed.
std::vector<ScoredHit> byId(const std::vector<Posting>& postings) {
  std::vector<ScoredHit> hits;
  hits.reserve(postings.size());
  for (const Posting& p : postings) hits.push_back({p.id, p.weight});
  auto lowerId = [](const ScoredHit& a, const ScoredHit& b) { return a.id < b.id; };
  if (!std::is_sorted(hits.begin(), hits.end(), lowerId)) std::stable_sort(hits.begin(), hits.end(), lowerId);
  size_t kept = 0;
  for (const ScoredHit& hit : hits) {
    if (kept > 0 && hits[kept - 1].id == hit.id) hits[kept - 1].score += hit.score;
    else hits[kept++] = hit;
  }
  hits.resize(kept);
  return hits;
}

// The documents of `scores` that `term` also holds, their weights added.
std::vector<ScoredHit> intersect(const std::vector<ScoredHit>& scores, const std::vector<ScoredHit>& term) {
  std::vector<ScoredHit> both;
  auto a = scores.begin(), b = term.begin();
  while (a != scores.end() && b != term.end()) {
    if (a->id < b->id) ++a;
    else if (b->id < a->id) ++b;
    else both.push_back({a->id, (a++)->score + (b++)->score});
  }
  return both;
}

// The documents of `scores` that `term` does not hold.
std::vector<ScoredHit> subtract(const std::vector<ScoredHit>& scores, const std::vector<ScoredHit>& term) {
  std::vector<ScoredHit> rest;
  auto b = term.begin();
  for (const ScoredHit& hit : scores) {
    while (b != term.end() && b->id < hit.id) ++b;
    if (b == term.end() || b->id != hit.id) rest.push_back(hit);
  }
  return rest;
}

}  // namespace

bool QueryIndex(IndexFile& index, std::span<const std::u16string> terms, std::vector<ScoredHit>& hits,
                size_t maximum, std::u16string* completed, const DocumentIdSet* exclusion,
                const DocumentIdSet* restriction) {
  hits.clear();
  if (!index.isValid()) return false;
  std::optional<IndexSession> session = index.beginRead();
  if (!session) return false;

  // The accumulator: documents still in the running, ordered by id.
  std::vector<ScoredHit> scores;
  bool firstStep = true;
  if (restriction) {
    for (uint32_t id : *restriction)
      if (id != 0) scores.push_back({id, 0.0f});
    std::sort(scores.begin(), scores.end(), [](const ScoredHit& a, const ScoredHit& b) { return a.id < b.id; });
    firstStep = false;
  }
  // Excluding terms act after every plain one, wherever they were written.
  std::vector<QueryWord> words;
  for (const std::u16string& term : terms) words.push_back(readQueryWord(term));
  const QueryWord* lastWord = words.empty() ? nullptr : &words.back();
  std::vector<const QueryWord*> order;
  for (const QueryWord& word : words)
    if (!word.excluded) order.push_back(&word);
  for (const QueryWord& word : words)
    if (word.excluded) order.push_back(&word);

  const DocumentFilter callerFilter{restriction, exclusion};
  for (const QueryWord* word : order) {
    if (word->text.empty()) continue;
    std::vector<ScoredHit> postings = byId(admittedPostings(*session, word->text, callerFilter));
    if (word->excluded) {
      scores = subtract(scores, postings);
      continue;
    }
    std::vector<ScoredHit> next = firstStep ? std::move(postings) : intersect(scores, postings);
    if (next.empty() && word == lastWord && completed) {
      // Complete the last term to a stored one that the remaining documents hold.
      DocumentIdSet remaining;
      for (const ScoredHit& hit : scores) remaining.insert(hit.id);
      const DocumentFilter filter{firstStep ? restriction : &remaining, exclusion};
      postings = byId(LookupTerm(*session, word->text, filter, completed));
      next = firstStep ? std::move(postings) : intersect(scores, postings);
    }
    scores = std::move(next);
    firstStep = false;
  }

  hits = std::move(scores);
  const size_t kept = std::min(maximum, hits.size());
  auto better = [](const ScoredHit& a, const ScoredHit& b) {
    return a.score != b.score ? a.score > b.score : a.id < b.id;
  };
  std::partial_sort(hits.begin(), hits.begin() + kept, hits.end(), better);
  hits.resize(kept);
  return true;
}

std::vector<StoredTerm> ListStoredTerms(IndexSession& session, std::u16string_view prefix,
                                        size_t maximum, bool counted, const DocumentFilter& filter) {
  std::vector<StoredTerm> listed;
  if (maximum == 0) return listed;
  session.forEachTerm(prefix, [&](const std::u16string& term, const TermRecord& record) {
    uint64_t count = 0;
    if (counted) {
      for (const Posting& p : session.postingsOf(record)) count += filter.admits(p.id);
      if (count == 0) return true;
    }
    listed.push_back({term, count});
    return listed.size() < maximum;
  });
  return listed;
}

std::vector<StoredTerm> ListStoredTerms(IndexFile& index, std::u16string_view prefix, size_t maximum,
                                        bool counted, const DocumentFilter& filter) {
  if (!index.isValid()) return {};
  std::optional<IndexSession> session = index.beginRead();
  if (!session) return {};
  return ListStoredTerms(*session, prefix, maximum, counted, filter);
}

std::vector<Posting> PostingsOf(IndexFile& index, std::u16string_view term) {
  if (!index.isValid()) return {};
  std::optional<IndexSession> session = index.beginRead();
  if (!session) return {};
  return admittedPostings(*session, term, DocumentFilter{});
}

}  // namespace brambel
