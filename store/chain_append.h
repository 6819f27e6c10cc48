#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "store/chain_tails.h"
#include "store/id_block.h"
#include "store/record_address.h"
#include "store/term_record.h"

namespace brambel {

class IndexSession;

// Writes a term's id-block chain record by record through a writer session:
// an append fills the free slots of the chain's last block and grows the
// chain by blocks of 16 times the last capacity (at most what fits a
// cluster); new blocks are written before anything links them. Where long
// chains end is remembered in `tails`, so that an append reads the chain's
// last block, not all of it.
class ChainAppend {
 public:
  ChainAppend(IndexSession& session, ChainTails& tails);

  // A new chain holding `postings`: its first block, whose capacity goes to `capacity`.
  std::optional<RecordAddress> create(std::span<const Posting> postings, uint32_t& capacity);
  // False when the chain cannot be read (nothing is then written over it).
  bool append(const TermRecord& term, std::span<const Posting> postings);

 private:
  // The block an append starts from: the chain's remembered tail when it is
  // still good, else its first block (an unreadable one has no address).
  IdBlock start(const TermRecord& term, uint32_t& postingsBefore);

  IndexSession& session_;
  ChainTails& tails_;
  bool weighted_;
};

}  // namespace brambel
