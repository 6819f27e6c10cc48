#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "store/id_block.h"
#include "store/index_file.h"

namespace brambel {

class IndexSession;

using DocumentIdSet = std::unordered_set<uint32_t>;

// Which documents a lookup may return: only those of `restriction` (when
// given) and none of `exclusion` (when given). Id 0 never counts: it marks
// postings without a document (ensured terms, removed documents).
struct DocumentFilter {
  const DocumentIdSet* restriction = nullptr;
  const DocumentIdSet* exclusion = nullptr;

  bool admits(uint32_t id) const {
    return id != 0 && (!restriction || restriction->count(id) != 0) &&
           (!exclusion || exclusion->count(id) == 0);
  }
};

struct ScoredHit {
  uint32_t id = 0;
  float score = 0.0f;
  friend bool operator==(const ScoredHit&, const ScoredHit&) = default;
};

struct StoredTerm {
  std::u16string term;
  uint64_t count = 0;  // postings that pass the filter (only when counted)
};

// The postings of `term` that pass `filter`. When none remain and `completed`
// is given, the first stored term that begins with `term` and has postings
// passing the filter stands in for it: it is handed out through `completed`
// and its postings are returned.
std::vector<Posting> LookupTerm(IndexSession& session, std::u16string_view term,
                                const DocumentFilter& filter, std::u16string* completed = nullptr);

// Ranks documents by the summed weights of the query terms they hold.
// Terms may carry "+" (must occur, the default) or "-" (must not occur), and
// the phrase quotes of ParseQuery, which count as "+" here. A plain term
// that no document holds empties the result. Only the last term is
// completed (through `completed`) when it has no postings. Hits come
// best first (ties by ascending id), at most `maximum` of them. False with
// no hits when the index is invalid or cannot be read.
bool QueryIndex(IndexFile& index, std::span<const std::u16string> terms, std::vector<ScoredHit>& hits,
                size_t maximum, std::u16string* completed = nullptr,
                const DocumentIdSet* exclusion = nullptr, const DocumentIdSet* restriction = nullptr);

// Stored terms beginning with `prefix` (all terms for an empty prefix), in
// key order, at most `maximum`. With `counted`, a term is listed only when
// some posting passes `filter`, and their number comes with it.
std::vector<StoredTerm> ListStoredTerms(IndexSession& session, std::u16string_view prefix,
                                        size_t maximum, bool counted = false,
                                        const DocumentFilter& filter = {});
std::vector<StoredTerm> ListStoredTerms(IndexFile& index, std::u16string_view prefix,
                                        size_t maximum, bool counted = false,
                                        const DocumentFilter& filter = {});

// Every posting of one term that belongs to a document (id not 0), in the
// order stored. Empty when the term is not stored or the index cannot be read.
std::vector<Posting> PostingsOf(IndexFile& index, std::u16string_view term);

}  // namespace brambel
