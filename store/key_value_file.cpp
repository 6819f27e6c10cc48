#include "store/key_value_file.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>
#include <vector>

#include "platform/file.h"
#include "platform/file_lock.h"
#include "store/key_value_records.h"
#include "store/little_endian.h"

namespace brambel {

namespace {

constexpr std::chrono::milliseconds kOpenWriterWait{30000};
// Bounds on header values accepted from a file; anything larger is damage.
constexpr uint32_t kLargestKeyLength = 4096;
constexpr uint32_t kLargestMinimumDegree = 4096;

bool validKey(std::string_view key) { return !key.empty() && key.find('\0') == std::string_view::npos; }

// The keys below child `index` of `node` lie under this bound: the parent's
// key right of the child, or for the last child the node's own bound.
std::optional<std::string> childBound(const KeyValueNode& node, size_t index, const std::optional<std::string>& bound) {
  return index < node.keys.size() ? std::optional<std::string>(node.keys[index]) : bound;
}

bool saneGeometry(uint32_t keyLength, uint32_t minimumDegree) {
  return keyLength >= 1 && keyLength <= kLargestKeyLength && minimumDegree >= 2 &&
         minimumDegree <= kLargestMinimumDegree;
}

}  // namespace

struct KeyValueFile::Location {
  KeyValueNode node;
  size_t index = 0;
};

KeyValueFile::KeyValueFile(std::filesystem::path path, const Options& options)
    : path_(std::move(path)), base_(options.baseOffset), readOnly_(options.readOnly) {
  if (options.open) open(options);
}

void KeyValueFile::open(const Options& options) {
  File file = readOnly_ ? File::open(path_, File::Access::Read)
                        : openWriter(path_, kOpenWriterWait, File::Disposition::OpenAlways);
  if (!file.isOpen()) return;
  auto size = file.size();
  if (!size) return;
  RecordFile records(file, *size);
  auto header = readHeader(file);
  if (header) {
    if (!saneGeometry(header->keyLength, header->minimumDegree)) return;
    layout_ = KeyValueNodeLayout(header->keyLength, header->minimumDegree);
    compress_ = header->compress;
    if (header->root != 0) {
      valid_ = true;
    } else if (!readOnly_) {
      valid_ = createTree(records);  // creation was cut short: finish it
    }
    return;
  }
  if (readOnly_ || *size > base_) return;  // a header that is not version 0, or unreadable
  const uint32_t keyLength = options.keyLength < 1 ? kDefaultKeyLength : static_cast<uint32_t>(options.keyLength);
  const uint32_t degree = options.minimumDegree < 1 ? (keyLength + 2056) / (2 * keyLength + 32)
                                                    : static_cast<uint32_t>(options.minimumDegree);
  if (!saneGeometry(keyLength, std::max<uint32_t>(degree, 2))) return;
  layout_ = KeyValueNodeLayout(keyLength, std::max<uint32_t>(degree, 2));
  compress_ = options.compress;
  valid_ = createTree(records);
}

std::optional<KeyValueFile::Header> KeyValueFile::readHeader(const File& file) const {
  auto size = file.size();
  if (!size || *size <= base_) return std::nullopt;
  uint8_t bytes[kHeaderSize];
  if (!file.readExactlyAt(base_, bytes, kHeaderSize)) return std::nullopt;
  if (loadLe32(bytes) != 0) return std::nullopt;
  Header header;
  header.root = loadLe64(bytes + 8);
  header.minimumDegree = loadLe32(bytes + 16);
  header.keyLength = loadLe32(bytes + 20);
  header.compress = bytes[25] != 0;
  return header;
}

bool KeyValueFile::writeHeader(RecordFile& records, uint64_t root) const {
  std::string bytes(kHeaderSize, '\0');
  storeLe64(&bytes[8], root);
  storeLe32(&bytes[16], layout_.minimumDegree());
  storeLe32(&bytes[20], layout_.keyLength());
  bytes[25] = compress_ ? 1 : 0;
  return records.overwrite(base_, bytes);
}

// A new tree: a header without a root first, then the empty root behind it,
// then the header naming the root. A crash in between leaves a header with
// root 0, which the next writer completes.
bool KeyValueFile::createTree(RecordFile& records) {
  if (!writeHeader(records, 0)) return false;
  KeyValueNode root;
  return writeNode(records, root) && writeHeader(records, root.address);
}

std::optional<uint64_t> KeyValueFile::currentRoot(const RecordFile& records) const {
  auto header = readHeader(records.file());
  if (!header || header->root == 0 || header->keyLength != layout_.keyLength() ||
      header->minimumDegree != layout_.minimumDegree()) {
    return std::nullopt;
  }
  return header->root;
}

uint64_t KeyValueFile::nodeLimit(const RecordFile& records) const {
  return records.size() / layout_.nodeSize() + 1;
}

std::optional<KeyValueNode> KeyValueFile::readNode(const RecordFile& records, uint64_t address,
                                                   const std::optional<std::string>& bound) const {
  if (address == 0) return std::nullopt;
  auto bytes = records.read(address, layout_.nodeSize());
  if (!bytes) return std::nullopt;
  auto node = layout_.decode(*bytes, address);
  if (node && bound) clipBelow(*node, *bound, layout_.keyLength());
  return node;
}

bool KeyValueFile::writeNode(RecordFile& records, KeyValueNode& node) const {
  const std::string bytes = layout_.encode(node);
  if (node.address != 0) return records.overwrite(node.address, bytes);
  auto at = records.append(bytes);
  if (!at) return false;
  node.address = *at;
  return true;
}

bool KeyValueFile::find(const RecordFile& records, uint64_t root, std::string_view prefix,
                        std::optional<Location>& found) const {
  found.reset();
  uint64_t address = root;
  std::optional<std::string> bound;
  for (uint64_t depth = 0; depth <= nodeLimit(records); ++depth) {
    auto node = readNode(records, address, bound);
    if (!node) return false;
    const uint32_t k = layout_.keyLength();
    auto it = std::find_if(node->keys.begin(), node->keys.end(),
                           [&](const std::string& key) { return compareKeyPrefixes(key, prefix, k) >= 0; });
    const auto index = static_cast<size_t>(it - node->keys.begin());
    if (it != node->keys.end() && compareKeyPrefixes(*it, prefix, k) == 0) {
      found = Location{std::move(*node), index};
      return true;
    }
    if (node->isLeaf()) return true;
    bound = childBound(*node, index, bound);
    address = node->children[index];
  }
  return false;
}

std::optional<uint64_t> KeyValueFile::findData(const RecordFile& records, uint64_t root, std::string_view key) const {
  const uint32_t k = layout_.keyLength();
  std::optional<Location> found;
  if (!find(records, root, key.substr(0, k), found) || !found) return std::nullopt;
  const uint64_t value = found->node.values[found->index];
  if (key.size() < k) return value;
  const std::string_view remainder = key.substr(k);
  std::unordered_set<uint64_t> visited;
  for (uint64_t address = value; address != 0 && visited.insert(address).second;) {
    auto record = records.readKeyRecord(address);
    if (!record) return std::nullopt;
    if (record->remainder == remainder) return record->firstData;
    address = record->next;
  }
  return std::nullopt;
}

std::optional<std::string> KeyValueFile::Get(std::string_view key) const {
  if (!valid_ || !validKey(key)) return std::nullopt;
  File file = File::open(path_, File::Access::Read);
  auto size = file.size();
  if (!file.isOpen() || !size) return std::nullopt;
  RecordFile records(file, *size);
  auto root = currentRoot(records);
  if (!root) return std::nullopt;
  auto data = findData(records, *root, key);
  if (!data) return std::nullopt;
  return records.readValue(*data);
}

bool KeyValueFile::Put(std::string_view key, std::string_view value) {
  if (!valid_ || readOnly_ || !validKey(key) || value.size() > UINT32_MAX) return false;
  std::lock_guard<std::mutex> lock(writerMutex_);
  File file = openWriter(path_, std::nullopt);
  auto size = file.size();
  if (!file.isOpen() || !size) return false;
  RecordFile records(file, *size);
  auto root = currentRoot(records);
  if (!root) return false;
  const std::string_view prefix = key.substr(0, layout_.keyLength());
  std::optional<Location> found;
  if (!find(records, *root, prefix, found)) return false;
  if (found) return replaceValue(records, *found, key, value);
  auto newValue = newKeyValue(records, key, value);
  return newValue && insert(records, *root, prefix, *newValue);
}

bool KeyValueFile::replaceValue(RecordFile& records, Location& location, std::string_view key,
                                std::string_view value) {
  const uint32_t k = layout_.keyLength();
  uint64_t& slotValue = location.node.values[location.index];
  if (key.size() < k) {
    auto first = records.storeValue(slotValue, value, compress_);
    if (!first) return false;
    if (*first == slotValue) return true;
    slotValue = *first;
    return writeNode(records, location.node);
  }
  const std::string_view remainder = key.substr(k);
  uint64_t address = slotValue;
  for (uint64_t steps = 0; steps <= records.size(); ++steps) {
    auto record = records.readKeyRecord(address);
    if (!record) return false;
    if (record->remainder == remainder) {
      auto first = records.storeValue(record->firstData, value, compress_);
      if (!first) return false;
      if (*first == record->firstData) return true;
      record->firstData = *first;
      return records.writeKeyRecord(*record);
    }
    if (record->next == 0) {
      auto added = newKeyValue(records, key, value);
      if (!added) return false;
      record->next = *added;
      return records.writeKeyRecord(*record);
    }
    address = record->next;
  }
  return false;
}

std::optional<uint64_t> KeyValueFile::newKeyValue(RecordFile& records, std::string_view key, std::string_view value) {
  auto data = records.storeValue(0, value, compress_);
  if (!data || key.size() < layout_.keyLength()) return data;
  KeyRecord record;
  record.firstData = *data;
  record.remainder = std::string(key.substr(layout_.keyLength()));
  if (!records.writeKeyRecord(record)) return std::nullopt;
  return record.address;
}

bool KeyValueFile::insert(RecordFile& records, uint64_t root, std::string_view prefix, uint64_t value) {
  auto rootNode = readNode(records, root);
  if (!rootNode) return false;
  if (rootNode->keys.size() < layout_.maximumKeys()) {
    return insertNonFull(records, std::move(*rootNode), prefix, value);
  }
  KeyValueNode newRoot;
  newRoot.children.push_back(rootNode->address);
  KeyValueNode sibling;
  if (!splitChild(records, newRoot, 0, *rootNode, sibling, true)) return false;
  return insertNonFull(records, std::move(newRoot), prefix, value);
}

bool KeyValueFile::insertNonFull(RecordFile& records, KeyValueNode node, std::string_view prefix, uint64_t value) {
  const uint32_t k = layout_.keyLength();
  std::optional<std::string> bound;  // of `node`; the root has none
  for (uint64_t depth = 0; depth <= nodeLimit(records); ++depth) {
    auto it = std::find_if(node.keys.begin(), node.keys.end(),
                           [&](const std::string& key) { return compareKeyPrefixes(key, prefix, k) > 0; });
    auto index = static_cast<size_t>(it - node.keys.begin());
    if (node.isLeaf()) {
      node.keys.insert(it, std::string(prefix));
      node.values.insert(node.values.begin() + static_cast<ptrdiff_t>(index), value);
      return writeNode(records, node);
    }
    auto child = readNode(records, node.children[index], childBound(node, index, bound));
    if (!child) return false;
    if (child->keys.size() == layout_.maximumKeys()) {
      KeyValueNode sibling;
      if (!splitChild(records, node, index, *child, sibling, false)) return false;
      if (compareKeyPrefixes(prefix, node.keys[index], k) > 0) {
        child = std::move(sibling);
        ++index;
      }
    }
    bound = childBound(node, index, bound);
    node = std::move(*child);
  }
  return false;
}

// Write order: the new sibling, then the parent that names it, then (for a
// new root) the header, and only then the shortened child. A crash before the
// last write leaves the child's moved keys in two places, never in none; the
// stale copies lie at or above the child's bound in the parent, so reads
// through the parent drop them and the child's next write completes the split.
bool KeyValueFile::splitChild(RecordFile& records, KeyValueNode& parent, size_t index, KeyValueNode& child,
                              KeyValueNode& sibling, bool newRoot) {
  const size_t t = layout_.minimumDegree();
  const auto at = [](auto& vector, size_t i) { return vector.begin() + static_cast<ptrdiff_t>(i); };
  sibling = KeyValueNode{};
  sibling.keys.assign(at(child.keys, t), child.keys.end());
  sibling.values.assign(at(child.values, t), child.values.end());
  if (!child.isLeaf()) sibling.children.assign(at(child.children, t), child.children.end());
  std::string middleKey = std::move(child.keys[t - 1]);
  const uint64_t middleValue = child.values[t - 1];
  if (!writeNode(records, sibling)) return false;

  parent.keys.insert(at(parent.keys, index), std::move(middleKey));
  parent.values.insert(at(parent.values, index), middleValue);
  parent.children.insert(at(parent.children, index + 1), sibling.address);
  if (!writeNode(records, parent)) return false;
  if (newRoot && !writeHeader(records, parent.address)) return false;

  child.keys.resize(t - 1);
  child.values.resize(t - 1);
  if (!child.isLeaf()) child.children.resize(t);
  return writeNode(records, child);
}

bool KeyValueFile::visitSlot(const RecordFile& records, const KeyValueNode& node, size_t index,
                             const Visitor& visit, std::vector<std::string>* damage) const {
  const std::string& prefix = node.keys[index];
  const auto report = [&](const std::string& what, uint64_t address) {
    if (damage) damage->push_back(what + " at " + std::to_string(address) + " (key prefix \"" + prefix + "\")");
  };
  if (prefix.size() < layout_.keyLength()) {
    auto value = records.readValue(node.values[index]);
    if (!value) report("unreadable value", node.values[index]);
    return !value || visit(prefix, *value);
  }
  // Keys sharing a prefix are chained in the order they were added; report
  // them in key order like everything else.
  std::vector<KeyRecord> chain;
  std::unordered_set<uint64_t> visited;
  for (uint64_t address = node.values[index]; address != 0;) {
    if (!visited.insert(address).second) {
      report("key chain loops", address);
      break;
    }
    auto record = records.readKeyRecord(address);
    if (!record) {
      report("unreadable key record", address);
      break;
    }
    address = record->next;
    chain.push_back(std::move(*record));
  }
  std::sort(chain.begin(), chain.end(),
            [](const KeyRecord& a, const KeyRecord& b) { return a.remainder < b.remainder; });
  for (const auto& record : chain) {
    auto value = records.readValue(record.firstData);
    if (!value) report("unreadable value", record.firstData);
    if (value && !visit(prefix + record.remainder, *value)) return false;
  }
  return true;
}

bool KeyValueFile::Walk(const Visitor& visit, std::vector<std::string>* damage) const {
  if (!valid_) return false;
  File file = File::open(path_, File::Access::Read);
  auto size = file.size();
  if (!file.isOpen() || !size) return false;
  RecordFile records(file, *size);
  auto root = currentRoot(records);
  if (!root) return false;
  // The cursor: the nodes on the path from the root, each with the slot to
  // visit next and whether the child left of that slot has been walked.
  struct Frame {
    KeyValueNode node;
    std::optional<std::string> bound;
    size_t slot = 0;
    bool childWalked = false;
  };
  std::vector<Frame> path;
  uint64_t nodesRead = 0;
  auto descend = [&](uint64_t address, std::optional<std::string> bound) {
    if (++nodesRead > nodeLimit(records)) return false;
    auto node = readNode(records, address, bound);
    if (!node) return false;
    path.push_back(Frame{std::move(*node), std::move(bound)});
    return true;
  };
  if (!descend(*root, std::nullopt)) return false;
  while (!path.empty()) {
    Frame& frame = path.back();
    if (!frame.node.isLeaf() && !frame.childWalked) {
      frame.childWalked = true;
      // A damaged subtree is skipped (and reported); a tree that loops ends the walk.
      const uint64_t child = frame.node.children[frame.slot];
      if (!descend(child, childBound(frame.node, frame.slot, frame.bound))) {
        if (damage) damage->push_back("unreadable subtree at " + std::to_string(child));
        if (nodesRead > nodeLimit(records)) return false;
      }
      continue;
    }
    if (frame.slot >= frame.node.keys.size()) {
      path.pop_back();
      continue;
    }
    if (!visitSlot(records, frame.node, frame.slot, visit, damage)) return true;
    ++frame.slot;
    frame.childWalked = false;
  }
  return true;
}

std::optional<std::vector<std::string>> KeyValueFile::Check() const {
  std::vector<std::string> damage;
  if (!Walk([](std::string_view, std::string_view) { return true; }, &damage)) {
    if (damage.empty()) return std::nullopt;
    damage.push_back("the tree loops");
  }
  return damage;
}

}  // namespace brambel
