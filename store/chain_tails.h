#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "store/record_address.h"

namespace brambel {

// Where the id-block chains of a section end, so that appending to a long
// chain reads its last block instead of walking (and decoding) every block
// before it. In memory only; the file format does not change.
//
// Keyed by the address of a chain's first block, which a term keeps for
// life. Short chains are cheap to walk; remembering only those holding
// kWorthRemembering postings before their tail keeps the map to the
// frequent terms, a small part of a large library's vocabulary.
// A remembered tail is a hint that the appender checks: chains only grow at
// their end and plain blocks never move, so a tail that has since gained a
// successor is followed from there, and one that cannot be read or is stored
// deflated (deflated blocks move on every write) sends it back to the start.
// The owner drops every hint when someone else may have written the file.
class ChainTails {
 public:
  struct Tail {
    RecordAddress address;
    uint32_t capacity = 0;
    // Postings held by the blocks before the tail (the term's frequency
    // so far, which sets the cache priority of the blocks written).
    uint32_t postingsBefore = 0;
  };

  static constexpr uint32_t kWorthRemembering = 64;

  std::optional<Tail> find(RecordAddress first) const {
    auto found = tails_.find(first.value);
    if (found == tails_.end()) return std::nullopt;
    return found->second;
  }
  void remember(RecordAddress first, const Tail& tail) { tails_[first.value] = tail; }
  void forget(RecordAddress first) { tails_.erase(first.value); }
  void clear() { tails_.clear(); }
  size_t size() const { return tails_.size(); }

 private:
  std::unordered_map<uint64_t, Tail> tails_;
};

}  // namespace brambel
