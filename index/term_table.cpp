#include "index/term_table.h"

#include <limits>

#include "index/index_query.h"
#include "index/term_weight.h"
#include "store/index_session.h"

namespace brambel {

std::vector<WeightedTerm> TermTable::WeightedTerms() const {
  std::vector<WeightedTerm> terms;
  for (std::u16string& term : TermsWithPrefix(u"")) {
    const float weight = TermWeight(term);
    terms.push_back({std::move(term), weight});
  }
  return terms;
}

DocumentTermTable::DocumentTermTable(const TermOffsets& map) : map_(map) {
  for (const auto& [term, positions] : map_.terms())
    occurrences_ += static_cast<uint32_t>(positions.size());
}

std::vector<std::u16string> DocumentTermTable::TermsWithPrefix(std::u16string_view prefix) const {
  return map_.TermsWithPrefix(prefix);
}

size_t DocumentTermTable::TermCount() const { return map_.TermCount(); }

std::optional<std::vector<Posting>> DocumentTermTable::FindTerm(std::u16string_view term) const {
  const std::vector<uint32_t>* positions = map_.FindTerm(term);
  if (!positions) return std::nullopt;
  std::vector<Posting> entry;
  entry.reserve(positions->size());
  for (uint32_t position : *positions) entry.push_back({position, 0.0f});
  return entry;
}

float DocumentTermTable::TermWeight(std::u16string_view term) const {
  const std::vector<uint32_t>* positions = map_.FindTerm(term);
  return positions ? brambel::TermWeight(static_cast<uint32_t>(positions->size()), occurrences_) : 0.0f;
}

std::vector<WeightedTerm> DocumentTermTable::WeightedTerms() const {
  std::vector<WeightedTerm> terms;
  terms.reserve(map_.TermCount());
  for (const auto& [term, positions] : map_.terms())
    terms.push_back({term, brambel::TermWeight(static_cast<uint32_t>(positions.size()), occurrences_)});
  return terms;
}

std::vector<std::u16string> StoredTermTable::TermsWithPrefix(std::u16string_view prefix) const {
  std::vector<std::u16string> terms;
  for (StoredTerm& stored : ListStoredTerms(index_, prefix, std::numeric_limits<size_t>::max()))
    terms.push_back(std::move(stored.term));
  return terms;
}

size_t StoredTermTable::TermCount() const {
  return ListStoredTerms(index_, u"", std::numeric_limits<size_t>::max()).size();
}

std::optional<std::vector<Posting>> StoredTermTable::FindTerm(std::u16string_view term) const {
  if (!index_.isValid()) return std::nullopt;
  std::optional<IndexSession> session = index_.beginRead();
  if (!session) return std::nullopt;
  std::optional<TermRecord> record = session->findTerm(term);
  if (!record) return std::nullopt;
  return session->postingsOf(*record);
}


bool AddDocument(IndexFile& index, const TermTable& table, uint32_t documentId,
                 const IndexingOptions& options) {
  return AddDocument(index, table.WeightedTerms(), documentId, options);
}

}  // namespace brambel
