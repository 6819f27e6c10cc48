#include "index/term_lookup.h"

#include "store/index_file.h"

namespace brambel {

namespace {

// Longest chain followed; longer means a cycle in damaged data.
constexpr int kMaxChainLength = 1 << 20;

class BatchLookup {
 public:
  BatchLookup(IndexSession& session, std::span<const std::u16string_view> terms)
      : session_(session), terms_(terms), prefixLength_(session.index().prefixLength()),
        results_(terms.size()) {}

  std::vector<TermLookup> run() {
    if (!terms_.empty()) visit(session_.root(), 0, terms_.size(), std::nullopt, 0);
    return std::move(results_);
  }

 private:
  int compareToKey(size_t term, std::u16string_view key) const {
    return compareKeys(keyOf(terms_[term], prefixLength_), key, prefixLength_);
  }

  // Resolves the terms [first, last) within the subtree at `address`, whose
  // keys lie below `upperBound`.
  void visit(RecordAddress address, size_t first, size_t last,
             std::optional<std::u16string> upperBound, int depth) {
    std::optional<IndexNode> node;
    if (depth <= IndexSession::kMaxDepth) node = session_.readNode(address);
    if (!node) {
      for (size_t term = first; term < last; ++term) results_[term].unreadable = true;
      return;
    }
    const uint32_t live = IndexSession::liveKeyCount(
        *node, upperBound ? std::optional<std::u16string_view>(*upperBound) : std::nullopt);
    size_t next = first;
    for (uint32_t k = 0; k < live && next < last; ++k) {
      const std::u16string_view key = node->key(k);
      size_t below = next;
      while (below < last && compareToKey(below, key) < 0) ++below;
      if (below > next && !node->isLeaf())
        visit(node->child(k), next, below, std::u16string(key), depth + 1);
      next = below;
      while (next < last && compareToKey(next, key) == 0) resolve(next++, *node, k);
    }
    if (next < last && !node->isLeaf() && live < node->childCount)
      visit(node->child(live), next, last, std::move(upperBound), depth + 1);
  }

  void resolve(size_t term, const IndexNode& node, uint32_t k) {
    TermLookup& result = results_[term];
    const std::u16string_view text = terms_[term];
    result.keyStored = true;
    if (!node.keyIsFull(k)) {
      TermRecord record;
      record.firstIdBlock = node.value(k);
      result.record = std::move(record);
      return;
    }
    const std::u16string_view suffix = text.substr(prefixLength_);
    std::optional<TermRecord> record = session_.readTermRecord(node.value(k));
    for (int hops = 0; record && hops < kMaxChainLength; ++hops) {
      if (record->suffix == suffix) {
        result.record = std::move(record);
        return;
      }
      if (record->next.isNullLink()) {
        result.chainEnd = std::move(record);
        return;
      }
      record = session_.readTermRecord(record->next);
    }
    result.unreadable = true;
  }

  IndexSession& session_;
  std::span<const std::u16string_view> terms_;
  uint32_t prefixLength_;
  std::vector<TermLookup> results_;
};

}  // namespace

std::vector<TermLookup> lookupSortedTerms(IndexSession& session,
                                          std::span<const std::u16string_view> sortedTerms) {
  return BatchLookup(session, sortedTerms).run();
}

}  // namespace brambel
