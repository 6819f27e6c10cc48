#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/source_stats.h"

namespace brambel {

// Where the terms of one stored text occur: the sorted UTF-16 positions of a
// term, empty when it does not occur. Implemented over an in-memory document
// term map and over a stored per-document term table.
class TermPositions {
 public:
  virtual ~TermPositions() = default;
  virtual std::vector<uint32_t> positionsOf(std::u16string_view term) const = 0;
};

// Scores a stored text against query terms, -1 meaning "excluded".
//
// Terms carry the query markers: a leading '"' opens a phrase, a trailing '"'
// closes it, a leading '-' negates the term. Strict matching requires every
// plain term and rejects any negated term that occurs; otherwise negated
// terms are ignored and missing terms add nothing. The score adds, for
// consecutive terms, adjacency (occurrences next to each other, divided by W)
// and proximity (how early the first adjacent pair starts); strict matching
// also adds occurrence density and how early each term first occurs. A
// phrase whose terms never follow each other scores -1. A zero count simply
// leaves out the part it would divide.
float TermScore(const TermPositions& text, const SourceStats& stats,
                std::span<const std::u16string> terms, bool strict);

}  // namespace brambel
