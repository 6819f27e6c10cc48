#pragma once

#include <cstdint>

namespace brambel {

// The weight stored with a document's posting for one term, from how often
// the term occurs in the document and how many term occurrences the document
// has in all.
//
// Repeats count with diminishing returns (a saturating term frequency,
// k1 = 1.2), and a long document needs more repeats than a short one to
// reach the same weight (length normalisation against a typical page of
// kReferenceLength terms, b = 0.75). The weight lies in [0, 2.2), so a
// query's summed weights stay small enough for scores of weight × 1000.
float TermWeight(uint32_t occurrences, uint32_t documentLength);

inline constexpr uint32_t kReferenceLength = 400;

}  // namespace brambel
