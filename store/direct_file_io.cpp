#include "store/direct_file_io.h"

#include <zlib.h>

#include "store/little_endian.h"

#include <vector>

namespace brambel {
namespace {


// Deflate never shrinks data by more than about 1:1032; a head claiming more
// slots than its stored bytes could inflate to is damaged.
constexpr uint64_t kLargestInflateRatio = 1100;

bool inflateInto(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputLength) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(input);
  stream.avail_in = static_cast<uInt>(inputLength);
  stream.next_out = output;
  stream.avail_out = static_cast<uInt>(outputLength);
  int status = inflate(&stream, Z_FINISH);
  bool complete = status == Z_STREAM_END && stream.total_out == outputLength;
  inflateEnd(&stream);
  return complete;
}

// True when [address, address + length) lies inside a file of `size` bytes.
bool fits(RecordAddress address, uint64_t length, uint64_t size) {
  return !address.isNone() && address.value <= size && length <= size - address.value;
}

}  // namespace

std::optional<uint64_t> DirectFileIo::allocateAtEnd(const File& handle, size_t size) const {
  auto end = handle.size();
  if (!end) return std::nullopt;
  if (size <= kPageSize && *end % kPageSize + size > kPageSize) return (*end / kPageSize + 1) * kPageSize;
  return end;
}

std::optional<IdBlock> DirectFileIo::readIdBlock(const File& handle, RecordAddress address,
                                                 uint32_t knownCapacity, bool weighted) {
  auto size = handle.size();
  if (!size || !fits(address, IdBlock::kHeadSize, *size)) return std::nullopt;
  const uint64_t width = weighted ? 8 : 4;
  const uint64_t available = *size - address.value;

  // With a known capacity the whole block usually arrives in one transfer.
  std::vector<uint8_t> bytes;
  if (knownCapacity != 0 && IdBlock::kHeadSize + knownCapacity * width <= available) {
    bytes.resize(IdBlock::kHeadSize + knownCapacity * width);
  } else {
    bytes.resize(IdBlock::kHeadSize);
  }
  if (!handle.readExactlyAt(address.value, bytes.data(), bytes.size())) return std::nullopt;

  // The claimed capacities are checked before anything is sized from them.
  const uint64_t capacity = loadLe32(bytes.data() + 12);
  if (capacity == 0 || capacity > *size || loadLe32(bytes.data() + 8) > *size) return std::nullopt;
  const uint64_t slotBytes = capacity * width;
  const bool deflated = bytes[24] != 0;
  if (deflated ? slotBytes > loadLe32(bytes.data() + 16) * kLargestInflateRatio + 64
               : IdBlock::kHeadSize + slotBytes > available) {
    return std::nullopt;
  }
  IdBlock head = IdBlock::decodeHead(bytes.data(), weighted);

  if (head.deflated) {
    const uint64_t stored = head.deflatedLength;
    if (stored > available - IdBlock::kHeadSize) return std::nullopt;
    std::vector<uint8_t> packed(stored);
    std::vector<uint8_t> slots(slotBytes);
    if (!handle.readExactlyAt(address.value + IdBlock::kHeadSize, packed.data(), packed.size()) ||
        !inflateInto(packed.data(), packed.size(), slots.data(), slots.size())) {
      return std::nullopt;
    }
    head.decodeSlots(slots.data());
  } else {
    if (bytes.size() != IdBlock::kHeadSize + slotBytes) {
      bytes.resize(IdBlock::kHeadSize + slotBytes);
      if (!handle.readExactlyAt(address.value, bytes.data(), bytes.size())) return std::nullopt;
    }
    head.decodeSlots(bytes.data() + IdBlock::kHeadSize);
  }
  head.address = address;
  return head;
}

std::optional<TermRecord> DirectFileIo::readTermRecord(const File& handle, RecordAddress address) {
  auto size = handle.size();
  if (!size || !fits(address, TermRecord::kHeadSize, *size)) return std::nullopt;
  uint8_t head[TermRecord::kHeadSize];
  if (!handle.readExactlyAt(address.value, head, sizeof head)) return std::nullopt;
  uint32_t length = 0;
  TermRecord record = TermRecord::decodeHead(head, length);
  if (record.firstIdBlock.isNullLink() || record.firstBlockCapacity > *size || (!record.next.isNullLink() && record.next.value > *size) ||
      !fits(address, TermRecord::kHeadSize + 2 * uint64_t{length}, *size)) {
    return std::nullopt;
  }
  std::vector<uint8_t> text(2 * size_t{length});
  if (!handle.readExactlyAt(address.value + TermRecord::kHeadSize, text.data(), text.size())) {
    return std::nullopt;
  }
  record.suffix.resize(length);
  for (uint32_t i = 0; i < length; ++i) {
    record.suffix[i] = static_cast<char16_t>(text[2 * i] | (text[2 * i + 1] << 8));
  }
  record.address = address;
  return record;
}

bool DirectFileIo::readNode(const File& handle, RecordAddress address, IndexNode& node) {
  auto size = handle.size();
  const uint32_t nodeSize = node.geometry().nodeSize();
  if (!size || !fits(address, nodeSize, *size)) return false;
  std::vector<uint8_t> bytes(nodeSize);
  // Nodes are rewritten in place, possibly by another thread or process right now.
  if (!handle.readSettledAt(address.value, bytes.data(), bytes.size())) return false;
  if (!node.decode(bytes.data(), bytes.size())) return false;
  node.address = address;
  return true;
}

RecordAddress DirectFileIo::writeIdBlock(const File& handle, IdBlock& block) {
  if (block.address.isNone() && compressIdBlocks_ && block.storedSize() > IdBlock::kDeflateThreshold) {
    block.deflated = true;
  }
  auto bytes = block.encodeStored(block.deflated);
  if (!bytes) return RecordAddress::none();
  RecordAddress at = block.address;
  // A deflated block changes size with its content, so every write appends
  // a new copy (whoever links to it is rewritten by the caller); never
  // rewritten in place, it needs no alignment.
  if (block.deflated) {
    auto end = handle.size();
    if (!end) return RecordAddress::none();
    at = RecordAddress::atByte(*end);
  } else if (at.isNone()) {
    auto end = allocateAtEnd(handle, bytes->size());
    if (!end) return RecordAddress::none();
    at = RecordAddress::atByte(*end);
  }
  if (!handle.writeAt(at.value, bytes->data(), bytes->size())) return RecordAddress::none();
  block.address = at;
  return at;
}

RecordAddress DirectFileIo::writeTermRecord(const File& handle, TermRecord& record) {
  std::string bytes = record.encode();
  RecordAddress at = record.address;
  if (at.isNone()) {
    auto end = allocateAtEnd(handle, bytes.size());
    if (!end) return RecordAddress::none();
    at = RecordAddress::atByte(*end);
  }
  if (!handle.writeAt(at.value, bytes.data(), bytes.size())) return RecordAddress::none();
  record.address = at;
  return at;
}

RecordAddress DirectFileIo::writeNode(const File& handle, IndexNode& node) {
  std::string bytes = node.encode();
  RecordAddress at = node.address;
  if (at.isNone()) {
    auto end = allocateAtEnd(handle, bytes.size());
    if (!end) return RecordAddress::none();
    at = RecordAddress::atByte(*end);
  }
  if (!handle.writeAt(at.value, bytes.data(), bytes.size())) return RecordAddress::none();
  node.address = at;
  return at;
}

bool DirectFileIo::writeRaw(const File& handle, uint64_t position, const void* bytes, size_t length) {
  return handle.writeAt(position, bytes, length);
}

bool DirectFileIo::readRaw(const File& handle, uint64_t position, void* bytes, size_t length) {
  return handle.readExactlyAt(position, bytes, length);
}

}  // namespace brambel
