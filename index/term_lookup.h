#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/index_session.h"
#include "store/term_record.h"

namespace brambel {

// Where one term of a batch stands in the tree before the batch is added.
struct TermLookup {
  // The term's own record when it is stored (built in memory for a term
  // shorter than the key prefix).
  std::optional<TermRecord> record;
  // For a long term whose key is stored but which is not in the key's
  // chain: the chain's last record, to which the term can be appended.
  std::optional<TermRecord> chainEnd;
  // The term's key is in the tree.
  bool keyStored = false;
  // The node or chain where the term would be could not be read: the term
  // can neither be found nor safely inserted (it may be there).
  bool unreadable = false;
};

// Looks up a batch of terms, sorted in ascending code-unit order, in one walk
// of the tree: every node is read at most once, and only the subtrees that
// can hold a term of the batch are entered. One result per term, in order.
std::vector<TermLookup> lookupSortedTerms(IndexSession& session,
                                          std::span<const std::u16string_view> sortedTerms);

}  // namespace brambel
