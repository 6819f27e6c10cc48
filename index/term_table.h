#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/document_indexer.h"
#include "store/id_block.h"
#include "store/index_file.h"
#include "store/term_offsets.h"

namespace brambel {

// What an in-memory document term map and a stored term table have in
// common, so that either can be added to the index or queried alike.
class TermTable {
 public:
  virtual ~TermTable() = default;

  // Every term whose first units equal `prefix`, in code-unit order.
  virtual std::vector<std::u16string> TermsWithPrefix(std::u16string_view prefix) const = 0;
  virtual size_t TermCount() const = 0;
  // The entry of a term: positions (a document map) or postings (a stored
  // table); nothing when the term is absent.
  virtual std::optional<std::vector<Posting>> FindTerm(std::u16string_view term) const = 0;
  // The weight of the term in this document; 0 for a stored table.
  virtual float TermWeight(std::u16string_view term) const = 0;

  // Every term with its weight, in code-unit order.
  virtual std::vector<WeightedTerm> WeightedTerms() const;
};

// A document's term map (term → positions): a term's weight grows with its
// number of positions, against the document's number of term occurrences.
class DocumentTermTable : public TermTable {
 public:
  explicit DocumentTermTable(const TermOffsets& map);

  std::vector<std::u16string> TermsWithPrefix(std::u16string_view prefix) const override;
  size_t TermCount() const override;
  std::optional<std::vector<Posting>> FindTerm(std::u16string_view term) const override;
  float TermWeight(std::u16string_view term) const override;
  std::vector<WeightedTerm> WeightedTerms() const override;

 private:
  const TermOffsets& map_;
  uint32_t occurrences_ = 0;
};

// The terms stored in an index section; every call runs its own read session.
class StoredTermTable : public TermTable {
 public:
  explicit StoredTermTable(IndexFile& index) : index_(index) {}

  std::vector<std::u16string> TermsWithPrefix(std::u16string_view prefix) const override;
  size_t TermCount() const override;
  std::optional<std::vector<Posting>> FindTerm(std::u16string_view term) const override;
  float TermWeight(std::u16string_view) const override { return 0.0f; }

 private:
  IndexFile& index_;
};

// Adds one posting (documentId, TermWeight of the term) per term of `table`.
bool AddDocument(IndexFile& index, const TermTable& table, uint32_t documentId,
                 const IndexingOptions& options = {});

}  // namespace brambel
