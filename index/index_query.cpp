#include "index/index_query.h"

#include <algorithm>
#include <unordered_map>

#include "index/term_lookup.h"
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

bool QueryIndex(IndexFile& index, std::span<const std::u16string> terms, std::vector<ScoredHit>& hits,
                size_t maximum, std::u16string* completed, const DocumentIdSet* exclusion,
                const DocumentIdSet* restriction) {
  hits.clear();
  if (!index.isValid()) return false;
  std::optional<IndexSession> session = index.beginRead();
  if (!session) return false;

  std::unordered_map<uint32_t, float> scores;
  bool firstStep = true;
  if (restriction) {
    for (uint32_t id : *restriction)
      if (id != 0) scores.emplace(id, 0.0f);
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

  DocumentIdSet current;
  for (const QueryWord* word : order) {
    if (word->text.empty()) continue;
    DocumentFilter filter{nullptr, exclusion};
    if (!firstStep) {
      current.clear();
      for (const auto& [id, score] : scores) current.insert(id);
      filter.restriction = &current;
    }
    std::vector<Posting> postings =
        LookupTerm(*session, word->text, filter,
                   word == lastWord && !word->excluded ? completed : nullptr);
    if (word->excluded) {
      for (const Posting& p : postings) scores.erase(p.id);
      continue;
    }
    std::unordered_map<uint32_t, float> next;
    for (const Posting& p : postings) {
      auto [entry, inserted] = next.try_emplace(p.id, 0.0f);
      if (inserted && !firstStep) entry->second = scores[p.id];
      entry->second += p.weight;
    }
    scores = std::move(next);
    firstStep = false;
  }

  hits.reserve(scores.size());
  for (const auto& [id, score] : scores) hits.push_back({id, score});
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
