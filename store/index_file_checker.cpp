#include "store/index_file_checker.h"

#include <optional>
#include <unordered_set>

#include "store/index_file.h"
#include "store/index_session.h"

namespace brambel {
namespace {

std::string hex(RecordAddress address) {
  char text[24];
  snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(address.value));
  return text;
}

// Walks one section and records what it finds.
class SectionChecker {
 public:
  SectionChecker(IndexSession& session, IndexCheckReport& report, size_t maxMessages)
      : session_(session),
        io_(session.index().fileIo()),
        p_(session.index().prefixLength()),
        report_(report),
        maxMessages_(maxMessages) {}

  void run() { checkNode(session_.root(), std::nullopt, std::nullopt, 1); }

 private:
  void damage(std::string message) {
    if (report_.damage.size() < maxMessages_) report_.damage.push_back(std::move(message));
  }

  void checkNode(RecordAddress address, std::optional<std::u16string> lower, std::optional<std::u16string> upper,
                 uint32_t depth) {
    if (depth > static_cast<uint32_t>(IndexSession::kMaxDepth)) return damage("tree deeper than any sound tree at " + hex(address));
    if (!visitedNodes_.insert(address.value).second) return damage("node " + hex(address) + " is reached twice");
    auto node = session_.readNode(address);
    if (!node) return damage("node " + hex(address) + " is unreadable or outside the file");
    ++report_.nodes;
    report_.depth = std::max(report_.depth, depth);

    uint32_t live = IndexSession::liveKeyCount(*node, upper);
    if (live < node->keyCount && report_.notes.size() < maxMessages_) {
      report_.notes.push_back("node " + hex(address) + " still holds " + std::to_string(node->keyCount - live) +
                              " keys of a split cut short");
    }
    if (node->isLeaf()) {
      if (!leafDepth_) leafDepth_ = depth;
      if (*leafDepth_ != depth) damage("leaf " + hex(address) + " at depth " + std::to_string(depth) + ", others at " + std::to_string(*leafDepth_));
    } else if (node->childCount < live + 1) {
      return damage("inner node " + hex(address) + " has fewer children than keys");
    }

    for (uint32_t i = 0; i < live; ++i) {
      std::u16string_view key = node->key(i);
      ++report_.keys;
      if (key.empty()) damage("node " + hex(address) + " holds an empty key");
      if (i > 0 && compareKeys(node->key(i - 1), key, p_) >= 0) damage("keys out of order in node " + hex(address));
      if (lower && compareKeys(key, *lower, p_) <= 0) damage("key below its subtree's range in node " + hex(address));
      if (node->keyIsFull(i)) {
        checkTermChain(node->value(i));
      } else {
        ++report_.terms;
        checkIdChain(node->value(i), 0);
      }
    }
    if (node->isLeaf()) return;
    for (uint32_t i = 0; i <= live; ++i) {
      std::optional<std::u16string> childLower = i > 0 ? std::optional(std::u16string(node->key(i - 1))) : lower;
      std::optional<std::u16string> childUpper = i < live ? std::optional(std::u16string(node->key(i))) : upper;
      checkNode(node->child(i), childLower, childUpper, depth + 1);
    }
  }

  void checkTermChain(RecordAddress address) {
    std::unordered_set<uint64_t> seen;
    std::unordered_set<std::u16string> suffixes;
    while (!address.isNullLink()) {
      if (!seen.insert(address.value).second) return damage("term chain loops at " + hex(address));
      auto record = session_.readTermRecord(address);
      if (!record) return damage("term record " + hex(address) + " is unreadable or outside the file");
      ++report_.termRecords;
      ++report_.terms;
      if (!suffixes.insert(record->suffix).second) damage("term record " + hex(address) + " repeats a term of its chain");
      checkIdChain(record->firstIdBlock, record->firstBlockCapacity);
      address = record->next;
    }
  }

  void checkIdChain(RecordAddress address, uint32_t knownCapacity) {
    std::unordered_set<uint64_t> seen;
    if (address.isNullLink()) return damage("term without an id block");
    while (!address.isNullLink()) {
      if (!seen.insert(address.value).second) return damage("id-block chain loops at " + hex(address));
      auto block = io_.readIdBlock(session_.handle(), address, knownCapacity, session_.index().weighted());
      if (!block) return damage("id block " + hex(address) + " is unreadable, empty or outside the file");
      ++report_.idBlocks;
      if (knownCapacity != 0 && knownCapacity != block->capacity()) {
        damage("id block " + hex(address) + " has capacity " + std::to_string(block->capacity()) + ", its link says " +
               std::to_string(knownCapacity));
      }
      report_.postings += block->usedSlots();
      address = block->next;
      knownCapacity = block->nextCapacity;
    }
  }

  IndexSession& session_;
  FileIo& io_;
  uint32_t p_;
  IndexCheckReport& report_;
  size_t maxMessages_;
  std::unordered_set<uint64_t> visitedNodes_;
  std::optional<uint32_t> leafDepth_;
};

}  // namespace

IndexCheckReport checkIndexFile(const std::filesystem::path& path, uint64_t base, bool cached, size_t maxMessages) {
  IndexCheckReport report;
  IndexFileOptions options;
  options.readOnly = true;
  options.cached = cached;
  options.cacheSize = 1048576;
  IndexFile index(path, base, options);
  if (!index.isValid()) {
    report.damage.push_back("the section header is missing, unreadable or invalid");
    return report;
  }
  auto session = index.beginRead();
  if (!session) {
    report.damage.push_back("the file cannot be opened for reading");
    return report;
  }
  report.valid = true;
  SectionChecker(*session, report, maxMessages).run();
  return report;
}

}  // namespace brambel
