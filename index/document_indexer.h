#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/index_file.h"

namespace brambel {

// One term of a document with the weight its posting gets.
struct WeightedTerm {
  std::u16string term;
  float weight = 0.0f;
};

struct IndexingOptions {
  // "globalIndexSleepInterval": after this much work a batch update sleeps
  // for 1 ms so that it never monopolises the processor; 0 = never.
  std::chrono::milliseconds yieldInterval{0};
};

// Adds one posting (documentId, weight) per term to the index, in one write
// session of an IndexWriter: a term listed twice gets one posting with the
// summed weight; terms that cannot be keys (empty, holding a 0 unit, longer
// than the filter allows or than a record can hold) are skipped. Waits
// without limit for another writer. The three rate figures of the index are
// updated. False when the index is invalid or read-only, the file could not
// be written, or a term had to be left out because the part of the tree that
// holds it could not be read (storing it could store its key twice).
bool AddDocument(IndexFile& index, std::vector<WeightedTerm> terms, uint32_t documentId,
                 const IndexingOptions& options = {});

// The terms of one document of a batch.
struct DocumentTerms {
  uint32_t documentId = 0;
  std::vector<WeightedTerm> terms;
};

// Adds several documents in one write session: each term is written once for
// the whole batch, with the postings of every document of the batch that
// holds it (in batch order). Otherwise as AddDocument.
bool AddDocuments(IndexFile& index, std::vector<DocumentTerms> documents,
                  const IndexingOptions& options = {});

// Adds `term` with no document (id 0, weight 0) when it is not stored yet, so
// that it can be found and completed.
bool EnsureTerm(IndexFile& index, std::u16string_view term);

}  // namespace brambel
