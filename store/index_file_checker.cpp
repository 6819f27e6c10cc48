#include "store/index_file_checker.h"

#include <optional>
#include <unordered_set>

#include "store/index_file.h"
#include "store/index_session.h"

namespace brambel {
namespace {

// Keys in messages: ASCII as it stands, other units as \uXXXX.
std::string narrow(std::u16string_view key) {
  std::string text;
  for (char16_t unit : key) {
    if (unit >= 0x20 && unit < 0x7f) {
      text += static_cast<char>(unit);
    } else {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(unit));
      text += escaped;
    }
  }
  return text;
}

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

  void run() {
    checkNode(session_.root(), std::nullopt, std::nullopt, 1);
    checkLeftovers();
  }

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
    // Keys at or beyond the parent's separator are left over from a split
    // cut short only when the split had copied them on (checked at the end).
    for (uint32_t i = live; i < node->keyCount; ++i) leftovers_.push_back({std::u16string(node->key(i)), address});
    if (live < node->keyCount && report_.notes.size() < maxMessages_) {
      report_.notes.push_back("node " + hex(address) + " still holds " + std::to_string(node->keyCount - live) +
                              " keys of a split cut short");
    }
    if (depth > 1 && live == 0) damage("node " + hex(address) + " holds no key below its parent's separator");
    if (node->isLeaf()) {
      if (!leafDepth_) leafDepth_ = depth;
      if (*leafDepth_ != depth) damage("leaf " + hex(address) + " at depth " + std::to_string(depth) + ", others at " + std::to_string(*leafDepth_));
    } else if (node->childCount < live + 1) {
      return damage("inner node " + hex(address) + " has fewer children than keys");
    }

    // In key order: the subtree left of each key, then the key.
    for (uint32_t i = 0; i <= live; ++i) {
      if (!node->isLeaf()) {
        std::optional<std::u16string> childLower = i > 0 ? std::optional(std::u16string(node->key(i - 1))) : lower;
        std::optional<std::u16string> childUpper = i < live ? std::optional(std::u16string(node->key(i))) : upper;
        checkNode(node->child(i), childLower, childUpper, depth + 1);
      }
      if (i == live) break;
      std::u16string key(node->key(i));
      ++report_.keys;
      if (key.empty()) damage("node " + hex(address) + " holds an empty key");
      checkKeyOrder(key, address);
      if (node->keyIsFull(i)) {
        checkTermChain(node->value(i));
      } else {
        ++report_.terms;
        checkIdChain(node->value(i), 0);
      }
    }
  }

  // Keys met in a walk in key order ascend strictly, across nodes too: a key
  // in the wrong subtree or stored twice cannot be found by a search.
  void checkKeyOrder(const std::u16string& key, RecordAddress address) {
    if (previousKey_) {
      int order = compareKeys(*previousKey_, key, p_);
      if (order == 0) damage("key \"" + narrow(key) + "\" is stored twice (again in node " + hex(address) + ")");
      if (order > 0) damage("key \"" + narrow(key) + "\" in node " + hex(address) + " is out of order after \"" + narrow(*previousKey_) + "\"");
    }
    previousKey_ = key;
    keys_.insert(key);
  }

  void checkLeftovers() {
    for (const auto& [key, address] : leftovers_) {
      if (!keys_.count(key)) {
        damage("key \"" + narrow(key) + "\" in node " + hex(address) +
               " lies beyond its parent's separator and is stored nowhere else: its postings cannot be reached");
      }
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
  std::optional<std::u16string> previousKey_;
  std::unordered_set<std::u16string> keys_;
  std::vector<std::pair<std::u16string, RecordAddress>> leftovers_;
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
