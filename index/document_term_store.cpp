#include "index/document_term_store.h"

#include <optional>
#include <vector>

#include "store/index_session.h"

namespace brambel {

bool StoreTermPositions(IndexFile& table, const TermOffsets& terms) {
  if (!table.isValid() || table.isReadOnly()) return false;
  std::optional<IndexSession> session = table.beginWrite();
  if (!session) return false;
  bool written = true;
  std::vector<Posting> postings;
  for (const auto& [term, positions] : terms.terms()) {
    if (!isStorableTerm(term)) continue;
    postings.clear();
    for (uint32_t position : positions) postings.push_back({position, 0.0f});
    written &= session->addPostings(term, postings, SplitMode::Append);
  }
  return written;
}

}  // namespace brambel
