#include "index/document_indexer.h"

#include <optional>

#include "index/index_writer.h"
#include "store/index_session.h"

namespace brambel {

bool AddDocuments(IndexFile& index, std::vector<DocumentTerms> documents, const IndexingOptions& options) {
  if (!index.isValid() || index.isReadOnly()) return false;
  size_t postings = 0;
  for (const DocumentTerms& document : documents) postings += document.terms.size();
  IndexWriterOptions writerOptions;
  writerOptions.yieldInterval = options.yieldInterval;
  // Room for the whole batch, so that it goes in one flush; no more, as the
  // writer sets its buffer aside for the budget at once.
  writerOptions.memoryBudget = (uint64_t{postings} + 1024) * 256;
  IndexWriter writer(index, std::move(writerOptions));
  bool buffered = true;
  for (const DocumentTerms& document : documents) buffered &= writer.addTerms(document.documentId, document.terms);
  // A term left out because its part of the tree could not be read is a failure here.
  return writer.flush() && buffered && writer.totals().skippedTerms == 0;
}

bool AddDocument(IndexFile& index, std::vector<WeightedTerm> terms, uint32_t documentId,
                 const IndexingOptions& options) {
  std::vector<DocumentTerms> batch(1);
  batch[0] = {documentId, std::move(terms)};
  return AddDocuments(index, std::move(batch), options);
}

bool EnsureTerm(IndexFile& index, std::u16string_view term) {
  if (!index.isValid() || index.isReadOnly() || !isStorableTerm(term)) return false;
  std::optional<IndexSession> session = index.beginWrite();
  if (!session) return false;
  if (session->findTerm(term)) return true;
  const Posting none{0, 0.0f};
  return session->addPostings(term, std::span<const Posting>(&none, 1));
}

}  // namespace brambel
