#include "store/index_session.h"

#include <algorithm>
#include <unordered_set>

#include "store/chain_append.h"
#include "store/index_file.h"
#include "store/tree_insert.h"

namespace brambel {
namespace {

bool startsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

IndexSession::IndexSession(IndexFile& index, File handle, bool writer, const IndexHeader& header)
    : index_(&index),
      handle_(std::move(handle)),
      writer_(writer),
      header_(header),
      startVersion_(sectionVersion(handle_, header)) {
  if (writer_) chainTails_ = index_->borrowChainTails(startVersion_);
  index_->io_->attach(handle_, writer_, startVersion_);
  fileSize_ = startVersion_.size;
}

IndexSession::IndexSession(IndexSession&& other) noexcept
    : index_(other.index_),
      handle_(std::move(other.handle_)),
      writer_(other.writer_),
      header_(other.header_),
      startVersion_(other.startVersion_),
      changing_(other.changing_),
      fileSize_(other.fileSize_),
      chainTails_(std::move(other.chainTails_)) {}

IndexSession::~IndexSession() { finish(); }

bool IndexSession::beginChange() {
  if (!writer_) return false;
  if (changing_) return true;
  ++header_.changeCount;
  changing_ = index_->writeHeader(handle_, header_);
  return changing_;
}

bool IndexSession::finish() {
  if (!handle_.isOpen()) return true;
  bool written = true;
  if (changing_) {
    // The header goes after every record (a raw write flushes the cache first).
    ++header_.changeCount;
    written = index_->writeHeader(handle_, header_);
  }
  // A reader leaves the section as it found it (and spares the file status calls).
  const SectionVersion left = writer_ ? sectionVersion(handle_, header_) : startVersion_;
  written = index_->io_->release(handle_, writer_, left) && written;
  if (writer_) index_->returnChainTails(std::move(chainTails_), written ? std::optional(left) : std::nullopt);
  handle_.close();
  return written;
}

bool IndexSession::commitBatch(BlockWriteBack& writes, RecordAddress root) {
  if (!beginChange()) return false;
  IndexHeader next = header_;
  next.root = root;
  ++next.changeCount;
  const auto bytes = next.encode();
  const auto previous = header_.encode();
  const bool committed = writes.commit(index_->base(), bytes, previous);
  // Blocks rewritten before a failure are stale in the cache too.
  index_->io_->forgetBlocks(writes.rewrittenBlocks());
  if (!committed) return false;
  header_ = next;
  changing_ = false;  // the closing header is on disk already
  index_->setRoot(root);
  return true;
}

SectionVersion IndexSession::currentVersion() const { return sectionVersion(handle_, header_); }

// A reader's cached copy of a block may predate records another process
// appended to it since; a record that reads as missing or blank is read once
// more from disk before it counts as absent.

std::optional<IndexNode> IndexSession::readNode(RecordAddress address) {
  IndexNode node(index_->geometry());
  FileIo& io = *index_->io_;
  bool read = io.readNode(handle_, address, node);
  // Only the root may hold no keys.
  if ((!read || node.keyCount == 0) && address != root() && io.reload(handle_, address)) {
    read = io.readNode(handle_, address, node);
  }
  if (!read) return std::nullopt;
  return node;
}

std::optional<TermRecord> IndexSession::readTermRecord(RecordAddress address) {
  FileIo& io = *index_->io_;
  auto record = io.readTermRecord(handle_, address);
  if (!record && io.reload(handle_, address)) record = io.readTermRecord(handle_, address);
  return record;
}

IdBlock IndexSession::readIdBlock(RecordAddress address, uint32_t knownCapacity) {
  FileIo& io = *index_->io_;
  auto block = io.readIdBlock(handle_, address, knownCapacity, index_->weighted());
  if (!block && io.reload(handle_, address)) block = io.readIdBlock(handle_, address, knownCapacity, index_->weighted());
  if (block) return *block;
  const uint32_t largest = IdBlock::largestCapacity(index_->clusterSize());
  uint32_t capacity = knownCapacity != 0 && knownCapacity <= largest ? knownCapacity : kFirstBlockCapacity;
  return IdBlock(capacity, index_->weighted());
}

RecordAddress IndexSession::writeNode(IndexNode& node) {
  if (!beginChange()) return RecordAddress::none();
  return index_->io_->writeNode(handle_, node);
}

RecordAddress IndexSession::writeTermRecord(TermRecord& record) {
  if (!beginChange()) return RecordAddress::none();
  return index_->io_->writeTermRecord(handle_, record);
}

RecordAddress IndexSession::writeIdBlock(IdBlock& block) {
  if (!beginChange()) return RecordAddress::none();
  return index_->io_->writeIdBlock(handle_, block);
}

void IndexSession::setPriority(RecordAddress address, uint32_t priority) {
  index_->io_->setPriority(address, priority);
}

uint32_t IndexSession::liveKeyCount(const IndexNode& node, std::optional<std::u16string_view> upperBound) {
  if (!upperBound) return node.keyCount;
  return node.lowerBound(*upperBound, node.keyCount);
}

IndexSession::KeyLookup IndexSession::lookupKey(std::u16string_view key) {
  const uint32_t p = index_->prefixLength();
  key = keyOf(key, p);
  std::optional<std::u16string> upper;
  RecordAddress address = root();
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    auto node = readNode(address);
    if (!node) return {KeyState::Unreadable, {}};
    uint32_t live = liveKeyCount(*node, upper);
    uint32_t i = node->lowerBound(key, live);
    if (i < live && compareKeys(node->key(i), key, p) == 0) {
      if (node->keyIsFull(i)) {
        auto record = readTermRecord(node->value(i));
        if (!record) return {KeyState::Unreadable, {}};
        return {KeyState::Found, std::move(*record)};
      }
      TermRecord record;
      record.firstIdBlock = node->value(i);
      return {KeyState::Found, std::move(record)};
    }
    if (node->isLeaf()) return {KeyState::Absent, {}};
    if (i < live) upper = std::u16string(node->key(i));
    address = node->child(i);
  }
  return {KeyState::Unreadable, {}};
}

std::optional<TermRecord> IndexSession::termRecordFor(std::u16string_view key) {
  KeyLookup found = lookupKey(key);
  if (found.state != KeyState::Found) return std::nullopt;
  return std::move(found.record);
}

std::optional<TermRecord> IndexSession::findTerm(std::u16string_view term) {
  const uint32_t p = index_->prefixLength();
  auto record = termRecordFor(term);
  if (!record || term.size() < p) return record;
  std::u16string_view suffix = term.substr(p);
  std::unordered_set<uint64_t> seen;
  while (record->suffix != suffix) {
    if (record->next.isNullLink() || !seen.insert(record->next.value).second) return std::nullopt;
    record = readTermRecord(record->next);
    if (!record) return std::nullopt;
  }
  return record;
}

std::vector<Posting> IndexSession::postingsOf(const TermRecord& term) {
  std::vector<Posting> postings;
  std::unordered_set<uint64_t> seen;
  RecordAddress address = term.firstIdBlock;
  uint32_t capacity = term.firstBlockCapacity;
  while (!address.isNullLink() && seen.insert(address.value).second) {
    IdBlock block = readIdBlock(address, capacity);
    if (block.address.isNone()) break;
    auto filled = block.postings();
    postings.insert(postings.end(), filled.begin(), filled.end());
    address = block.next;
    capacity = block.nextCapacity;
  }
  return postings;
}

bool IndexSession::appendPostings(const TermRecord& term, std::span<const Posting> postings) {
  return ChainAppend(*this, chainTails_).append(term, postings);
}

RecordAddress IndexSession::createValue(std::u16string_view term, std::span<const Posting> postings) {
  const uint32_t p = index_->prefixLength();
  uint32_t capacity = 0;
  auto first = ChainAppend(*this, chainTails_).create(postings, capacity);
  if (!first) return RecordAddress::none();
  if (term.size() < p) return *first;
  TermRecord record;
  record.firstIdBlock = *first;
  record.firstBlockCapacity = capacity;
  record.suffix = std::u16string(term.substr(p));
  return writeTermRecord(record);
}

std::optional<TermRecord> IndexSession::appendToChain(TermRecord& last, std::u16string_view term,
                                                      std::span<const Posting> postings) {
  const uint32_t p = index_->prefixLength();
  if (!writer_ || last.address.isNone() || term.size() < p || !isStorableTerm(term)) return std::nullopt;
  uint32_t capacity = 0;
  auto first = ChainAppend(*this, chainTails_).create(postings, capacity);
  if (!first) return std::nullopt;
  TermRecord record;
  record.firstIdBlock = *first;
  record.firstBlockCapacity = capacity;
  record.suffix = std::u16string(term.substr(p));
  if (writeTermRecord(record).isNone()) return std::nullopt;
  last.next = record.address;
  if (writeTermRecord(last).isNone()) return std::nullopt;
  return record;
}

bool IndexSession::addPostings(std::u16string_view term, std::span<const Posting> postings, SplitMode mode) {
  if (!writer_ || !isStorableTerm(term)) return false;
  const uint32_t p = index_->prefixLength();
  KeyLookup found = lookupKey(term);
  if (found.state == KeyState::Unreadable) return false;
  if (found.state == KeyState::Absent) return insertTerm(term, postings, mode);
  std::optional<TermRecord> record = std::move(found.record);
  if (term.size() < p) return appendPostings(*record, postings);
  std::u16string_view suffix = term.substr(p);
  std::unordered_set<uint64_t> seen;
  while (record->suffix != suffix) {
    if (record->next.isNullLink()) return appendToChain(*record, term, postings).has_value();
    if (!seen.insert(record->next.value).second) return false;
    record = readTermRecord(record->next);
    if (!record) return false;
  }
  return appendPostings(*record, postings);
}

bool IndexSession::insertTerm(std::u16string_view term, std::span<const Posting> postings, SplitMode mode) {
  if (!writer_ || !isStorableTerm(term)) return false;
  return TreeInsert(*this, mode).insert(term, postings);
}

bool IndexSession::replaceRoot(RecordAddress root) {
  IndexHeader split = header_;
  split.root = root;
  if (!index_->writeHeader(handle_, split)) return false;
  header_ = split;
  index_->setRoot(root);
  return true;
}

void IndexSession::forEachTerm(std::u16string_view prefix, const TermVisitor& visit) {
  std::unordered_set<uint64_t> visited;
  walk(root(), prefix, std::nullopt, 0, visit, visited);
}

bool IndexSession::walk(RecordAddress address, std::u16string_view prefix, std::optional<std::u16string> upperBound,
                        int depth, const TermVisitor& visit, std::unordered_set<uint64_t>& visited) {
  const uint32_t p = index_->prefixLength();
  if (depth >= kMaxDepth || !visited.insert(address.value).second) return true;
  auto node = readNode(address);
  if (!node) return true;
  std::u16string_view prefixKey = keyOf(prefix, p);
  uint32_t live = liveKeyCount(*node, upperBound);
  for (uint32_t i = node->lowerBound(prefixKey, live); i <= live; ++i) {
    if (!node->isLeaf() && i < node->childCount) {
      std::optional<std::u16string> childUpper = i < live ? std::optional(std::u16string(node->key(i))) : upperBound;
      if (!walk(node->child(i), prefix, childUpper, depth + 1, visit, visited)) return false;
    }
    if (i == live) break;
    std::u16string key(node->key(i));
    if (!startsWith(key, prefixKey)) return false;
    if (!node->keyIsFull(i)) {
      TermRecord record;
      record.firstIdBlock = node->value(i);
      if (startsWith(key, prefix) && !visit(key, record)) return false;
      continue;
    }
    std::unordered_set<uint64_t> seen;
    RecordAddress next = node->value(i);
    while (!next.isNullLink() && seen.insert(next.value).second) {
      auto record = readTermRecord(next);
      if (!record) break;
      std::u16string term = key + record->suffix;
      if (startsWith(term, prefix) && !visit(term, *record)) return false;
      next = record->next;
    }
  }
  return true;
}

}  // namespace brambel
