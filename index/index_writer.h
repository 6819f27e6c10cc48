#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "index/document_indexer.h"
#include "index/document_term_counter.h"
#include "index/term_filter.h"
#include "index/term_interner.h"
#include "index/work_yielder.h"
#include "platform/file.h"
#include "store/chain_tail_table.h"
#include "store/file_io.h"
#include "store/index_file.h"

namespace brambel {

struct IndexWriterOptions {
  // Buffered postings and terms are written once they take this much memory.
  uint64_t memoryBudget = uint64_t{64} << 20;
  TermFilterOptions filter;
  // "globalIndexSleepInterval": adding documents sleeps 1 ms after this
  // much work so that it never monopolises the processor; 0 = never.
  std::chrono::milliseconds yieldInterval{0};
};

// Adds documents to a main index in batches. Documents are buffered in
// memory (each distinct term once, interned; one (term, document, weight)
// entry per posting) until the buffer reaches its memory budget or flush()
// is called; a flush then adds the whole batch in one write session: the
// distinct terms are sorted once and merged into the tree in one walk, each
// term's postings appended once, in document order.
//
// A document's postings are durable when the flush that holds them returns
// true; only then is the flushed callback told its id (the caller marks it
// indexed there), so a crash before that re-indexes it rather than losing it.
// One writer object per index file; its calls may come from several threads
// (they take turns, a flush holding up the others). Other handles and
// processes may write the file between flushes (the writer then forgets
// what it knew about the file).
class IndexWriter {
 public:
  // Receives the ids of the documents whose postings a flush made durable,
  // in the order they were added. It runs inside the flush and must not
  // call the writer.
  using FlushedCallback = std::function<void(std::span<const uint32_t> documentIds)>;

  // `index` must be a writable main index (cached I/O).
  IndexWriter(IndexFile& index, IndexWriterOptions options = {}, FlushedCallback flushed = {});
  // Flushes what is still buffered.
  ~IndexWriter();
  IndexWriter(const IndexWriter&) = delete;
  IndexWriter& operator=(const IndexWriter&) = delete;

  // Buffers the terms of a document's text, as the term filter keeps them,
  // each weighted by its number of occurrences in the text. False when the
  // flush that the budget called for failed (the document stays buffered).
  bool addText(uint32_t documentId, std::u16string_view text);
  // Buffers ready-made weighted terms of one document (a term listed twice
  // gets one posting with the summed weight). Terms that cannot be stored are
  // left out.
  bool addTerms(uint32_t documentId, std::span<const WeightedTerm> terms);
  // Writes everything buffered; true when there was nothing to write or it
  // is all durable. On failure the batch stays buffered.
  bool flush();

  size_t bufferedDocuments() const;
  size_t bufferedPostings() const;
  // Memory the buffer takes, as the budget counts it (the flush's sorting
  // space included).
  uint64_t bufferedBytes() const;

  struct Totals {
    uint64_t flushes = 0;
    uint64_t documents = 0;
    uint64_t postings = 0;
    // Terms left out because their part of the index could not be read.
    uint64_t skippedTerms = 0;
  };
  Totals totals() const;

 private:
  struct BufferedPosting {
    uint32_t term;
    uint32_t document;
    float weight;
  };

  // The helpers below expect mutex_ to be held.
  // Room in the posting buffer (reserved for the whole budget) for
  // `postings` more, flushing when there is none; false when that flush failed.
  bool makeRoom(size_t postings);
  void bufferPosting(std::u16string_view term, uint32_t documentId, float weight);
  uint64_t bytesBuffered() const;
  bool finishDocument(uint32_t documentId);
  bool flushBuffered();
  bool writeBatch();

  mutable std::mutex mutex_;
  IndexFile& index_;
  IndexWriterOptions options_;
  WorkYielder yielder_;
  FlushedCallback flushed_;
  TermFilter filter_;
  DocumentTermCounter counter_;
  TermInterner terms_;
  std::vector<BufferedPosting> postings_;
  std::vector<uint32_t> documents_;
  std::vector<uint32_t> lastPosting_;  // per term: index of its latest posting + 1
  size_t documentStart_ = 0;           // first posting of the document being added
  ChainTailTable tails_;
  // The section as this writer left it; the tails are only good while it stays so.
  std::optional<SectionVersion> knownVersion_;
  Totals totals_;
};

}  // namespace brambel
