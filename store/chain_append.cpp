#include "store/chain_append.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "store/index_file.h"
#include "store/index_session.h"

namespace brambel {

ChainAppend::ChainAppend(IndexSession& session, ChainTails& tails)
    : session_(session), tails_(tails), weighted_(session.index().weighted()) {}

std::optional<RecordAddress> ChainAppend::create(std::span<const Posting> postings, uint32_t& capacity) {
  IdBlock first(IndexSession::kFirstBlockCapacity, weighted_);
  while (!postings.empty() && first.add(postings.front())) postings = postings.subspan(1);
  if (first.freeSlots() == 0 && !postings.empty()) {
    // The rest goes into further blocks, written before the first links them.
    if (session_.writeIdBlock(first).isNone()) return std::nullopt;
    TermRecord holder;
    holder.firstIdBlock = first.address;
    holder.firstBlockCapacity = first.capacity();
    if (!append(holder, postings)) return std::nullopt;
  } else if (session_.writeIdBlock(first).isNone()) {
    return std::nullopt;
  }
  session_.setPriority(first.address, static_cast<uint32_t>(first.usedSlots() + postings.size()));
  capacity = first.capacity();
  return first.address;
}

IdBlock ChainAppend::start(const TermRecord& term, uint32_t& postingsBefore) {
  postingsBefore = 0;
  if (auto tail = tails_.find(term.firstIdBlock)) {
    IdBlock block = session_.readIdBlock(tail->address, tail->capacity);
    // A deflated tail moves when rewritten, which would need its predecessor.
    if (!block.address.isNone() && !block.deflated) {
      postingsBefore = tail->postingsBefore;
      return block;
    }
    tails_.forget(term.firstIdBlock);
  }
  if (term.firstIdBlock.isNullLink()) return IdBlock(0, weighted_);
  return session_.readIdBlock(term.firstIdBlock, term.firstBlockCapacity);
}

bool ChainAppend::append(const TermRecord& term, std::span<const Posting> postings) {
  if (postings.empty()) return true;
  std::vector<IdBlock> chain;
  std::vector<bool> changed;
  std::unordered_set<uint64_t> seen;
  uint32_t postingsBefore = 0;
  IdBlock block = start(term, postingsBefore);
  uint64_t total = postingsBefore;
  for (;;) {
    // Writing over a block that cannot be read would lose what it holds.
    if (block.address.isNone() || !seen.insert(block.address.value).second) return false;
    bool filled = false;
    while (!postings.empty() && block.add(postings.front())) {
      postings = postings.subspan(1);
      filled = true;
    }
    total += block.usedSlots();
    const RecordAddress next = block.next;
    const uint32_t nextCapacity = block.nextCapacity;
    chain.push_back(std::move(block));
    changed.push_back(filled);
    if (postings.empty() || next.isNullLink()) break;
    block = session_.readIdBlock(next, nextCapacity);
  }
  // New blocks for what is left; written (appended) before anything links them.
  std::vector<IdBlock> grown;
  uint32_t lastCapacity = chain.back().capacity();
  while (!postings.empty()) {
    lastCapacity = IdBlock::grownCapacity(lastCapacity, session_.index().clusterSize());
    IdBlock block(lastCapacity, weighted_);
    while (!postings.empty() && block.add(postings.front())) postings = postings.subspan(1);
    total += block.usedSlots();
    grown.push_back(std::move(block));
  }
  for (size_t i = grown.size(); i-- > 0;) {
    if (i + 1 < grown.size()) {
      grown[i].next = grown[i + 1].address;
      grown[i].nextCapacity = grown[i + 1].capacity();
    }
    if (session_.writeIdBlock(grown[i]).isNone()) return false;
  }
  if (!grown.empty()) {
    chain.back().next = grown.front().address;
    chain.back().nextCapacity = grown.front().capacity();
    changed.back() = true;
  }
  // Rewrite changed blocks from the end; a block that moved (stored deflated)
  // makes its predecessor change too.
  for (size_t i = chain.size(); i-- > 0;) {
    if (!changed[i]) continue;
    RecordAddress before = chain[i].address;
    RecordAddress after = session_.writeIdBlock(chain[i]);
    if (after.isNone()) return false;
    if (after != before) {
      if (i == 0) return false;  // appends never start from a deflated block
      chain[i - 1].next = after;
      changed[i - 1] = true;
    }
  }
  const IdBlock& tail = grown.empty() ? chain.back() : grown.back();
  session_.setPriority(tail.address, static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX)));
  const uint64_t before = total - tail.usedSlots();
  if (before >= ChainTails::kWorthRemembering && !tail.deflated) {
    tails_.remember(term.firstIdBlock, {tail.address, tail.capacity(),
                                             static_cast<uint32_t>(std::min<uint64_t>(before, UINT32_MAX))});
  }
  return true;
}

}  // namespace brambel
